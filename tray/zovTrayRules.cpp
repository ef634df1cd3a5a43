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
