// status, login, next, logout, tasks: the recording cycle and what the tray
// shows of it.
#include <sstream>

#include <zov/zovDays.h>
#include <zov/zovKernel.h>

#include "Args.h"
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

namespace {

// WHEN of --at, checked against now and the earliest instant it may take;
// `earliest_name` says what that instant is.
int read_when(context& c, const std::string& text, const vu_datetime& earliest, const std::string& earliest_name,
              vu_datetime& when)
{
    if (const int rc = read_instant(c, "WHEN", text, when))
        return rc;
    if (c.now < when)
        return c.fail(refused, "WHEN (" + text + ") is after now (" + since_text(c.now, c.now) + ")");
    if (when < earliest)
        return c.fail(refused, "WHEN (" + text + ") is before " + earliest_name + " (" + since_text(earliest, c.now) + ")");
    return ok;
}

}  // namespace

int cmd_login(context& c, const std::string& task, const std::string& at)
{
    const std::string name = trimmed(task);
    if (!name.empty() && !zovKernel::is_valid_task_name(name))
        return c.fail(refused, zov::bad_name_message(name));
    // Logging in to another task while one runs changes nothing: say so.
    const zovCurrent& before = c.kernel.current();
    if (before.active() && !name.empty() && name != before.task())
        return c.fail(refused, before.task() + " is running since " + since_text(before.time(), c.now)
                                   + "; to switch to " + name + ": zov next " + name);
    vu_datetime when;
    if (!at.empty() && !before.active()) {
        if (const int rc = read_when(c, at, before.time(), "the last log-out", when))
            return rc;
    }
    if (!c.kernel.login(name, when))
        return c.change_failed();
    return cmd_status(c, format::text);
}

int cmd_next(context& c, const std::string& task, const std::string& at)
{
    const std::string name = trimmed(task);
    if (!zovKernel::is_valid_task_name(name))
        return c.fail(refused, zov::bad_name_message(name));
    vu_datetime when;
    if (!at.empty()) {
        const zovCurrent before = c.kernel.current();
        if (!before.active())
            return c.fail(refused, "nothing runs to switch from; to begin " + name + " then: zov login " + name
                                       + " --at " + at);
        if (const int rc = read_when(c, at, before.time(), "the running session's begin", when))
            return rc;
    }
    if (!c.kernel.next(name, when))
        return c.change_failed();
    return cmd_status(c, format::text);
}

int cmd_logout(context& c, const std::string& at)
{
    bool done = true;
    if (at.empty()) {
        done = c.kernel.logout();
    } else {
        const zovCurrent before = c.kernel.current();
        vu_datetime when;
        if (before.active()) {
            if (const int rc = read_when(c, at, before.time(), "the running session's begin", when))
                return rc;
            // The very session seen here, or none: another program may have
            // switched in between.
            done = c.kernel.logout(when, before.time());
        }
    }
    if (!done)
        return c.change_failed();
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
