// vu_datetime, min/max and tokenize: texts, calendar fields and arithmetic in
// local time, under zones with and without daylight saving.

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include <climits>
#include <cstdlib>
#include <sys/mount.h>

#include "test_support.h"

using namespace zovtest;

namespace {

// Local wall time of a value, independent of the readable text.
std::string wall(const vu_datetime& v)
{
    return v.to_format_string("%Y-%m-%dT%H:%M:%S");
}

// The daylight-saving changes of a zone: a local time inside the spring gap,
// a local time inside the repeated autumn period, and the two days they
// happen on. Empty texts for zones without daylight saving.
struct ZoneDst
{
    const char* zone;
    const char* gap_local;        // does not exist
    const char* gap_moved;        // where it is moved to (forward by the gap)
    const char* repeated_local;   // exists twice
    const char* repeated_first;   // readable text of the first occurrence
    const char* repeated_second;  // readable text of the second occurrence
    double repeat_seconds;        // length of the repeated period
    const char* short_day;        // the spring day, 00:00 local
    double short_day_hours;
    const char* long_day;         // the autumn day, 00:00 local
    double long_day_hours;
};

const ZoneDst zone_dst[] = {
    {"UTC", "", "", "", "", "", 0, "", 24, "", 24},
    {"Europe/Berlin", "2013-03-31T02:30:00", "2013-03-31T03:30:00+02:00", "2013-10-27T02:30:00",
     "2013-10-27T02:30:00+02:00", "2013-10-27T02:30:00+01:00", 3600, "2013-03-31T00:00:00", 23,
     "2013-10-27T00:00:00", 25},
    {"America/New_York", "2013-03-10T02:30:00", "2013-03-10T03:30:00-04:00", "2013-11-03T01:30:00",
     "2013-11-03T01:30:00-04:00", "2013-11-03T01:30:00-05:00", 3600, "2013-03-10T00:00:00", 23,
     "2013-11-03T00:00:00", 25},
    // Half-hour daylight saving.
    {"Australia/Lord_Howe", "2020-10-04T02:10:00", "2020-10-04T02:40:00+11:00", "2020-04-05T01:45:00",
     "2020-04-05T01:45:00+11:00", "2020-04-05T01:45:00+10:30", 1800, "2020-10-04T00:00:00", 23.5,
     "2020-04-05T00:00:00", 24.5},
};

const ZoneDst& dst_of(const std::string& zone)
{
    for (const ZoneDst& z : zone_dst)
        if (zone == z.zone)
            return z;
    throw std::runtime_error("no DST data for " + zone);
}

class DateTimeZones : public ::testing::TestWithParam<const char*>
{
protected:
    DateTimeZones() : m_tz(GetParam()) {}
    const ZoneDst& dst() const { return dst_of(GetParam()); }

private:
    TzGuard m_tz;
};

}  // namespace

// ---------------------------------------------------------------------------
// The readable text

TEST_P(DateTimeZones, readable_text_with_offset_or_z_is_one_instant_in_every_zone)
{
    // 2013-03-13 07:00:00 UTC
    const std::int64_t expected = 1363158000;
    for (const char* text : {"2013-03-13T08:00:00+01:00", "2013-03-13T07:00:00Z", "2013-03-13T07:00:00+00:00",
                             "2013-03-13T02:00:00-05:00", "2013-03-13T17:30:00+10:30",
                             "2013-03-12T23:00:00-08:00"}) {
        vu_datetime v;
        ASSERT_TRUE(v.parse_readable_datetime_string(text)) << text;
        EXPECT_EQ(v.to_time_t(), expected) << text;
    }
}

TEST_P(DateTimeZones, readable_text_without_offset_is_local_time)
{
    for (const char* text : {"2013-03-13T08:00:00", "2013-07-01T23:59:59", "2000-01-01T00:00:00",
                             "2012-02-29T12:34:56", "2099-12-31T23:59:59"}) {
        vu_datetime v;
        ASSERT_TRUE(v.parse_readable_datetime_string(text)) << text;
        EXPECT_EQ(wall(v), text);
        // The written text carries the offset and reads back to the same instant.
        const std::string written = v.to_readable_datetime_string();
        EXPECT_EQ(written.substr(0, 19), text);
        vu_datetime back;
        ASSERT_TRUE(back.parse_readable_datetime_string(written)) << written;
        EXPECT_EQ(back, v) << written;
    }
}

