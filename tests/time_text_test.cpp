// Times typed on the command line: each form, each zone, and wall-clock times
// on days whose offset differs from today's.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace zovtest;

namespace {

class TimeText : public ::testing::TestWithParam<const char*>
{
protected:
    TzGuard m_tz{GetParam()};
};

struct form
{
    const char* text;
    const char* expected;  // as at() reads it: local time, or with its offset
    bool date_only;
};

TEST_P(TimeText, FormsByTable)
{
    const vu_datetime now = at("2026-12-08T11:00:00");
    const form forms[] = {
        {"2026-12-10T08:30", "2026-12-10T08:30:00", false},
        {"2026-12-10T08:30:15", "2026-12-10T08:30:15", false},
        {"2026-12-10 08:30", "2026-12-10T08:30:00", false},
        {"2026-12-10", "2026-12-10T00:00:00", true},
        {"08:30", "2026-12-08T08:30:00", false},
        {"23:59:59", "2026-12-08T23:59:59", false},
        {"00:00", "2026-12-08T00:00:00", false},
        {"2026-12-10T08:30Z", "2026-12-10T08:30:00Z", false},
        {"2026-12-10T08:30:00+01:00", "2026-12-10T08:30:00+01:00", false},
        {"2026-12-10T08:30+0530", "2026-12-10T08:30:00+05:30", false},
        {"2026-12-10T08:30-05", "2026-12-10T08:30:00-05:00", false},
        {"2024-02-29", "2024-02-29T00:00:00", true},
        {"0001-01-01T00:00Z", "0001-01-01T00:00:00Z", false},
    };
    for (const form& f : forms) {
        vu_datetime t;
        bool date_only = !f.date_only;
        ASSERT_TRUE(zov::parse_time(f.text, now, t, &date_only)) << f.text;
        EXPECT_EQ(t, at(f.expected)) << f.text << " gave " << t.to_readable_datetime_string();
        EXPECT_EQ(date_only, f.date_only) << f.text;
    }
}

TEST_P(TimeText, RefusesWhatIsNotATime)
{
    const vu_datetime now = at("2026-12-08T11:00:00");
    for (const char* bad : {"", "yesterday", "8:30", "08:3", "24:00", "12:60", "12:30:60", "2026-13-01",
                            "2026-02-29", "2026-04-31", "0000-01-01", "2026-1-01", "2026-12-10T", "2026-12-10X08:30",
                            "2026-12-10T08:30+", "2026-12-10T08:30+1", "2026-12-10T08:30+24:00",
                            "2026-12-10T08:30Zz", "2026-12-10 ", " 08:30", "08:30 ", "2026-12-10T08:30:1"}) {
        vu_datetime t = now;
        EXPECT_FALSE(zov::parse_time(bad, now, t)) << "\"" << bad << "\"";
        EXPECT_EQ(t, now) << bad;
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, TimeText, ::testing::ValuesIn(test_zones), zone_name);

// A wall-clock time takes the offset of its own date: typed in summer for a
// winter day, or on a clock-change day for the hour after the change.
TEST(TimeTextClockChange, EachTimeOnItsOwnDate)
{
    for (const clock_change_day& day : clock_change_days) {
        TzGuard tz(day.zone);
        const std::string date = std::string(day.day).substr(0, 10);
        // "now" half a year away, with the other offset.
        vu_datetime now = at(day.day);
        now.set_time_t(now.to_time_t() + 182 * 86400);
        vu_datetime t;
        ASSERT_TRUE(zov::parse_time(date + "T12:00", now, t));
        EXPECT_EQ(t, at(date + "T12:00:00")) << day.zone << " " << date;
        EXPECT_EQ(t.to_format_string("%H:%M"), "12:00") << day.zone << " " << date;
        // The same clock time typed as "today" on that day.
        vu_datetime on_the_day = at(date + "T20:00:00");
        ASSERT_TRUE(zov::parse_time("12:00", on_the_day, t));
        EXPECT_EQ(t, at(date + "T12:00:00")) << day.zone;
        // Midnight to midnight is the day's real length.
        vu_datetime lo, hi;
        ASSERT_TRUE(zov::parse_time(date, now, lo));
        ASSERT_TRUE(zov::parse_time(std::string(day.next).substr(0, 10), now, hi));
        EXPECT_DOUBLE_EQ(hi.diff_hours(lo), day.hours) << day.zone << " " << date;
    }
}

// A time in the spring gap moves forward by the gap; a repeated autumn time
// takes its first occurrence.
TEST(TimeTextClockChange, GapAndRepeat)
{
    TzGuard tz("Europe/Berlin");
    const vu_datetime now = at("2013-07-01T12:00:00");
    vu_datetime t;
    ASSERT_TRUE(zov::parse_time("2013-03-31T02:30", now, t));
    EXPECT_EQ(t, at("2013-03-31T03:30:00+02:00"));
    ASSERT_TRUE(zov::parse_time("2013-10-27T02:30", now, t));
    EXPECT_EQ(t, at("2013-10-27T02:30:00+02:00"));
    ASSERT_TRUE(zov::parse_time("2013-10-27T02:30+01:00", now, t));
    EXPECT_EQ(t, at("2013-10-27T01:30:00Z"));
}

}  // namespace
