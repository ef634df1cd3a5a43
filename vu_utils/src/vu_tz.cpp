#include "vu_tz.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace vu_detail {
namespace {

// localtime_r is slow (it may stat /etc/localtime on every call), and reading
// HOURS.TSK needs the offset of every line. Offsets change a few times a year
// at most, so the offset is cached per UTC day: a day whose first and last
// second have the same offset is taken to have it throughout.
struct day_entry
{
    std::int64_t day = INT64_MIN;
    long first = 0;
    long last = 0;
};

constexpr std::size_t cache_size = 4096;

struct zone_cache
{
    day_entry days[cache_size];
    std::string tz;      // the TZ variable the entries were made under
    bool tz_set = false;
    bool valid = false;
};

thread_local zone_cache cache;

long system_offset(std::int64_t t)
{
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!localtime_r(&tt, &tm))
        return 0;
    return tm.tm_gmtoff;
}

void check_tz()
{
    const char* tz = std::getenv("TZ");
    const bool set = tz != nullptr;
    if (cache.valid && set == cache.tz_set && (!set || cache.tz == tz))
        return;
    tzset();
    for (auto& e : cache.days)
        e.day = INT64_MIN;
    cache.tz_set = set;
    cache.tz = set ? tz : "";
    cache.valid = true;
}

}  // namespace

void reset_zone()
{
    cache.valid = false;
    check_tz();
}

long utc_offset(std::int64_t t)
{
    check_tz();
    const std::int64_t day = floor_div(t, 86400);
    day_entry& e = cache.days[static_cast<std::size_t>(day) & (cache_size - 1)];
    if (e.day != day) {
        e.day = day;
        e.first = system_offset(day * 86400);
        e.last = system_offset(day * 86400 + 86399);
    }
    return e.first == e.last ? e.first : system_offset(t);
}

namespace {

// The first instant in (lo, hi] whose offset differs from that at lo.
std::int64_t find_transition(std::int64_t lo, std::int64_t hi)
{
    const long off_lo = utc_offset(lo);
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (utc_offset(mid) == off_lo)
            lo = mid;
        else
            hi = mid;
    }
    return hi;
}

}  // namespace

std::int64_t from_local(std::int64_t local)
{
    // Offsets in force a day either side cover any single transition.
    const long before = utc_offset(local - 86400);
    const long after = utc_offset(local + 86400);
    const std::int64_t c1 = local - before;
    const bool ok1 = utc_offset(c1) == before;
    if (before == after && ok1)
        return c1;
    const std::int64_t c2 = local - after;
    const bool ok2 = utc_offset(c2) == after;
    if (ok1 && ok2)
        return c1 < c2 ? c1 : c2;
    if (ok1)
        return c1;
    if (ok2)
        return c2;
    // In a gap: read the wall time with the offset before the gap.
    return c1;
}

std::int64_t day_start(std::int64_t local_day)
{
    const std::int64_t local = local_day * 86400;
    const std::int64_t t = from_local(local);
    if (floor_div(t + utc_offset(t), 86400) == local_day && (t + utc_offset(t)) == local)
        return t;
    // 00:00 fell into a gap: the day begins where the gap ends.
    const long before = utc_offset(local - 86400);
    const long after = utc_offset(local + 86400);
    const std::int64_t a = local - (before > after ? before : after);
    const std::int64_t b = local - (before > after ? after : before);
    return find_transition(a - 1, b);
}

}  // namespace vu_detail