TEST_P(DateTimeZones, readable_text_written_exactly)
{
    struct Case
    {
        std::int64_t t;
        const char* utc;
        const char* berlin;
        const char* new_york;
        const char* lord_howe;
    };
    const Case cases[] = {
        {1363158000, "2013-03-13T07:00:00+00:00", "2013-03-13T08:00:00+01:00", "2013-03-13T03:00:00-04:00",
         "2013-03-13T18:00:00+11:00"},
        {1372636800, "2013-07-01T00:00:00+00:00", "2013-07-01T02:00:00+02:00", "2013-06-30T20:00:00-04:00",
         "2013-07-01T10:30:00+10:30"},
        {946684799, "1999-12-31T23:59:59+00:00", "2000-01-01T00:59:59+01:00", "1999-12-31T18:59:59-05:00",
         "2000-01-01T10:59:59+11:00"},
        {0, "1970-01-01T00:00:00+00:00", "1970-01-01T01:00:00+01:00", "1969-12-31T19:00:00-05:00",
         "1970-01-01T10:00:00+10:00"},
    };
    const std::string zone = GetParam();
    for (const Case& c : cases) {
        vu_datetime v;
        v.set_time_t(c.t);
        const char* expected = zone == "UTC" ? c.utc
            : zone == "Europe/Berlin"        ? c.berlin
            : zone == "America/New_York"     ? c.new_york
                                             : c.lord_howe;
        EXPECT_EQ(v.to_readable_datetime_string(), expected) << c.t;
    }
}

TEST_P(DateTimeZones, readable_text_rejected_leaves_value_unchanged)
{
    const char* rejected[] = {
        "",
        "2013-03-13",
        "08:00:00",
        "2013-03-13 08:00:00",
        "2013-03-13t08:00:00",
        "2013-3-13T08:00:00",
        "2013-03-3T08:00:00",
        "13-03-13T08:00:00",
        "2013-03-13T8:00:00",
        "2013-03-13T08:00",
        "2013-03-13T08:00:0",
        "2013-03-13T08:00:00.5",
        "2013-03-13T08:00:00+0100",
        "2013-03-13T08:00:00+01",
        "2013-03-13T08:00:00+1:00",
        "2013-03-13T08:00:00 +01:00",
        "2013-03-13T08:00:00+01:00 ",
        " 2013-03-13T08:00:00+01:00",
        "2013-03-13T08:00:00+01:00x",
        "2013-03-13T08:00:00z",
        "2013-03-13T08:00:00ZZ",
        "2013-03-13T08:00:00Z+01:00",
        "2013-03-13T08:00:00UTC",
        "2013-03-13T08:00:00+24:00",
        "2013-03-13T08:00:00+01:60",
        "2013-02-29T08:00:00",
        "2100-02-29T08:00:00",
        "2013-04-31T08:00:00",
        "2013-00-13T08:00:00",
        "2013-13-13T08:00:00",
        "2013-03-00T08:00:00",
        "2013-03-13T24:00:00",
        "2013-03-13T08:60:00",
        "2013-03-13T08:00:60",
        "2013-03-13T-8:00:00",
        "+013-03-13T08:00:00",
        "abcd-ef-ghTij:kl:mn",
        "13.03.2013 08:00",
        "1363158000",
    };
    for (const char* text : rejected) {
        vu_datetime set = at("2013-03-13T08:00:00+01:00");
        EXPECT_FALSE(set.parse_readable_datetime_string(text)) << '"' << text << '"';
        EXPECT_EQ(set.to_time_t(), 1363158000) << text;
        vu_datetime unset;
        EXPECT_FALSE(unset.parse_readable_datetime_string(text)) << text;
        EXPECT_TRUE(unset.is_not_a_date_time()) << text;
    }
    // The text ends where the length says, not at a zero byte.
    const std::string with_nul("2013-03-13T08:00:00\0", 20);
    vu_datetime v = at("2013-03-13T08:00:00+01:00");
    EXPECT_FALSE(v.parse_readable_datetime_string(with_nul));
    EXPECT_EQ(v.to_time_t(), 1363158000);
}

TEST_P(DateTimeZones, readable_text_accepts_leap_days_of_leap_years_only)
{
    vu_datetime v;
    EXPECT_TRUE(v.parse_readable_datetime_string("2000-02-29T00:00:00Z"));
    EXPECT_TRUE(v.parse_readable_datetime_string("2012-02-29T23:59:59+01:00"));
    EXPECT_FALSE(v.parse_readable_datetime_string("1900-02-29T00:00:00Z"));
    EXPECT_FALSE(v.parse_readable_datetime_string("2013-02-29T00:00:00Z"));
}

TEST_P(DateTimeZones, readable_text_round_trips_to_the_second_across_years)
{
    // An odd step so that every second of the minute and many offsets of the
    // day are hit, across year ends and both changes of each year.
    const std::int64_t step = 7 * 3600 + 13 * 60 + 17;
    const std::int64_t from = at("2012-12-25T00:00:00Z").to_time_t();
    const std::int64_t to = at("2021-01-05T00:00:00Z").to_time_t();
    for (std::int64_t t = from; t < to; t += step) {
        vu_datetime v;
        v.set_time_t(t);
        const std::string text = v.to_readable_datetime_string();
        ASSERT_EQ(text.find_first_of(" \t\r\n"), std::string::npos) << text;
        ASSERT_EQ(text.size(), 25u) << text;
        vu_datetime back;
        ASSERT_TRUE(back.parse_readable_datetime_string(text)) << text;
        ASSERT_EQ(back.to_time_t(), t) << text;
    }
}

