#pragma once

#include <list>
#include <string>

#include <vu_utils/vu_datetime.h>
#include <zov/zovSession.h>
#include <zov/zovSink.h>

// Collects the sessions of HOURS.TSK that have time inside one ISO week
// (whole: the time sheet takes their parts within the week, day by day).
class zovSinkWeek : public zovSink
{
public:
    using iterator = std::list<zovSession>::iterator;
    using const_iterator = std::list<zovSession>::const_iterator;

    zovSinkWeek(int week, int year);
    zovSinkWeek(const zovSinkWeek&) = default;
    zovSinkWeek& operator=(const zovSinkWeek&) = default;
    virtual ~zovSinkWeek();

    bool operator()(const std::string& line) override;
    // What operator() does with a line once it is parsed: a reader that keeps
    // parsed sessions offers them here.
    void offer(const zovSession& session);

    int week() const { return m_week; }
    int year() const { return m_year; }
    iterator begin() { return m_sessions.begin(); }
    iterator end() { return m_sessions.end(); }
    const_iterator begin() const { return m_sessions.begin(); }
    const_iterator end() const { return m_sessions.end(); }
    void push_back(const zovSession& session);
    // The week's first instant and the next week's; unset for a week that
    // does not exist.
    const vu_datetime& first() const { return m_first; }
    const vu_datetime& next() const { return m_next; }

private:
    int m_week;
    int m_year;
    std::list<zovSession> m_sessions;
    // The week's span, worked out once: comparing instants is much cheaper
    // than taking the week of every line.
    vu_datetime m_first;
    vu_datetime m_next;
};
