#include <zov/zovSinkWeek.h>

zovSinkWeek::zovSinkWeek(int week, int year) : m_week(week), m_year(year) {}

zovSinkWeek::~zovSinkWeek() = default;

bool zovSinkWeek::operator()(const std::string& line)
{
    const zovSession session(line);
    if (!session.is_valid())
        return true;
    if (session.tbeg().to_week_number() == m_week && session.tbeg().to_year_number() == m_year)
        m_sessions.push_back(session);
    return true;
}

void zovSinkWeek::push_back(const zovSession& session)
{
    m_sessions.push_back(session);
}