TEST_P(DateTimeZones, readable_text_round_trips_every_minute_around_the_changes)
{
    const ZoneDst& z = dst();
    if (!*z.gap_local)
        GTEST_SKIP() << "no daylight saving";
    for (const char* day : {z.short_day, z.long_day}) {
        const std::int64_t start = at(day).to_time_t();
        for (std::int64_t t = start; t < start + 6 * 3600; t += 60) {
            for (std::int64_t s : {t, t + 59}) {
                vu_datetime v;
                v.set_time_t(s);
                vu_datetime back;
                ASSERT_TRUE(back.parse_readable_datetime_string(v.to_readable_datetime_string()));
                ASSERT_EQ(back.to_time_t(), s) << v.to_readable_datetime_string();
            }
        }
    }
}

TEST_P(DateTimeZones, spring_gap_moves_forward_by_the_gap)
{
    const ZoneDst& z = dst();
    if (!*z.gap_local)
        GTEST_SKIP() << "no daylight saving";
    vu_datetime v;
    ASSERT_TRUE(v.parse_readable_datetime_string(z.gap_local));
    EXPECT_EQ(v.to_readable_datetime_string(), z.gap_moved);
    // The same for a time of day read into that day.
    vu_datetime d = at(z.short_day);
    ASSERT_TRUE(d.parse_datetime(std::string(z.gap_local).substr(11, 5), "%H:%M"));
    EXPECT_EQ(d.to_readable_datetime_string().substr(0, 16), std::string(z.gap_moved).substr(0, 16));
}

TEST_P(DateTimeZones, repeated_autumn_time_is_told_apart_by_its_offset)
{
    const ZoneDst& z = dst();
    if (!*z.repeated_local)
        GTEST_SKIP() << "no daylight saving";
    // Without offset: the first occurrence.
    vu_datetime first;
    ASSERT_TRUE(first.parse_readable_datetime_string(z.repeated_local));
    EXPECT_EQ(first.to_readable_datetime_string(), z.repeated_first);

    vu_datetime second;
    second.set_time_t(first.to_time_t() + static_cast<std::int64_t>(z.repeat_seconds));
    EXPECT_EQ(second.to_readable_datetime_string(), z.repeated_second);
    EXPECT_EQ(wall(first), wall(second));
    EXPECT_NE(first.to_readable_datetime_string(), second.to_readable_datetime_string());

    // Both texts read back exactly.
    vu_datetime a, b;
    ASSERT_TRUE(a.parse_readable_datetime_string(z.repeated_first));
    ASSERT_TRUE(b.parse_readable_datetime_string(z.repeated_second));
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, second);
    EXPECT_DOUBLE_EQ(b.diff_seconds(a), z.repeat_seconds);

    // Wall-clock time of day: the same for both.
    EXPECT_DOUBLE_EQ(first.time_of_day_seconds(), second.time_of_day_seconds());
    EXPECT_EQ(first.date(), second.date());
}

TEST_P(DateTimeZones, days_of_the_changes_have_their_real_length)
{
    const ZoneDst& z = dst();
    const char* days[] = {"2013-03-13T00:00:00", z.short_day, z.long_day};
    const double lengths[] = {24, z.short_day_hours, z.long_day_hours};
    for (int i = 0; i < 3; ++i) {
        if (!*days[i])
            continue;
        const vu_datetime day = at(days[i]);
        // 12 hours on the clock later is certainly the same day; add a day.
        vu_datetime later;
        later.set_time_t(day.to_time_t() + 36 * 3600);
        const vu_datetime next_day = later.date();
        EXPECT_DOUBLE_EQ(next_day.diff_hours(day), lengths[i]) << days[i];
        EXPECT_EQ(next_day.to_format_string("%H:%M:%S"), "00:00:00");
        EXPECT_EQ(day.date(), day);
    }
}

// ---------------------------------------------------------------------------
// Julian day count, differences, day start, time of day

TEST_P(DateTimeZones, jdn_counts_days_in_universal_time)
{
    vu_datetime epoch = at("1970-01-01T00:00:00Z");
    EXPECT_DOUBLE_EQ(epoch.to_jdn(), 2440588.0);
    // The toolkit's Julian day of 2000-01-01 12:00 UTC is 2451545.0.
    EXPECT_DOUBLE_EQ(at("2000-01-01T12:00:00Z").to_jdn(), 2451545.5);
    EXPECT_DOUBLE_EQ(at("2013-03-13T08:00:00+01:00").to_jdn(), 2440588.0 + 1363158000.0 / 86400.0);

    vu_datetime v;
    v.set_jdn(2440588.0);
    EXPECT_EQ(v.to_time_t(), 0);
    v.set_jdn(2440588.0 + 1.0 / 24.0);
    EXPECT_EQ(v.to_readable_datetime_string(), at("1970-01-01T01:00:00Z").to_readable_datetime_string());
    v.set_jdn(2440587.5);
    EXPECT_EQ(v.to_time_t(), -43200);

    // Round trip to the second for a range of instants.
    for (std::int64_t t = 946684800; t < 4102444800; t += 86400 * 37 + 3607) {
        vu_datetime a;
        a.set_time_t(t);
        vu_datetime b;
        b.set_jdn(a.to_jdn());
        ASSERT_EQ(b.to_time_t(), t);
    }
}

