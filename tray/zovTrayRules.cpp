#include "zovTrayRules.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include <zov/zovCurrent.h>
#include <zov/zovKernel.h>
#include <zov/zovDays.h>
#include <zov/zovSinkHours.h>

namespace zovtray {

long usable_auto_logout(long stored)
{
    const long one_day = 24 * 3600;
    if (stored <= -one_day || stored >= one_day)
        return -61200;
    return stored;
}

vu_datetime wall_time_on(const vu_datetime& day, long seconds)
{
    int year = 0, month = 0, mday = 0;
    vu_datetime at;
    if (day.is_not_a_date_time()
        || std::sscanf(day.to_format_string("%Y-%m-%d").c_str(), "%d-%d-%d", &year, &month, &mday)
               != 3)
        return at;
    at.set_local(year, month, mday, static_cast<int>(seconds / 3600),
                 static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return at;
}

namespace {

// The first moment at the setting's time of day that is later than `t` (or,
// with `or_at`, equal to it): on t's calendar day, or else on the next one
// (never 24 hours on: days of 23 and 25 hours exist).
vu_datetime next_logout_time(long setting, const vu_datetime& t, bool or_at)
{
    vu_datetime first = wall_time_on(t, setting);
    if (first < t || (!or_at && first == t))
        first = wall_time_on(midnight_after(t, 1), setting);
    return first;
}

}  // namespace

vu_datetime auto_logout_instant(long setting, const vu_datetime& begin, const vu_datetime& now,
                                const vu_datetime& set_at)
{
    const vu_datetime none;
    if (setting <= 0 || setting != usable_auto_logout(setting) || begin.is_not_a_date_time()
        || now.is_not_a_date_time() || !(begin < now))
        return none;
    vu_datetime first = next_logout_time(setting, begin, false);
    if (!set_at.is_not_a_date_time() && first < set_at)
        first = next_logout_time(setting, set_at, true);
    if (first.is_not_a_date_time() || now < first)
        return none;
    return first;
}

bool apply_auto_logout(zovKernel& kernel, long setting, const vu_datetime& now,
                       const vu_datetime& set_at)
{
    const zovCurrent& current = kernel.current();
    if (!current.active())
        return false;
    const vu_datetime due = auto_logout_instant(setting, current.time(), now, set_at);
    if (due.is_not_a_date_time())
        return false;
    // A failed write shows in the state read back next.
    return kernel.logout(due);
}

bool icon_update_due(bool force, bool never_updated, const vu_datetime& now,
                     const vu_datetime& last_update)
{
    return force || never_updated || now.diff_seconds(last_update) > 5.0;
}

std::vector<std::string> recent_tasks(const zovSinkHours& sessions)
{
    return zov::recent_tasks(sessions);
}

day_total today_total(const zovSinkHours& today, const zovCurrent& current,
                      const vu_datetime& now)
{
    const zov::day_total total = zov::today_total(today, current, now);
    day_total result;
    result.hours = total.hours;
    result.items = total.items;
    return result;
}

wxString tooltip_text(const zovCurrent& current, const vu_datetime& now)
{
    const wxString task = from_bytes(current.task());
    if (current.active())
        return wxString::Format("%s - Working %.1fh", task, zov::running_hours(current, now));
    return wxString::Format("%s - Sleeping", task);
}

wxString status_text(const zovCurrent& current, const vu_datetime& now)
{
    if (current.active())
        return wxString::Format("Working %.1fh", zov::running_hours(current, now));
    return "Sleeping";
}

wxString total_text(const day_total& total)
{
    return wxString::Format("%.1fh - (%d items)", total.hours, total.items);
}

wxString bad_name_message(const wxString& name)
{
    return from_bytes(zov::bad_name_message(to_bytes(name)));
}

wxString write_failed_message(const wxString& dir)
{
    return from_bytes(zov::write_failed_message(to_bytes(dir)));
}

wxString typed_name(const wxString& text)
{
    const wxString space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    if (first == wxString::npos)
        return wxString();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

wxString archive_failed_message(const wxString& path)
{
    return wxString::Format("Could not write the time sheet to the file %s. "
                            "Nothing was archived.",
                            path);
}

wxString open_failed_message(const wxString& program, const wxString& path)
{
    return wxString::Format("Could not open %s: the program %s could not be started.", path,
                            program);
}

wxString setting_failed_message(const wxString& file)
{
    return wxString::Format("Could not save the setting in the file %s. "
                            "It holds until the program ends.",
                            file);
}

std::string to_bytes(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

wxString from_bytes(const std::string& bytes)
{
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    // A name written by hand in another 8-bit encoding still shows, byte by byte.
    if (text.empty() && !bytes.empty())
        text = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    return text;
}

}  // namespace zovtray
