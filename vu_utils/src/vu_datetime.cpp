#include <vu_utils/vu_datetime.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "vu_tz.h"

using namespace vu_detail;

namespace {

// 1970-01-01 00:00 UTC is Julian Date 2440587.5; the day count adds 0.5.
constexpr double epoch_jdn = 2440588.0;

std::mutex clock_mutex;
vu_datetime::clock_function clock_fn;

struct local_fields
{
    std::int64_t day;   // local days since 1970-01-01
    int second_of_day;  // wall clock
    long offset;
};

local_fields split_local(std::int64_t t)
{
    const long off = utc_offset(t);
    const std::int64_t local = t + off;
    const std::int64_t day = floor_div(local, 86400);
    return {day, static_cast<int>(local - day * 86400), off};
}

// The ISO week of a local day: week number and the year that owns it.
void iso_week(std::int64_t day, int& week, int& year)
{
    const std::int64_t thursday = day - weekday_mon0(day) + 3;
    const civil c = civil_from_days(thursday);
    year = static_cast<int>(c.year);
    week = static_cast<int>((thursday - days_from_civil(c.year, 1, 1)) / 7 + 1);
}

// Reads exactly n digits.
bool digits(const char*& p, const char* end, int n, int& value)
{
    if (end - p < n)
        return false;
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    p += n;
    return true;
}

// Reads one or two digits.
bool one_or_two_digits(const char*& p, const char* end, int& value)
{
    if (p == end || *p < '0' || *p > '9')
        return false;
    value = *p++ - '0';
    if (p != end && *p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    return true;
}

bool expect(const char*& p, const char* end, char c)
{
    if (p == end || *p != c)
        return false;
    ++p;
    return true;
}

bool valid_fields(std::int64_t y, int mo, int d, int h, int mi, int s)
{
    return mo >= 1 && mo <= 12 && d >= 1 && d <= static_cast<int>(days_in_month(y, static_cast<unsigned>(mo)))
        && h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

}  // namespace

vu_datetime::vu_datetime() : m_secs(not_a_date_time) {}

vu_datetime::~vu_datetime() = default;

void vu_datetime::set_clock(clock_function clock)
{
    std::lock_guard<std::mutex> lock(clock_mutex);
    clock_fn = std::move(clock);
}

std::int64_t vu_datetime::now_time_t()
{
    {
        std::lock_guard<std::mutex> lock(clock_mutex);
        if (clock_fn)
            return clock_fn();
    }
    return static_cast<std::int64_t>(std::time(nullptr));
}

void vu_datetime::reset_time_zone()
{
    reset_zone();
}

void vu_datetime::check_time_zone()
{
    check_zone();
}

void vu_datetime::set_local_time()
{
    m_secs = now_time_t();
}

void vu_datetime::set_date_today()
{
    set_local_time();
    *this = date();
}

void vu_datetime::set_jdn(double jdn)
{
    // Beyond some 27 million years the seconds no longer fit.
    if (!std::isfinite(jdn) || std::fabs(jdn - epoch_jdn) > 1e10) {
        m_secs = not_a_date_time;
        return;
    }
    m_secs = static_cast<std::int64_t>(std::llround((jdn - epoch_jdn) * 86400.0));
}

void vu_datetime::set_time_t(std::int64_t seconds)
{
    m_secs = seconds;
}

bool vu_datetime::set_local(int year, int month, int day, int hour, int minute, int second)
{
    if (!valid_fields(year, month, day, hour, minute, second))
        return false;
    const std::int64_t days = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    m_secs = from_local(days * 86400 + hour * 3600 + minute * 60 + second);
    return true;
}

vu_datetime vu_datetime::date() const
{
    vu_datetime d;
    if (!is_not_a_date_time())
        d.m_secs = day_start(split_local(m_secs).day);
    return d;
}

double vu_datetime::to_jdn() const
{
    if (is_not_a_date_time())
        return 0.0;
    return epoch_jdn + static_cast<double>(m_secs) / 86400.0;
}

std::int64_t vu_datetime::to_time_t() const
{
    return m_secs;
}

double vu_datetime::time_of_day_seconds() const
{
    if (is_not_a_date_time())
        return 0.0;
    return split_local(m_secs).second_of_day;
}

int vu_datetime::to_day_of_week2() const
{
    if (is_not_a_date_time())
        return 0;
    return weekday_mon0(split_local(m_secs).day);
}

int vu_datetime::to_week_number() const
{
    if (is_not_a_date_time())
        return 0;
    int week = 0, year = 0;
    iso_week(split_local(m_secs).day, week, year);
    return week;
}

int vu_datetime::to_year_number() const
{
    if (is_not_a_date_time())
        return 0;
    int week = 0, year = 0;
    iso_week(split_local(m_secs).day, week, year);
    return year;
}

vu_datetime vu_datetime::year_week_monday(int year, int week)
{
    const std::int64_t jan4 = days_from_civil(year, 1, 4);
    const std::int64_t monday = jan4 - weekday_mon0(jan4) + 7 * static_cast<std::int64_t>(week - 1);
    vu_datetime v;
    v.m_secs = day_start(monday);
    return v;
}

std::string vu_datetime::to_format_string(const std::string& format) const
{
    if (is_not_a_date_time() || format.empty())
        return std::string();
    std::tm tm{};
    if (format.find('Z') != std::string::npos) {
        // Only the C library knows the zone's abbreviation.
        std::time_t tt = static_cast<std::time_t>(m_secs);
        localtime_r(&tt, &tm);
    } else {
        const local_fields f = split_local(m_secs);
        const civil c = civil_from_days(f.day);
        tm.tm_year = static_cast<int>(c.year - 1900);
        tm.tm_mon = static_cast<int>(c.month) - 1;
        tm.tm_mday = static_cast<int>(c.day);
        tm.tm_hour = f.second_of_day / 3600;
        tm.tm_min = f.second_of_day / 60 % 60;
        tm.tm_sec = f.second_of_day % 60;
        tm.tm_wday = (weekday_mon0(f.day) + 1) % 7;
        tm.tm_yday = static_cast<int>(f.day - days_from_civil(c.year, 1, 1));
        // Not -1: strftime leaves %z empty for an unknown daylight-saving flag.
        tm.tm_isdst = 0;
        tm.tm_gmtoff = f.offset;
    }
    std::string out(format.size() * 4 + 64, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::size_t n = std::strftime(&out[0], out.size(), format.c_str(), &tm);
        if (n > 0) {
            out.resize(n);
            return out;
        }
        out.resize(out.size() * 4);
    }
    return std::string();
}

namespace {

struct typed_fields
{
    int year = -1, month = -1, day = -1, hour = 0, minute = 0, second = 0;
};

// Reads text of the format (%Y %m %d %H %M %S, literal characters); the
// whole text must match.
bool read_fields(const std::string& text, const std::string& format, typed_fields& f)
{
    const char* p = text.data();
    const char* end = p + text.size();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            if (!expect(p, end, format[i]))
                return false;
            continue;
        }
        const char conv = format[++i];
        bool ok = false;
        switch (conv) {
        case 'Y': ok = digits(p, end, 4, f.year); break;
        case 'm': ok = one_or_two_digits(p, end, f.month); break;
        case 'd': ok = one_or_two_digits(p, end, f.day); break;
        case 'H': ok = one_or_two_digits(p, end, f.hour); break;
        case 'M': ok = one_or_two_digits(p, end, f.minute); break;
        case 'S': ok = one_or_two_digits(p, end, f.second); break;
        case '%': ok = expect(p, end, '%'); break;
        default: ok = false; break;
        }
        if (!ok)
            return false;
    }
    return p == end;
}

}  // namespace