TEST_P(DateTimeZones, diff_hours_and_seconds_are_this_minus_other)
{
    const vu_datetime a = at("2013-03-13T08:00:00");
    const vu_datetime b = at("2013-03-13T09:30:15");
    EXPECT_DOUBLE_EQ(b.diff_seconds(a), 5415.0);
    EXPECT_DOUBLE_EQ(a.diff_seconds(b), -5415.0);
    EXPECT_DOUBLE_EQ(b.diff_hours(a), 5415.0 / 3600.0);
    EXPECT_DOUBLE_EQ(a.diff_hours(b), -5415.0 / 3600.0);
    EXPECT_DOUBLE_EQ(a.diff_hours(a), 0.0);
    // Across a year end and over long spans: real elapsed time.
    EXPECT_DOUBLE_EQ(at("2014-01-01T00:00:00Z").diff_hours(at("2013-12-31T23:00:00Z")), 1.0);
    EXPECT_DOUBLE_EQ(at("2100-01-01T00:00:00Z").diff_hours(at("2000-01-01T00:00:00Z")), 36525.0 * 24);
}

TEST_P(DateTimeZones, date_is_the_start_of_the_local_day)
{
    for (const char* text : {"2013-03-13T08:00:00", "2013-03-13T00:00:00", "2013-03-13T23:59:59",
                             "2013-12-31T23:59:59", "2014-01-01T00:00:01"}) {
        const vu_datetime v = at(text);
        const vu_datetime d = v.date();
        EXPECT_EQ(wall(d), std::string(text).substr(0, 10) + "T00:00:00") << text;
        EXPECT_DOUBLE_EQ(d.time_of_day_seconds(), 0.0);
        EXPECT_EQ(d.date(), d);
        // date() is a query: the value itself is unchanged.
        EXPECT_EQ(wall(v), text);
    }
}

