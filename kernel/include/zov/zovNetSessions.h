#pragma once
// The recorded time after corrections, as sessions again.

#include <cstdint>
#include <string>
#include <vector>

#include <zov/zovSession.h>

namespace zov {

// One stretch of net recorded work: seconds since the epoch.
struct net_session
{
    std::string task;
    std::int64_t begin;
    std::int64_t end;
};

// The recorded time of each task after corrections: where a cancelling line
// covers a recorded one, neither appears; a recorded line's edges stay
// edges, so a correction inside a session splits it. A span recorded twice
// appears twice. Ordered by begin, then task.
std::vector<net_session> net_sessions(const std::vector<zovSession>& lines);

}  // namespace zov
