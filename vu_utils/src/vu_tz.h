#pragma once
// Calendar arithmetic and the local time zone, without a system call per value.

#include <cstdint>

namespace vu_detail {

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    return (a >= 0 ? a : a - (b - 1)) / b;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct civil
{
    std::int64_t year;
    unsigned month;  // 1..12
    unsigned day;    // 1..31
};

constexpr civil civil_from_days(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return civil{y + (m <= 2), m, d};
}

// Monday 0 ... Sunday 6 of a day count since 1970-01-01 (a Thursday).
constexpr int weekday_mon0(std::int64_t days)
{
    return static_cast<int>(days + 3 - floor_div(days + 3, 7) * 7);
}

constexpr bool is_leap(std::int64_t y)
{
    return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

constexpr unsigned days_in_month(std::int64_t y, unsigned m)
{
    constexpr unsigned d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29u : d[m - 1];
}

// Local minus UTC, in seconds, at the instant t.
long utc_offset(std::int64_t t);

// The instant of a local wall-clock time given as seconds since 1970-01-01
// 00:00 local. A time inside a spring gap is moved forward by the gap; a
// repeated autumn time takes its first occurrence.
std::int64_t from_local(std::int64_t local);

// The first instant of the local day (days since 1970-01-01): its 00:00, or
// the end of a gap that swallowed 00:00.
std::int64_t day_start(std::int64_t local_day);

void reset_zone();
// Compares the system zone file with the one the offsets were taken under.
void check_zone();

}  // namespace vu_detail
