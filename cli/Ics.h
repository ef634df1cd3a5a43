#pragma once
// Sessions as an iCalendar (RFC 5545) calendar for GNOME Calendar,
// Thunderbird, khal and the like.

#include <cstdint>
#include <string>
#include <vector>

#include <zov/zovNetSessions.h>

namespace zovcli {

// One VEVENT per session, times in UTC, the task name as SUMMARY (escaped,
// lines folded at 75 octets), CR LF line ends. The UID is made of the
// session's begin, end and task, so the same session has the same UID in
// every export and a calendar that imports again updates it.
std::string ics_calendar(const std::vector<zov::net_session>& sessions);

// "20261207T080000Z"
std::string utc_stamp(std::int64_t seconds);

}  // namespace zovcli
