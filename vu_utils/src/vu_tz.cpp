#include "vu_tz.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

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

// What identifies the system's zone file: a new zone (timedatectl, travel)
// replaces the file or the link to it.
struct zone_file
{
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    std::int64_t mtime_ns = 0;
    off_t size = 0;
    std::string link;

    bool operator==(const zone_file& o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && mtime_ns == o.mtime_ns && size == o.size
            && link == o.link;
    }
};

const char* const system_zone_file = "/etc/localtime";

zone_file read_zone_file()
{
    zone_file z;
    struct stat st;
    if (::stat(system_zone_file, &st) == 0) {
        z.exists = true;
        z.dev = st.st_dev;
        z.ino = st.st_ino;
        z.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        z.size = st.st_size;
    }
    char target[4096];
    const ssize_t n = ::readlink(system_zone_file, target, sizeof target);
    if (n > 0)
        z.link.assign(target, static_cast<std::size_t>(n));
    return z;
}

std::int64_t monotonic_seconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return ts.tv_sec;
}

struct zone_cache
{
    day_entry days[cache_size];
    std::string tz;      // the TZ variable the entries were made under
    bool tz_set = false;
    bool valid = false;
    zone_file file;                 // the system zone file they were made under
    std::int64_t file_checked = 0;  // when that was last compared (monotonic)
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

void reload(const char* tz)
{
    tzset();
    for (auto& e : cache.days)
        e.day = INT64_MIN;
    cache.tz_set = tz != nullptr;
    cache.tz = tz ? tz : "";
    cache.file = read_zone_file();
    cache.file_checked = monotonic_seconds();
    cache.valid = true;
}

// Without TZ the system zone file rules; it may be replaced while a program
// runs for weeks. Looked at once a minute, by time alone: a program that asks
// the time twice a minute must see a new zone as soon as a busy one does.
// The coarse monotonic clock costs a few nanoseconds.
void check_zone_file(bool now)
{
    if (cache.tz_set)
        return;
    if (!now && monotonic_seconds() - cache.file_checked < 60)
        return;
    cache.file_checked = monotonic_seconds();
    if (!(read_zone_file() == cache.file))
        reload(nullptr);
}

void check_tz()
{
    const char* tz = std::getenv("TZ");
    const bool set = tz != nullptr;
    if (cache.valid && set == cache.tz_set && (!set || cache.tz == tz)) {
        check_zone_file(false);
        return;
    }
    reload(tz);
}

}  // namespace

void reset_zone()
{
    cache.valid = false;
    check_tz();
}

void check_zone()
{
    check_tz();
    check_zone_file(true);
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