bool vu_datetime::parse_datetime(const std::string& text, const std::string& format)
{
    typed_fields f;
    if (!read_fields(text, format, f))
        return false;
    if (f.year < 0 || f.month < 0 || f.day < 0) {
        vu_datetime base = *this;
        if (base.is_not_a_date_time())
            base.set_local_time();
        const civil c = civil_from_days(split_local(base.m_secs).day);
        if (f.year < 0) f.year = static_cast<int>(c.year);
        if (f.month < 0) f.month = static_cast<int>(c.month);
        if (f.day < 0) f.day = static_cast<int>(c.day);
    }
    return set_local(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

bool vu_datetime::parse_time_of_day(const std::string& text, const std::string& format, int& seconds)
{
    typed_fields f;
    if (!read_fields(text, format, f) || f.year >= 0 || f.month >= 0 || f.day >= 0)
        return false;
    if (f.hour > 23 || f.minute > 59 || f.second > 59)
        return false;
    seconds = f.hour * 3600 + f.minute * 60 + f.second;
    return true;
}

std::string vu_datetime::to_readable_datetime_string() const
{
    if (is_not_a_date_time())
        return std::string();
    const local_fields f = split_local(m_secs);
    const civil c = civil_from_days(f.day);
    const long off = f.offset < 0 ? -f.offset : f.offset;
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d%c%02ld:%02ld",
                          static_cast<long long>(c.year), c.month, c.day,
                          f.second_of_day / 3600, f.second_of_day / 60 % 60, f.second_of_day % 60,
                          f.offset < 0 ? '-' : '+', off / 3600, off / 60 % 60);
    if (off % 60 != 0 && n > 0 && n + 3 < static_cast<int>(sizeof buf))
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), ":%02ld", off % 60);
    return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool vu_datetime::parse_readable_datetime_string(const std::string& text)
{
    return parse_readable_datetime_string(text.data(), text.size());
}

