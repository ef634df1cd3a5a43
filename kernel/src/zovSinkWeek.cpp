#include <zov/zovSinkWeek.h>

#include <cstdint>

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
    const zovSession session(line);
    if (!session.is_valid())
        return true;
    if (m_first.is_not_a_date_time())
        return true;
    // Far from the week's ends the span decides; within a day of them the
    // begin's own week does, for zones that turn their clocks back at midnight.
    const std::int64_t t = session.tbeg().to_time_t();
    const std::int64_t first = m_first.to_time_t();
    const std::int64_t next = m_next.to_time_t();
    constexpr std::int64_t day = 86400;
    if (t < first - day || t >= next + day)
        return true;
    if ((t >= first + day && t < next - day)
        || (session.tbeg().to_week_number() == m_week && session.tbeg().to_year_number() == m_year))
        m_sessions.push_back(session);
    return true;
}

void zovSinkWeek::push_back(const zovSession& session)
{
    m_sessions.push_back(session);
}
