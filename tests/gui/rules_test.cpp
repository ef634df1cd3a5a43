// The tray program's decisions, without windows.

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "test_support.h"
#include "zovTrayRules.h"

using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

zovSinkHours sink_of(const vu_datetime& lo, const vu_datetime& hi,
                     std::initializer_list<zovSession> sessions)
{
    zovSinkHours sink(lo, hi);
    for (const zovSession& s : sessions)
        sink.push_back(s);
    return sink;
}

}  // namespace

TEST(TypedName, trims_blanks_and_tabs_around_and_keeps_those_inside)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Delta ", "Delta"}, {"\tDelta\t ", "Delta"}, {"  Delta", "Delta"},
        {"Delta\r\n", "Delta"}, {"Two words ", "Two words"}, {" \t ", ""}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, zovtray::typed_name(c.first)) << "[" << c.first << "]";
}

TEST(IconGate, updates_when_forced_first_or_after_five_seconds)
{
    const vu_datetime last = at("2026-03-13T10:00:00Z");
    vu_datetime t = last;
    struct Case
    {
        bool force;
        bool never;
        int after;
        bool due;
    };
    const Case cases[] = {
        {false, false, 0, false}, {false, false, 5, false}, {false, false, 6, true},
        {true, false, 0, true},   {false, true, 1, true},   {false, false, -60, false},
    };
    for (const Case& c : cases) {
        t.set_time_t(last.to_time_t() + c.after);
        EXPECT_EQ(c.due, zovtray::icon_update_due(c.force, c.never, t, last))
            << "force " << c.force << " never " << c.never << " after " << c.after;
    }
}

TEST(TodayRange, runs_from_midnight_to_the_next_midnight_by_the_calendar)
{
    struct Case
    {
        const char* zone;
        const char* now;
        const char* lo;
        const char* hi;
    };
    const Case cases[] = {
        {"UTC", "2026-03-13T15:00:00", "2026-03-13T00:00:00", "2026-03-14T00:00:00"},
        // 23-hour and 25-hour days.
        {"Europe/Berlin", "2026-03-29T12:00:00", "2026-03-29T00:00:00", "2026-03-30T00:00:00"},
        {"Europe/Berlin", "2026-10-25T23:30:00", "2026-10-25T00:00:00", "2026-10-26T00:00:00"},
        {"America/New_York", "2026-03-08T00:00:00", "2026-03-08T00:00:00", "2026-03-09T00:00:00"},
        {"America/New_York", "2026-11-01T22:00:00", "2026-11-01T00:00:00", "2026-11-02T00:00:00"},
        // Half an hour's shift.
        {"Australia/Lord_Howe", "2026-04-05T23:59:59", "2026-04-05T00:00:00", "2026-04-06T00:00:00"},
        {"Australia/Lord_Howe", "2026-10-04T08:00:00", "2026-10-04T00:00:00", "2026-10-05T00:00:00"},
        // Year end.
        {"Europe/Berlin", "2026-12-31T23:59:59", "2026-12-31T00:00:00", "2027-01-01T00:00:00"},
    };
    for (const Case& c : cases) {
        TzGuard tz(c.zone);
        const zovtray::day_range r = zovtray::today_range(at(c.now));
        EXPECT_EQ(at(c.lo), r.lo) << c.zone << " " << c.now << " lo " << r.lo.to_readable_datetime_string();
        EXPECT_EQ(at(c.hi), r.hi) << c.zone << " " << c.now << " hi " << r.hi.to_readable_datetime_string();
    }
}

TEST(RecentRange, covers_88_days_back_to_the_day_after_tomorrow)
{
    for (const char* zone : zovtest::test_zones) {
        TzGuard tz(zone);
        // Spans the autumn and spring changes of both hemispheres.
        const zovtray::day_range r = zovtray::recent_range(at("2026-01-10T09:00:00"));
        EXPECT_EQ(at("2025-10-14T00:00:00"), r.lo) << zone;
        EXPECT_EQ(at("2026-01-12T00:00:00"), r.hi) << zone;
    }
}

