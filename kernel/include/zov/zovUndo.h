#pragma once
// What an undo takes back, or would.

#include <string>
#include <vector>

#include <zov/zovJournal.h>
#include <zov/zovSession.h>

struct zovUndoPlan
{
    std::string what;                // the change taken back: "switch to Review"
    std::vector<zovSession> lines;   // appended to HOURS.TSK: the change's lines reversed
    zovJournal::state state;         // CURRENT.TSK afterwards: as before the change
};
