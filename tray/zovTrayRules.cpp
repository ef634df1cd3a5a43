#include "zovTrayRules.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include <zov/zovCurrent.h>
#include <zov/zovKernel.h>
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
    // Only the running part inside the range: a session begun yesterday
    // evening counts from midnight.
    if (current.active() && current.time() < today.hi()) {
        const vu_datetime from = max(current.time(), today.lo());
        const vu_datetime until = min(now, today.hi());
        if (from < until)
            total.hours = until.diff_hours(from);
    }
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
