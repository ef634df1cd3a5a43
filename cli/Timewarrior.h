#pragma once
// Timewarrior's data files (data/YYYY-MM.data), one interval a line:
//   inc 20220205T080000Z - 20220205T110000Z # tag1 "two words" # "annotation"
// Times in UTC; no end: the interval is still running.

#include <cstdint>
#include <string>
#include <vector>

namespace zovcli {

struct timew_interval
{
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool open = false;  // still running
    std::vector<std::string> tags;
};

// False for a line that is not an "inc" line of that form.
bool timew_parse(const std::string& line, timew_interval& out);

// The line of a closed interval with one tag, quoted as Timewarrior quotes.
std::string timew_line(std::int64_t begin, std::int64_t end, const std::string& tag);

// "20220205T080000Z" as seconds since the epoch.
bool timew_time(const std::string& text, std::int64_t& seconds);

}  // namespace zovcli
