#include "zovTrayRules.h"

#include <algorithm>
#include <map>
#include <utility>

#include <zov/zovCurrent.h>
#include <zov/zovSinkHours.h>

namespace zovtray {

vu_datetime midnight_after(const vu_datetime& t, int days)
{
    // Noon of the target day lies inside that day whatever the clock shifts
    // (at most a few hours) between here and there.
    vu_datetime noon;
    noon.set_time_t(t.date().to_time_t() + static_cast<std::int64_t>(days) * 86400 + 12 * 3600);
    return noon.date();
}

day_range today_range(const vu_datetime& now)
{
    return {now.date(), midnight_after(now, 1)};
}

day_range recent_range(const vu_datetime& now)
{
    return {midnight_after(now, -88), midnight_after(now, 2)};
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
    std::map<std::string, std::int64_t> last_end;
    for (const zovSession& piece : sessions) {
        if (!(piece.hours() > 0.0))
            continue;  // reversed pieces of corrections
        const std::int64_t end = piece.tend().to_time_t();
        auto found = last_end.find(piece.task());
        if (found == last_end.end())
            last_end.emplace(piece.task(), end);
        else if (end > found->second)
            found->second = end;
    }
    std::vector<std::pair<std::int64_t, std::string>> order;
    order.reserve(last_end.size());
    for (const auto& entry : last_end)
        order.emplace_back(entry.second, entry.first);
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (auto& entry : order)
        names.push_back(std::move(entry.second));
    return names;
}

day_total today_total(const zovSinkHours& today, const zovCurrent& current,
                      const vu_datetime& now)
{
    day_total total;
    if (current.active())
        total.hours = now.diff_hours(current.time());
    std::vector<const std::string*> names;
    for (const zovSession& piece : today) {
        total.hours += piece.hours();
        names.push_back(&piece.task());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string* a, const std::string* b) { return *a < *b; });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string* a, const std::string* b) { return *a == *b; }),
                names.end());
    total.items = static_cast<int>(names.size());
    return total;
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
    return wxString::Format("\"%s\" cannot be a task name. Task names are one word, "
                            "without blanks or tabs, not beginning with \"%%\".",
                            name);
}

wxString write_failed_message(const wxString& dir)
{
    return wxString::Format("Could not write the task files in the data folder %s. "
                            "Check that the folder exists and can be written.",
                            dir);
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
