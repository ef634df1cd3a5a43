#include <zov/zovKernel.h>

#include <vector>

#include <zov/zovHours.h>
#include <zov/zovTimeSheet.h>

zovKernel::zovKernel(const std::string& dir)
{
    zovFile::set_dir(dir);
    zovCurrent::init();
    zovHours::init();
    zovLoginOut::init();
}

zovKernel::~zovKernel() = default;

std::string zovKernel::kernel_name()
{
    return "Zovaro";
}

std::string zovKernel::dir() const
{
    return zovFile::get_dir();
}

bool zovKernel::is_valid_task_name(const std::string& task)
{
    if (task.empty() || task[0] == '%')
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

bool zovKernel::login(const std::string& task)
{
    if (!task.empty() && !is_valid_task_name(task))
        return false;
    m_current.read();
    if (m_current.active())
        return true;
    const std::string name = task.empty() ? m_current.task() : task;
    vu_datetime now;
    now.set_local_time();
    if (!m_current.write(name, now, true))
        return false;
    return m_loginout.login();
}

bool zovKernel::logout()
{
    m_current.read();
    if (!m_current.active())
        return true;
    vu_datetime now;
    now.set_local_time();
    // The session goes to the log first: if that fails it keeps running.
    const zovHours hours;
    const zovSession closed(m_current.task(), m_current.time(), now);
    if (!hours.write(closed))
        return false;
    if (!m_current.write(m_current.task(), now, false)) {
        // Still running: its closing line would count the time twice.
        hours.take_back(closed);
        return false;
    }
    return m_loginout.logout();
}

bool zovKernel::next(const std::string& task)
{
    vu_datetime t1;
    t1.set_local_time();
    if (!is_valid_task_name(task))
        return false;
    m_current.read();
    if (!m_current.active())
        return m_current.write(task, t1, false);
    if (task == m_current.task())
        return true;
    // The closed session ends where the next begins: nothing lost or counted twice.
    vu_datetime t2;
    t2.set_local_time();
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
    zovHours().read(m_hours);
    return m_hours;
}

bool zovKernel::session(const zovSession& session, zovSinkHours& out)
{
    out = zovSinkHours(session.tbeg(), session.tend());
    // Refuse before cancelling anything: a session that could not be written
    // afterwards would leave the overlapped time destroyed.
    if (!session.is_valid() || !is_valid_task_name(session.task()) || session.hours() < 0.0)
        return false;
    m_hours = zovSinkHours(session.tbeg(), session.tend());
    zovHours hours;
    hours.read(m_hours);
    std::vector<zovSession> lines;
    for (zovSession& piece : m_hours)
        lines.push_back(piece.reverse());
    lines.push_back(session);
    // The cancelling lines and the session go out in one write, whole or not at all.
    if (!hours.write(lines))
        return false;
    for (const zovSession& line : lines)
        out.push_back(line);
    return true;
}

double zovKernel::tsheet(zovTimeSheet& sheet)
{
    zovSinkWeek& week = sheet.hours();
    zovHours().read(week);
    m_current.read();
    if (m_current.active() && m_current.time().to_week_number() == week.week()
        && m_current.time().to_year_number() == week.year()) {
        vu_datetime now;
        now.set_local_time();
        week.push_back(zovSession(m_current.task(), m_current.time(), now));
        sheet.set_active_task(m_current.task());
    }
    return sheet.compute_time_sheet();
}
