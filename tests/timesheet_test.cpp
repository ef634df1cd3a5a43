// The weekly time sheet: which sessions a week holds, the table of task by
// weekday, and the fixed-width report checked against golden files.
#include <algorithm>

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <fstream>
#include <locale>
#include <map>
#include <sstream>

#include "test_support.h"

using namespace zovtest;

namespace {

using day_map = std::map<int, double>;
using table = std::map<std::string, day_map>;

std::string golden(const std::string& name)
{
    const std::string path = std::string(ZOV_TEST_DATA_DIR) + "/timesheet/" + name;
    EXPECT_TRUE(exists(path)) << "missing golden file " << path;
    return read_file(path);
}

// The third line ends with the moment of the call in parentheses; that stamp
// is the one part of the report a golden file cannot hold.
std::string mask_stamp(std::string report, std::string* stamp = nullptr)
{
    const std::size_t end1 = report.find('\n');
    const std::size_t end2 = end1 == std::string::npos ? end1 : report.find('\n', end1 + 1);
    const std::size_t end3 = end2 == std::string::npos ? end2 : report.find('\n', end2 + 1);
    if (end3 == std::string::npos || report[end3 - 1] != ')')
        return report;
    const std::size_t open = report.rfind('(', end3);
    if (open == std::string::npos || open < end2)
        return report;
    if (stamp)
        *stamp = report.substr(open + 1, end3 - open - 2);
    return report.replace(open + 1, end3 - open - 2, "<stamp>");
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void expect_table(zovTimeSheet& sheet, const table& expected, const std::string& what)
{
    table actual(sheet.begin(), sheet.end());
    EXPECT_EQ(actual.size(), expected.size()) << what;
    for (const auto& [task, days] : expected) {
        const auto it = actual.find(task);
        if (it == actual.end()) {
            ADD_FAILURE() << what << ": task " << task << " missing";
            continue;
        }
        EXPECT_EQ(it->second.size(), days.size()) << what << ": days of " << task;
        for (const auto& [day, hours] : days) {
            const auto d = it->second.find(day);
            if (d == it->second.end())
                ADD_FAILURE() << what << ": " << task << " has no entry for weekday " << day;
            else
                EXPECT_NEAR(d->second, hours, 1e-9) << what << ": " << task << " weekday " << day;
        }
    }
}

double total_of(const table& t)
{
    double sum = 0;
    for (const auto& task : t)
        for (const auto& day : task.second)
            sum += day.second;
    return sum;
}

// A data folder in one of the test zones, with the clock fixed.
class TimeSheet : public ::testing::TestWithParam<const char*>
{
protected:
    // Local wall times without offset, read in the test's zone.
    void record(const std::string& task, const std::string& b, const std::string& e)
    {
        append(zovSession(task, at(b), at(e)).to_file_string());
    }
    void append(const std::string& line)
    {
        std::ofstream out(dir.file("HOURS.TSK"), std::ios::binary | std::ios::app);
        out << line << '\n';
    }
    std::string report(zovTimeSheet& sheet)
    {
        std::ostringstream out;
        sheet.show_time_sheet(out);
        return out.str();
    }

    // The week of Monday 11 March 2013, used by the report tests.
    void record_busy_week()
    {
        record("Zeta", "2013-03-10T23:00:00", "2013-03-11T01:00:00");  // the Sunday before
        record("Zeta", "2013-03-11T08:00:00", "2013-03-11T10:30:00");
        record("beta", "2013-03-11T10:30:00", "2013-03-11T12:30:00");
        record("Zeta", "2013-03-11T13:00:00", "2013-03-11T14:00:00");
        // Too long for its column: shortened with a mark.
        record("integration-tests-for-release", "2013-03-11T15:00:00", "2013-03-11T16:00:00");
        record("Zeta", "2013-03-12T09:00:00", "2013-03-12T09:03:00");  // below 0.1 h
        record("alpha", "2013-03-12T10:00:00", "2013-03-12T12:20:00");
        record("gamma", "2013-03-12T11:00:00", "2013-03-12T11:03:00");  // only below 0.1 h
        // Shortened too, though no figure stands beside it on Monday and Tuesday.
        record("customer-portal-migration-phase-two", "2013-03-13T08:00:00", "2013-03-13T10:00:00");
        record("delta", "2013-03-13T08:00:00", "2013-03-13T09:02:24");  // 1.04 h
        record("beta", "2013-03-13T12:00:00", "2013-03-13T09:00:00");  // a cancelled piece
        record("beta", "2013-03-13T13:00:00", "2013-03-13T14:00:00");  // Wednesday nets -2
        record("alpha", "2013-03-14T14:00:00", "2013-03-14T15:00:00");
        record("delta", "2013-03-14T08:00:00", "2013-03-14T09:02:24");  // the row sums 2.08
        record("Zeta", "2013-03-15T10:00:00", "2013-03-15T17:42:00");
        record("beta", "2013-03-16T09:00:00", "2013-03-16T10:30:00");
        record("epsilon", "2013-03-16T10:00:00", "2013-03-16T10:06:00");  // exactly 0.1 h
        record("omega", "2013-03-18T00:30:00", "2013-03-18T01:00:00");  // the Monday after
        // alpha runs since Sunday 09:00; the call comes at 10:30.
        clock.set("2013-03-17T09:00:00");
        ASSERT_TRUE(kernel.login("alpha"));
        clock.set("2013-03-17T10:30:00");
    }

    TzGuard tz{GetParam()};
    FixedClock clock{"2013-03-17T10:30:00"};
    TempDir dir;
    zovKernel kernel{dir.path()};
};

INSTANTIATE_TEST_SUITE_P(zones, TimeSheet, ::testing::ValuesIn(test_zones), zone_name);

TEST_P(TimeSheet, empty_week_report)
{
    clock.set("2013-12-30T09:15:00");
    zovTimeSheet sheet(1, 2014);
    EXPECT_EQ(kernel.tsheet(sheet), 0.0);
    EXPECT_EQ(sheet.size_task(), 0u);
    EXPECT_EQ(sheet.active_task(), "");
    std::string stamp;
    const std::string text = report(sheet);
    EXPECT_EQ(mask_stamp(text, &stamp), mask_stamp(golden("empty_week.txt")));
    EXPECT_EQ(stamp, "30-Dec-2013 09:15:00");
    EXPECT_EQ(split_lines(text).size(), 9u);
}

// Long names never run into the figures: each figure stands alone in its
// column, a name is cut on a character boundary with a mark, and two tasks
// never look the same.
TEST_P(TimeSheet, long_names_leave_every_figure_alone)
{
    const std::string a_umlaut = "\xc3\xa4";
    const std::vector<std::string> names = {
        "Infrastructure-Upgrade-Rack-A", "Infrastructure-Upgrade-Rack-B",  // the same first 23 characters
        "Gr" + a_umlaut + std::string(21, 'x') + a_umlaut + a_umlaut + "z",  // "ä" across the cut
        "Short",
        "\xe6\xbc\xa2\xe5\xad\x97\xe6\xbc\xa2\xe5\xad\x97\xe6\xbc\xa2\xe5\xad\x97\xe6\xbc\xa2\xe5\xad\x97"
        "\xe6\xbc\xa2\xe5\xad\x97\xe6\xbc\xa2\xe5\xad\x97\xe6\xbc\xa2",  // 13 wide characters, 26 columns
    };
    for (const std::string& name : names) {
        record(name, "2013-03-11T08:00:00", "2013-03-11T10:36:00");  // 2.6 h on Monday
        record(name, "2013-03-12T08:00:00", "2013-03-12T08:30:00");  // 0.5 h on Tuesday
    }
    zovTimeSheet sheet(11, 2013);
    kernel.tsheet(sheet);
    const std::vector<std::string> lines = split_lines(report(sheet));
    std::vector<std::string> shown;
    for (const std::string& line : lines) {
        if (line.find(" : ") == std::string::npos)
            continue;
        // Valid UTF-8 throughout, and the name's columns end at 28 whatever its bytes.
        std::size_t columns = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            ASSERT_NE(c & 0xc0, 0x80u) << "a character cut in two: " << line;
            std::size_t n = c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
            ASSERT_LE(i + n, line.size()) << line;
            for (std::size_t k = 1; k < n; ++k)
                ASSERT_EQ(static_cast<unsigned char>(line[i + k]) & 0xc0, 0x80u) << line;
            columns += (n == 3 && c >= 0xe3) ? 2 : 1;  // the wide characters above
            i += n - 1;
        }
        EXPECT_EQ(columns, 83u) << line;
        const std::size_t name_end = line.size() - (83 - 28);
        shown.push_back(line.substr(4, name_end - 4));
        const std::string figures = line.substr(name_end);
        EXPECT_EQ(figures, "   2.6    0.5" + std::string(36, ' ') + ":  3.1") << line;
    }
    ASSERT_EQ(shown.size(), names.size());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(std::unique(shown.begin(), shown.end()), shown.end()) << "two tasks look the same";
    for (const std::string& s : shown) {
        if (s.find("Short") == std::string::npos) {
            EXPECT_NE(s.find("\xe2\x80\xa6"), std::string::npos) << "no mark on a shortened name: " << s;
        }
    }
}

TEST_P(TimeSheet, busy_week_report)
{
    record_busy_week();
    zovTimeSheet sheet(11, 2013);
    const double total = kernel.tsheet(sheet);
    const table expected = {
        // The session from the Sunday before counts its Monday hour here.
        {"Zeta", {{0, 4.5}, {1, 0.05}, {4, 7.7}}},
        {"alpha", {{1, 7.0 / 3}, {3, 1}, {6, 1.5}}},
        {"beta", {{0, 2}, {2, -2}, {5, 1.5}}},
        {"customer-portal-migration-phase-two", {{2, 2}}},
        {"delta", {{2, 1.04}, {3, 1.04}}},
        {"epsilon", {{5, 0.1}}},
        {"gamma", {{1, 0.05}}},
        {"integration-tests-for-release", {{0, 1}}},
    };
    expect_table(sheet, expected, "busy week");
    EXPECT_EQ(sheet.size_task(), 8u);
    // The total counts what the report leaves out: small and negative amounts.
    EXPECT_NEAR(total, total_of(expected), 1e-9);
    EXPECT_EQ(sheet.active_task(), "alpha");

    std::string stamp;
    EXPECT_EQ(mask_stamp(report(sheet), &stamp), mask_stamp(golden("several_tasks.txt")));
    EXPECT_EQ(stamp, "17-Mar-2013 10:30:00");
}

TEST_P(TimeSheet, report_of_a_thousand_hours)
{
    // Values of 1000 h and more take six characters and push the line past
    // its width. A day has at most 25 hours, so only lines that overlap (a
    // hand-edited log) come there.
    for (int i = 0; i < 42; ++i)
        record("marathon", "2013-03-11T00:00:00", "2013-03-12T00:00:00");
    record("short", "2013-03-11T09:00:00", "2013-03-11T09:30:00");
    zovTimeSheet sheet(11, 2013);
    EXPECT_NEAR(kernel.tsheet(sheet), 1008.5, 1e-9);
    EXPECT_EQ(mask_stamp(report(sheet)), mask_stamp(golden("thousand_hours.txt")));
}

TEST_P(TimeSheet, report_ignores_the_stream_locale)
{
    // A locale that groups thousands and writes a decimal comma, as a German
    // desktop would.
    struct german : std::numpunct<char>
    {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    record_busy_week();
    zovTimeSheet sheet(11, 2013);
    kernel.tsheet(sheet);
    const std::locale old = std::locale::global(std::locale(std::locale::classic(), new german));
    std::ostringstream out;
    out.imbue(std::locale());
    sheet.show_time_sheet(out);
    std::locale::global(old);
    EXPECT_EQ(mask_stamp(out.str()), mask_stamp(golden("several_tasks.txt")));
}

// Weeks at the turn of the year; one history for all of them.
struct week_case
{
    int week;
    int year;
    const char* monday;  // as the report's date line shows it
    const char* friday;
    table expected;
};

TEST_P(TimeSheet, weeks_at_the_turn_of_the_year)
{
    // Each task letter begins in one week; the sessions at 23:00 on a Sunday
    // run into the Monday after, and each week counts its own hour of them.
    record("A", "2015-12-27T23:00:00", "2015-12-28T01:00:00");
    record("B", "2015-12-28T09:00:00", "2015-12-28T10:00:00");
    record("B", "2016-01-01T10:00:00", "2016-01-01T12:00:00");
    record("C", "2016-01-03T23:00:00", "2016-01-04T01:00:00");
    record("D", "2016-01-04T08:00:00", "2016-01-04T09:00:00");
    record("E", "2020-12-27T23:00:00", "2020-12-28T01:00:00");
    record("F", "2020-12-28T09:00:00", "2020-12-28T10:00:00");
    record("F", "2021-01-01T10:00:00", "2021-01-01T12:00:00");
    record("G", "2021-01-03T23:00:00", "2021-01-04T01:00:00");
    record("H", "2021-01-04T08:00:00", "2021-01-04T09:00:00");
    record("J", "2012-12-31T09:00:00", "2012-12-31T10:00:00");
    record("K", "2013-12-29T23:00:00", "2013-12-30T01:00:00");
    record("L", "2013-12-30T09:00:00", "2013-12-30T10:00:00");
    record("L", "2014-01-01T10:00:00", "2014-01-01T12:00:00");
    record("M", "2014-01-05T23:00:00", "2014-01-06T01:00:00");
    record("N", "2014-01-06T08:00:00", "2014-01-06T09:00:00");

    const week_case cases[] = {
        {52, 2015, "21-Dec", "25-Dec", {{"A", {{6, 1}}}}},
        {53, 2015, "28-Dec", "01-Jan", {{"A", {{0, 1}}}, {"B", {{0, 1}, {4, 2}}}, {"C", {{6, 1}}}}},
        {1, 2016, "04-Jan", "08-Jan", {{"C", {{0, 1}}}, {"D", {{0, 1}}}}},
        {52, 2020, "21-Dec", "25-Dec", {{"E", {{6, 1}}}}},
        {53, 2020, "28-Dec", "01-Jan", {{"E", {{0, 1}}}, {"F", {{0, 1}, {4, 2}}}, {"G", {{6, 1}}}}},
        {1, 2021, "04-Jan", "08-Jan", {{"G", {{0, 1}}}, {"H", {{0, 1}}}}},
        // Week 1 of 2013 began on Monday 31 December 2012.
        {1, 2013, "31-Dec", "04-Jan", {{"J", {{0, 1}}}}},
        {52, 2013, "23-Dec", "27-Dec", {{"K", {{6, 1}}}}},
        // Week 1 of 2014 begins on Monday 30 December 2013.
        {1, 2014, "30-Dec", "03-Jan", {{"K", {{0, 1}}}, {"L", {{0, 1}, {2, 2}}}, {"M", {{6, 1}}}}},
        {2, 2014, "06-Jan", "10-Jan", {{"M", {{0, 1}}}, {"N", {{0, 1}}}}},
    };
    for (const week_case& c : cases) {
        const std::string what = "week " + std::to_string(c.week) + " of " + std::to_string(c.year);
        zovTimeSheet sheet(c.week, c.year);
        EXPECT_NEAR(kernel.tsheet(sheet), total_of(c.expected), 1e-9) << what;
        expect_table(sheet, c.expected, what);
        const std::vector<std::string> lines = split_lines(report(sheet));
        ASSERT_GE(lines.size(), 4u) << what;
        EXPECT_EQ(lines[3].substr(29, 6), c.monday) << what;
        EXPECT_EQ(lines[3].substr(57, 6), c.friday) << what;
        const std::string title =
            "    Timesheet week " + std::to_string(c.week) + ", " + std::to_string(c.year) + std::string(34, ' ') + "(";
        EXPECT_EQ(lines[2].substr(0, title.size()), title) << what;
    }
}

TEST_P(TimeSheet, running_session_counts_in_each_week_with_its_part)
{
    // K runs from 22:00 on Sunday 17 March; the sheets are made at 01:00 on
    // the Monday after.
    clock.set("2013-03-17T22:00:00");
    ASSERT_TRUE(kernel.login("K"));
    clock.set("2013-03-18T01:00:00");

    zovTimeSheet began_in(11, 2013);
    EXPECT_NEAR(kernel.tsheet(began_in), 2.0, 1e-9);
    expect_table(began_in, {{"K", {{6, 2}}}}, "week it began in");
    EXPECT_EQ(began_in.active_task(), "K");
    const std::vector<std::string> lines = split_lines(report(began_in));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[6].substr(0, 8), " -->K   ");
    EXPECT_EQ(lines[6].substr(71), "  2.0 :  2.0");

    zovTimeSheet now_in(12, 2013);
    EXPECT_NEAR(kernel.tsheet(now_in), 1.0, 1e-9);
    expect_table(now_in, {{"K", {{0, 1}}}}, "week it runs in");
    EXPECT_EQ(now_in.active_task(), "K");

    zovTimeSheet later(13, 2013);
    EXPECT_EQ(kernel.tsheet(later), 0.0);
    EXPECT_EQ(later.size_task(), 0u);
    EXPECT_EQ(later.active_task(), "");

    // Closed, it is a recorded session like any other.
    ASSERT_TRUE(kernel.logout());
    zovTimeSheet closed(11, 2013);
    EXPECT_NEAR(kernel.tsheet(closed), 2.0, 1e-9);
    EXPECT_EQ(closed.active_task(), "");
    EXPECT_EQ(report(closed).find("-->"), std::string::npos);
}

TEST_P(TimeSheet, running_session_below_a_tenth_has_no_line)
{
    clock.set("2013-03-13T08:00:00");
    ASSERT_TRUE(kernel.login("K"));
    clock.advance(120);
    zovTimeSheet sheet(11, 2013);
    EXPECT_NEAR(kernel.tsheet(sheet), 2.0 / 60, 1e-9);
    EXPECT_EQ(sheet.size_task(), 1u);
    EXPECT_EQ(sheet.active_task(), "K");
    const std::string text = report(sheet);
    EXPECT_EQ(text.find("-->"), std::string::npos);
    EXPECT_EQ(split_lines(text).size(), 9u);
}

TEST_P(TimeSheet, tasks_in_byte_order)
{
    record("alpha", "2013-03-11T08:00:00", "2013-03-11T09:00:00");
    record("Zeta", "2013-03-11T09:00:00", "2013-03-11T10:00:00");
    record("_under", "2013-03-11T10:00:00", "2013-03-11T11:00:00");
    record("Alpha", "2013-03-11T11:00:00", "2013-03-11T12:00:00");
    zovTimeSheet sheet(11, 2013);
    kernel.tsheet(sheet);
    std::vector<std::string> order;
    for (const auto& task : sheet)
        order.push_back(task.first);
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "Zeta", "_under", "alpha"}));
    const std::vector<std::string> lines = split_lines(report(sheet));
    ASSERT_EQ(lines.size(), 13u);
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(lines[6 + i].substr(4, order[i].size() + 1), order[i] + " ");
}

