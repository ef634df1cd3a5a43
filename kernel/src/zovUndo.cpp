// zovKernel: the record of each change (JOURNAL.TSK), and undo, which
// appends the change's lines reversed and restores the state before it.
#include <zov/zovKernel.h>

#include <sstream>
#include <set>

#include <zov/zovDays.h>
#include <zov/zovRules.h>
#include <zov/zovHours.h>
#include <zov/zovJournal.h>
#include <zov/zovUndo.h>

#include "zovLock.h"

namespace {

zovJournal::state state_of(const zovCurrent& c)
{
    return {c.task(), c.time(), c.active()};
}

vu_datetime now_time()
{
    vu_datetime now;
    now.set_local_time();
    return now;
}

}  // namespace

zovKernel::change_mark zovKernel::mark() const
{
    change_mark m;
    m.hours = zovJournal::size_of(m_dir + "HOURS.TSK");
    m.loginout = zovJournal::size_of(m_dir + "LOGINOUT.TSK");
    m.state = state_of(m_current);
    return m;
}

void zovKernel::record(const change_mark& before, const std::string& what)
{
    // The change is made: a record that cannot be written leaves it standing,
    // and undo then refuses, as the files no longer match the record.
    zovJournal::entry e;
    e.stamp.set_local_time();
    e.hours_from = before.hours;
    e.hours_to = zovJournal::size_of(m_dir + "HOURS.TSK");
    e.loginout_from = before.loginout;
    e.loginout_to = zovJournal::size_of(m_dir + "LOGINOUT.TSK");
    e.before = before.state;
    e.after = state_of(m_current);
    if (e.hours_to == e.hours_from && e.loginout_to == e.loginout_from && e.before == e.after)
        return;  // nothing changed
    if (before.hours < 0 || e.hours_to < before.hours || before.loginout < 0 || e.loginout_to < before.loginout
        || !zovJournal::hash_of(m_dir + "HOURS.TSK", e.hours_from, e.hours_to, e.hours_hash))
        return;
    e.what = what;
    zovJournal(m_dir).append(e);
}

namespace {

// The newest entry, and the newest change that no undo took back yet.
struct targets
{
    bool any = false;
    zovJournal::entry latest;
    bool found = false;
    zovJournal::entry change;
};

bool find_targets(const std::string& dir, targets& t)
{
    std::set<std::int64_t> undone;
    return zovJournal(dir).newest_first([&](const zovJournal::entry& e) {
        if (!t.any) {
            t.any = true;
            t.latest = e;
        }
        if (e.undo) {
            undone.insert(e.target);
            return true;
        }
        if (undone.count(e.id))
            return true;
        t.found = true;
        t.change = e;
        return false;
    });
}

}  // namespace

std::string zovKernel::undo_what() const
{
    targets t;
    if (!find_targets(m_dir, t) || !t.found)
        return std::string();
    return t.change.what;
}

bool zovKernel::undo(bool dry_run, zovUndoPlan& plan)
{
    m_error = error::none;
    plan = zovUndoPlan();
    zovLock lock(m_dir, wait_ms());
    if (!lock.held())
        return fail(error::busy, "Another program is changing the task files; try again.");
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    bool done = false;
    if (!dry_run && !make_up_logout(now, done))
        return false;

    targets t;
    if (!find_targets(m_dir, t))
        return fail(error::unreadable, "could not read " + m_dir + "JOURNAL.TSK");
    if (!t.found)
        return fail(error::changed, "There is no change to undo.");
    const zovJournal::entry& g = t.change;
    plan.what = g.what;
    plan.state = g.before;
    if (zovJournal::size_of(m_dir + "HOURS.TSK") != t.latest.hours_to
        || zovJournal::size_of(m_dir + "LOGINOUT.TSK") != t.latest.loginout_to)
        return fail(error::changed, "The task files changed since the last recorded change (by hand, or by a "
                                    "change cut short); nothing was undone.");
    if (state_of(m_current) != g.after)
        return fail(error::changed, "The state is not the one that " + g.what + " left; nothing was undone.");
    std::uint64_t hash = 0;
    std::string bytes;
    if (!zovJournal::hash_of(m_dir + "HOURS.TSK", g.hours_from, g.hours_to, hash, &bytes) || hash != g.hours_hash)
        return fail(error::changed, "HOURS.TSK no longer holds the lines of " + g.what + "; nothing was undone.");
    std::vector<zovSession> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        const zovSession s(line);
        if (s.is_valid())
            lines.push_back(s);
    }
    // Newest first, so that a closing line is taken back before what it closed.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        plan.lines.push_back(zovSession(*it).reverse());
    // A daily log-out taken back while it is still due would only be made up
    // again at once.
    if (!g.after.active && g.before.active) {
        const zovSettings s = settings();
        if (!zov::auto_logout_instant(s.auto_logout, g.before.time, now, s.auto_logout_set).is_not_a_date_time())
            return fail(error::changed, "The daily log-out would end the session again at once; "
                                        "nothing was undone.");
    }
    if (dry_run)
        return true;

    const change_mark before = mark();
    const zovHours hours(m_dir);
    // The stamp first, then the state, then the lines: a cut-short undo is
    // either not done or read back by repair() as the state it restores.
    const bool stamp_in = g.before.active && !g.after.active;
    const bool stamp_out = !g.before.active && g.after.active;
    if (stamp_in && !m_loginout.login(g.before.time))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    if (stamp_out && !m_loginout.logout(g.after.time))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    auto take_back_stamp = [&] {
        if (stamp_in)
            m_loginout.take_back_login(g.before.time);
        if (stamp_out)
            m_loginout.take_back_logout(g.after.time);
    };
    if (g.before != g.after && !m_current.write(g.before.task, g.before.time, g.before.active)) {
        take_back_stamp();
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    }
    if (!plan.lines.empty() && !hours.write(plan.lines)) {
        if (g.before != g.after)
            m_current.write(g.after.task, g.after.time, g.after.active);
        take_back_stamp();
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    }
    zovJournal::entry e;
    e.undo = true;
    e.target = g.id;
    e.stamp = now;
    e.hours_from = before.hours;
    e.hours_to = zovJournal::size_of(m_dir + "HOURS.TSK");
    e.loginout_from = before.loginout;
    e.loginout_to = zovJournal::size_of(m_dir + "LOGINOUT.TSK");
    e.before = before.state;
    e.after = state_of(m_current);
    zovJournal::hash_of(m_dir + "HOURS.TSK", e.hours_from, e.hours_to, e.hours_hash);
    e.what = "undo of " + g.what;
    zovJournal(m_dir).append(e);
    return true;
}
