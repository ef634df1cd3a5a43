#include <zov/zovSinkWeek.h>

zovSinkWeek::zovSinkWeek(int week, int year) : m_week(week), m_year(year)
{
    const vu_datetime monday = vu_datetime::year_week_monday(year, week);
    // Week 53 of a year with 52 weeks, week 0 and the like hold no session.
    if (week >= 1 && monday.to_week_number() == week && monday.to_year_number() == year) {
        m_first = monday;
        m_next = vu_datetime::year_week_monday(year, week + 1);
    }
}

zovSinkWeek::~zovSinkWeek() = default;

bool zovSinkWeek::operator()(const std::string& line)
{
    if (!m_first.is_not_a_date_time())
        offer(zovSession(line));
    return true;
}

void zovSinkWeek::offer(const zovSession& session)
{
    if (m_first.is_not_a_date_time() || !session.is_valid())
        return;
    // Every session with time inside the week, whichever way round: a session
    // or a cancelling line that crosses the week's start counts with its part.
    const vu_datetime& a = session.tbeg();
    const vu_datetime& b = session.tend();
    const vu_datetime& lo = b < a ? b : a;
    const vu_datetime& hi = b < a ? a : b;
    if (lo < m_next && m_first < hi)
        m_sessions.push_back(session);
}

void zovSinkWeek::push_back(const zovSession& session)
{
    m_sessions.push_back(session);
}
