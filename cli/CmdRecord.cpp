// status, login, next, logout, tasks: the recording cycle and what the tray
// shows of it.
#include <sstream>

#include <zov/zovDays.h>
#include <zov/zovKernel.h>

#include "Commands.h"
#include "Output.h"

namespace zovcli {

namespace {

// "08:00" for a time of today, "2026-12-09 17:00" for an earlier day.
std::string since_text(const vu_datetime& t, const vu_datetime& now)
{
    if (t.is_not_a_date_time())
        return "?";
    if (t.date() == now.date())
        return t.to_format_string("%H:%M");
    return t.to_format_string("%Y-%m-%d %H:%M");
}

// The kernel's word on a change it refused or could not make.
int refused_by_kernel(context& c)
{
    return c.fail(refused, c.kernel.message());
}

}  // namespace

int cmd_status(context& c, format f)
{
    const zov::day_range today = zov::today_range(c.now);
    // State and log of one moment, after a due daily log-out.
    const zovSnapshot snap = c.kernel.snapshot(today.lo, today.hi);
    if (!snap.read_ok)
        return c.read_failed();
    const zovCurrent& current = snap.current;
    const zov::day_total total = zov::today_total(snap.hours, current, c.now);
    const double running = zov::running_hours(current, c.now);
    std::ostringstream text;
    if (f == format::json) {
        nlohmann::json j = {{"task", current.task()},
                            {"active", current.active()},
                            {"since", current.time().is_not_a_date_time() ? std::string() : iso(current.time())},
                            {"hours", hours_value(running)},
                            {"today", hours_value(total.hours)},
                            {"items", total.items}};
        text << json_line(j) << '\n';
    } else if (f == format::waybar) {
        // The same words as the tray's tooltip.
        const std::string state = current.active() ? "Working " + hours_text(running, 1) + "h" : "Sleeping";
        nlohmann::json j = {
            {"text", current.active() ? current.task() + " " + hours_text(running, 1) + "h" : current.task()},
            {"tooltip", current.task() + " - " + state + "\nToday " + hours_text(total.hours, 1) + "h - ("
                            + std::to_string(total.items) + " items)"},
            {"class", current.active() ? "working" : "sleeping"}};
        text << json_line(j) << '\n';
    } else {
        text << current.task() << (current.active() ? " working since " : " sleeping since ")
             << since_text(current.time(), c.now);
        if (current.active())
            text << " (" << hours_text(running, 1) << "h)";
        text << ", today " << hours_text(total.hours, 1) << "h\n";
    }
    c.out << text.str() << std::flush;
    return ok;
}

int cmd_login(context& c, const std::string& task)
{
    const std::string name = trimmed(task);
    if (!name.empty() && !zovKernel::is_valid_task_name(name))
        return c.fail(refused, zov::bad_name_message(name));
    if (!c.kernel.login(name))
        return refused_by_kernel(c);
    return cmd_status(c, format::text);
}

int cmd_next(context& c, const std::string& task)
{
    const std::string name = trimmed(task);
    if (!zovKernel::is_valid_task_name(name))
        return c.fail(refused, zov::bad_name_message(name));
    if (!c.kernel.next(name))
        return refused_by_kernel(c);
    return cmd_status(c, format::text);
}

int cmd_logout(context& c)
{
    if (!c.kernel.logout())
        return refused_by_kernel(c);
    return cmd_status(c, format::text);
}

int cmd_tasks(context& c)
{
    const zov::day_range range = zov::recent_range(c.now);
    const zovSnapshot snap = c.kernel.snapshot(range.lo, range.hi);
    if (!snap.read_ok)
        return c.read_failed();
    const std::vector<std::string> names = zov::recent_tasks(snap.hours);
    std::ostringstream text;
    for (const std::string& name : names)
        text << name << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
