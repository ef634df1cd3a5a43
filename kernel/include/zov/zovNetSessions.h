#pragma once
// The recorded sessions as they stand after corrections, for every program
// that lists them (the command line's sessions, its calendar and Timewarrior
// exports) and for the import's check of what is already there.

#include <cstdint>
#include <string>
#include <vector>

class zovSinkHours;

namespace zov {

struct net_session
{
    std::string task;
    std::int64_t begin;  // seconds since the epoch
    std::int64_t end;
};

// The recorded time of each task after corrections: where a cancelling line
// covers a recorded one, neither appears. A span recorded twice appears
// twice. Ordered by begin, then task name.
std::vector<net_session> net_sessions(const zovSinkHours& pieces);

}  // namespace zov
