#include <zov/zovTimeText.h>

#include <cstdint>
#include <cstdio>

namespace zov {

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

bool read_date(scanner& s, int& y, int& m, int& d)
{
    return s.number(4, y) && s.take('-') && s.number(2, m) && s.take('-') && s.number(2, d)
           && y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, m);
}

bool read_clock(scanner& s, int& h, int& min, int& sec)
{
    sec = 0;
    if (!(s.number(2, h) && s.take(':') && s.number(2, min)))
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

}  // namespace

bool parse_time(const std::string& text, const vu_datetime& now, vu_datetime& out, bool* date_only)
{
    int y = 0, m = 0, d = 0, h = 0, min = 0, sec = 0;
    bool only_date = false;
    bool has_offset = false;
    int offset = 0;
    scanner s(text);
    if (text.size() >= 10 && text[4] == '-') {
        if (!read_date(s, y, m, d))
            return false;
        if (s.done()) {
            only_date = true;
        } else {
            if (!(s.take('T') || s.take(' ')) || !read_clock(s, h, min, sec)
                || !read_offset(s, has_offset, offset) || !s.done())
                return false;
        }
    } else {
        if (!read_clock(s, h, min, sec) || !s.done() || now.is_not_a_date_time())
            return false;
        // Today's date by the calendar of `now`.
        if (std::sscanf(now.to_format_string("%Y-%m-%d").c_str(), "%d-%d-%d", &y, &m, &d) != 3)
            return false;
    }
    vu_datetime t;
    if (has_offset) {
        const std::int64_t days = days_from_civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
        t.set_time_t(days * 86400 + h * 3600 + min * 60 + sec - offset);
    } else if (!t.set_local(y, m, d, h, min, sec)) {
        return false;
    }
    out = t;
    if (date_only)
        *date_only = only_date;
    return true;
}

}  // namespace zov
