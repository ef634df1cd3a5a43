#include <zov/zovKernel.h>

#include <unistd.h>

#include <vector>

#include <zov/zovDataDir.h>
#include <zov/zovDays.h>
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

vu_datetime seconds_before(const vu_datetime& t, std::int64_t seconds)
{
    vu_datetime earlier;
    earlier.set_time_t(t.to_time_t() - seconds);
    return earlier;
}

const char* const busy_message = "Another program is changing the task files; try again.";

// "2026-12-07 09:00 to 10:00", for the record of a change.
std::string span_text(const vu_datetime& lo, const vu_datetime& hi)
{
    return lo.to_format_string("%Y-%m-%d %H:%M") + " to "
           + hi.to_format_string(lo.date() == hi.date() ? "%H:%M" : "%Y-%m-%d %H:%M");
}

}  // namespace

zovKernel::zovKernel(const std::string& dir, access mode) : zovKernel(dir, zov::settings_file(), mode) {}

zovKernel::zovKernel(const std::string& dir, const std::string& settings_file, access mode)
    : m_dir(dir), m_settings_file(settings_file), m_loginout(dir), m_current(dir)
{
    if (mode == access::read_only)
        return;
    zovCurrent::init(dir, &m_kept_aside);
    zovHours::init(dir);
    zovLoginOut::init(dir);
    // A correction that a power cut left in part, and a change cut short. No
    // wait: a program that holds the lock is changing the files, and every
    // change repairs first; waiting here would double the wait of the change
    // that follows.
    zovLock lock(dir, 0);
    if (lock.held())
        repair();
}

zovKernel::~zovKernel() = default;

bool zovKernel::state_readable() const
{
    zovCurrent state(m_dir);
    return state.read() || state.is_blank();
}

std::string zovKernel::kernel_name()
{
    return "Zovaro";
}

std::string zovKernel::dir() const
{
    return m_dir;
}

zovSettings zovKernel::settings() const
{
    return m_settings_held ? m_held : zovSettings::read(m_settings_file);
}

void zovKernel::hold_settings(const zovSettings& settings)
{
    m_held = settings;
    m_settings_held = true;
}

void zovKernel::release_settings()
{
    m_settings_held = false;
}

bool zovKernel::fail(error e, const std::string& message)
{
    m_error = e;
    m_message = message;
    return false;
}

bool zovKernel::is_storable_time(const vu_datetime& t)
{
    if (t.is_not_a_date_time())
        return false;
    vu_datetime back;
    return back.parse_readable_datetime_string(t.to_readable_datetime_string()) && back == t;
}

int zovKernel::wait_ms()
{
    return lock_wait_ms;
}

void zovKernel::set_lock_wait(int milliseconds)
{
    lock_wait_ms = milliseconds < 0 ? 0 : milliseconds;
}

bool zovKernel::is_valid_task_name(const std::string& task)
{
    if (task.empty() || task[0] == '%' || task.size() > max_task_name)
        return false;
    // Blanks beyond ASCII, in UTF-8: a name holding one looks like two words
    // and cannot be typed back. U+0085, U+00A0, U+1680, U+2000-U+200B,
    // U+2028, U+2029, U+202F, U+205F, U+3000 and U+FEFF.
    static const char* const blanks[] = {"\xc2\x85", "\xc2\xa0", "\xe1\x9a\x80", "\xe2\x80\xa8",
                                         "\xe2\x80\xa9", "\xe2\x80\xaf", "\xe2\x81\x9f",
                                         "\xe3\x80\x80", "\xef\xbb\xbf"};
    for (std::size_t i = 0; i < task.size(); ++i) {
        const unsigned char u = static_cast<unsigned char>(task[i]);
        if (u <= 0x20 || u == 0x7f)
            return false;
        if (u < 0xc2)
            continue;
        if (u == 0xe2 && i + 2 < task.size() && task[i + 1] == '\x80'
            && static_cast<unsigned char>(task[i + 2]) <= 0x8b)
            return false;  // U+2000-U+200B
        for (const char* blank : blanks)
            if (task.compare(i, std::char_traits<char>::length(blank), blank) == 0)
                return false;
    }
    return true;
}

const zovCurrent& zovKernel::current()
{
    zovLock lock(m_dir, lock_wait_ms);
    if (lock.held()) {
        repair();
        if (m_current.read()) {
            bool done = false;
            make_up_logout(now_time(), done);  // a failed write shows as still running
        }
    } else {
        m_current.read();
    }
    return m_current;
}

