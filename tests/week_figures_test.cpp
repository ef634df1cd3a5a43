// One week, one set of figures: every amount is split at local midnight onto
// its own day, summed in whole seconds and rounded once, and the report
// adds up to the time recorded in the week.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

namespace {

TEST(WeekFigureText, text_and_shown_are_decided_on_whole_seconds)
{
    struct Case
    {
        std::int64_t seconds;
        const char* text;
        bool shown;
    };
    const Case cases[] = {
        {0, "0.0", false},       {179, "0.0", false},   {180, "0.1", true},    {360, "0.1", true},
        {539, "0.1", true},     {540, "0.2", true},    {5400, "1.5", true},   {-179, "0.0", false},
        {-180, "-0.1", true},    {-7200, "-2.0", true}, {3600000, "1000.0", true},
        // 1 minute and 5 minutes: 0.1 h, which a floating-point sum puts at 0.0999...
        {60 + 300, "0.1", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zovWeekFigures::text(c.seconds), c.text) << c.seconds;
        // "shown" means exactly: the text is not zero.
        EXPECT_EQ(zovWeekFigures::shown(c.seconds), c.shown) << c.seconds;
    }
    EXPECT_EQ(zovWeekFigures::shown_text({false, 0}), "");
    EXPECT_EQ(zovWeekFigures::shown_text({true, 179}), "");
    EXPECT_EQ(zovWeekFigures::shown_text({true, -360}), "-0.1");
}

class WeekFigures : public ::testing::TestWithParam<const char*>
{
protected:
    void record(const std::string& task, const std::string& b, const std::string& e)
    {
        std::ofstream out(dir.file("HOURS.TSK"), std::ios::binary | std::ios::app);
        out << zovSession(task, at(b), at(e)).to_file_string() << '\n';
    }
    // The recorded net of the week, by the range query (clipped, signed),
    // plus the running session's part.
    std::int64_t recorded_net()
    {
        const zovSinkWeek probe(week, year);
        double hours = 0;
        for (const zovSession& s : kernel.hours(probe.first(), probe.next()))
            hours += s.hours();
        const zovCurrent& cur = kernel.current();
        if (cur.active()) {
            vu_datetime now;
            now.set_local_time();
            zovSession running(cur.task(), cur.time(), now), part;
            if (running.intersection(zovSession("%range", probe.first(), probe.next()), part))
                hours += part.hours();
        }
        return std::llround(hours * 3600);
    }
    // The report's totals line, field by field: seven days and the week.
    static std::vector<std::string> sum_fields(const std::string& report)
    {
        std::istringstream in(report);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        const std::string& sums = lines.at(lines.size() - 2);
        std::vector<std::string> fields;
        for (int i = 0; i < 8; ++i) {
            std::string f = sums.size() > std::size_t(29 + 7 * i) ? sums.substr(29 + 7 * i, 5) : "";
            f.erase(0, f.find_first_not_of(' '));
            fields.push_back(f);
        }
        return fields;
    }

