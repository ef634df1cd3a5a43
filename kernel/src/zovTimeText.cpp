#include <zov/zovTimeText.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <zov/zovDays.h>

namespace zov {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

namespace {

// A cursor over the text; every reader moves on only when it matches.
class scanner
{
public:
    explicit scanner(const std::string& text) : m_text(text), m_pos(0) {}

    bool done() const { return m_pos == m_text.size(); }
    bool peek(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    bool take(char c)
    {
        if (!peek(c))
            return false;
        ++m_pos;
        return true;
    }
    // Exactly `digits` decimal digits.
    bool number(int digits, int& value)
    {
        if (m_text.size() - m_pos < static_cast<std::size_t>(digits))
            return false;
        int v = 0;
        for (int i = 0; i < digits; ++i) {
            const char c = m_text[m_pos + static_cast<std::size_t>(i)];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        m_pos += static_cast<std::size_t>(digits);
        value = v;
        return true;
    }

private:
    const std::string& m_text;
    std::size_t m_pos;
};

bool is_leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : days[m - 1];
}


bool read_date(scanner& s, int& y, int& m, int& d)
{
    return s.number(4, y) && s.take('-') && s.number(2, m) && s.take('-') && s.number(2, d)
           && y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, m);
}

// "08:30", "08:30:15"; with short_hour also "9:00".
bool read_clock(scanner& s, int& h, int& min, int& sec, bool short_hour = false)
{
    sec = 0;
    if (!(s.number(2, h) || (short_hour && s.number(1, h))) || !(s.take(':') && s.number(2, min)))
        return false;
    if (s.take(':') && !s.number(2, sec))
        return false;
    return h <= 23 && min <= 59 && sec <= 59;
}

// "Z", "+01:00", "+0100" or "+01"; seconds east of UTC.
bool read_offset(scanner& s, bool& has, int& seconds)
{
    has = false;
    if (s.done())
        return true;
    has = true;
    if (s.take('Z')) {
        seconds = 0;
        return true;
    }
    int sign = 0;
    if (s.take('+'))
        sign = 1;
    else if (s.take('-'))
        sign = -1;
    else
        return false;
    int h = 0, min = 0;
    if (!s.number(2, h))
        return false;
    if (s.take(':')) {
        if (!s.number(2, min))
            return false;
    } else if (!s.done() && !s.number(2, min)) {
        return false;
    }
    if (h > 23 || min > 59)
        return false;
    seconds = sign * (h * 3600 + min * 60);
    return true;
}


enum class kind { none, instant, day, range };

// "10 min ago", "-2h": seconds, or days for the calendar units (d, w).
bool read_relative(const std::string& text, std::int64_t& seconds, int& days)
{
    std::string t = text;
    bool ago = false;
    if (t.size() > 4 && t.compare(t.size() - 4, 4, " ago") == 0) {
        ago = true;
        t.resize(t.size() - 4);
    } else if (!t.empty() && t[0] == '-') {
        t.erase(0, 1);
    } else {
        return false;
    }
    std::size_t i = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i;
    if (i == 0 || i > 6)
        return false;
    const long n = std::strtol(t.substr(0, i).c_str(), nullptr, 10);
    if (ago)
        while (i < t.size() && t[i] == ' ')
            ++i;
    const std::string unit = t.substr(i);
    struct named
    {
        const char* name;
        std::int64_t seconds;
        int days;
    };
    static const named units[] = {
        {"s", 1, 0},      {"sec", 1, 0},      {"secs", 1, 0},    {"second", 1, 0},     {"seconds", 1, 0},
        {"m", 60, 0},     {"min", 60, 0},     {"mins", 60, 0},   {"minute", 60, 0},    {"minutes", 60, 0},
        {"h", 3600, 0},   {"hour", 3600, 0},  {"hours", 3600, 0}, {"d", 0, 1},         {"day", 0, 1},
        {"days", 0, 1},   {"w", 0, 7},        {"week", 0, 7},    {"weeks", 0, 7},
    };
    for (const named& u : units) {
        if (unit == u.name) {
            seconds = n * u.seconds;
            days = static_cast<int>(n) * u.days;
            return true;
        }
    }
    return false;
}

bool local_fields(const vu_datetime& t, int& y, int& m, int& d, int& h, int& min, int& sec)
{
    return std::sscanf(t.to_format_string("%Y-%m-%d %H:%M:%S").c_str(), "%d-%d-%d %d:%d:%d", &y, &m, &d, &h,
                       &min, &sec)
           == 6;
}

vu_datetime first_of_month(int y, int m)
{
    while (m > 12) {
        m -= 12;
        ++y;
    }
    while (m < 1) {
        m += 12;
        --y;
    }
    vu_datetime t;
    t.set_local(y, m, 1);
    return t;
}

// The words: now, days, ranges and times relative to now.
kind read_word(const std::string& typed, const vu_datetime& now, vu_datetime& lo, vu_datetime& hi)
{
    if (now.is_not_a_date_time())
        return kind::none;
    std::string w;
    for (const char c : typed)
        w += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w == "now") {
        lo = hi = now;
        return kind::instant;
    }
    static const char* const weekdays[] = {"monday", "tuesday", "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};
    int back = -1;
    if (w == "today")
        back = 0;
    else if (w == "yesterday")
        back = 1;
    for (int i = 0; i < 7; ++i)
        if (w == weekdays[i])
            back = (now.to_day_of_week2() - i + 7) % 7;
    if (back >= 0) {
        lo = zov::midnight_after(now, -back);
        hi = zov::midnight_after(lo, 1);
        return kind::day;
    }
    int y = 0, m = 0, d = 0, h = 0, min = 0, sec = 0;
    if (!local_fields(now, y, m, d, h, min, sec))
        return kind::none;
    const int monday = -now.to_day_of_week2();
    if (w == "thisweek" || w == "lastweek") {
        lo = zov::midnight_after(now, monday - (w == "lastweek" ? 7 : 0));
        hi = zov::midnight_after(lo, 7);
        return kind::range;
    }
    if (w == "thismonth" || w == "lastmonth") {
        const int first = w == "lastmonth" ? m - 1 : m;
        lo = first_of_month(y, first);
        hi = first_of_month(y, first + 1);
        return kind::range;
    }
    if (w == "thisyear") {
        lo = first_of_month(y, 1);
        hi = first_of_month(y + 1, 1);
        return kind::range;
    }
    std::int64_t seconds = 0;
    int days = 0;
    if (read_relative(w, seconds, days)) {
        vu_datetime t;
        if (days != 0) {
            // The same wall-clock time that many calendar days before.
            int dy = 0, dm = 0, dd = 0, dh = 0, dmin = 0, dsec = 0;
            if (!local_fields(zov::midnight_after(now, -days), dy, dm, dd, dh, dmin, dsec)
                || !t.set_local(dy, dm, dd, h, min, sec))
                return kind::none;
        } else {
            t.set_time_t(now.to_time_t() - seconds);
        }
        lo = hi = t;
        return kind::instant;
    }
    return kind::none;
}

// Dates and clock times as digits.
kind read_digits(const std::string& text, const vu_datetime& now, vu_datetime& out)
{
    int y = 0, m = 0, d = 0, h = 0, min = 0, sec = 0;
    bool only_date = false;
    bool has_offset = false;
    int offset = 0;
    scanner s(text);
    if (text.size() >= 10 && text[4] == '-') {
        if (!read_date(s, y, m, d))
            return kind::none;
        if (s.done()) {
            only_date = true;
        } else {
            if (!(s.take('T') || s.take(' ')) || !read_clock(s, h, min, sec)
                || !read_offset(s, has_offset, offset) || !s.done())
                return kind::none;
        }
    } else {
        if (!read_clock(s, h, min, sec, true) || !s.done() || now.is_not_a_date_time())
            return kind::none;
        // Today's date by the calendar of `now`.
        if (std::sscanf(now.to_format_string("%Y-%m-%d").c_str(), "%d-%d-%d", &y, &m, &d) != 3)
            return kind::none;
    }
    vu_datetime t;
    if (has_offset) {
        const std::int64_t days = days_from_civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
        t.set_time_t(days * 86400 + h * 3600 + min * 60 + sec - offset);
    } else if (!t.set_local(y, m, d, h, min, sec)) {
        return kind::none;
    }
    out = t;
    return only_date ? kind::day : kind::instant;
}

kind read_any(const std::string& text, const vu_datetime& now, vu_datetime& lo, vu_datetime& hi)
{
    const kind k = read_word(text, now, lo, hi);
    if (k != kind::none)
        return k;
    vu_datetime t;
    const kind digits = read_digits(text, now, t);
    if (digits == kind::day) {
        lo = t;
        hi = zov::midnight_after(t, 1);
    } else if (digits == kind::instant) {
        lo = hi = t;
    }
    return digits;
}

}  // namespace

const char* const time_forms =
    "use 2026-12-10, 2026-12-10T08:30[+01:00], 08:30, now, today, yesterday, monday ... sunday, "
    "-3d, -2h, \"10 min ago\", or thisweek, lastweek, thismonth, lastmonth, thisyear";

bool parse_time(const std::string& text, const vu_datetime& now, vu_datetime& out, bool* date_only)
{
    vu_datetime lo, hi;
    const kind k = read_any(text, now, lo, hi);
    if (k != kind::instant && k != kind::day)
        return false;
    out = lo;
    if (date_only)
        *date_only = k == kind::day;
    return true;
}

bool parse_span(const std::string& text, const vu_datetime& now, time_span& out)
{
    vu_datetime lo, hi;
    const kind k = read_any(text, now, lo, hi);
    if (k == kind::none)
        return false;
    out.lo = lo;
    out.hi = hi;
    out.instant = k == kind::instant;
    return true;
}

}  // namespace zov
