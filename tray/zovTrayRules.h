#pragma once
// The decisions of the tray program, kept apart from its windows so that they
// can be checked without a display: what counts as today, how the recent
// list is ordered, what the texts say. The rules on the records themselves
// (the daily log-out, the away answers) are the kernel's.

#include <string>
#include <vector>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>
#include <zov/zovDays.h>

class zovCurrent;
class zovKernel;
class zovSinkHours;

namespace zovtray {

// Day ranges by the calendar, as the kernel counts them.
using zov::day_range;
using zov::midnight_after;
using zov::recent_range;
using zov::today_range;

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