bool zovKernel::ready()
{
    std::string line;
    if (zovHours(m_dir).read_last(line) == zovFile::read_status::failed)
        return fail(error::unreadable, "could not read " + m_dir + "HOURS.TSK");
    // An unreadable state line leaves the last known state: a hand edit gone
    // wrong must not stop the user from logging out.
    m_current.read();
    if (::access(m_dir.empty() ? "." : m_dir.c_str(), W_OK) != 0)
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    return true;
}

bool zovKernel::make_up_logout(const vu_datetime& at, bool& done)
{
    done = false;
    if (!m_current.active())
        return true;
    const zovSettings s = settings();
    const vu_datetime due = zov::auto_logout_instant(s.auto_logout, m_current.time(), at, s.auto_logout_set);
    if (due.is_not_a_date_time())
        return true;
    if (!logout_locked(due, "daily log-out at " + due.to_format_string("%H:%M")))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    done = true;
    return true;
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
    zovHours(m_dir).drop_unfinished_batch();
    if (!m_current.read() || !m_current.active())
        return;
    const std::string task = m_current.task();
    const vu_datetime begin = m_current.time();
    const vu_datetime logout_at = m_loginout.last_logout();
    const bool logging_out = !logout_at.is_not_a_date_time() && !(logout_at < begin);

    const zovHours hours(m_dir);
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

bool zovKernel::login(const std::string& task, const vu_datetime& at)
{
    m_error = error::none;
    if (!task.empty() && !is_valid_task_name(task))
        return fail(error::bad_name, zov::bad_name_message(task));
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    bool done = false;
    if (!make_up_logout(now, done))
        return false;
    if (m_current.active())
        return true;
    const std::string name = task.empty() ? m_current.task() : task;
    if (!is_valid_task_name(name))
        return fail(error::bad_name, zov::bad_name_message(name));
    vu_datetime begin = now;
    if (!at.is_not_a_date_time()) {
        // Not in the future, and not before the last change of the state:
        // the time since then may be recorded already.
        if (now < at)
            return fail(error::bad_range, "A log-in cannot lie after now; nothing was changed.");
        if (at < m_current.time())
            return fail(error::bad_range, "A log-in cannot lie before the last log-out ("
                                              + m_current.time().to_readable_datetime_string()
                                              + "); nothing was changed.");
        begin = at;
    }
    const change_mark before = mark();
    // The stamp first: a log-in is then never followed by an older "LOGOUT"
    // line, which would read as a log-out cut short.
    if (!m_loginout.login(begin))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    if (!m_current.write(name, begin, true)) {
        m_loginout.take_back_login(begin);
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    }
    record(before, "log-in to " + name);
    return true;
}

bool zovKernel::logout()
{
    m_error = error::none;
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    bool done = false;
    if (!make_up_logout(now, done))
        return false;
    if (done || !m_current.active())
        return true;
    // Never before the begin: a clock set back since the log-in must not
    // give a session of negative length.
    const vu_datetime end = max(now, m_current.time());
    if (!logout_locked(end, "log-out at " + end.to_format_string("%H:%M")))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    return true;
}

bool zovKernel::logout(const vu_datetime& at, const vu_datetime& expected_begin)
{
    m_error = error::none;
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    const vu_datetime end = at.is_not_a_date_time() || now < at ? now : at;
    const bool expected = m_current.active() && m_current.time() == expected_begin;
    bool done = false;
    if (!make_up_logout(end, done))
        return false;
    if (done && expected)
        return true;  // the daily log-out closed it earlier than asked
    if (!expected || done)
        return fail(error::changed, "The session that began at " + expected_begin.to_readable_datetime_string()
                                        + " no longer runs; nothing was changed.");
    const vu_datetime closed = max(end, m_current.time());
    if (!logout_locked(closed, "log-out at " + closed.to_format_string("%H:%M")))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    return true;
}

bool zovKernel::apply_due_logout()
{
    m_error = error::none;
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    bool done = false;
    return make_up_logout(now_time(), done) && done;
}

bool zovKernel::logout_locked(const vu_datetime& end, const std::string& what)
{
    const change_mark before = mark();
    const zovHours hours(m_dir);
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
    record(before, what);
    return true;
}

bool zovKernel::next(const std::string& task, const vu_datetime& at)
{
    m_error = error::none;
    const vu_datetime t1 = now_time();
    if (!is_valid_task_name(task))
        return fail(error::bad_name, zov::bad_name_message(task));
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const bool given = !at.is_not_a_date_time();
    if (given && t1 < at)
        return fail(error::bad_range, "A switch cannot lie after now; nothing was changed.");
    // A daily log-out due before the switch ends the session first.
    bool done = false;
    if (!make_up_logout(given ? at : t1, done))
        return false;
    const change_mark before = mark();
    if (!m_current.active()) {
        if (given)
            return fail(error::changed, "Nothing runs at that time to switch from; nothing was changed.");
        if (!m_current.write(task, t1, false))
            return fail(error::unwritable, zov::write_failed_message(m_dir));
        record(before, "choice of " + task + " for the next log-in");
        return true;
    }
    if (task == m_current.task())
        return true;
    if (given && at < m_current.time())
        return fail(error::bad_range, "A switch cannot lie before the running session's begin ("
                                          + m_current.time().to_readable_datetime_string()
                                          + "); nothing was changed.");
    // The closed session ends where the next begins: nothing lost or counted
    // twice; never before its own begin.
    const vu_datetime t2 = given ? at : max(now_time(), m_current.time());
    const zovHours hours(m_dir);
    const zovSession closed(m_current.task(), m_current.time(), t2);
    if (!hours.write(closed))
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    if (!m_current.write(task, t2, true)) {
        hours.take_back(closed);
        return fail(error::unwritable, zov::write_failed_message(m_dir));
    }
    record(before, "switch to " + task);
    return true;
}

const zovSinkHours& zovKernel::hours(const vu_datetime& lo, const vu_datetime& hi)
{
    m_hours = zovSinkHours(lo, hi);
    m_read_ok = zovHours(m_dir).read_lines(m_hours, lo, hi) != zovFile::read_status::failed;
    return m_hours;
}

zovSnapshot zovKernel::snapshot(const vu_datetime& lo, const vu_datetime& hi)
{
    zovSnapshot snap(m_dir);
    const zovHours log(m_dir);
    zovLock lock(m_dir, lock_wait_ms);
    if (lock.held()) {
        // No program changes the files while the lock is held: the state and
        // the log are of one moment.
        repair();
        snap.now = now_time();
        if (m_current.read()) {
            bool done = false;
            make_up_logout(snap.now, done);
        }
        snap.current = m_current;
        snap.hours = zovSinkHours(lo, hi);
        snap.read_ok = log.read_lines(snap.hours, lo, hi) != zovFile::read_status::failed;
    } else {
        // A folder this user may only read (no lock file): the state read
        // before and after the log must agree, or the log is read again.
        for (int round = 0; round < 20; ++round) {
            zovCurrent before(m_dir), after(m_dir);
            before.read();
            snap.now = now_time();
            snap.hours = zovSinkHours(lo, hi);
            snap.read_ok = log.read_lines(snap.hours, lo, hi) != zovFile::read_status::failed;
            after.read();
            snap.current = after;
            if (before.task() == after.task() && before.time() == after.time() && before.active() == after.active())
                break;
        }
        m_current = snap.current;
    }
    m_read_ok = snap.read_ok;
    return snap;
}

bool zovKernel::check_span(const vu_datetime& lo, const vu_datetime& hi, const vu_datetime& now)
{
    if (!is_storable_time(lo) || !is_storable_time(hi))
        return fail(error::bad_range, "A correction must lie between 0000-01-02 and 9999-12-30, "
                                      "the dates the task files can hold; nothing was changed.");
    if (now < hi)
        return fail(error::bad_range, "A correction must end at the latest now ("
                                          + now.to_readable_datetime_string() + "); it ends at "
                                          + hi.to_readable_datetime_string() + ". Nothing was changed.");
    return true;
}

bool zovKernel::session(const zovSession& session, zovSinkHours& out)
{
    return correct(session, false, out);
}

bool zovKernel::correct(const zovSession& session, bool keep_active, zovSinkHours& out, bool dry_run)
{
    m_error = error::none;
    out = zovSinkHours(session.tbeg(), session.tend());
    // Refuse before cancelling anything: a session that could not be written
    // afterwards would leave the overlapped time destroyed.
    if (!is_valid_task_name(session.task()))
        return fail(error::bad_name, zov::bad_name_message(session.task()));
    if (!session.is_valid() || session.hours() < 0.0)
        return fail(error::bad_range, "A work session cannot end before it started.");
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    if (!check_span(session.tbeg(), session.tend(), now))
        return false;
    bool done = false;
    if (!dry_run && !make_up_logout(now, done))
        return false;
    return correct_locked(session.tbeg(), session.tend(), &session, keep_active, dry_run, out,
                          "correction " + session.task() + " " + span_text(session.tbeg(), session.tend()));
}

bool zovKernel::cancel(const vu_datetime& from, const vu_datetime& until, zovSinkHours& out, bool dry_run)
{
    m_error = error::none;
    out = zovSinkHours(from, until);
    if (from.is_not_a_date_time() || until.is_not_a_date_time() || until < from)
        return fail(error::bad_range, "A span cannot end before it begins.");
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    if (!check_span(from, until, now))
        return false;
    bool done = false;
    if (!dry_run && !make_up_logout(now, done))
        return false;
    return correct_locked(from, until, nullptr, false, dry_run, out, "cancel " + span_text(from, until));
}

bool zovKernel::away_log_out(const zov::away_question& question)
{
    m_error = error::none;
    if (!question.ask)
        return fail(error::changed, "There is no absence to answer.");
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    // Only the very session asked about: not one begun since.
    if (m_current.active() && m_current.task() == question.task && m_current.time() == question.begin) {
        const vu_datetime end = max(min(question.from, now), m_current.time());
        bool done = false;
        if (!make_up_logout(end, done))
            return false;
        if (done)
            return true;
        if (!logout_locked(end, "away answer: log-out at " + end.to_format_string("%H:%M")))
            return fail(error::unwritable, zov::write_failed_message(m_dir));
        return true;
    }
    // The daily log-out closed it inside the absence: its time from the
    // moment the user left is cancelled, as if logged out then.
    if (!m_current.active() && m_current.task() == question.task && m_current.time() == question.until
        && !(now < question.until)) {
        zovSinkHours recorded(question.from, question.until);
        if (zovHours(m_dir).read_lines(recorded, question.from, question.until) == zovFile::read_status::failed)
            return fail(error::unreadable, "could not read " + m_dir + "HOURS.TSK");
        double hours = 0.0;
        for (const zovSession& piece : recorded)
            hours += piece.hours();
        if (hours * 3600.0 < 1.0)
            return fail(error::changed, "The time after leaving was cancelled already.");
        zovSinkHours written;
        return correct_locked(question.from, question.until, nullptr, false, false, written,
                              "away answer: log-out at " + question.from.to_format_string("%H:%M"));
    }
    return fail(error::changed, "The session asked about no longer runs; nothing was changed.");
}

bool zovKernel::away_book(const zov::away_question& question, const std::string& task)
{
    m_error = error::none;
    if (!question.ask)
        return fail(error::changed, "There is no absence to answer.");
    if (!is_valid_task_name(task))
        return fail(error::bad_name, zov::bad_name_message(task));
    zovLock lock(m_dir, lock_wait_ms);
    if (!lock.held())
        return fail(error::busy, busy_message);
    repair();
    if (!ready())
        return false;
    const vu_datetime now = now_time();
    // A due daily log-out acts first, or the session would go on past it
    // from the booking's end.
    bool done = false;
    if (!make_up_logout(now, done))
        return false;
    // A booking that reaches the present would end the running session
    // rather than let it go on after it.
    const vu_datetime until = min(question.until, seconds_before(now, 1));
    if (!(question.from < until))
        return fail(error::bad_range, "The absence lies in the future; nothing was changed.");
    if (!check_span(question.from, until, now))
        return false;
    const zovSession booked(task, question.from, until);
    zovSinkHours written;
    return correct_locked(question.from, until, &booked, false, false, written,
                          "away answer: " + task + " " + span_text(question.from, until));
}

bool zovKernel::correct_locked(const vu_datetime& lo, const vu_datetime& hi, const zovSession* session,
                               bool keep_active, bool dry_run, zovSinkHours& out, const std::string& what)
{
    const change_mark before = mark();
    m_hours = zovSinkHours(lo, hi);
    const zovHours hours(m_dir);
    m_read_ok = hours.read_lines(m_hours) != zovFile::read_status::failed;
    // Cancelling lines computed from part of the file would be wrong.
    if (!m_read_ok)
        return fail(error::unreadable, "could not read " + m_dir + "HOURS.TSK");
    std::vector<zovSession> lines;
    for (zovSession& piece : m_hours)
        lines.push_back(piece.reverse());

    // The running session is not in HOURS.TSK yet; the time the correction
    // covers is taken from it too. It is closed at the correction's end (its
    // part within the span cancelled like any other) and goes on from there,
    // unless that end is now: then the correction replaced it.
    const vu_datetime now = now_time();
    const bool was_active = m_current.active();
    const bool running = was_active && m_current.time() < hi;
    const bool ends = running && !(hi < now) && !keep_active;
    zovSession closing;
    if (running) {
        closing = zovSession(m_current.task(), m_current.time(), hi);
        zovSession piece;
        if (closing.intersection(zovSession("%range", lo, hi), piece))
            lines.push_back(piece.reverse());
    }
    if (session)
        lines.push_back(*session);

    // What runs afterwards.
    std::string task = m_current.task();
    vu_datetime since = hi;
    bool active = running && !ends;
    bool login = false;
    if (keep_active) {
        task = session->task();
        active = true;
        if (!was_active) {
            login = true;  // nobody was logged in: the task runs from now
            since = now;
        } else if (!running) {
            // Logged in after the span's end: switched to the task now.
            since = max(now, m_current.time());
            if (m_current.task() != task)
                closing = zovSession(m_current.task(), m_current.time(), since);
            else
                since = m_current.time();
        }
    }
    // The closing line goes last: it shows a crash before the state is
    // stored that the running session was already closed.
    if (closing.is_valid())
        lines.push_back(closing);
    const bool state_changes = running || login || (keep_active && (task != m_current.task() || since != m_current.time()));
    if (lines.empty() && !state_changes)
        return true;  // nothing recorded there, nothing running: nothing to cancel

    if (dry_run) {
        for (const zovSession& line : lines)
            out.push_back(line);
        return true;
    }
    const std::string unwritable = zov::write_failed_message(m_dir);
    if (ends && !m_loginout.logout(hi))
        return fail(error::unwritable, unwritable);
    if (login && !m_loginout.login(now))
        return fail(error::unwritable, unwritable);
    const auto take_back_stamps = [&] {
        if (ends)
            m_loginout.take_back_logout(hi);
        if (login)
            m_loginout.take_back_login(now);
    };
    // The lines go out in one write, whole or not at all.
    if (!lines.empty() && !hours.write(lines)) {
        take_back_stamps();
        return fail(error::unwritable, unwritable);
    }
    if (state_changes && !m_current.write(task, since, active)) {
        if (!lines.empty())
            hours.take_back(lines);
        take_back_stamps();
        return fail(error::unwritable, unwritable);
    }
    for (const zovSession& line : lines)
        out.push_back(line);
    record(before, what);
    return true;
}

double zovKernel::tsheet(zovTimeSheet& sheet)
{
    zovSinkWeek& week = sheet.hours();
    const zovSinkWeek empty = week;
    // Only blocks with time near the week can hold a part of it; two days
    // either side is more than any zone's offset can shift a week's ends.
    vu_datetime first, next;
    first.set_time_t(vu_datetime::year_week_monday(week.year(), week.week()).to_time_t() - 2 * 86400);
    next.set_time_t(vu_datetime::year_week_monday(week.year(), week.week() + 1).to_time_t() + 2 * 86400);
    const zovHours log(m_dir);
    vu_datetime now;
    zovLock lock(m_dir, lock_wait_ms);
    if (lock.held()) {
        // State and log of one moment: no program changes them meanwhile.
        repair();
        now = now_time();
        if (m_current.read()) {
            bool done = false;
            make_up_logout(now, done);
        }
        m_read_ok = log.read_lines(week, first, next) != zovFile::read_status::failed;
    } else {
        for (int round = 0; round < 20; ++round) {
            zovCurrent before(m_dir);
            before.read();
            week = empty;
            now = now_time();
            m_read_ok = log.read_lines(week, first, next) != zovFile::read_status::failed;
            m_current.read();
            if (before.task() == m_current.task() && before.time() == m_current.time()
                && before.active() == m_current.active())
                break;
        }
    }
    // The running session counts with its part inside the week.
    if (m_current.active() && !week.first().is_not_a_date_time() && m_current.time() < week.next()
        && !(now < week.first())) {
        // A clock set back below the begin counts nothing, never less.
        week.push_back(zovSession(m_current.task(), m_current.time(), max(now, m_current.time())));
        sheet.set_active_task(m_current.task());
    }
    return sheet.compute_time_sheet();
}