TEST_P(TimeSheet, second_fill_doubles_every_figure)
{
    record_busy_week();
    zovTimeSheet once(11, 2013);
    const double single = kernel.tsheet(once);
    zovTimeSheet twice(11, 2013);
    kernel.tsheet(twice);
    EXPECT_NEAR(kernel.tsheet(twice), 2 * single, 1e-9);
    table doubled(once.begin(), once.end());
    for (auto& task : doubled)
        for (auto& day : task.second)
            day.second *= 2;
    expect_table(twice, doubled, "filled twice");
}

TEST_P(TimeSheet, sessions_count_real_hours_over_a_change_of_offset)
{
    // The Sunday of each zone's change in 2013, 01:00 to 04:00 on the clock.
    const struct
    {
        const char* zone;
        int week;
        const char* day;
        double hours;
    } changes[] = {
        {"Europe/Berlin", 13, "2013-03-31", 2.0},
        {"America/New_York", 44, "2013-11-03", 4.0},
        {"Australia/Lord_Howe", 40, "2013-10-06", 2.5},
        {"Australia/Lord_Howe", 14, "2013-04-07", 3.5},
    };
    for (const auto& c : changes) {
        if (std::string(c.zone) != GetParam())
            continue;
        record("K", std::string(c.day) + "T01:00:00", std::string(c.day) + "T04:00:00");
        zovTimeSheet sheet(c.week, 2013);
        EXPECT_NEAR(kernel.tsheet(sheet), c.hours, 1e-9) << c.day;
        expect_table(sheet, {{"K", {{6, c.hours}}}}, c.day);
    }
}

}  // namespace
