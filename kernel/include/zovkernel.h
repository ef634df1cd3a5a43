#pragma once
// The public interface of the kernel library and the date-time pieces it uses.

#include <vu_utils/vu_datetime.h>
#include <vu_utils/vu_shell.h>
#include <vu_utils/vu_utils.h>

#include <zov/zovCurrent.h>
#include <zov/zovDataDir.h>
#include <zov/zovDays.h>
#include <zov/zovFile.h>
#include <zov/zovHours.h>
#include <zov/zovImport.h>
#include <zov/zovJournal.h>
#include <zov/zovKernel.h>
#include <zov/zovLoginOut.h>
#include <zov/zovNetSessions.h>
#include <zov/zovRules.h>
#include <zov/zovSession.h>
#include <zov/zovSettings.h>
#include <zov/zovSink.h>
#include <zov/zovSinkHours.h>
#include <zov/zovSinkWeek.h>
#include <zov/zovTimeSheet.h>
#include <zov/zovText.h>
#include <zov/zovTimeline.h>
#include <zov/zovTimeText.h>
#include <zov/zovUndo.h>
#include <zov/zovWeekFigures.h>
