// The timeline's geometry: which pieces of net work become bars, in which
// row and at which hours, in which colour, and the legend's totals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

namespace {

struct line
{
    const char* task;
    const char* begin;  // local wall time; a cancelling line has begin > end
    const char* end;
};

struct expected_bar
{
    int row;
    const char* task;
    double from;
    double until;
    bool running;
};

struct timeline_case
{
    const char* name;
    std::vector<line> lines;
    line running;  // task empty: none; its end is now
    std::vector<expected_bar> bars;
};

// Week 50 of 2026: Monday 7 December is row 0.
//
//   across midnight:  Tue 22:00 |==A==| Wed 02:00
//   correction:       Mon 08 |A|B|==A==| 12, B entered over A's 09-10
//   same task:        the same with A entered over itself: three bars
//   running:          Fri 08:00 |==A==> now 09:30
const std::vector<timeline_case> cases = {
    {"across_midnight", {{"A", "2026-12-08T22:00:00", "2026-12-09T02:00:00"}}, {"", "", ""},
     {{1, "A", 22, 24, false}, {2, "A", 0, 2, false}}},
    {"correction_in_the_middle",
     {{"A", "2026-12-07T08:00:00", "2026-12-07T12:00:00"},
      {"A", "2026-12-07T10:00:00", "2026-12-07T09:00:00"},
      {"B", "2026-12-07T09:00:00", "2026-12-07T10:00:00"}},
     {"", "", ""},
     {{0, "A", 8, 9, false}, {0, "B", 9, 10, false}, {0, "A", 10, 12, false}}},
    {"correction_of_the_same_task",
     {{"A", "2026-12-07T08:00:00", "2026-12-07T12:00:00"},
      {"A", "2026-12-07T10:00:00", "2026-12-07T09:00:00"},
      {"A", "2026-12-07T09:00:00", "2026-12-07T10:00:00"}},
     {"", "", ""},
     {{0, "A", 8, 9, false}, {0, "A", 9, 10, false}, {0, "A", 10, 12, false}}},
    {"cancelled_whole", {{"A", "2026-12-07T08:00:00", "2026-12-07T12:00:00"}, {"A", "2026-12-07T12:00:00", "2026-12-07T08:00:00"}},
     {"", "", ""}, {}},
    {"running", {{"B", "2026-12-11T06:00:00", "2026-12-11T07:00:00"}}, {"A", "2026-12-11T08:00:00", "2026-12-11T09:30:00"},
     {{4, "B", 6, 7, false}, {4, "A", 8, 9.5, true}}},
    {"outside_the_week", {{"A", "2026-12-06T20:00:00", "2026-12-07T01:00:00"}, {"B", "2026-12-13T23:00:00", "2026-12-14T03:00:00"}},
     {"", "", ""}, {{0, "A", 0, 1, false}, {6, "B", 23, 24, false}}},
};

class TimelineZones : public ::testing::TestWithParam<const char*>
{
};

TEST_P(TimelineZones, BarsAreTheNetPiecesOfEachDay)
{
    TzGuard tz(GetParam());
    for (const timeline_case& c : cases) {
        SCOPED_TRACE(c.name);
        zovTimeline t(at("2026-12-07T00:00:00"), 7);
        for (const line& l : c.lines)
            t.add(zovSession(l.task, at(l.begin), at(l.end)));
        if (*c.running.task)
            t.set_running(c.running.task, at(c.running.begin), at(c.running.end));
        t.compute();
        ASSERT_EQ(t.bars().size(), c.bars.size());
        for (std::size_t i = 0; i < c.bars.size(); ++i) {
            const zovTimeline::bar& b = t.bars()[i];
            EXPECT_EQ(b.row, c.bars[i].row) << i;
            EXPECT_EQ(b.task, c.bars[i].task) << i;
            EXPECT_DOUBLE_EQ(b.from, c.bars[i].from) << i;
            EXPECT_DOUBLE_EQ(b.until, c.bars[i].until) << i;
            EXPECT_EQ(b.running, c.bars[i].running) << i;
        }
    }
}

TEST_P(TimelineZones, TooltipTextsNameTaskDayTimesAndHours)
{
    TzGuard tz(GetParam());
    zovTimeline t(at("2026-12-07T00:00:00"), 7);
    t.add(zovSession("Alpha", at("2026-12-08T22:00:00"), at("2026-12-09T02:30:00")));
    t.set_running("Beta", at("2026-12-11T08:00:00"), at("2026-12-11T09:30:00"));
    t.compute();
    ASSERT_EQ(t.bars().size(), 3u);
    EXPECT_EQ(t.bars()[0].text, "Alpha, Tue 08-Dec 22:00-24:00, 2.0 h");
    EXPECT_EQ(t.bars()[1].text, "Alpha, Wed 09-Dec 00:00-02:30, 2.5 h");
    EXPECT_EQ(t.bars()[2].text, "Beta, Fri 11-Dec 08:00-09:30, 1.5 h, running");
}

// A day on which the clocks change is drawn as its real hours: a bar sits
// at the hours elapsed since midnight, and the row is 23 or 25 hours long.
TEST(Timeline, ClockChangeDaysKeepTheirRealHours)
{
    for (const clock_change_day& d : clock_change_days) {
        SCOPED_TRACE(std::string(d.zone) + " " + d.day);
        TzGuard tz(d.zone);
        zovTimeline t(at(d.day), 2);
        ASSERT_EQ(t.rows().size(), 2u);
        EXPECT_DOUBLE_EQ(t.rows()[0].hours, d.hours);
        EXPECT_DOUBLE_EQ(t.rows()[1].hours, 24.0);
        EXPECT_DOUBLE_EQ(t.hours_across(), std::max(24.0, std::ceil(d.hours)));
        // Ten minutes after midnight until 20:00 by the clock.
        const vu_datetime midnight = at(d.day);
        vu_datetime begin, end;
        begin.set_time_t(midnight.to_time_t() + 600);
        end = midnight;
        ASSERT_TRUE(end.set_local(std::stoi(std::string(d.day).substr(0, 4)), std::stoi(std::string(d.day).substr(5, 2)),
                                  std::stoi(std::string(d.day).substr(8, 2)), 20));
        t.add(zovSession("A", begin, end));
        t.compute();
        ASSERT_EQ(t.bars().size(), 1u);
        EXPECT_DOUBLE_EQ(t.bars()[0].from, 600.0 / 3600.0);
        EXPECT_DOUBLE_EQ(t.bars()[0].until, 20.0 + (d.hours - 24.0));
    }
}

// Colours go out by the span's totals, largest first, ties by name; a
// ninth task and beyond share the grey, and the legend says so.
TEST(Timeline, ColoursFollowTheTotalsAndBeyondEightAreGrey)
{
    TzGuard tz("Europe/Berlin");
    zovTimeline t(at("2026-12-07T00:00:00"), 7);
    // Totals of 9:59, 8:59, ... 0:59 hours, each task on a day of its own
    // from midnight; "Apple" ties with "Nine".
    const char* const names[] = {"Ten", "Nine", "Eight", "Seven", "Six", "Five", "Four", "Three", "Two", "One"};
    for (int k = 0; k < 10; ++k) {
        char begin[32], end[32];
        std::snprintf(begin, sizeof begin, "2026-12-%02dT00:00:00", 7 + k % 7);
        std::snprintf(end, sizeof end, "2026-12-%02dT%02d:59:00", 7 + k % 7, 9 - k);
        t.add(zovSession(names[k], at(begin), at(end)));
    }
    t.add(zovSession("Apple", at("2026-12-13T10:00:00"), at("2026-12-13T18:59:00")));  // ties with Nine
    t.compute();
    const std::vector<std::string> order = {"Ten", "Apple", "Nine", "Eight", "Seven", "Six", "Five", "Four", "Three", "Two", "One"};
    ASSERT_EQ(t.legend().size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(t.legend()[i].task, order[i]) << i;
        EXPECT_EQ(t.legend()[i].colour, i < 8 ? static_cast<int>(i) : -1) << i;
    }
    EXPECT_EQ(t.grey_tasks(), 3);
    EXPECT_EQ(t.grey_note(), "Grey: the 3 smallest tasks");
    for (const zovTimeline::bar& b : t.bars())
        for (const zovTimeline::legend_entry& e : t.legend()) {
            if (e.task == b.task) {
                EXPECT_EQ(b.colour, e.colour) << b.task;
            }
        }
    EXPECT_STREQ(zovTimeline::colour_text(0), "#e69f00");
    EXPECT_STREQ(zovTimeline::colour_text(-1), zovTimeline::grey);
}

// The legend's totals are the time sheet's, running session included, for
// a week with a correction, a session across the week's start, one across
// midnight and one running now.
TEST_P(TimelineZones, LegendTotalsAreTheTimeSheetsFigures)
{
    TzGuard tz(GetParam());
    TempDir dir;
    std::string hours = "% task hours t1 t2\n";
    for (const zovSession& s :
         {zovSession("A", at("2026-12-06T22:00:00"), at("2026-12-07T03:00:00")),
          zovSession("A", at("2026-12-08T08:00:00"), at("2026-12-08T12:00:00")),
          zovSession("A", at("2026-12-08T11:00:00"), at("2026-12-08T09:00:00")),
          zovSession("B", at("2026-12-08T09:00:00"), at("2026-12-08T11:00:00")),
          zovSession("C", at("2026-12-09T23:10:00"), at("2026-12-10T00:20:00"))})
        hours += s.to_file_string() + "\n";
    write_file(dir.file("HOURS.TSK"), hours);
    write_file(dir.file("CURRENT.TSK"), "B " + at("2026-12-11T08:00:00").to_readable_datetime_string() + " ACTIVE\n");
    FixedClock clock("2026-12-11T10:00:00");
    zovKernel kernel(dir.path());
    zovTimeSheet sheet(50, 2026);
    kernel.tsheet(sheet);
    const zovWeekFigures figures = sheet.figures();
    const zovTimeline t = zovTimeline::of_week(sheet);
    ASSERT_EQ(t.legend().size(), figures.rows.size());
    for (const zovWeekFigures::row& r : figures.rows) {
        bool found = false;
        for (const zovTimeline::legend_entry& e : t.legend())
            if (e.task == r.task) {
                found = true;
                EXPECT_EQ(e.seconds, r.sum.seconds) << r.task;
                EXPECT_EQ(e.hours, zovWeekFigures::text(r.sum.seconds)) << r.task;
            }
        EXPECT_TRUE(found) << r.task;
    }
    ASSERT_FALSE(t.bars().empty());
    EXPECT_TRUE(t.bars().back().running);
    EXPECT_EQ(t.bars().back().task, "B");
    EXPECT_DOUBLE_EQ(t.bars().back().until, 10.0);
}

INSTANTIATE_TEST_SUITE_P(Zones, TimelineZones, ::testing::ValuesIn(test_zones), zone_name);

}  // namespace
