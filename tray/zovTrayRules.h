#pragma once
// The decisions of the tray program, kept apart from its windows so that they
// can be checked without a display: what counts as today, when the automatic
// log-out fires, how the recent list is ordered, what the texts say.

#include <string>
#include <vector>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>

class zovCurrent;
class zovSinkHours;

namespace zovtray {

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

// Whether the daily automatic log-out is due at `now`: only for a setting
// above zero, from 1 to 119 seconds after the set time of day.
bool auto_logout_due(long setting, const vu_datetime& now);

// Whether the tray icon should update: forced, never updated yet, or more
// than five seconds since the last update.
bool icon_update_due(bool force, bool never_updated, const vu_datetime& now,
                     const vu_datetime& last_update);

// Task names of the positive sessions, by the latest end of each, newest
// first; equal ends in descending byte order of the names.
std::vector<std::string> recent_tasks(const zovSinkHours& sessions);

// Net hours of today's pieces plus the whole running session, and the number
// of distinct task names among the pieces.
struct day_total
{
    double hours = 0.0;
    int items = 0;
};
day_total today_total(const zovSinkHours& today, const zovCurrent& current,
                      const vu_datetime& now);

// "Alpha - Working 1.5h" or "Alpha - Sleeping".
wxString tooltip_text(const zovCurrent& current, const vu_datetime& now);
// "Working 1.5h" or "Sleeping".
wxString status_text(const zovCurrent& current, const vu_datetime& now);
// "7.5h - (3 items)".
wxString total_text(const day_total& total);

// Texts of the error boxes that report a refused name or a failed write.
wxString bad_name_message(const wxString& name);
wxString write_failed_message(const wxString& dir);

// Task names travel between the controls and the kernel as UTF-8 bytes.
std::string to_bytes(const wxString& text);
wxString from_bytes(const std::string& bytes);

}  // namespace zovtray
