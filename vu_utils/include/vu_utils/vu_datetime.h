#pragma once
// A point in time with local-time calendar fields.
//
// The value is an instant, counted as whole seconds since 1970-01-01 00:00 UTC;
// to_jdn/set_jdn express it as the astronomical Julian Date plus 0.5 (so that
// 1970-01-01 00:00 UTC is 2440588.0). Calendar fields (date, time of day,
// weekday, ISO week, texts) are local time in the C library's time zone.

#include <cstdint>
#include <functional>
#include <string>

class vu_datetime
{
public:
    vu_datetime();
    virtual ~vu_datetime();
    vu_datetime(const vu_datetime&) = default;
    vu_datetime& operator=(const vu_datetime&) = default;

    // Setters.
    void set_local_time();   // now, from the clock
    void set_date_today();   // 00:00 of today
    void set_jdn(double jdn);
    void set_time_t(std::int64_t seconds);
    // Local calendar fields; a local time that does not exist (spring gap) is
    // moved forward by the gap, a repeated one (autumn) takes the first
    // occurrence. False, value unchanged, for fields out of range.
    bool set_local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    // Queries.
    bool is_not_a_date_time() const { return m_secs == not_a_date_time; }
    vu_datetime date() const;      // start of the value's local day
    double to_jdn() const;
    std::int64_t to_time_t() const;
    // this - other; 0 when either is not a date-time.
    double diff_hours(const vu_datetime& other) const { return diff_seconds(other) / 3600.0; }
    double diff_seconds(const vu_datetime& other) const
    {
        if (is_not_a_date_time() || other.is_not_a_date_time())
            return 0.0;
        return static_cast<double>(m_secs - other.m_secs);
    }
    // Wall-clock seconds since local 00:00 (hour * 3600 + minute * 60 + second).
    double time_of_day_seconds() const;
    int to_day_of_week2() const;   // Monday 0 ... Sunday 6
    int to_week_number() const;    // ISO 8601
    int to_year_number() const;    // the year that owns the ISO week
    static vu_datetime year_week_monday(int year, int week);

    // strftime conversions, in local time.
    std::string to_format_string(const std::string& format) const;
    // Reads text of the given format (%Y %m %d %H %M %S and literal
    // characters); the whole text must match. Date fields the format lacks come
    // from the value's own local date, or today's when it is unset.
    // On false the value is unchanged.
    bool parse_datetime(const std::string& text, const std::string& format);
    // Reads a wall-clock time of day (a format of %H %M %S and literal
    // characters) as seconds after local midnight, without placing it on any
    // date: a time that today's clock change skips may exist on the day it is
    // meant for. False for text that does not match or a time out of range.
    static bool parse_time_of_day(const std::string& text, const std::string& format, int& seconds);

    // "2013-03-13T08:00:00+01:00": ISO 8601 local time with its UTC offset.
    std::string to_readable_datetime_string() const;
    // Accepts the form above, the same with "Z", or without offset (local time).
    // On false the value is unchanged.
    bool parse_readable_datetime_string(const std::string& text);
    bool parse_readable_datetime_string(const char* text, std::size_t length);

    bool operator==(const vu_datetime& other) const { return m_secs == other.m_secs; }
    bool operator!=(const vu_datetime& other) const { return m_secs != other.m_secs; }
    bool operator<(const vu_datetime& other) const { return m_secs < other.m_secs; }

    // The clock behind set_local_time and set_date_today: seconds since the
    // epoch. An empty function restores the system clock. Tests fix it here.
    using clock_function = std::function<std::int64_t()>;
    static void set_clock(clock_function clock);
    static std::int64_t now_time_t();

    // Forget cached time-zone offsets, e.g. after the system zone changed.
    // A change of the TZ variable is noticed without this call, and one of
    // the system zone file within about a minute.
    static void reset_time_zone();
    // Looks at the system zone file now and takes a changed one into use.
    static void check_time_zone();

private:
    static constexpr std::int64_t not_a_date_time = INT64_MIN;
    std::int64_t m_secs;
};

// The earlier and the later of two values (not-a-date-time counts earliest).
inline vu_datetime min(const vu_datetime& a, const vu_datetime& b)
{
    return b < a ? b : a;
}

inline vu_datetime max(const vu_datetime& a, const vu_datetime& b)
{
    return a < b ? b : a;
}