bool vu_datetime::parse_readable_datetime_string(const char* text, std::size_t length)
{
    // "YYYY-MM-DDTHH:MM:SS" at fixed places; every line of HOURS.TSK holds
    // two of these, so this is on the hot path of every query.
    if (length < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':'
        || text[16] != ':')
        return false;
    static constexpr int places[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    for (const int i : places)
        if (static_cast<unsigned>(text[i] - '0') > 9u)
            return false;
    const auto two = [text](int i) { return (text[i] - '0') * 10 + (text[i + 1] - '0'); };
    const int y = two(0) * 100 + two(2);
    const int mo = two(5), d = two(8), h = two(11), mi = two(14), s = two(17);
    if (!valid_fields(y, mo, d, h, mi, s))
        return false;
    const std::int64_t local = days_from_civil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400
        + h * 3600 + mi * 60 + s;
    const char* p = text + 19;
    const char* end = text + length;
    // Only instants that every zone writes back with a four-digit year: a line
    // the kernel writes again (a correction cancelling it) must read back.
    const auto accept = [this](std::int64_t secs) {
        constexpr std::int64_t lowest = days_from_civil(0, 1, 2) * 86400;
        constexpr std::int64_t beyond = days_from_civil(9999, 12, 31) * 86400;
        if (secs < lowest || secs >= beyond)
            return false;
        m_secs = secs;
        return true;
    };
    if (p == end)
        return accept(from_local(local));
    if (*p == 'Z' && p + 1 == end)
        return accept(local);
    if (*p != '+' && *p != '-')
        return false;
    const int sign = *p++ == '-' ? -1 : 1;
    int oh, om, os = 0;
    if (!digits(p, end, 2, oh) || !expect(p, end, ':') || !digits(p, end, 2, om) || oh > 23 || om > 59)
        return false;
    if (p != end && (!expect(p, end, ':') || !digits(p, end, 2, os) || os > 59))
        return false;
    if (p != end)
        return false;
    return accept(local - sign * (oh * 3600 + om * 60 + os));
}
