#pragma once

#include <list>
#include <string>

#include <vu_utils/vu_datetime.h>
#include <zov/zovSession.h>
#include <zov/zovSink.h>

// Collects the sessions of HOURS.TSK clipped to a time range, in file order.
class zovSinkHours : public zovSink
{
public:
    using iterator = std::list<zovSession>::iterator;
    using const_iterator = std::list<zovSession>::const_iterator;

    zovSinkHours();
    zovSinkHours(const vu_datetime& lo, const vu_datetime& hi);
    zovSinkHours(const zovSinkHours&) = default;
    zovSinkHours& operator=(const zovSinkHours&) = default;
    virtual ~zovSinkHours();

    bool operator()(const std::string& line) override;
    // What operator() does with a line once it is parsed: a reader that keeps
    // parsed sessions offers them here.
    void offer(const zovSession& session);

    const vu_datetime& lo() const { return m_lo; }
    const vu_datetime& hi() const { return m_hi; }
    iterator begin() { return m_sessions.begin(); }
    iterator end() { return m_sessions.end(); }
    const_iterator begin() const { return m_sessions.begin(); }
    const_iterator end() const { return m_sessions.end(); }
    void push_back(const zovSession& session);

private:
    vu_datetime m_lo;
    vu_datetime m_hi;
    std::list<zovSession> m_sessions;
    zovSession m_range;  // "%DUMMY" over the range, made once instead of per line
};
