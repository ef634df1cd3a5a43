#pragma once
// Days by the calendar and what the recording programs show of them: today's
// range and total, and the recent task list. Shared by the tray and the
// command line so that both always show the same.

#include <string>
#include <vector>

#include <vu_utils/vu_datetime.h>

class zovCurrent;
class zovSinkHours;

namespace zov {

// A time range [lo, hi) between two local midnights.
struct day_range
{
    vu_datetime lo;
    vu_datetime hi;
};

// Local midnight `days` calendar days after the day of `t` (negative: before).
// Counts calendar days, not multiples of 24 hours, so a daylight-saving change
// in between does not shift the result off midnight.
vu_datetime midnight_after(const vu_datetime& t, int days);

// Today by the calendar: from today's midnight to tomorrow's.
day_range today_range(const vu_datetime& now);

// The recent list's 90 days: from midnight 88 days before today to midnight
// at the start of the day after tomorrow.
day_range recent_range(const vu_datetime& now);

// Task names of the positive sessions, by the latest end of each, newest
// first; equal ends in descending byte order of the names.
std::vector<std::string> recent_tasks(const zovSinkHours& sessions);

// Hours the running session has run by `now`: 0 when none runs, and never
// less than 0 when the clock was set back below its begin.
double running_hours(const zovCurrent& current, const vu_datetime& now);

// Net hours of today's pieces plus the running session's part within today, and the number
// of distinct task names among the pieces. `tasks` holds the same hours per task
// (by name), so that rows and total come from one computation.
struct day_total
{
    double hours = 0.0;
    int items = 0;
    std::vector<std::pair<std::string, double>> tasks;
};
day_total today_total(const zovSinkHours& today, const zovCurrent& current, const vu_datetime& now);

// Texts that report a refused task name and a failed write of the task files.
std::string bad_name_message(const std::string& name);
std::string write_failed_message(const std::string& dir);
// Texts that report a CURRENT.TSK that could not be read: kept aside under
// the name given (in the folder dir) and started afresh, or left as it is by
// a program that only reads.
std::string state_kept_aside_message(const std::string& dir, const std::string& kept);
std::string state_unreadable_message(const std::string& dir);

}  // namespace zov
