#include <zov/zovSinkHours.h>

zovSinkHours::zovSinkHours()
{
    m_lo.set_local_time();
    m_hi = m_lo;
}

zovSinkHours::zovSinkHours(const vu_datetime& lo, const vu_datetime& hi) : m_lo(lo), m_hi(hi) {}

zovSinkHours::~zovSinkHours() = default;

bool zovSinkHours::operator()(const std::string& line)
{
    const zovSession session(line);
    if (!session.is_valid())
        return true;
    zovSession piece;
    if (session.intersection(zovSession("%DUMMY", m_lo, m_hi), piece) && piece.is_valid())
        m_sessions.push_back(piece);
    return true;
}

void zovSinkHours::push_back(const zovSession& session)
{
    m_sessions.push_back(session);
}
