#include <zov/zovKernel.h>

#include <vector>

#include <zov/zovHours.h>
#include <zov/zovTimeSheet.h>

#include "zovLock.h"

namespace {

int lock_wait_ms = 5000;

vu_datetime now_time()
{
    vu_datetime now;
    now.set_local_time();
    return now;
}

}  // namespace

zovKernel::zovKernel(const std::string& dir, access mode)
{
    zovFile::set_dir(dir);
    if (mode == access::read_only)
        return;
    zovCurrent::init(&m_kept_aside);
    zovHours::init();
    zovLoginOut::init();
    zovLock lock(dir, lock_wait_ms);
    if (lock.held())
        repair();
}

zovKernel::~zovKernel() = default;

bool zovKernel::state_readable() const
{
    zovCurrent state;
    return state.read() || state.is_blank();
}

std::string zovKernel::kernel_name()
{
    return "Zovaro";
}

std::string zovKernel::dir() const
{
    return zovFile::get_dir();
}

void zovKernel::set_lock_wait(int milliseconds)
{
    lock_wait_ms = milliseconds < 0 ? 0 : milliseconds;
}

bool zovKernel::is_valid_task_name(const std::string& task)
{
    if (task.empty() || task[0] == '%' || task.size() > max_task_name)
        return false;
    for (const char c : task) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

const zovCurrent& zovKernel::current()
{
    m_current.read();
    return m_current;
}

// A change writes at most three files, in an order that leaves evidence of
// how far it got: a log-out is stamped in LOGINOUT.TSK first, the closed
// session is appended to HOURS.TSK next, CURRENT.TSK is replaced last. So
// when CURRENT.TSK still shows a session running since T but the last line of
// HOURS.TSK is that very session (same task, begun at T), the change was cut
// short after the append: the session is closed, and it must not be recorded
// again. Whether it went on (a switch) or stopped (a log-out) the last line
// of LOGINOUT.TSK tells. A switch's new task name is lost that way; its time
// is not: it runs on under the old name.
void zovKernel::repair()
{
    // A correction's lines that a power cut left only partly on disk go
    // first: whole or not at all.
    zovHours().drop_unfinished_batch();
    if (!m_current.read() || !m_current.active())
        return;
    const std::string task = m_current.task();
    const vu_datetime begin = m_current.time();
    const vu_datetime logout_at = m_loginout.last_logout();
    const bool logging_out = !logout_at.is_not_a_date_time() && !(logout_at < begin);

    const zovHours hours;
    std::string line;
    const zovFile::read_status found = hours.read_last(line);
    if (found == zovFile::read_status::failed)
        return;  // nothing can be told; leave the files alone
    const zovSession last(found == zovFile::read_status::lines ? line : std::string());
    if (last.is_valid() && last.task() == task && last.tbeg() == begin && !(last.tend() < begin)) {
        const vu_datetime end = last.tend();
        m_current.write(task, end, !(logging_out && logout_at == end));
        return;
    }
    // Stamped as logged out, but the session never reached HOURS.TSK.
    if (logging_out && hours.write(zovSession(task, begin, logout_at)))
        m_current.write(task, logout_at, false);
}

bool zovKernel::login(const std::string& task)
{
    if (!task.empty() && !is_valid_task_name(task))
        return false;
    zovLock lock(dir(), lock_wait_ms);
    if (!lock.held())
        return false;
    repair();
    m_current.read();
    if (m_current.active())
        return true;
    const std::string name = task.empty() ? m_current.task() : task;
    const vu_datetime now = now_time();
    // The stamp first: a log-in is then never followed by an older "LOGOUT"
    // line, which would read as a log-out cut short.
    if (!m_loginout.login(now))
        return false;
    if (!m_current.write(name, now, true)) {
        m_loginout.take_back_login(now);
        return false;
    }
    return true;
}

bool zovKernel::logout()
{
    return logout(now_time());
}

bool zovKernel::logout(const vu_datetime& at)
{
    zovLock lock(dir(), lock_wait_ms);
    if (!lock.held())
        return false;
    repair();
    m_current.read();
    if (!m_current.active())
        return true;
    // Neither in the future nor before the begin: a clock set back since the
    // log-in must not give a session of negative length.
    vu_datetime end = now_time();
    if (!at.is_not_a_date_time() && at < end)
        end = at;
    if (end < m_current.time())
        end = m_current.time();
    return logout_locked(end);
}

bool zovKernel::logout_locked(const vu_datetime& end)
{
    const zovHours hours;
    const zovSession closed(m_current.task(), m_current.time(), end);
    if (!m_loginout.logout(end))
        return false;
    if (!hours.write(closed)) {
        m_loginout.take_back_logout(end);
        return false;
    }
    if (!m_current.write(m_current.task(), end, false)) {
        // Still running: its closing line would count the time twice.
        hours.take_back(closed);
        m_loginout.take_back_logout(end);
        return false;
    }
    return true;
}

bool zovKernel::next(const std::string& task)
{
    const vu_datetime t1 = now_time();
    if (!is_valid_task_name(task))
        return false;
    zovLock lock(dir(), lock_wait_ms);
    if (!lock.held())
        return false;
    repair();
    m_current.read();
    if (!m_current.active())
        return m_current.write(task, t1, false);
    if (task == m_current.task())
        return true;
    // The closed session ends where the next begins: nothing lost or counted
    // twice; never before its own begin.
    vu_datetime t2 = now_time();
    if (t2 < m_current.time())
        t2 = m_current.time();
    const zovHours hours;
    const zovSession closed(m_current.task(), m_current.time(), t2);
    if (!hours.write(closed))
        return false;
    if (!m_current.write(task, t2, true)) {
        hours.take_back(closed);
        return false;
    }
    return true;
}

const zovSinkHours& zovKernel::hours(const vu_datetime& lo, const vu_datetime& hi)
{
    m_hours = zovSinkHours(lo, hi);
    m_read_ok = zovHours().read_lines(m_hours, lo, hi) != zovFile::read_status::failed;
    return m_hours;
}

bool zovKernel::session(const zovSession& session, zovSinkHours& out)
{
    out = zovSinkHours(session.tbeg(), session.tend());
    // Refuse before cancelling anything: a session that could not be written
    // afterwards would leave the overlapped time destroyed.
    if (!session.is_valid() || !is_valid_task_name(session.task()) || session.hours() < 0.0)
        return false;
    return correct(session.tbeg(), session.tend(), &session, out);
}

bool zovKernel::cancel(const vu_datetime& from, const vu_datetime& until, zovSinkHours& out)
{
    out = zovSinkHours(from, until);
    if (from.is_not_a_date_time() || until.is_not_a_date_time() || until < from)
        return false;
    return correct(from, until, nullptr, out);
}

bool zovKernel::correct(const vu_datetime& lo, const vu_datetime& hi, const zovSession* session,
                        zovSinkHours& out)
{
    zovLock lock(dir(), lock_wait_ms);
    if (!lock.held())
        return false;
    repair();
    m_hours = zovSinkHours(lo, hi);
    const zovHours hours;
    m_read_ok = hours.read_lines(m_hours) != zovFile::read_status::failed;
    // Cancelling lines computed from part of the file would be wrong.
    if (!m_read_ok)
        return false;
    std::vector<zovSession> lines;
    for (zovSession& piece : m_hours)
        lines.push_back(piece.reverse());

    // The running session is not in HOURS.TSK yet; the time the correction
    // covers is taken from it too. It is closed at the correction's end (its
    // part within the span cancelled like any other) and goes on from there,
    // unless that end is not in the past: then the correction replaced it.
    const vu_datetime now = now_time();
    m_current.read();
    const bool running = m_current.active() && m_current.time() < hi;
    const bool ends = running && !(hi < now);
    zovSession closing;
    if (running) {
        closing = zovSession(m_current.task(), m_current.time(), hi);
        zovSession piece;
        if (closing.intersection(zovSession("%range", lo, hi), piece))
            lines.push_back(piece.reverse());
    }
    if (session)
        lines.push_back(*session);
    // The closing line goes last: it shows a crash before the state is
    // stored that the running session was already closed.
    if (running)
        lines.push_back(closing);
    if (lines.empty())
        return true;  // nothing recorded there, nothing running: nothing to cancel

    if (ends && !m_loginout.logout(hi))
        return false;
    // The lines go out in one write, whole or not at all.
    if (!hours.write(lines)) {
        if (ends)
            m_loginout.take_back_logout(hi);
        return false;
    }
    if (running && !m_current.write(m_current.task(), hi, !ends)) {
        hours.take_back(lines);
        if (ends)
            m_loginout.take_back_logout(hi);
        return false;
    }
    for (const zovSession& line : lines)
        out.push_back(line);
    return true;
}

double zovKernel::tsheet(zovTimeSheet& sheet)
{
    zovSinkWeek& week = sheet.hours();
    // Only blocks with time near the week can hold a part of it; two days
    // either side is more than any zone's offset can shift a week's ends.
    vu_datetime first, next;
    first.set_time_t(vu_datetime::year_week_monday(week.year(), week.week()).to_time_t() - 2 * 86400);
    next.set_time_t(vu_datetime::year_week_monday(week.year(), week.week() + 1).to_time_t() + 2 * 86400);
    m_read_ok = zovHours().read_lines(week, first, next) != zovFile::read_status::failed;
    m_current.read();
    // The running session counts with its part inside the week.
    const vu_datetime now = now_time();
    if (m_current.active() && !week.first().is_not_a_date_time() && m_current.time() < week.next()
        && !(now < week.first())) {
        // A clock set back below the begin counts nothing, never less.
        week.push_back(zovSession(m_current.task(), m_current.time(), max(now, m_current.time())));
        sheet.set_active_task(m_current.task());
    }
    return sheet.compute_time_sheet();
}
