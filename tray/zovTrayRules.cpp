#include "zovTrayRules.h"

#include <algorithm>
#include <map>
#include <utility>

#include <zov/zovCurrent.h>
#include <zov/zovDays.h>
#include <zov/zovSinkHours.h>

namespace zovtray {

vu_datetime midnight_after(const vu_datetime& t, int days)
{
    return zov::midnight_after(t, days);
}

day_range today_range(const vu_datetime& now)
{
    const zov::day_range range = zov::today_range(now);
    return {range.lo, range.hi};
}

day_range recent_range(const vu_datetime& now)
{
    const zov::day_range range = zov::recent_range(now);
    return {range.lo, range.hi};
}

bool auto_logout_due(long setting, const vu_datetime& now)
{
    if (setting <= 0)
        return false;
    const long t = static_cast<long>(now.time_of_day_seconds());
    // One unsigned comparison for 1 <= t - setting <= 119.
    return static_cast<unsigned long>(t - setting - 1) <= 118UL;
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
        return wxString::Format("%s - Working %.1fh", task, now.diff_hours(current.time()));
    return wxString::Format("%s - Sleeping", task);
}

wxString status_text(const zovCurrent& current, const vu_datetime& now)
{
    if (current.active())
        return wxString::Format("Working %.1fh", now.diff_hours(current.time()));
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
