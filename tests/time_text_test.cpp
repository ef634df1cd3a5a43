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
    for (const char* bad : {"", "yesterdays", "tomorow", "8:3", "123:00", "-3", "-d", "-3x", "3 min", "ago", "min ago",
                            "-1234567d", "lastweeks", "08:3", "24:00", "12:60", "12:30:60", "2026-13-01",
                            "2026-02-29", "2026-04-31", "0000-01-01", "2026-1-01", "2026-12-10T", "2026-12-10X08:30",
                            "2026-12-10T08:30+", "2026-12-10T08:30+1", "2026-12-10T08:30+24:00",
                            "2026-12-10T08:30Zz", "2026-12-10 ", " 08:30", "08:30 ", "2026-12-10T08:30:1"}) {
        vu_datetime t = now;
        EXPECT_FALSE(zov::parse_time(bad, now, t)) << "\"" << bad << "\"";
        EXPECT_EQ(t, now) << bad;
    }
}

// Words for days, ranges and times back from now: each as the span it stands
// for. Now is Tuesday 2026-12-08 11:00; at a year's end and across the
// clock changes the calendar, not 24-hour steps, decides.
struct word
{
    const char* now;
    const char* text;
    const char* lo;
    const char* hi;  // nullptr: an instant
};

TEST_P(TimeText, WordsByTable)
{
    const word words[] = {
        {"2026-12-08T11:00:00", "now", "2026-12-08T11:00:00", nullptr},
        {"2026-12-08T11:00:00", "today", "2026-12-08T00:00:00", "2026-12-09T00:00:00"},
        {"2026-12-08T11:00:00", "Yesterday", "2026-12-07T00:00:00", "2026-12-08T00:00:00"},
        {"2026-12-08T11:00:00", "monday", "2026-12-07T00:00:00", "2026-12-08T00:00:00"},
        {"2026-12-08T11:00:00", "tuesday", "2026-12-08T00:00:00", "2026-12-09T00:00:00"},
        {"2026-12-08T11:00:00", "wednesday", "2026-12-02T00:00:00", "2026-12-03T00:00:00"},
        {"2026-12-08T11:00:00", "sunday", "2026-12-06T00:00:00", "2026-12-07T00:00:00"},
        {"2026-12-08T11:00:00", "thisweek", "2026-12-07T00:00:00", "2026-12-14T00:00:00"},
        {"2026-12-08T11:00:00", "lastweek", "2026-11-30T00:00:00", "2026-12-07T00:00:00"},
        {"2026-12-08T11:00:00", "thismonth", "2026-12-01T00:00:00", "2027-01-01T00:00:00"},
        {"2026-12-08T11:00:00", "lastmonth", "2026-11-01T00:00:00", "2026-12-01T00:00:00"},
        {"2026-12-08T11:00:00", "thisyear", "2026-01-01T00:00:00", "2027-01-01T00:00:00"},
        {"2026-12-08T11:00:00", "-2h", "2026-12-08T09:00:00", nullptr},
        {"2026-12-08T11:00:00", "-90m", "2026-12-08T09:30:00", nullptr},
        {"2026-12-08T11:00:00", "-30s", "2026-12-08T10:59:30", nullptr},
        {"2026-12-08T11:00:00", "-3d", "2026-12-05T11:00:00", nullptr},
        {"2026-12-08T11:00:00", "-1w", "2026-12-01T11:00:00", nullptr},
        {"2026-12-08T11:00:00", "10 min ago", "2026-12-08T10:50:00", nullptr},
        {"2026-12-08T11:00:00", "2 hours ago", "2026-12-08T09:00:00", nullptr},
        {"2026-12-08T11:00:00", "1 day ago", "2026-12-07T11:00:00", nullptr},
        {"2026-12-08T11:00:00", "9:00", "2026-12-08T09:00:00", nullptr},
        {"2026-12-08T11:00:00", "09:00", "2026-12-08T09:00:00", nullptr},
        {"2026-12-08T11:00:00", "2026-12-10", "2026-12-10T00:00:00", "2026-12-11T00:00:00"},
        // A year's end: January 1st 2027 is a Friday of ISO week 53 of 2026.
        {"2027-01-01T10:00:00", "lastmonth", "2026-12-01T00:00:00", "2027-01-01T00:00:00"},
        {"2027-01-01T10:00:00", "thisweek", "2026-12-28T00:00:00", "2027-01-04T00:00:00"},
        {"2027-01-01T10:00:00", "yesterday", "2026-12-31T00:00:00", "2027-01-01T00:00:00"},
        {"2027-01-01T10:00:00", "thisyear", "2027-01-01T00:00:00", "2028-01-01T00:00:00"},
        {"2026-01-15T10:00:00", "lastmonth", "2025-12-01T00:00:00", "2026-01-01T00:00:00"},
        // Across the spring and autumn changes of Europe and America.
        {"2026-03-30T10:00:00", "-1d", "2026-03-29T10:00:00", nullptr},
        {"2026-03-30T10:00:00", "lastweek", "2026-03-23T00:00:00", "2026-03-30T00:00:00"},
        {"2026-11-02T10:00:00", "-7d", "2026-10-26T10:00:00", nullptr},
        {"2026-11-02T10:00:00", "sunday", "2026-11-01T00:00:00", "2026-11-02T00:00:00"},
    };
    for (const word& w : words) {
        zov::time_span span;
        ASSERT_TRUE(zov::parse_span(w.text, at(w.now), span)) << w.text;
        EXPECT_EQ(span.lo, at(w.lo)) << w.now << " " << w.text << " gave " << span.lo.to_readable_datetime_string();
        EXPECT_EQ(span.instant, w.hi == nullptr) << w.text;
        EXPECT_EQ(span.hi, at(w.hi ? w.hi : w.lo)) << w.now << " " << w.text << " gave "
                                                   << span.hi.to_readable_datetime_string();
    }
    // A range has no single instant: parse_time refuses it; a day is its midnight.
    vu_datetime t;
    bool date_only = false;
    EXPECT_FALSE(zov::parse_time("lastweek", at("2026-12-08T11:00:00"), t));
    ASSERT_TRUE(zov::parse_time("yesterday", at("2026-12-08T11:00:00"), t, &date_only));
    EXPECT_EQ(t, at("2026-12-07T00:00:00"));
    EXPECT_TRUE(date_only);
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