TEST_P(DateTimeZones, time_of_day_is_wall_clock_seconds)
{
    struct Case
    {
        const char* text;
        double seconds;
    };
    const Case cases[] = {
        {"2013-03-13T00:00:00", 0},
        {"2013-03-13T08:00:05", 8 * 3600 + 5},
        {"2013-03-13T23:59:59", 86399},
        {"2013-10-27T04:00:00", 4 * 3600},  // after the autumn change in Berlin
        {"2013-03-31T05:00:00", 5 * 3600},  // after the spring change in Berlin
        {"2013-11-03T12:00:00", 12 * 3600},
        {"2020-10-04T12:00:00", 12 * 3600},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(at(c.text).time_of_day_seconds(), c.seconds) << c.text;
}

TEST_P(DateTimeZones, set_date_today_and_set_local_time_follow_the_fixed_clock)
{
    FixedClock clock("2013-03-13T08:15:30");
    vu_datetime now;
    now.set_local_time();
    EXPECT_EQ(wall(now), "2013-03-13T08:15:30");
    vu_datetime today;
    today.set_date_today();
    EXPECT_EQ(wall(today), "2013-03-13T00:00:00");
    EXPECT_EQ(today, now.date());

    clock.set("2013-12-31T23:59:59");
    today.set_date_today();
    EXPECT_EQ(wall(today), "2013-12-31T00:00:00");
    clock.advance(1);
    today.set_date_today();
    EXPECT_EQ(wall(today), "2014-01-01T00:00:00");

    const ZoneDst& z = dst();
    if (*z.long_day) {
        clock.set(std::string(z.long_day).substr(0, 10) + "T12:00:00");
        today.set_date_today();
        EXPECT_EQ(wall(today), z.long_day);
    }
}

// ---------------------------------------------------------------------------
// Format and parse

TEST_P(DateTimeZones, format_strings_used_by_the_program)
{
    ASSERT_STREQ(std::setlocale(LC_TIME, nullptr), "C");
    struct Case
    {
        const char* text;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {"2013-03-13T08:05:09", "%H:%M", "08:05"},
        {"2013-03-13T23:59:59", "%H:%M", "23:59"},
        {"2013-03-03T00:00:00", "%d-%b", "03-Mar"},
        {"2013-12-31T12:00:00", "%d-%b", "31-Dec"},
        {"2013-03-13T08:05:09", "%d-%b-%Y %H:%M:%S", "13-Mar-2013 08:05:09"},
        {"2014-01-01T00:00:00", "%d-%b-%Y %H:%M:%S", "01-Jan-2014 00:00:00"},
        {"2012-02-29T17:00:00", "%Y%m%d-%H%M%S", "20120229-170000"},
        {"2013-03-13T08:05:09", "%a %A %b %B %j %u %w", "Wed Wednesday Mar March 072 3 3"},
        {"2013-03-13T08:05:09", "100%% %H", "100% 08"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(at(c.text).to_format_string(c.format), c.expected) << c.format;
    EXPECT_EQ(at("2013-03-13T08:05:09").to_format_string(""), "");
}

TEST_P(DateTimeZones, format_string_agrees_with_the_c_library)
{
    const char* format = "%Y-%m-%d %H:%M:%S %a %b %j %u %w %V %G %g %U %W %y %e %I %p %z";
    for (std::int64_t t = 946684800 - 86400 * 3; t < 4102444800; t += 86400 * 11 + 4999) {
        vu_datetime v;
        v.set_time_t(t);
        std::time_t tt = static_cast<std::time_t>(t);
        std::tm tm{};
        ASSERT_NE(localtime_r(&tt, &tm), nullptr);
        char buf[256];
        ASSERT_GT(std::strftime(buf, sizeof buf, format, &tm), 0u);
        ASSERT_EQ(v.to_format_string(format), buf) << t;
    }
}

TEST_P(DateTimeZones, parse_time_of_day_table)
{
    struct Case
    {
        const char* text;
        bool ok;
        int hour;
        int minute;
    };
    const Case cases[] = {
        {"08:00", true, 8, 0},   {"8:00", true, 8, 0},    {"8:5", true, 8, 5},     {"08:05", true, 8, 5},
        {"0:0", true, 0, 0},     {"00:00", true, 0, 0},   {"23:59", true, 23, 59}, {"12:30", true, 12, 30},
        {"24:00", false, 0, 0},  {"12:60", false, 0, 0},  {"99:99", false, 0, 0},  {"", false, 0, 0},
        {":", false, 0, 0},      {"8", false, 0, 0},      {"8:", false, 0, 0},     {":30", false, 0, 0},
        {"123:00", false, 0, 0}, {"12:345", false, 0, 0}, {"012:00", false, 0, 0}, {" 8:00", false, 0, 0},
        {"8:00 ", false, 0, 0},  {"8 :00", false, 0, 0},  {"8: 00", false, 0, 0},  {"08-00", false, 0, 0},
        {"08.00", false, 0, 0},  {"-1:00", false, 0, 0},  {"+8:00", false, 0, 0},  {"8:00:00", false, 0, 0},
        {"8:00am", false, 0, 0}, {"1a:00", false, 0, 0},  {"x8:00", false, 0, 0},
    };
    for (const Case& c : cases) {
        vu_datetime v = at("2013-03-13T17:45:12");
        const bool ok = v.parse_datetime(c.text, "%H:%M");
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
        if (c.ok) {
            // The value's own day, the given time, zero seconds.
            EXPECT_EQ(v.to_format_string("%Y-%m-%d"), "2013-03-13") << c.text;
            EXPECT_DOUBLE_EQ(v.time_of_day_seconds(), c.hour * 3600.0 + c.minute * 60.0) << c.text;
        } else {
            EXPECT_EQ(wall(v), "2013-03-13T17:45:12") << c.text;
        }
    }
}

TEST_P(DateTimeZones, parse_time_of_day_on_an_unset_value_uses_today)
{
    FixedClock clock("2013-03-13T17:45:12");
    vu_datetime v;
    ASSERT_TRUE(v.parse_datetime("9:07", "%H:%M"));
    EXPECT_EQ(wall(v), "2013-03-13T09:07:00");
    vu_datetime w;
    EXPECT_FALSE(w.parse_datetime("25:00", "%H:%M"));
    EXPECT_TRUE(w.is_not_a_date_time());
}

// ---------------------------------------------------------------------------
// Weeks

TEST_P(DateTimeZones, year_week_monday_table)
{
    struct Case
    {
        int year;
        int week;
        const char* monday;
    };
    const Case cases[] = {
        {2014, 1, "2013-12-30"},  {2013, 1, "2012-12-31"}, {2013, 11, "2013-03-11"}, {2015, 53, "2015-12-28"},
        {2016, 1, "2016-01-04"},  {2020, 53, "2020-12-28"}, {2021, 1, "2021-01-04"}, {2009, 53, "2009-12-28"},
        {2010, 1, "2010-01-04"},  {2004, 53, "2004-12-27"}, {2000, 1, "2000-01-03"}, {2099, 53, "2099-12-28"},
        {2026, 1, "2025-12-29"},
    };
    for (const Case& c : cases) {
        const vu_datetime m = vu_datetime::year_week_monday(c.year, c.week);
        EXPECT_EQ(wall(m), std::string(c.monday) + "T00:00:00") << c.year << " w" << c.week;
        EXPECT_EQ(m.to_day_of_week2(), 0);
        EXPECT_EQ(m.to_week_number(), c.week);
        EXPECT_EQ(m.to_year_number(), c.year);
        EXPECT_EQ(m.date(), m);
    }
}

TEST_P(DateTimeZones, week_of_the_changes_starts_at_midnight)
{
    const ZoneDst& z = dst();
    for (const char* day : {z.short_day, z.long_day}) {
        if (!*day)
            continue;
        const vu_datetime v = at(day);
        const vu_datetime m = vu_datetime::year_week_monday(v.to_year_number(), v.to_week_number());
        EXPECT_EQ(wall(m).substr(11), "00:00:00");
        EXPECT_EQ(m.to_day_of_week2(), 0);
        // Seven days after that Monday is the next Monday, whatever the change.
        const vu_datetime next = vu_datetime::year_week_monday(v.to_year_number(), v.to_week_number() + 1);
        EXPECT_LE(v.diff_hours(m), 7 * 24.0);
        EXPECT_GT(next.diff_hours(v), 0.0);
        EXPECT_NEAR(next.diff_hours(m), 7 * 24.0, 1.0);
    }
}

namespace {

// ISO weekday, week and week-year from the C library on a UTC calendar date,
// independent of the component under test.
struct IsoDay
{
    int weekday;  // Monday 0
    int week;
    int year;
};

IsoDay iso_of(int year, int month, int day)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    const std::time_t t = timegm(&tm);
    std::tm out{};
    gmtime_r(&t, &out);
    char buf[32];
    std::strftime(buf, sizeof buf, "%u %V %G", &out);
    IsoDay r{};
    std::sscanf(buf, "%d %d %d", &r.weekday, &r.week, &r.year);
    r.weekday -= 1;
    return r;
}

// Walks the days of 2000..2100; every day when all is true, else a sample
// (every fifth day and the days around each year end).
void walk_days(bool all)
{
    int year = 2000, month = 1, day = 1;
    int index = 0;
    const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (year <= 2100) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        const int in_month = month == 2 && leap ? 29 : month_days[month - 1];
        const bool year_end = (month == 12 && day >= 25) || (month == 1 && day <= 7);
        if (all || index % 5 == 0 || year_end) {
            const IsoDay iso = iso_of(year, month, day);
            char noon[64];
            std::snprintf(noon, sizeof noon, "%04d-%02d-%02dT12:00:00", year, month, day);
            const vu_datetime v = at(noon);
            ASSERT_EQ(v.to_day_of_week2(), iso.weekday) << noon;
            ASSERT_EQ(v.to_week_number(), iso.week) << noon;
            ASSERT_EQ(v.to_year_number(), iso.year) << noon;
            // The first and the last second of the day are in the same week.
            const vu_datetime start = v.date();
            vu_datetime last;
            last.set_local(year, month, day, 23, 59, 59);
            ASSERT_EQ(start.to_week_number(), iso.week) << noon;
            ASSERT_EQ(last.to_week_number(), iso.week) << noon;
            ASSERT_EQ(last.to_year_number(), iso.year) << noon;
            ASSERT_EQ(last.to_day_of_week2(), iso.weekday) << noon;
            // The Monday of the week lies weekday days back.
            const vu_datetime monday = vu_datetime::year_week_monday(iso.year, iso.week);
            ASSERT_EQ(monday.to_day_of_week2(), 0) << noon;
            ASSERT_EQ(wall(monday).substr(11), "00:00:00") << noon;
            const double days = v.diff_hours(monday) / 24.0;
            ASSERT_GE(days, iso.weekday) << noon;
            ASSERT_LT(days, iso.weekday + 1) << noon;
        }
        ++index;
        if (++day > in_month) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}

}  // namespace

TEST(vu_datetime_days, every_day_2000_to_2100_in_utc_matches_the_c_library)
{
    TzGuard tz("UTC");
    walk_days(true);
}

TEST_P(DateTimeZones, sampled_days_2000_to_2100_match_the_c_library)
{
    walk_days(false);
}

// ---------------------------------------------------------------------------
// Unset values, min and max

TEST_P(DateTimeZones, not_a_date_time)
{
    const vu_datetime unset;
    EXPECT_TRUE(unset.is_not_a_date_time());
    EXPECT_TRUE(unset.date().is_not_a_date_time());
    EXPECT_EQ(unset.to_readable_datetime_string(), "");
    EXPECT_EQ(unset.to_format_string("%H:%M"), "");
    const vu_datetime copy = unset;
    EXPECT_TRUE(copy.is_not_a_date_time());

    const vu_datetime set = at("2013-03-13T08:00:00");
    EXPECT_FALSE(set.is_not_a_date_time());
    EXPECT_DOUBLE_EQ(set.diff_hours(unset), 0.0);
    EXPECT_DOUBLE_EQ(unset.diff_seconds(set), 0.0);

    vu_datetime epoch;
    epoch.set_time_t(0);
    EXPECT_FALSE(epoch.is_not_a_date_time());

    vu_datetime from_nan;
    from_nan.set_jdn(std::nan(""));
    EXPECT_TRUE(from_nan.is_not_a_date_time());
}

TEST_P(DateTimeZones, min_and_max_return_the_earlier_and_the_later)
{
    const vu_datetime a = at("2013-03-13T08:00:00");
    const vu_datetime b = at("2013-03-13T08:00:01");
    EXPECT_EQ(min(a, b), a);
    EXPECT_EQ(min(b, a), a);
    EXPECT_EQ(max(a, b), b);
    EXPECT_EQ(max(b, a), b);
    EXPECT_EQ(min(a, a), a);
    EXPECT_EQ(max(a, a), a);
    // The repeated autumn hour: same wall time, different instants.
    const ZoneDst& z = dst();
    if (*z.repeated_first) {
        const vu_datetime first = at(z.repeated_first);
        const vu_datetime second = at(z.repeated_second);
        EXPECT_EQ(min(second, first), first);
        EXPECT_EQ(max(first, second), second);
    }
}

INSTANTIATE_TEST_SUITE_P(zones, DateTimeZones, ::testing::ValuesIn(test_zones), zone_name);

// ---------------------------------------------------------------------------
// Zones that change their clocks at midnight

TEST(vu_datetime_midnight_change, a_day_without_midnight_starts_at_its_first_instant)
{
    struct Case
    {
        const char* zone;
        const char* inside;     // a time of that day
        const char* expected;   // readable text of the day's start
        const char* previous;   // the day before's start, for the day length
        double hours;           // length of the previous day
    };
    const Case cases[] = {
        {"America/Sao_Paulo", "2018-11-04T12:00:00", "2018-11-04T01:00:00-02:00", "2018-11-03T00:00:00-03:00", 24},
        {"America/Havana", "2013-03-10T12:00:00", "2013-03-10T01:00:00-04:00", "2013-03-09T00:00:00-05:00", 24},
        {"Asia/Beirut", "2013-03-31T12:00:00", "2013-03-31T01:00:00+03:00", "2013-03-30T00:00:00+02:00", 24},
    };
    for (const Case& c : cases) {
        TzGuard tz(c.zone);
        const vu_datetime start = at(c.inside).date();
        EXPECT_EQ(start.to_readable_datetime_string(), c.expected) << c.zone;
        EXPECT_DOUBLE_EQ(start.time_of_day_seconds(), 3600.0) << c.zone;
        EXPECT_EQ(start.date(), start) << c.zone;
        // One second earlier is still the day before.
        vu_datetime before;
        before.set_time_t(start.to_time_t() - 1);
        EXPECT_EQ(before.date(), at(c.previous)) << c.zone;
        EXPECT_DOUBLE_EQ(start.diff_hours(at(c.previous)), c.hours) << c.zone;
        // "00:00" of that day reads as the day's start.
        vu_datetime midnight;
        EXPECT_TRUE(midnight.parse_readable_datetime_string(std::string(c.inside).substr(0, 10) + "T00:00:00"));
        EXPECT_EQ(midnight, start) << c.zone;

        FixedClock clock(c.inside);
        vu_datetime today;
        today.set_date_today();
        EXPECT_EQ(today, start) << c.zone;
    }
}

TEST(vu_datetime_midnight_change, a_repeated_midnight_starts_at_its_first_occurrence)
{
    // Havana 2013-11-03: 01:00 becomes 00:00 again.
    TzGuard tz("America/Havana");
    const vu_datetime start = at("2013-11-03T12:00:00").date();
    EXPECT_EQ(start.to_readable_datetime_string(), "2013-11-03T00:00:00-04:00");
    vu_datetime late;
    late.set_time_t(start.to_time_t() + 3600 + 1800);  // 00:30 the second time
    EXPECT_EQ(late.to_readable_datetime_string(), "2013-11-03T00:30:00-05:00");
    EXPECT_EQ(late.date(), start);
    const vu_datetime monday = vu_datetime::year_week_monday(2013, 45);
    EXPECT_EQ(monday.to_readable_datetime_string(), "2013-11-04T00:00:00-05:00");
}

// ---------------------------------------------------------------------------
// tokenize

TEST(tokenize, splits_at_runs_of_separators)
{
    struct Case
    {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {" \t\r \r", {}},
        {"a", {"a"}},
        {"a b", {"a", "b"}},
        {"  a\t\t b\r", {"a", "b"}},
        {"K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00\r",
         {"K", "1.50", "2013-03-13T08:00:00+01:00", "2013-03-13T09:30:00+01:00"}},
        {"\tx\ty\tz\t", {"x", "y", "z"}},
        {"a\nb c", {"a\nb", "c"}},  // a line feed is no separator here
        {"%DUMMY x", {"%DUMMY", "x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tokens;
        tokenize(c.text, " \t\r", tokens);
        EXPECT_EQ(tokens, c.tokens) << '"' << c.text << '"';
    }
}

TEST(tokenize, appends_to_the_vector_and_takes_any_separator_set)
{
    std::vector<std::string> tokens{"kept"};
    tokenize("a,b;;c", ",;", tokens);
    EXPECT_EQ(tokens, (std::vector<std::string>{"kept", "a", "b", "c"}));
    tokens.clear();
    tokenize("abc", "", tokens);
    EXPECT_EQ(tokens, (std::vector<std::string>{"abc"}));
}

TEST(vu_datetime_zone, a_change_of_the_tz_variable_is_noticed)
{
    TzGuard tz("UTC");
    const vu_datetime v = at("2013-03-13T07:00:00Z");
    EXPECT_EQ(v.to_readable_datetime_string(), "2013-03-13T07:00:00+00:00");
    // Set behind the component's back, without reset_time_zone().
    setenv("TZ", "Europe/Berlin", 1);
    EXPECT_EQ(v.to_readable_datetime_string(), "2013-03-13T08:00:00+01:00");
    EXPECT_EQ(at("2013-03-13T08:00:00").to_time_t(), v.to_time_t());
    setenv("TZ", "America/New_York", 1);
    EXPECT_EQ(v.to_format_string("%H:%M"), "03:00");
}

// ---------------------------------------------------------------------------
// Times of day as typed, and a system zone that changes while a program runs

TEST(TimeOfDay, parse_time_of_day_reads_the_wall_clock_only)
{
    struct Case
    {
        const char* text;
        const char* format;
        bool ok;
        int seconds;
    };
    const Case cases[] = {
        {"02:30", "%H:%M", true, 9000},     {"0:05", "%H:%M", true, 300},   {"23:59", "%H:%M", true, 86340},
        {"24:00", "%H:%M", false, 0},       {"12:60", "%H:%M", false, 0},   {"12:30:15", "%H:%M:%S", true, 45015},
        {"12:30 ", "%H:%M", false, 0},      {"", "%H:%M", false, 0},        {"2013-03-31", "%Y-%m-%d", false, 0},
    };
    for (const Case& c : cases) {
        int seconds = -1;
        EXPECT_EQ(vu_datetime::parse_time_of_day(c.text, c.format, seconds), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(seconds, c.seconds) << c.text;
        }
    }
}

TEST(SystemZone, a_replaced_zone_file_is_taken_into_use)
{
    // In a mount namespace of its own, the system zone file is replaced by
    // Berlin's and then New York's, as timedatectl or travel would.
    char resolved[PATH_MAX];
    if (!::realpath("/etc/localtime", resolved))
        GTEST_SKIP() << "no system zone file";
    const std::string zone_file = resolved;
    const int rc = zovtest::in_child(
        [] { return zovtest::enter_private_mounts() && ::unsetenv("TZ") == 0; },
        [&] {
            const auto use = [&](const char* zone) {
                const std::string source = std::string("/usr/share/zoneinfo/") + zone;
                ASSERT_EQ(::mount(source.c_str(), zone_file.c_str(), nullptr, MS_BIND, nullptr), 0) << zone;
            };
            vu_datetime t;
            t.set_time_t(1363176000);  // 2013-03-13 12:00 UTC
            use("Europe/Berlin");
            vu_datetime::check_time_zone();
            EXPECT_EQ(t.to_readable_datetime_string(), "2013-03-13T13:00:00+01:00");
            use("America/New_York");
            // Stored instants keep their meaning; only the local reading changes.
            vu_datetime::check_time_zone();
            EXPECT_EQ(t.to_readable_datetime_string(), "2013-03-13T08:00:00-04:00");
            vu_datetime parsed;
            ASSERT_TRUE(parsed.parse_readable_datetime_string("2013-03-13T13:00:00+01:00"));
            EXPECT_EQ(parsed, t);
        });
    if (rc == zovtest::cannot_run)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(rc, 0);
}

// The system zone file replaced while a program runs (timedatectl, travel),
// in a private mount namespace: a program that asks the local time only twice
// a minute apart sees the new zone the second time. faketime runs the minute
// a hundred times faster.
TEST(ZoneFileChange, a_program_asking_twice_a_minute_sees_the_new_zone)
{
    if (zovtest::run_process({"sh", "-c", "command -v faketime >/dev/null"}).status != 0)
        GTEST_SKIP() << "faketime is not installed";
    const std::string berlin = "/usr/share/zoneinfo/Europe/Berlin";
    const std::string new_york = "/usr/share/zoneinfo/America/New_York";
    if (::access(berlin.c_str(), R_OK) != 0 || ::access(new_york.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no zone files";
    const int rc = zovtest::in_child(
        [&] {
            return zovtest::enter_private_mounts()
                   && ::mount(berlin.c_str(), "/etc/localtime", nullptr, MS_BIND, nullptr) == 0;
        },
        [&] {
            int to_probe[2], from_probe[2];
            ASSERT_EQ(::pipe(to_probe), 0);
            ASSERT_EQ(::pipe(from_probe), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::dup2(to_probe[0], 0);
                ::dup2(from_probe[1], 1);
                ::unsetenv("TZ");
                // faketime is preloaded before the sanitizer's runtime; that order is fine.
                const char* asan = std::getenv("ASAN_OPTIONS");
                const std::string options = std::string(asan ? asan : "") + (asan && *asan ? ":" : "")
                                            + "verify_asan_link_order=0";
                ::setenv("ASAN_OPTIONS", options.c_str(), 1);
                ::execlp("faketime", "faketime", "-f", "+0 x100", ZOV_ZONE_PROBE, static_cast<char*>(nullptr));
                ::_exit(127);
            }
            ::close(to_probe[0]);
            ::close(from_probe[1]);
            FILE* out = ::fdopen(from_probe[0], "r");
            char first[64] = {}, second[64] = {};
            ASSERT_NE(std::fgets(first, sizeof first, out), nullptr);
            ASSERT_EQ(::mount(new_york.c_str(), "/etc/localtime", nullptr, MS_BIND, nullptr), 0);
            ASSERT_EQ(::write(to_probe[1], "\n", 1), 1);
            ::close(to_probe[1]);
            ASSERT_NE(std::fgets(second, sizeof second, out), nullptr);
            std::fclose(out);
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            const std::string a(first), b(second);
            EXPECT_TRUE(a.find("+01:00") != std::string::npos || a.find("+02:00") != std::string::npos) << a;
            EXPECT_TRUE(b.find("-05:00") != std::string::npos || b.find("-04:00") != std::string::npos) << b;
        });
    if (rc == zovtest::cannot_run)
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(rc, 0);
}
