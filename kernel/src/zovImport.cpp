// zovKernel::import_sessions: another program's records, added as one change.
#include <zov/zovKernel.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

#include <zov/zovDays.h>
#include <zov/zovHours.h>
#include <zov/zovImport.h>
#include <zov/zovNetSessions.h>

#include "zovLock.h"

namespace {

vu_datetime now_time()
{
    vu_datetime now;
    now.set_local_time();
    return now;
}

struct span
{
    std::int64_t lo;
    std::int64_t hi;
};

// The union of the recorded spans, sorted and merged, for a binary search.
std::vector<span> covered(const std::vector<zov::net_session>& net)
{
    std::vector<span> all;
    all.reserve(net.size());
    for (const zov::net_session& s : net)
        all.push_back({s.begin, s.end});
    std::sort(all.begin(), all.end(), [](const span& a, const span& b) { return a.lo < b.lo; });
    std::vector<span> merged;
    for (const span& s : all) {
        if (!merged.empty() && s.lo <= merged.back().hi)
            merged.back().hi = std::max(merged.back().hi, s.hi);
        else
            merged.push_back(s);
    }
    return merged;
}

bool overlaps(const std::vector<span>& merged, std::int64_t lo, std::int64_t hi)
{
    // The last merged span that begins before hi is the only candidate.
    auto it = std::lower_bound(merged.begin(), merged.end(), hi, [](const span& s, std::int64_t v) { return s.lo < v; });
    return it != merged.begin() && std::prev(it)->hi > lo;
}

}  // namespace

bool zovKernel::import_sessions(const std::vector<zovSession>& given, bool replace, bool dry_run, zovImportPlan& plan)
{
    plan = zovImportPlan();
    std::vector<zovSession> sessions;
    sessions.reserve(given.size());
    for (const zovSession& s : given)
        if (s.is_valid() && is_valid_task_name(s.task()) && s.tbeg() < s.tend())
            sessions.push_back(s);
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const zovSession& a, const zovSession& b) { return a.tbeg() < b.tbeg(); });

    m_error = error::none;
    zovLock lock(m_dir, wait_ms());
    if (!lock.held())
        return fail(error::busy, "Another program is changing the task files; try again.");
    repair();
    if (!ready())
        return false;
    bool done = false;
    if (!dry_run && !make_up_logout(now_time(), done))
        return false;
    if (sessions.empty())
        return true;

    vu_datetime lo = sessions.front().tbeg(), hi = sessions.front().tend();
    for (const zovSession& s : sessions)
        hi = max(hi, s.tend());
    m_hours = zovSinkHours(lo, hi);
    const zovHours hours(m_dir);
    m_read_ok = hours.read_lines(m_hours, lo, hi) != zovFile::read_status::failed;
    if (!m_read_ok)
        return fail(error::unreadable, "could not read " + m_dir + "HOURS.TSK");
    const std::vector<zov::net_session> net = zov::net_sessions(std::vector<zovSession>(m_hours.begin(), m_hours.end()));
    std::set<std::tuple<std::string, std::int64_t, std::int64_t>> recorded;
    for (const zov::net_session& s : net)
        recorded.emplace(s.task, s.begin, s.end);
    const std::vector<span> merged = covered(net);

    const bool running = m_current.active();
    const std::int64_t run_lo = running ? m_current.time().to_time_t() : 0;
    const std::int64_t now = vu_datetime::now_time_t();
    std::int64_t taken_until = INT64_MIN;  // the end of what this import takes so far
    for (const zovSession& s : sessions) {
        const std::int64_t b = s.tbeg().to_time_t();
        const std::int64_t e = s.tend().to_time_t();
        if (recorded.count(std::make_tuple(s.task(), b, e))) {
            plan.present.push_back(s);
            continue;
        }
        const bool on_running = running && e > run_lo && b < now;
        const bool on_itself = b < taken_until;
        if (!on_running && !on_itself && !overlaps(merged, b, e)) {
            plan.added.push_back(s);
            plan.written.push_back(s);
            taken_until = std::max(taken_until, e);
            continue;
        }
        if (!replace || on_running || on_itself) {
            plan.overlapping.push_back(s);
            continue;
        }
        // As a correction: every recorded piece within the span reversed.
        for (const zovSession& piece : m_hours) {
            zovSession part;
            if (piece.intersection(zovSession("%range", s.tbeg(), s.tend()), part))
                plan.written.push_back(part.reverse());
        }
        plan.written.push_back(s);
        plan.replaced.push_back(s);
        taken_until = std::max(taken_until, e);
    }
    if (dry_run || plan.written.empty())
        return true;
    const change_mark before = mark();
    if (!hours.write(plan.written))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    const std::size_t n = plan.added.size() + plan.replaced.size();
    record(before, "import of " + std::to_string(n) + (n == 1 ? " session" : " sessions"));
    return true;
}
