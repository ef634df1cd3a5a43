#include <zov/zovDays.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include <zov/zovCurrent.h>
#include <zov/zovKernel.h>
#include <zov/zovSinkHours.h>

namespace zov {

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
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (auto& entry : order)
        names.push_back(std::move(entry.second));
    return names;
}

double running_hours(const zovCurrent& current, const vu_datetime& now)
{
    if (!current.active() || !(current.time() < now))
        return 0.0;
    return now.diff_hours(current.time());
}

day_total today_total(const zovSinkHours& today, const zovCurrent& current, const vu_datetime& now)
{
    day_total total;
    std::map<std::string, double> per_task;
    for (const zovSession& piece : today)
        per_task[piece.task()] += piece.hours();
    total.items = static_cast<int>(per_task.size());
    // Only the running part inside the range: a session begun yesterday
    // evening counts from midnight, and a clock set back counts nothing.
    if (current.active() && current.time() < today.hi()) {
        const vu_datetime from = max(current.time(), today.lo());
        const vu_datetime until = min(now, today.hi());
        if (from < until)
            per_task[current.task()] += until.diff_hours(from);
        else
            per_task.emplace(current.task(), 0.0);
    }
    for (const auto& task : per_task)
        total.hours += task.second;
    total.tasks.assign(per_task.begin(), per_task.end());
    return total;
}

std::string bad_name_message(const std::string& name)
{
    // A name far too long is shown by its beginning, cut on a character boundary.
    constexpr std::size_t shown = 40;
    std::string text = name;
    if (text.size() > shown + 3) {
        std::size_t cut = shown;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80)
            --cut;
        text = text.substr(0, cut) + "...";
    }
    return "\"" + text + "\" cannot be a task name. Task names are one word of at most "
           + std::to_string(zovKernel::max_task_name)
           + " bytes, without blanks or tabs, not beginning with \"%\".";
}

std::string write_failed_message(const std::string& dir)
{
    return "Could not write the task files in the data folder " + dir
           + ". Check that the folder exists and can be written.";
}

std::string state_kept_aside_message(const std::string& dir, const std::string& kept)
{
    return "The recording state in " + dir + "CURRENT.TSK could not be read. It was kept as " + dir + kept
           + "; recording starts afresh, not running.";
}

std::string state_unreadable_message(const std::string& dir)
{
    return "The recording state in " + dir
           + "CURRENT.TSK cannot be read. The next log-in, switch or log-out keeps it aside and starts afresh.";
}

}  // namespace zov
