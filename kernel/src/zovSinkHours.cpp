#include <zov/zovSinkHours.h>

zovSinkHours::zovSinkHours()
{
    m_lo.set_local_time();
    m_hi = m_lo;
    m_range = zovSession("%DUMMY", m_lo, m_hi);
}

zovSinkHours::zovSinkHours(const vu_datetime& lo, const vu_datetime& hi)
    : m_lo(lo), m_hi(hi), m_range("%DUMMY", lo, hi)
{
}

zovSinkHours::~zovSinkHours() = default;

bool zovSinkHours::operator()(const std::string& line)
{
    offer(zovSession(line));
    return true;
}

void zovSinkHours::offer(const zovSession& session)
{
    if (!session.is_valid())
        return;
    zovSession piece;
    if (session.intersection(m_range, piece) && piece.is_valid())
        m_sessions.push_back(piece);
}

void zovSinkHours::push_back(const zovSession& session)
{
    m_sessions.push_back(session);
}
