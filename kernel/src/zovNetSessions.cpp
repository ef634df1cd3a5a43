#include <zov/zovNetSessions.h>

#include <algorithm>
#include <map>

namespace zov {

std::vector<net_session> net_sessions(const std::vector<zovSession>& lines)
{
    struct edge
    {
        std::int64_t at;
        int delta;
        bool cut;  // a recorded (forward) line begins or ends here
    };
    std::map<std::string, std::vector<edge>> edges;
    for (const zovSession& piece : lines) {
        const std::int64_t a = piece.tbeg().to_time_t();
        const std::int64_t b = piece.tend().to_time_t();
        if (a == b)
            continue;
        const bool forward = a < b;
        std::vector<edge>& e = edges[piece.task()];
        e.push_back({std::min(a, b), forward ? 1 : -1, forward});
        e.push_back({std::max(a, b), forward ? -1 : 1, forward});
    }
    std::vector<net_session> result;
    for (auto& [task, e] : edges) {
        std::sort(e.begin(), e.end(), [](const edge& x, const edge& y) { return x.at < y.at; });
        int count = 0;
        std::vector<net_session> open;  // one per unit of coverage
        for (std::size_t i = 0; i < e.size();) {
            const std::int64_t at = e[i].at;
            bool cut = false;
            int next_count = count;
            for (; i < e.size() && e[i].at == at; ++i) {
                next_count += e[i].delta;
                cut |= e[i].cut;
            }
            // Close what ends here: everything at a recorded line's edge,
            // else only the coverage that drops.
            const int keep = cut ? 0 : std::max(0, std::min(count, next_count));
            while (static_cast<int>(open.size()) > keep) {
                open.back().end = at;
                result.push_back(open.back());
                open.pop_back();
            }
            while (static_cast<int>(open.size()) < next_count)
                open.push_back({task, at, at});
            count = next_count;
        }
    }
    std::stable_sort(result.begin(), result.end(), [](const net_session& x, const net_session& y) {
        return x.begin != y.begin ? x.begin < y.begin : x.task < y.task;
    });
    return result;
}

}  // namespace zov