    TzGuard tz{GetParam()};
    FixedClock clock{"2013-03-20T12:00:00"};
    TempDir dir;
    zovKernel kernel{dir.path()};
    int week = 11;  // Monday 11 March 2013 ...
    int year = 2013;
};

INSTANTIATE_TEST_SUITE_P(zones, WeekFigures, ::testing::ValuesIn(test_zones), zone_name);

struct week_case
{
    const char* name;
    std::vector<std::vector<std::string>> lines;  // task, begin, end
    std::vector<std::string> sums;                 // the report's totals line
};

TEST_P(WeekFigures, every_sum_is_the_recorded_time)
{
    const week_case cases[] = {
        {"a session over midnight counts on both days",
         {{"K", "2013-03-11T20:00:00", "2013-03-12T02:00:00"}},
         {"4.0", "2.0", "", "", "", "", "", "6.0"}},
        {"a correction after midnight cancels on its own day",
         {{"K", "2013-03-11T08:00:00", "2013-03-12T09:00:00"},
          {"K", "2013-03-12T06:00:00", "2013-03-12T00:00:00"},
          {"Travel", "2013-03-12T00:00:00", "2013-03-12T06:00:00"}},
         {"16.0", "9.0", "", "", "", "", "", "25.0"}},
        {"from the Sunday before", {{"K", "2013-03-10T20:00:00", "2013-03-11T03:00:00"}},
         {"3.0", "", "", "", "", "", "", "3.0"}},
        {"into the Monday after", {{"K", "2013-03-17T20:00:00", "2013-03-18T03:00:00"}},
         {"", "", "", "", "", "", "4.0", "4.0"}},
        {"one minute and five make a tenth",
         {{"K", "2013-03-13T08:00:00", "2013-03-13T08:01:00"}, {"K", "2013-03-13T09:00:00", "2013-03-13T09:05:00"}},
         {"", "", "0.1", "", "", "", "", "0.1"}},
        {"just under and just over 0.05 h",
         {{"A", "2013-03-11T08:00:00", "2013-03-11T08:02:59"}, {"B", "2013-03-12T08:00:00", "2013-03-12T08:03:00"}},
         {"", "0.1", "", "", "", "", "", "0.1"}},
        {"a negative day from a hand edit",
         {{"K", "2013-03-13T10:00:00", "2013-03-13T09:00:00"}, {"K", "2013-03-14T09:00:00", "2013-03-14T11:00:00"}},
         {"", "", "-1.0", "2.0", "", "", "", "1.0"}},
    };
    for (const week_case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(dir.file("HOURS.TSK"), "% task hours t1 t2\n");
        for (const auto& l : c.lines)
            record(l[0], l[1], l[2]);
        zovTimeSheet sheet(week, year);
        const double total = kernel.tsheet(sheet);
        const zovWeekFigures f = sheet.figures();
        EXPECT_EQ(f.total.seconds, recorded_net());
        EXPECT_EQ(std::llround(total * 3600), f.total.seconds);
        std::int64_t days = 0;
        for (const zovWeekFigures::cell& d : f.days)
            days += d.seconds;
        EXPECT_EQ(days, f.total.seconds);
        std::ostringstream report;
        sheet.show_time_sheet(report);
        EXPECT_EQ(sum_fields(report.str()), c.sums) << report.str();
    }
}

TEST_P(WeekFigures, many_small_amounts_are_never_dropped)
{
    // Ten tasks, each with ten 4-minute sessions spread over the weekdays and
    // a 2-minute one on Saturday: 3 h 20 min and 20 min more, none lost.
    std::int64_t expected = 0;
    for (int t = 0; t < 10; ++t) {
        const std::string task = "task" + std::to_string(t);
        for (int i = 0; i < 10; ++i) {
            const std::string d = "2013-03-1" + std::to_string(1 + i % 5);
            const std::string hh = std::to_string(10 + t % 8);
            const std::string mm = std::to_string(10 + i * 4);
            const std::string mm2 = std::to_string(10 + i * 4 + 4);
            record(task, d + "T" + hh + ":" + mm + ":00", d + "T" + hh + ":" + mm2 + ":00");
            expected += 240;
        }
        record(task, "2013-03-16T08:0" + std::to_string(t % 5) + ":00", "2013-03-16T08:0" + std::to_string(t % 5 + 2) + ":00");
        expected += 120;
    }
    zovTimeSheet sheet(week, year);
    kernel.tsheet(sheet);
    const zovWeekFigures f = sheet.figures();
    EXPECT_EQ(f.total.seconds, expected);
    EXPECT_EQ(f.total.seconds, recorded_net());
    std::ostringstream report;
    sheet.show_time_sheet(report);
    // Each weekday: 10 tasks x 2 x 4 min = 80 min; Saturday's 2-minute cells
    // do not show, but their 20 minutes do in the sum.
    EXPECT_EQ(sum_fields(report.str()),
              (std::vector<std::string>{"1.3", "1.3", "1.3", "1.3", "1.3", "0.3", "", "7.0"}));
    EXPECT_EQ(f.rows.size(), 10u);
    for (const auto& r : f.rows) {
        EXPECT_EQ(zovWeekFigures::shown_text(r.days[0]), "0.1");
        EXPECT_EQ(zovWeekFigures::shown_text(r.days[5]), "");
        EXPECT_EQ(zovWeekFigures::text(r.sum.seconds), "0.7");
    }
}

TEST_P(WeekFigures, a_running_session_counts_its_part_of_the_week)
{
    clock.set("2013-03-17T23:00:00");
    ASSERT_TRUE(kernel.login("K"));
    clock.set("2013-03-18T02:30:00");
    for (const int w : {11, 12}) {
        week = w;
        zovTimeSheet sheet(week, year);
        kernel.tsheet(sheet);
        const zovWeekFigures f = sheet.figures();
        ASSERT_EQ(f.rows.size(), 1u);
        EXPECT_TRUE(f.rows[0].active);
        EXPECT_EQ(f.total.seconds, recorded_net());
        EXPECT_EQ(f.total.seconds, w == 11 ? 3600 : 9000);
    }
}

}  // namespace
