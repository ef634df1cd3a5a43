#pragma once
// Times as people type them on a command line.

#include <cstdint>
#include <string>

#include <vu_utils/vu_datetime.h>

namespace zov {

// Days from 1970-01-01 to the civil date (proleptic Gregorian), for times
// read field by field in UTC.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d);

// Reads one of:
//   2026-12-10T08:30[:15]Z, ...+01:00, ...+0100, ...-05   an instant with its offset
//   2026-12-10T08:30[:15], 2026-12-10 08:30[:15]          local wall-clock time
//   2026-12-10                                            local midnight of that date
//   08:30[:15], 9:00                                      that wall-clock time today
//   now                                                   the instant `now`
//   today, yesterday, monday ... sunday                   local midnight of that day
//                                                         (a weekday: the last one, today included)
//   -3d, -2h, -10m, -30s, -1w, "10 min ago", "2 hours ago"  that long before now
//                                                         (days and weeks by the calendar)
// Wall-clock times are local by the calendar and resolved on their own date,
// so a date across a clock change gets that date's offset, not today's. A time
// in a spring gap moves forward by the gap; a repeated autumn hour takes its
// first occurrence. `now` gives "today". date_only, when given, tells whether
// the text was a date alone. On false, out is unchanged.
bool parse_time(const std::string& text, const vu_datetime& now, vu_datetime& out,
                bool* date_only = nullptr);

// What a typed time stands for: an instant (lo == hi), a day [midnight,
// next midnight), or one of the range words thisweek, lastweek, thismonth,
// lastmonth, thisyear (ISO weeks from Monday; months and the year by the
// calendar). As a range's begin a text counts from lo, as its end until hi.
struct time_span
{
    vu_datetime lo;
    vu_datetime hi;
    bool instant = false;
};
bool parse_span(const std::string& text, const vu_datetime& now, time_span& out);

// The words and forms parse_span takes, for messages and completion.
extern const char* const time_forms;

}  // namespace zov
