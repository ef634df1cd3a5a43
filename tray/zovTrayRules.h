#pragma once
// The decisions of the tray program, kept apart from its windows so that they
// can be checked without a display: what counts as today, when the automatic
// log-out fires, how the recent list is ordered, what the texts say.

#include <string>
#include <vector>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>

class zovCurrent;
class zovKernel;
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

// The stored "AutoLogout" as the program uses it. A value beyond one day
// (more than 86399 seconds either way) is no time of day: it reads as the
// default, 17:00 switched off, rather than as a switch that shows on and
// never acts.
long usable_auto_logout(long stored);

// The wall-clock time of day `seconds` after midnight on the local calendar
// day of `day`. A time that the clock skips (spring) moves on by the gap; a
// repeated one (autumn) is its first occurrence.
vu_datetime wall_time_on(const vu_datetime& day, long seconds);

// The daily automatic log-out that is due for a session running since
// `begin`, checked at `now`: the first log-out time after the session's begin
// (the setting's time of day on a calendar day), once it has passed. A
// session that began at or after a day's log-out time is the user's decision
// and runs on to the next day's. No memory and no window: a check at any
// moment after the log-out time (a late timer, a resume from sleep, a start
// the next morning) closes the session at that time, never later, never
// before its begin, never in the future. Not-a-date-time when nothing is due:
// switched off, 00:00 (stored as 0), or no running session. `set_at`, when
// given, is when the setting took its value: a log-out time before it never
// counts, so switching the log-out on (or moving it) at 18:00 to 17:00 does
// not cut the hour just worked; the session ends at the next day's 17:00.
vu_datetime auto_logout_instant(long setting, const vu_datetime& begin, const vu_datetime& now,
                                const vu_datetime& set_at = vu_datetime());

// Runs the daily log-out check on the kernel's state: closes the running
// session at its due log-out time. True when it did.
bool apply_auto_logout(zovKernel& kernel, long setting, const vu_datetime& now,
                       const vu_datetime& set_at = vu_datetime());

// Whether the tray icon should update: forced, never updated yet, or more
// than five seconds since the last update.
bool icon_update_due(bool force, bool never_updated, const vu_datetime& now,
                     const vu_datetime& last_update);

// Task names of the positive sessions, by the latest end of each, newest
// first; equal ends in descending byte order of the names.
std::vector<std::string> recent_tasks(const zovSinkHours& sessions);

// Net hours of today's pieces plus the part of the running session that lies
// in the pieces' range (today), and the number of distinct task names among
// the pieces.
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

// A typed task name without the blanks and tabs around it (line ends of a
// pasted name too); blanks inside stay, for the kernel to refuse.
wxString typed_name(const wxString& text);

// Texts of the error boxes of failed file and program operations.
wxString archive_failed_message(const wxString& path);
wxString open_failed_message(const wxString& program, const wxString& path);
wxString setting_failed_message(const wxString& file);

// Task names travel between the controls and the kernel as UTF-8 bytes.
std::string to_bytes(const wxString& text);
wxString from_bytes(const std::string& bytes);

}  // namespace zovtray
