#pragma once
// What every reader of a task file offers to its sink: one place decides
// which lines count.

#include <cstddef>
#include <string>

#include <zov/zovFile.h>
#include <zov/zovSink.h>

namespace zov_detail {

inline bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether the line [begin, end) is offered to readers: it is not blank, not a
// comment and not longer than zovFile::max_line.
inline bool counts(const char* begin, const char* end)
{
    if (static_cast<std::size_t>(end - begin) > zovFile::max_line)
        return false;
    const char* p = begin;
    while (p != end && is_blank(*p))
        ++p;
    return p != end && *p != '%';
}

// Offers the line [begin, end) to the sink if it counts; go_on receives the
// sink's answer. True when the line was offered.
inline bool offer(const char* begin, const char* end, std::string& line, zovSink& sink, bool& go_on)
{
    if (!counts(begin, end))
        return false;
    line.assign(begin, static_cast<std::size_t>(end - begin));
    go_on = sink(line);
    return true;
}

}  // namespace zov_detail
