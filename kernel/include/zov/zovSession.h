#pragma once

#include <string>

#include <vu_utils/vu_datetime.h>

// One work session: task name, begin and end. A reversed session (begin after
// end) counts negative hours; corrections write them to cancel recorded time.
class zovSession
{
public:
    zovSession();
    zovSession(const std::string& task, const vu_datetime& tbeg, const vu_datetime& tend);
    // Parses a session line; check is_valid() for the result.
    explicit zovSession(const std::string& line);
    zovSession(const zovSession&) = default;
    zovSession& operator=(const zovSession&) = default;
    virtual ~zovSession();

    const std::string& task() const { return m_task; }
    const vu_datetime& tbeg() const { return m_tbeg; }
    const vu_datetime& tend() const { return m_tend; }

    double hours() const;
    bool is_valid() const;
    zovSession& reverse();
    // The part of this session within the span of other, in this session's
    // orientation and under this session's name; false when they do not
    // overlap by a positive length.
    bool intersection(const zovSession& other, zovSession& out) const;

    // "task   1.50     <begin>     <end>"
    std::string to_file_string() const;
    bool from_file_string(const std::string& line);
    bool from_file_string(const char* line, std::size_t length);

private:
    std::string m_task;
    vu_datetime m_tbeg;
    vu_datetime m_tend;
};