TEST(RecentTasks, newest_end_first_ties_by_descending_name_reversed_pieces_skipped)
{
    TzGuard tz("Europe/Berlin");
    const vu_datetime lo = at("2026-01-01T00:00:00");
    const vu_datetime hi = at("2026-04-01T00:00:00");
    const zovSinkHours sink = sink_of(lo, hi, {
        zovSession("Alpha", at("2026-03-10T08:00:00"), at("2026-03-10T09:00:00")),
        zovSession("Beta", at("2026-03-10T09:00:00"), at("2026-03-10T12:00:00")),
        // An older session of Alpha must not pull it back down.
        zovSession("Alpha", at("2026-03-11T08:00:00"), at("2026-03-11T10:00:00")),
        zovSession("Alpha", at("2026-02-01T08:00:00"), at("2026-02-01T10:00:00")),
        // Same end second: the later name first.
        zovSession("Delta", at("2026-03-09T08:00:00"), at("2026-03-09T17:00:00")),
        zovSession("Gamma", at("2026-03-09T16:00:00"), at("2026-03-09T17:00:00")),
        // Case matters.
        zovSession("alpha", at("2026-03-01T08:00:00"), at("2026-03-01T09:00:00")),
        // Only reversed (cancelled) time: not offered.
        zovSession("Cancelled", at("2026-03-12T09:00:00"), at("2026-03-12T08:00:00")),
        // A reversed piece of Beta ending later does not move Beta up.
        zovSession("Beta", at("2026-03-20T09:00:00"), at("2026-03-12T08:00:00")),
    });
    const std::vector<std::string> expected = {"Alpha", "Beta", "Gamma", "Delta", "alpha"};
    EXPECT_EQ(expected, zovtray::recent_tasks(sink));
}

TEST(TodayTotal, adds_todays_part_of_the_running_session_and_counts_distinct_names)
{
    TzGuard tz("Europe/Berlin");
    const vu_datetime now = at("2026-03-13T01:00:00");
    const zovtray::day_range today = zovtray::today_range(now);
    const zovSinkHours pieces = sink_of(today.lo, today.hi, {
        zovSession("Alpha", at("2026-03-13T00:00:00"), at("2026-03-13T00:15:00")),
        zovSession("Beta", at("2026-03-13T00:15:00"), at("2026-03-13T00:30:00")),
        zovSession("Alpha", at("2026-03-13T00:30:00"), at("2026-03-13T00:45:00")),
        // A correction's reversed piece: negative, and its name counts.
        zovSession("Gamma", at("2026-03-13T00:15:00"), at("2026-03-13T00:00:00")),
    });

    zovtest::TempDir dir;
    zovtest::FixedClock clock("2026-03-12T23:00:00");
    zovKernel kernel(dir.path());
    ASSERT_TRUE(kernel.login("Running"));
    const zovtray::day_total running = zovtray::today_total(pieces, kernel.current(), now);
    // Of the two running hours only the one after midnight is today's.
    EXPECT_NEAR(1.0 + 0.75 - 0.25, running.hours, 1e-9);
    EXPECT_EQ(3, running.items);
    EXPECT_EQ("1.5h - (3 items)", zovtray::total_text(running));

    ASSERT_TRUE(kernel.logout());
    const zovtray::day_total idle = zovtray::today_total(sink_of(today.lo, today.hi, {}),
                                                         kernel.current(), now);
    EXPECT_EQ("0.0h - (0 items)", zovtray::total_text(idle));
}

TEST(Texts, tooltip_status_and_messages)
{
    zovtest::TempDir dir;
    FixedClock clock("2026-03-13T08:00:00Z");
    zovKernel kernel(dir.path());
    vu_datetime now;
    now.set_local_time();
    EXPECT_EQ("DEFAULT - Sleeping", zovtray::tooltip_text(kernel.current(), now));
    EXPECT_EQ("Sleeping", zovtray::status_text(kernel.current(), now));
    ASSERT_TRUE(kernel.login("Alpha"));
    clock.advance(90 * 60);
    now.set_local_time();
    EXPECT_EQ("Alpha - Working 1.5h", zovtray::tooltip_text(kernel.current(), now));
    EXPECT_EQ("Working 1.5h", zovtray::status_text(kernel.current(), now));
    // A clock set back below the begin: the session has run no time, not less.
    clock.advance(-120 * 60);
    now.set_local_time();
    EXPECT_EQ("Alpha - Working 0.0h", zovtray::tooltip_text(kernel.current(), now));
    EXPECT_EQ("Working 0.0h", zovtray::status_text(kernel.current(), now));
    clock.advance(120 * 60);
    now.set_local_time();

    const wxString name_text = zovtray::bad_name_message("two words");
    EXPECT_TRUE(name_text.Contains("\"two words\"")) << name_text;
    EXPECT_TRUE(name_text.Contains("one word of at most 200 bytes, without blanks or tabs, not beginning with \"%\""))
        << name_text;
    EXPECT_TRUE(zovtray::write_failed_message("/x/Zovaro/").Contains("/x/Zovaro/"));
}

TEST(Texts, names_round_trip_as_utf8_bytes)
{
    const std::string bytes = "Caf\xc3\xa9-\xe2\x82\xac";
    EXPECT_EQ(bytes, zovtray::to_bytes(zovtray::from_bytes(bytes)));
    // Bytes that are not UTF-8 still show, one character per byte.
    EXPECT_EQ(4u, zovtray::from_bytes("Caf\xe9").length());
}
