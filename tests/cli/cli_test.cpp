// The zov program as a user runs it: one process per invocation, a clock
// that stands still (faketime), each of the test zones, a fixture data folder.
// Output, exit status and the files afterwards are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "test_support.h"

using namespace zovtest;

namespace {

const char* const now_clock = "2026-12-08 11:00:00";  // Tuesday of ISO week 50

struct row
{
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;  // exact stdout
};

struct error_row
{
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* err;  // a part of the one line on stderr
};

class Cli : public ::testing::TestWithParam<const char*>
{
protected:
    Cli() : m_tz(GetParam()), m_dir(m_home.path() + "data/")
    {
        ::mkdir(m_dir.c_str(), 0700);
    }

    // The week-50 fixture: Delta across midnight in week 49, Alpha on Sunday
    // and Monday, Beta on Monday and running since Tuesday 09:00.
    void SetUp() override
    {
        write_file(hours_path(), "% task hours t1 t2\n" + line("Delta", "2026-12-01T22:00:00", "2026-12-02T02:00:00")
                                     + line("Alpha", "2026-12-06T20:00:00", "2026-12-06T22:00:00")
                                     + line("Alpha", "2026-12-07T08:00:00", "2026-12-07T10:30:00")
                                     + line("Beta", "2026-12-07T10:30:00", "2026-12-07T12:00:00"));
        set_state("Beta", "2026-12-08T09:00:00", true);
    }

    static std::string line(const std::string& task, const std::string& from, const std::string& until)
    {
        return zovSession(task, at(from), at(until)).to_file_string() + "\n";
    }
    void set_state(const std::string& task, const std::string& time, bool active)
    {
        write_file(m_dir + "CURRENT.TSK", task + " " + at(time).to_readable_datetime_string()
                                              + (active ? " ACTIVE\n" : " INACTIVE\n"));
    }
    std::string hours_path() const { return m_dir + "HOURS.TSK"; }

    zov_result zov(std::vector<std::string> args, const std::string& clock = now_clock)
    {
        args.insert(args.begin(), {"--data", m_dir});
        return run_zov({args, GetParam(), clock, {"HOME=" + m_home.path()}});
    }

    // The week's report as the tray archives it: the kernel's sheet at the
    // same frozen moment.
    std::string tray_report(int week, int year)
    {
        FixedClock clock(at("2026-12-08T11:00:00").to_time_t());
        zovKernel kernel(m_dir);
        zovTimeSheet sheet(week, year);
        kernel.tsheet(sheet);
        std::ostringstream out;
        sheet.show_time_sheet(out);
        return out.str();
    }

    static std::vector<std::string> split_lines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }

    TzGuard m_tz;
    TempDir m_home;
    std::string m_dir;
};

}  // namespace

// Questions that change nothing: exact output, files untouched.
TEST_P(Cli, QueriesAnswerAndLeaveTheFilesAlone)
{
    const std::string sessions_text =
        at("2026-12-06T20:00:00").to_readable_datetime_string() + "  "
        + at("2026-12-06T22:00:00").to_readable_datetime_string() + "  2.00  Alpha\n"
        + at("2026-12-07T08:00:00").to_readable_datetime_string() + "  "
        + at("2026-12-07T10:30:00").to_readable_datetime_string() + "  2.50  Alpha\n"
        + at("2026-12-07T10:30:00").to_readable_datetime_string() + "  "
        + at("2026-12-07T12:00:00").to_readable_datetime_string() + "  1.50  Beta\n";
    const std::vector<row> rows = {
        {"status by default", {}, 0, "Beta working since 09:00 (2.0h), today 2.0h\n"},
        {"status", {"status"}, 0, "Beta working since 09:00 (2.0h), today 2.0h\n"},
        {"recent tasks, newest first", {"tasks"}, 0, "Beta\nAlpha\nDelta\n"},
        {"today with the running session", {"today"}, 0, "Beta       2.00\n---------------\nTotal      2.00\n"},
        {"report by task",
         {"report", "2026-12-01", "2026-12-31"},
         0,
         "Alpha      4.50\nBeta       3.50\nDelta      4.00\n---------------\nTotal     12.00\n"},
        {"report by day splits at midnight",
         {"report", "2026-12-01", "2026-12-08", "--by", "day"},
         0,
         "2026-12-01      2.00\n2026-12-02      2.00\n2026-12-06      2.00\n2026-12-07      4.00\n"
         "2026-12-08      2.00\n--------------------\nTotal          12.00\n"},
        {"report by week",
         {"report", "2026-11-30", "2026-12-13", "--by", "week"},
         0,
         "2026-W49      6.00\n2026-W50      6.00\n------------------\nTotal        12.00\n"},
        {"report by month", {"report", "2026-11-01", "2026-12-31", "--by", "month"}, 0, "2026-12     12.00\n-----------------\nTotal       12.00\n"},
        {"report clips to the range",
         {"report", "2026-12-07T09:00", "2026-12-07T11:00:00"},
         0,
         "Alpha      1.50\nBeta       0.50\n---------------\nTotal      2.00\n"},
        {"clock times are today", {"report", "10:00", "10:30"}, 0, "Beta       0.50\n---------------\nTotal      0.50\n"},
        {"an empty range", {"report", "2026-11-01", "2026-11-01"}, 0, "Total      0.00\n"},
        {"sessions", {"sessions", "2026-12-06", "2026-12-07"}, 0, sessions_text},
        {"week as tab-separated rows with the task first, sums without a name",
         {"week", "--tsv"},
         0,
         "Alpha\t2.5\t\t\t\t\t\t\t2.5\nBeta\t1.5\t2.0\t\t\t\t\t\t3.5\n\t4.0\t2.0\t\t\t\t\t\t6.0\n"},
        {"week without sessions as tab-separated cells", {"week", "2026", "2", "--tsv"}, 0, ""},
    };
    const auto before = snapshot(m_dir);
    for (const row& r : rows) {
        const zov_result result = zov(r.args);
        EXPECT_EQ(result.status, r.status) << r.name << "\n" << result.err;
        EXPECT_EQ(result.out, r.out) << r.name;
        EXPECT_EQ(result.err, "") << r.name;
    }
    EXPECT_EQ(snapshot(m_dir), before);
}

// Words for days and ranges give what the dates they stand for give, in every
// command that takes a time. Now is Tuesday 2026-12-08 11:00.
TEST_P(Cli, WordsAnswerAsTheirDates)
{
    struct same
    {
        std::vector<std::string> words;
        std::vector<std::string> dates;
    };
    const std::vector<same> rows = {
        {{"week", "lastweek"}, {"week", "2026", "49"}},
        {{"week", "monday", "--json"}, {"week", "2026", "50", "--json"}},
        {{"week", "-7d", "--csv"}, {"week", "2026-12-01", "--csv"}},
        {{"report", "yesterday"}, {"report", "2026-12-07", "2026-12-07"}},
        {{"report", "monday", "--csv"}, {"report", "2026-12-07", "2026-12-07", "--csv"}},
        {{"report", "sunday"}, {"report", "2026-12-06", "2026-12-06"}},
        {{"report", "thisweek", "--by", "day"}, {"report", "2026-12-07", "2026-12-13", "--by", "day"}},
        {{"report", "lastweek"}, {"report", "2026-11-30", "2026-12-06"}},
        {{"report", "thismonth", "--by", "day"}, {"report", "2026-12-01", "2026-12-31", "--by", "day"}},
        {{"report", "lastmonth", "--json"}, {"report", "2026-11-01", "2026-11-30", "--json"}},
        {{"report", "thisyear", "--by", "month"}, {"report", "2026-01-01", "2026-12-31", "--by", "month"}},
        {{"report", "-2h", "now"}, {"report", "09:00", "11:00"}},
        {{"report", "90 min ago", "now"}, {"report", "09:30", "11:00"}},
        {{"report", "-1d", "now"}, {"report", "2026-12-07T11:00", "2026-12-08T11:00"}},
        {{"report", "9:00", "10:30"}, {"report", "09:00", "10:30"}},
        {{"report", "lastweek", "today"}, {"report", "2026-11-30", "2026-12-08"}},
        {{"sessions", "lastweek", "--json"}, {"sessions", "2026-11-30", "2026-12-06", "--json"}},
        {{"sessions", "yesterday", "today", "--csv"}, {"sessions", "2026-12-07", "2026-12-08", "--csv"}},
        {{"correct", "G", "monday", "--dry-run"}, {"correct", "G", "2026-12-07", "2026-12-07", "--dry-run"}},
        {{"correct", "G", "-3h", "2 hours ago", "--dry-run"}, {"correct", "G", "08:00", "09:00", "--dry-run"}},
    };
    for (const same& r : rows) {
        const zov_result words = zov(r.words);
        const zov_result dates = zov(r.dates);
        EXPECT_EQ(words.status, 0) << r.words[0] << " " << r.words[1] << ": " << words.err;
        EXPECT_EQ(words.out, dates.out) << r.words[0] << " " << r.words[1];
        EXPECT_NE(words.out, "") << r.words[0] << " " << r.words[1];
    }
}

// A running session's figures: never below zero when the clock stands before
// its begin, and today's rows and total from one computation when it began
// yesterday.
TEST_P(Cli, RunningSessionFiguresAgree)
{
    struct running_row
    {
        const char* name;
        const char* since;  // Beta running since
        const char* clock;
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<running_row> rows = {
        {"status, clock set back", "2026-12-08T09:00:00", "2026-12-08 08:30:00", {"status"},
         "Beta working since 09:00 (0.0h), today 0.0h\n"},
        {"today, clock set back", "2026-12-08T09:00:00", "2026-12-08 08:30:00", {"today"},
         "Beta       0.00\n---------------\nTotal      0.00\n"},
        {"week, clock set back", "2026-12-08T09:00:00", "2026-12-08 08:30:00", {"week", "--tsv"},
         "Alpha\t2.5\t\t\t\t\t\t\t2.5\nBeta\t1.5\t\t\t\t\t\t\t1.5\n\t4.0\t\t\t\t\t\t\t4.0\n"},
        {"report, clock set back", "2026-12-08T09:00:00", "2026-12-08 08:30:00",
         {"report", "2026-12-08", "2026-12-08"}, "Total      0.00\n"},
        {"today, running since yesterday evening", "2026-12-07T20:00:00", "2026-12-08 11:00:00", {"today"},
         "Beta      11.00\n---------------\nTotal     11.00\n"},
        {"status, running since yesterday evening", "2026-12-07T20:00:00", "2026-12-08 11:00:00", {"status"},
         "Beta working since 2026-12-07 20:00 (15.0h), today 11.0h\n"},
    };
    for (const running_row& r : rows) {
        set_state("Beta", r.since, true);
        const zov_result result = zov(r.args, r.clock);
        EXPECT_EQ(result.status, 0) << r.name << "\n" << result.err;
        EXPECT_EQ(result.out, r.out) << r.name;
    }
}

// The week report is the tray's archive, byte for byte, for this week, a
// week named by number and a week named by a date.
TEST_P(Cli, WeekReportIsTheTraysArchive)
{
    const std::string week50 = tray_report(50, 2026);
    const std::string week49 = tray_report(49, 2026);
    ASSERT_NE(week50.find("-->Beta"), std::string::npos);
    ASSERT_NE(week49.find("Delta"), std::string::npos);
    EXPECT_EQ(zov({"week"}).out, week50);
    EXPECT_EQ(zov({"week", "2026", "50"}).out, week50);
    EXPECT_EQ(zov({"week", "2026", "49"}).out, week49);
    EXPECT_EQ(zov({"week", "2026-12-01"}).out, week49);
    EXPECT_EQ(zov({"week", "2026-12-06T23:59"}).out, week49);
}

TEST_P(Cli, JsonParsesBack)
{
    const zov_result status = zov({"status", "--json"});
    ASSERT_EQ(status.status, 0) << status.err;
    const auto s = nlohmann::json::parse(status.out);
    EXPECT_EQ(s["task"], "Beta");
    EXPECT_EQ(s["active"], true);
    EXPECT_DOUBLE_EQ(s["hours"].get<double>(), 2.0);
    EXPECT_DOUBLE_EQ(s["today"].get<double>(), 2.0);
    vu_datetime since;
    ASSERT_TRUE(since.parse_readable_datetime_string(s["since"].get<std::string>()));
    EXPECT_EQ(since, at("2026-12-08T09:00:00"));

    const auto bar = nlohmann::json::parse(zov({"status", "--waybar"}).out);
    EXPECT_EQ(bar["class"], "working");
    EXPECT_EQ(bar["text"], "Beta 2.0h");
    EXPECT_EQ(bar["tooltip"], "Beta - Working 2.0h\nToday 2.0h - (0 items)");

    const auto week = nlohmann::json::parse(zov({"week", "--json"}).out);
    EXPECT_EQ(week["year"], 2026);
    EXPECT_EQ(week["week"], 50);
    EXPECT_EQ(week["monday"], "2026-12-07");
    EXPECT_EQ(week["active_task"], "Beta");
    ASSERT_EQ(week["tasks"].size(), 2u);
    EXPECT_EQ(week["tasks"][1]["task"], "Beta");
    EXPECT_DOUBLE_EQ(week["tasks"][1]["days"][1].get<double>(), 2.0);
    EXPECT_TRUE(week["tasks"][1]["days"][2].is_null());
    EXPECT_DOUBLE_EQ(week["total"].get<double>(), 6.0);

    const auto report = nlohmann::json::parse(zov({"report", "2026-12-01", "2026-12-31", "--json"}).out);
    EXPECT_EQ(report["by"], "task");
    EXPECT_DOUBLE_EQ(report["total"].get<double>(), 12.0);
    ASSERT_EQ(report["rows"].size(), 3u);
    EXPECT_EQ(report["rows"][2]["task"], "Delta");
    EXPECT_DOUBLE_EQ(report["rows"][2]["hours"].get<double>(), 4.0);
    vu_datetime until;
    ASSERT_TRUE(until.parse_readable_datetime_string(report["until"].get<std::string>()));
    EXPECT_EQ(until, at("2027-01-01T00:00:00"));

    const auto sessions = nlohmann::json::parse(zov({"sessions", "2026-12-01", "2026-12-31", "--json"}).out);
    ASSERT_EQ(sessions["sessions"].size(), 4u);
    const auto& delta = sessions["sessions"][0];
    EXPECT_EQ(delta["task"], "Delta");
    vu_datetime b, e;
    ASSERT_TRUE(b.parse_readable_datetime_string(delta["begin"].get<std::string>()));
    ASSERT_TRUE(e.parse_readable_datetime_string(delta["end"].get<std::string>()));
    EXPECT_EQ(b, at("2026-12-01T22:00:00"));
    EXPECT_EQ(e, at("2026-12-02T02:00:00"));
    EXPECT_DOUBLE_EQ(delta["hours"].get<double>(), 4.0);
}

TEST_P(Cli, CsvParsesBack)
{
    // A task name may hold a comma or a quote: the field is quoted.
    write_file(hours_path(), read_file(hours_path()) + line("x,\"y", "2026-12-07T13:00:00", "2026-12-07T13:30:00"));
    const auto week = parse_csv(zov({"week", "--csv"}).out);
    ASSERT_EQ(week.size(), 5u);
    EXPECT_EQ(week[0], (std::vector<std::string>{"task", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "total"}));
    EXPECT_EQ(week[3], (std::vector<std::string>{"x,\"y", "0.50", "", "", "", "", "", "", "0.50"}));
    EXPECT_EQ(week[4], (std::vector<std::string>{"", "4.50", "2.00", "", "", "", "", "", "6.50"}));

    const auto report = parse_csv(zov({"report", "2026-12-07", "2026-12-07", "--csv", "--by", "day"}).out);
    EXPECT_EQ(report, (std::vector<std::vector<std::string>>{{"day", "hours"}, {"2026-12-07", "4.50"}}));

    const auto sessions = parse_csv(zov({"sessions", "2026-12-07T13:00", "2026-12-07T14:00", "--csv"}).out);
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[1][0], "x,\"y");
    vu_datetime b;
    ASSERT_TRUE(b.parse_readable_datetime_string(sessions[1][1]));
    EXPECT_EQ(b, at("2026-12-07T13:00:00"));
    EXPECT_EQ(sessions[1][3], "0.50");
}

// Names a spreadsheet would run as formulas stay text; a task named "Total" is
// not the sum; a task corrected away shows no row; an empty week has days.
TEST_P(Cli, OutputThatCannotHurt)
{
    const std::vector<std::string> names = {"=HYPERLINK(\"x\")", "+1", "-2", "@SUM(A1)", "Total"};
    std::string lines = read_file(hours_path());
    int minute = 0;
    for (const std::string& name : names) {
        const std::string from = "2026-12-07T13:" + std::to_string(10 + minute) + ":00";
        minute += 6;
        lines += line(name, from, "2026-12-07T13:" + std::to_string(10 + minute) + ":00");
    }
    write_file(hours_path(), lines);
    auto first_cells = [](const std::vector<std::vector<std::string>>& records) {
        std::vector<std::string> cells;
        for (const auto& record : records)
            cells.push_back(record.at(0));
        return cells;
    };
    const std::vector<std::string> guarded = {"'+1", "'-2", "'=HYPERLINK(\"x\")", "'@SUM(A1)"};
    auto report = first_cells(parse_csv(zov({"report", "2026-12-07", "--csv"}).out));
    EXPECT_EQ(report, (std::vector<std::string>{"task", "'+1", "'-2", "'=HYPERLINK(\"x\")", "'@SUM(A1)", "Alpha",
                                                "Beta", "Total"}));
    auto week = first_cells(parse_csv(zov({"week", "--csv"}).out));
    EXPECT_EQ(week, (std::vector<std::string>{"task", "'+1", "'-2", "'=HYPERLINK(\"x\")", "'@SUM(A1)", "Alpha", "Beta",
                                              "Total", ""}));
    auto sessions = first_cells(parse_csv(zov({"sessions", "2026-12-07T13:00", "2026-12-07T14:00", "--csv"}).out));
    EXPECT_EQ(sessions, (std::vector<std::string>{"task", "'=HYPERLINK(\"x\")", "'+1", "'-2", "'@SUM(A1)", "Total"}));
    // Hours are numbers: not guarded.
    EXPECT_NE(zov({"report", "2026-12-07", "--csv"}).out.find("Total,0.10\n"), std::string::npos);

    // The sum is below the rule; the task "Total" above it.
    const std::string text = zov({"report", "2026-12-07T13:00", "2026-12-07T14:00"}).out;
    const std::vector<std::string> text_lines = split_lines(text);
    ASSERT_EQ(text_lines.size(), 7u) << text;
    EXPECT_EQ(text_lines[4].substr(0, 6), "Total ") << text;
    EXPECT_EQ(text_lines[5].find_first_not_of('-'), std::string::npos) << text;
    EXPECT_EQ(text_lines[6].substr(0, 6), "Total ") << text;
    EXPECT_EQ(text_lines[6].substr(text_lines[6].size() - 4), "0.50") << text;
    const std::string tsv = zov({"week", "--tsv"}).out;
    EXPECT_NE(tsv.find("\nTotal\t0.1\t"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("\n\t4.5\t2.0\t"), std::string::npos) << tsv;

    // A 09:00-10:00 today, then corrected to B: no "A 0.00" row.
    write_file(hours_path(), "% task hours t1 t2\n" + line("A", "2026-12-08T07:00:00", "2026-12-08T08:00:00"));
    set_state("A", "2026-12-08T08:00:00", false);
    ASSERT_EQ(zov({"correct", "B", "07:00", "08:00"}).status, 0);
    EXPECT_EQ(zov({"report", "today"}).out, "B          1.00\n---------------\nTotal      1.00\n");
    EXPECT_EQ(zov({"today"}).out, "B          1.00\n---------------\nTotal      1.00\n");
    EXPECT_EQ(zov({"today", "--csv"}).out, "task,hours\nB,1.00\n");

    // An empty week still has its seven days.
    const auto empty = nlohmann::json::parse(zov({"week", "2026", "2", "--json"}).out);
    ASSERT_EQ(empty["days"].size(), 7u);
    EXPECT_TRUE(empty["days"][0].is_null());
    EXPECT_EQ(empty["tasks"].size(), 0u);
}

// The recording cycle: what each command writes, and what it prints.
TEST_P(Cli, RecordingWritesWhatTheKernelWrites)
{
    const std::string base = read_file(hours_path());
    const std::string closed = line("Beta", "2026-12-08T09:00:00", "2026-12-08T11:00:00");
    const std::string at11 = at("2026-12-08T11:00:00").to_readable_datetime_string();

    zov_result r = zov({"login", "Zeta"});  // another task runs: refused, nothing changes
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zov: Beta is running since 09:00; to switch to Zeta: zov next Zeta\n");
    EXPECT_EQ(read_file(hours_path()), base);
    for (const char* same : {"Beta", ""}) {  // the running task itself: its state
        r = zov({"login", same});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Beta working since 09:00 (2.0h), today 2.0h\n");
    }
    EXPECT_EQ(read_file(hours_path()), base);

    r = zov({"next", "Zeta"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Zeta working since 11:00 (0.0h), today 2.0h\n");
    EXPECT_EQ(read_file(hours_path()), base + closed);
    EXPECT_EQ(read_file(m_dir + "CURRENT.TSK"), "Zeta " + at11 + " ACTIVE\n");

    SetUp();
    r = zov({"logout"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Beta sleeping since 11:00, today 2.0h\n");
    EXPECT_EQ(read_file(hours_path()), base + closed);
    EXPECT_EQ(read_file(m_dir + "CURRENT.TSK"), "Beta " + at11 + " INACTIVE\n");
    EXPECT_EQ(read_file(m_dir + "LOGINOUT.TSK"), "LOGOUT " + at11 + "\n");

    r = zov({"logout"});  // not running: nothing to do
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(hours_path()), base + closed);

    r = zov({"next", "Omega"});  // not running: remembered for the next log-in
    EXPECT_EQ(r.out, "Omega sleeping since 11:00, today 2.0h\n");
    r = zov({"login"}, "2026-12-08 11:30:00");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Omega working since 11:30 (0.0h), today 2.0h\n");
    EXPECT_EQ(read_file(m_dir + "LOGINOUT.TSK"),
              "LOGOUT " + at11 + "\nLOGIN " + at("2026-12-08T11:30:00").to_readable_datetime_string() + "\n");

    SetUp();
    set_state("Beta", "2026-12-07T12:00:00", false);
    r = zov({"login", " \tGamma "});  // blanks around a typed name are not part of it
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(m_dir + "CURRENT.TSK"), "Gamma " + at11 + " ACTIVE\n");
    EXPECT_EQ(read_file(hours_path()), base);
}

TEST_P(Cli, CorrectionPrintsTheLinesItAppends)
{
    const std::string base = read_file(hours_path());
    const std::string lines = line("Alpha", "2026-12-07T10:30:00", "2026-12-07T10:00:00")
                              + line("Beta", "2026-12-07T11:00:00", "2026-12-07T10:30:00")
                              + line("Gamma", "2026-12-07T10:00:00", "2026-12-07T11:00:00");
    zov_result r = zov({"correct", "Gamma", "2026-12-07T10:00", "2026-12-07T11:00", "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, lines);
    EXPECT_EQ(read_file(hours_path()), base);

    r = zov({"correct", " Gamma\t", "2026-12-07T10:00", "2026-12-07T11:00"});  // typed with blanks around
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, lines);
    EXPECT_EQ(read_file(hours_path()), base + "% correction begins\n" + lines + "% correction ends\n");

    // What the correction cancelled is gone from the sessions and the sums.
    const std::string iso = "2026-12-07T";
    auto stamp = [&](const char* hm) { return at(iso + hm + ":00").to_readable_datetime_string(); };
    EXPECT_EQ(zov({"sessions", "2026-12-07", "2026-12-07"}).out,
              stamp("08:00") + "  " + stamp("10:00") + "  2.00  Alpha\n" + stamp("10:00") + "  " + stamp("11:00")
                  + "  1.00  Gamma\n" + stamp("11:00") + "  " + stamp("12:00") + "  1.00  Beta\n");
    EXPECT_EQ(zov({"report", "2026-12-07", "2026-12-07"}).out,
              "Alpha      2.00\nBeta       1.00\nGamma      1.00\n---------------\nTotal      4.00\n");
}

// A correction into the running session: the dry run shows exactly what the
// real one then appends.
TEST_P(Cli, DryRunShowsWhatTheCorrectionWrites)
{
    const auto before = snapshot(m_dir);
    const std::vector<std::string> args = {"correct", "Gamma", "2026-12-08T10:00", "2026-12-08T10:30"};
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    const zov_result trial = zov(dry);
    EXPECT_EQ(trial.status, 0) << trial.err;
    EXPECT_EQ(snapshot(m_dir), before);
    const std::string base = read_file(hours_path());
    const zov_result real = zov(args);
    EXPECT_EQ(real.status, 0) << real.err;
    EXPECT_EQ(real.out, trial.out);
    EXPECT_EQ(read_file(hours_path()), base + "% correction begins\n" + real.out + "% correction ends\n");
    // The running session gave up the corrected half hour.
    EXPECT_EQ(zov({"report", "2026-12-08", "2026-12-08"}).out, "Beta       1.50\nGamma      0.50\n---------------\nTotal      2.00\n");
}

// A HOURS.TSK that cannot be read gives an error, never a smaller total.
TEST_P(Cli, UnreadableHoursIsAnError)
{
    ::unlink(hours_path().c_str());
    ::mkdir(hours_path().c_str(), 0700);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"status"}, std::vector<std::string>{"week"}, std::vector<std::string>{"today"},
          std::vector<std::string>{"tasks"}, std::vector<std::string>{"report", "2026-12-01", "2026-12-31"},
          std::vector<std::string>{"sessions", "2026-12-01", "2026-12-31"},
          std::vector<std::string>{"correct", "K", "2026-12-07T10:00", "2026-12-07T11:00"}}) {
        const zov_result r = zov(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_EQ(r.err, "zov: could not read " + m_dir + "HOURS.TSK\n") << args[0];
    }
}

// Tables pad by display width: rows with non-ASCII names line up.
TEST_P(Cli, TablesLineUpNonAsciiNames)
{
    const std::string aerger = "\xc3\x84rger";               // 5 columns, 6 bytes
    const std::string kanji = "\xe6\xbc\xa2\xe5\xad\x97";  // 4 columns, 6 bytes
    write_file(hours_path(), "% task hours t1 t2\n" + line("Zeta", "2026-12-07T08:00:00", "2026-12-07T09:00:00")
                                 + line(aerger, "2026-12-07T09:00:00", "2026-12-07T10:00:00")
                                 + line(kanji, "2026-12-07T10:00:00", "2026-12-07T11:00:00"));
    set_state("Zeta", "2026-12-07T11:00:00", false);
    const zov_result r = zov({"report", "2026-12-07", "2026-12-07"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Zeta       1.00\n" + aerger + "      1.00\n" + kanji + "       1.00\n---------------\nTotal      3.00\n");
}

// A hand-edited state file: what is clearly meant is read; what cannot be
// read is never guessed at and never reset unnoticed. Commands that only
// read never create, rename or write a task file.
TEST_P(Cli, StateFileIsReadLenientlyOrKeptAsideAndReported)
{
    const std::vector<std::vector<std::string>> readers = {
        {}, {"status"}, {"status", "--json"}, {"tasks"}, {"today"}, {"week"},
        {"report", "2026-12-01", "2026-12-31"}, {"sessions", "2026-12-01", "2026-12-31"}};

    // Without seconds and with blanks around: the running session is kept.
    std::string time = at("2026-12-08T09:00:00").to_readable_datetime_string();
    time.erase(16, 3);
    write_file(m_dir + "CURRENT.TSK", "  Beta " + time + " ACTIVE  \n");
    auto before = snapshot(m_dir);
    zov_result r = zov({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Beta working since 09:00 (2.0h), today 2.0h\n");
    EXPECT_EQ(snapshot(m_dir), before);

    // Unreadable: every reader says so and touches nothing.
    write_file(m_dir + "CURRENT.TSK", "Beta since-nine ACTIVE\n");
    before = snapshot(m_dir);
    for (const auto& args : readers) {
        r = zov(args);
        const std::string name = args.empty() ? "zov" : args[0];
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_NE(r.err.find("CURRENT.TSK cannot be read"), std::string::npos) << name << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << name << ": " << r.err;
        EXPECT_EQ(snapshot(m_dir), before) << name;
    }

    // The next change keeps it aside under a name that says so, says where,
    // and does nothing else.
    r = zov({"login", "Gamma"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("could not be read. It was kept as " + m_dir + "CURRENT.TSK.unreadable-"), std::string::npos)
        << r.err;
    const auto after = snapshot(m_dir);
    std::string kept;
    for (const auto& [name, content] : after)
        if (name.rfind("CURRENT.TSK.unreadable-", 0) == 0)
            kept = content;
    EXPECT_EQ(kept, "Beta since-nine ACTIVE\n");
    EXPECT_EQ(after.at("HOURS.TSK"), before.at("HOURS.TSK"));
    EXPECT_EQ(after.count("LOGINOUT.TSK"), 0u) << "the log-in was not made";
    r = zov({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("DEFAULT sleeping since", 0), 0u) << r.out;

    // A folder with only HOURS.TSK, and a folder that does not exist: readers
    // create nothing.
    ::unlink((m_dir + "CURRENT.TSK").c_str());
    for (const auto& [name, content] : after)
        if (name != "HOURS.TSK")
            ::unlink((m_dir + name).c_str());
    before = snapshot(m_dir);
    ASSERT_EQ(before.size(), 1u);
    for (const auto& args : readers) {
        r = zov(args);
        EXPECT_EQ(r.status, 0) << (args.empty() ? "zov" : args[0]) << ": " << r.err;
        EXPECT_EQ(snapshot(m_dir), before) << (args.empty() ? "zov" : args[0]);
    }
    const std::string missing = m_home.path() + "nowhere/";
    for (const auto& args : readers) {
        std::vector<std::string> with = {"--data", missing};
        with.insert(with.end(), args.begin(), args.end());
        r = run_zov({with, GetParam(), now_clock, {"HOME=" + m_home.path()}});
        // A folder named with --data must exist: a mistyped path is refused.
        EXPECT_EQ(r.status, 1) << (args.empty() ? "zov" : args[0]) << ": " << r.err;
        EXPECT_NE(r.err.find("no data folder " + missing), std::string::npos) << r.err;
        EXPECT_FALSE(exists(missing)) << (args.empty() ? "zov" : args[0]);
    }
}

TEST_P(Cli, ErrorsSayWhatIsWrongAndChangeNothing)
{
    const std::vector<error_row> rows = {
        {"unknown sub-command", {"bogus"}, 2, "bogus"},
        {"missing task", {"next"}, 2, "TASK"},
        {"extra argument", {"logout", "extra"}, 2, "extra"},
        {"missing folder argument", {"--data"}, 2, "data"},
        {"two output forms", {"status", "--json", "--waybar"}, 2, "excludes"},
        {"two week forms", {"week", "--csv", "--json"}, 2, "excludes"},
        {"unknown grouping", {"report", "2026-12-01", "2026-12-31", "--by", "year"}, 2, "year"},
        {"blank in a name", {"next", "a b"}, 1, "\"a b\" cannot be a task name"},
        {"empty name", {"next", ""}, 1, "cannot be a task name"},
        {"comment name", {"login", "%x"}, 1, "cannot be a task name"},
        {"bad name in a correction", {"correct", "a\tb", "10:00", "11:00"}, 1, "cannot be a task name"},
        {"overlong name", {"next", std::string(70 * 1024, 'x')}, 1, "cannot be a task name"},
        {"overlong name at log-in", {"login", std::string(70 * 1024, 'x')}, 1, "cannot be a task name"},
        {"overlong name in a correction", {"correct", std::string(70 * 1024, 'x'), "10:00", "11:00"}, 1,
         "cannot be a task name"},
        {"bad time", {"report", "soon", "2026-12-07"}, 1, "FROM \"soon\" is not a time"},
        {"no such date", {"report", "2026-02-29", "2026-12-07"}, 1, "FROM \"2026-02-29\" is not a time"},
        {"no such day of February", {"report", "2026-02-30", "2026-12-07"}, 1, "FROM \"2026-02-30\" is not a time"},
        {"no such hour", {"sessions", "2026-12-01", "24:00"}, 1, "UNTIL \"24:00\" is not a time"},
        {"hour 25", {"report", "25:00", "today"}, 1, "FROM \"25:00\" is not a time"},
        {"reversed range", {"report", "2026-12-08", "2026-12-07T00:00"}, 1,
         "until (2026-12-07T00:00) is before from (2026-12-08)"},
        {"reversed days", {"report", "2026-12-08", "2026-12-07"}, 1, "until (2026-12-07) is before from (2026-12-08)"},
        {"an instant alone is no range", {"report", "10:00"}, 1, "FROM \"10:00\" is one instant"},
        {"bad time in a correction", {"correct", "K", "10:00", "11h"}, 1, "UNTIL \"11h\" is not a time"},
        {"negative correction", {"correct", "K", "17:30", "08:45"}, 1, "until (08:45) is before from (17:30)"},
        {"no such week", {"week", "2025", "53"}, 1, "WEEK 53: the year 2025 has no week 53"},
        {"week 54", {"week", "2026", "54"}, 1, "WEEK \"54\" is not a week"},
        {"not a week", {"week", "2026", "x"}, 1, "WEEK \"x\" is not a week"},
        {"not a year", {"week", "20x6", "5"}, 1, "YEAR \"20x6\" is not a year"},
        {"not a date", {"week", "soon"}, 1, "DATE \"soon\" is not a time"},
        {"another task running", {"login", "Zeta"}, 1, "Beta is running since 09:00; to switch to Zeta: zov next Zeta"},
        {"no-break space in a name", {"next", "a\xc2\xa0" "b"}, 1, "cannot be a task name"},
        {"ideographic space in a name", {"login", "a\xe3\x80\x80" "b"}, 1, "cannot be a task name"},
        {"thin space in a name", {"correct", "a\xe2\x80\x89" "b", "10:00", "11:00"}, 1, "cannot be a task name"},
        {"too many week arguments", {"week", "1", "2", "3"}, 2, "3"},
    };
    const auto before = snapshot(m_dir);
    for (const error_row& r : rows) {
        const zov_result result = zov(r.args);
        EXPECT_EQ(result.status, r.status) << r.name << ": " << result.err;
        EXPECT_EQ(result.out, "") << r.name;
        EXPECT_NE(result.err.find(r.err), std::string::npos) << r.name << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << r.name << ": " << result.err;
        EXPECT_EQ(result.err.back(), '\n') << r.name;
    }
    EXPECT_EQ(snapshot(m_dir), before);
}

INSTANTIATE_TEST_SUITE_P(Zones, Cli, ::testing::ValuesIn(test_zones), zone_name);

// Another program holding the lock: a change waits the documented five
// seconds once (not once more for the start-up's repair) and says why it
// gave up; the files stay as they were.
TEST(CliLock, HeldLockIsNamedAndWaitedForOnce)
{
    TempDir home;
    const std::string dir = home.path();
    write_file(dir + "HOURS.TSK", "% task hours t1 t2\n");
    write_file(dir + "CURRENT.TSK", "K " + at("2026-12-08T09:00:00").to_readable_datetime_string() + " ACTIVE\n");
    const int fd = ::open((dir + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const auto before = snapshot(dir);
    const auto start = std::chrono::steady_clock::now();
    const zov_result r = run_zov({{"--data", dir, "next", "L"}, "UTC", "", {}});
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zov: another ZOV program is changing the records; try again\n");
    EXPECT_EQ(snapshot(dir), before);
    EXPECT_GE(waited, 4.9);
    EXPECT_LT(waited, 9.0) << "waited twice";
}

// Days of 23 and 25 hours: a day's report and the times typed for it follow
// that day's own offsets.
TEST(CliClockChange, DaysAreCalendarDays)
{
    for (const clock_change_day& day : clock_change_days) {
        TzGuard tz(day.zone);
        TempDir home;
        const std::string dir = home.path();
        write_file(dir + "HOURS.TSK", "% task hours t1 t2\n"
                                          + zovSession("K", at(day.day), at(day.next)).to_file_string() + "\n");
        write_file(dir + "CURRENT.TSK", "K " + at(day.next).to_readable_datetime_string() + " INACTIVE\n");
        const std::string date = std::string(day.day).substr(0, 10);
        char hours[16];
        std::snprintf(hours, sizeof hours, "%.2f", day.hours);
        const zov_result r = run_zov({{"--data", dir, "report", date, date, "--by", "day", "--csv"}, day.zone, "2030-01-01 12:00:00", {}});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(parse_csv(r.out), (std::vector<std::vector<std::string>>{{"day", "hours"}, {date, hours}}))
            << day.zone << " " << date;
        // 00:00 until 12:00 of that day by the wall clock, whatever the offset.
        const zov_result half = run_zov({{"--data", dir, "report", date, date + "T12:00", "--csv"}, day.zone, "2030-01-01 12:00:00", {}});
        const double expected = at(date + "T12:00:00").diff_hours(at(day.day));
        std::snprintf(hours, sizeof hours, "%.2f", expected);
        EXPECT_EQ(parse_csv(half.out), (std::vector<std::vector<std::string>>{{"task", "hours"}, {"K", hours}}))
            << day.zone << " " << date;
    }
}

// Where the data lives when no --data is given, and what happens without a
// home folder or a folder that can be written.
TEST(CliDataFolder, FoundAsTheTrayFindsIt)
{
    TempDir home;
    const std::vector<std::string> args = {"next", "K"};
    zov_result r = run_zov({args, "UTC", "", {"HOME=" + home.path()}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(exists(home.path() + ".local/share/Zovaro/CURRENT.TSK"));

    r = run_zov({args, "UTC", "", {"HOME=" + home.path(), "XDG_DATA_HOME=" + home.path() + "xdg/"}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(exists(home.path() + "xdg/Zovaro/CURRENT.TSK"));

    // A relative XDG value does not count.
    r = run_zov({args, "UTC", "", {"HOME=" + home.path() + "h2", "XDG_DATA_HOME=rel"}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(exists(home.path() + "h2/.local/share/Zovaro/CURRENT.TSK"));
}

// A folder named with --data must be there: a mistyped path is refused, not
// made. The default folder is made by the first change; a question before
// that answers from no records and makes nothing.
TEST(CliDataFolder, OnlyAChangeMakesTheDefaultFolder)
{
    TempDir home;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--data", home.path() + "typo", "login", "K"},
          std::vector<std::string>{"--data", home.path() + "typo", "status"}}) {
        const zov_result r = run_zov({args, "UTC", "", {"HOME=" + home.path()}});
        EXPECT_EQ(r.status, 1) << args[2];
        EXPECT_EQ(r.err, "zov: no data folder " + home.path() + "typo (--data names a folder that exists)\n");
        EXPECT_FALSE(exists(home.path() + "typo"));
    }
    const std::string dir = home.path() + ".local/share/Zovaro";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"status"}, std::vector<std::string>{"week", "--json"},
          std::vector<std::string>{"report", "today"}, std::vector<std::string>{"tasks"},
          std::vector<std::string>{"correct", "K", "09:00", "10:00", "--dry-run"}}) {
        const zov_result r = run_zov({args, "UTC", "2026-12-08 11:00:00", {"HOME=" + home.path()}});
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        EXPECT_FALSE(exists(dir)) << args[0];
    }
    EXPECT_EQ(run_zov({{"report", "today"}, "UTC", "2026-12-08 11:00:00", {"HOME=" + home.path()}}).out,
              "Total      0.00\n");
    const zov_result r = run_zov({{"login", "K"}, "UTC", "2026-12-08 11:00:00", {"HOME=" + home.path()}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(exists(dir + "/CURRENT.TSK"));
}

TEST(CliDataFolder, NoHomeFolderIsAnError)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as a user without a password entry";
    TempDir cwd;
    for (const std::string home : {"HOME=", "HOME=relative"}) {
        const zov_result r = run_zov({{"status"}, "UTC", "", {home}, 54321});
        EXPECT_EQ(r.status, 1) << home;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("no home folder"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(CliDataFolder, FolderThatCannotBeMadeOrWritten)
{
    TempDir home;
    write_file(home.file("plain"), "a file, not a folder\n");
    zov_result r = run_zov({{"login", "K"}, "UTC", "", {"HOME=" + home.file("plain")}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot create the data folder " + home.file("plain") + "/.local/share/Zovaro/"),
              std::string::npos)
        << r.err;

    // A full disk: every write fails, whoever runs the program.
    const std::string dir = home.path() + "data/";
    ::mkdir(dir.c_str(), 0700);
    write_file(dir + "HOURS.TSK", "% task hours t1 t2\n");
    write_file(dir + "CURRENT.TSK", "K " + at("2026-12-08T09:00:00").to_readable_datetime_string() + " ACTIVE\n");
    const auto before = snapshot(dir);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"next", "L"}, std::vector<std::string>{"logout"},
          std::vector<std::string>{"correct", "L", "2026-12-07T08:00", "2026-12-07T09:00"}}) {
        std::vector<std::string> all = {"--data", dir};
        all.insert(all.end(), args.begin(), args.end());
        zov_run full{all, "UTC", "2026-12-08 11:00:00", {}};
        full.file_size_limit = 0;
        r = run_zov(full);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "zov: Could not write the task files in the data folder " + dir
                             + ". Check that the folder exists and can be written.\n");
        // A file the write could not fill stays empty; nothing half-written.
        auto after = snapshot(dir);
        if (after.count("LOGINOUT.TSK") && after["LOGINOUT.TSK"].empty())
            after.erase("LOGINOUT.TSK");
        EXPECT_EQ(after, before) << args[0];
    }
    // Log-in with a stopped recording, likewise.
    write_file(dir + "CURRENT.TSK", "K " + at("2026-12-08T09:00:00").to_readable_datetime_string() + " INACTIVE\n");
    auto inactive = snapshot(dir);
    zov_run full{{"--data", dir, "login", "L"}, "UTC", "2026-12-08 11:00:00", {}};
    full.file_size_limit = 0;
    r = run_zov(full);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not write the task files"), std::string::npos) << r.err;
    auto after = snapshot(dir);
    inactive.erase("LOGINOUT.TSK");
    after.erase("LOGINOUT.TSK");
    EXPECT_EQ(after, inactive);
    EXPECT_EQ(read_file(dir + "LOGINOUT.TSK"), "");
}

TEST(CliHelp, HelpListsTheSubCommands)
{
    const zov_result r = run_zov({{"--help"}, "UTC", "", {}});
    EXPECT_EQ(r.status, 0);
    for (const char* sub : {"status", "login", "next", "logout", "today", "week", "report", "sessions", "correct", "tasks"})
        EXPECT_NE(r.out.find(sub), std::string::npos) << sub;
}

// The bash completion script, sourced into a real bash with zov on its PATH.
TEST(CliCompletion, SubCommandsOptionsAndRecentTasks)
{
    TzGuard tz("UTC");
    TempDir home;
    const std::string dir = home.path();
    write_file(dir + "HOURS.TSK", "% task hours t1 t2\n"
                                      + zovSession("Writing", at("2026-12-07T08:00:00"), at("2026-12-07T09:00:00")).to_file_string() + "\n"
                                      + zovSession("Review", at("2026-12-07T09:00:00"), at("2026-12-07T10:00:00")).to_file_string() + "\n");
    write_file(dir + "CURRENT.TSK", "Review " + at("2026-12-07T10:00:00").to_readable_datetime_string() + " INACTIVE\n");
    std::string program_dir = ZOV_PROGRAM;
    program_dir.erase(program_dir.rfind('/'));
    auto complete = [&](const std::string& line) {
        // COMP_WORDS from the words of the line; the cursor on the last one.
        const std::string script = "PATH='" + program_dir + "':$PATH; . '" ZOV_COMPLETION "'; "
                                   "COMP_WORDS=(" + line + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                   "_zov; printf '%s\\n' \"${COMPREPLY[@]}\" | sort";
        zov_run run{{}, "UTC", "2026-12-08 11:00:00", {}};
        return run_bash(run, script);
    };
    EXPECT_EQ(complete("zov ''"), "--data\n--help\ncancel\ncorrect\nexport\nimport\nlogin\nlogout\nnext\nreport\nsessions\nstatus\n"
                                  "tasks\ntoday\nundo\nweek\n");
    EXPECT_EQ(complete("zov lo"), "login\nlogout\n");
    EXPECT_EQ(complete("zov week --"), "--csv\n--data\n--help\n--json\n--svg\n--tsv\n");
    EXPECT_EQ(complete("zov report 2026-12-01 2026-12-31 --by m"), "month\n");
    EXPECT_EQ(complete("zov --data '" + dir + "' next ''"), "Review\nWriting\n");
    EXPECT_EQ(complete("zov --data '" + dir + "' login W"), "Writing\n");
    EXPECT_EQ(complete("zov --data '" + dir + "' correct Writing t"), "thismonth\nthisweek\nthisyear\nthursday\ntoday\ntuesday\n");
    EXPECT_EQ(complete("zov week last"), "lastmonth\nlastweek\n");
    EXPECT_EQ(complete("zov report -"), "--by\n--csv\n--data\n--help\n--json\n--svg\n");
    EXPECT_EQ(complete("zov report -3"), "\n");  // -3d is typed, not completed
}

// Task names are data: completing one never runs what it holds, and what is
// completed is the name exactly, once the shell reads it back.
TEST(CliCompletion, TaskNamesAreNeverEvaluated)
{
    TzGuard tz("UTC");
    TempDir home;
    const std::string dir = home.path();
    const std::string marker = dir + "ran";
    const std::vector<std::string> names = {"Ticket-$(touch${IFS}" + marker + ")", "Ticket-`touch${IFS}" + marker + "`",
                                            "it's", "say\"hi\"", "Ticket-*", "Ticket-${HOME}"};
    std::string lines = "% task hours t1 t2\n";
    int hour = 0;
    for (const std::string& name : names) {
        const std::string from = "2026-12-07T0" + std::to_string(hour++) + ":00:00";
        lines += zovSession(name, at(from), at(from.substr(0, 14) + "30:00")).to_file_string() + "\n";
    }
    write_file(dir + "HOURS.TSK", lines);
    write_file(dir + "CURRENT.TSK", "x " + at("2026-12-07T10:00:00").to_readable_datetime_string() + " INACTIVE\n");
    std::string program_dir = ZOV_PROGRAM;
    program_dir.erase(program_dir.rfind('/'));
    for (const char* typed : {"''", "T", "Ticket-", "\\'it", "\\'say"}) {
        // Each reply read back as the shell reads a command line.
        const std::string script = "PATH='" + program_dir + "':$PATH; . '" ZOV_COMPLETION "'; "
                                   "COMP_WORDS=(zov --data '" + dir + "' next " + typed + "); COMP_CWORD=4; _zov; "
                                   "for r in \"${COMPREPLY[@]}\"; do eval \"set -- $r\"; printf '%s\\n' \"$1\"; done | sort";
        const std::string out = run_bash({{}, "UTC", "2026-12-08 11:00:00", {}}, script);
        EXPECT_FALSE(exists(marker)) << typed;
        std::string expected;
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        std::string prefix = typed;
        if (prefix == "''")
            prefix.clear();
        if (prefix.rfind("\\'", 0) == 0)
            prefix = prefix.substr(2);
        for (const std::string& name : sorted)
            if (name.rfind(prefix, 0) == 0)
                expected += name + "\n";
        EXPECT_EQ(out, expected) << typed;
    }
}

// The tray (the kernel in a process of its own) and zov switching tasks on one
// folder at the same moment: every switch is recorded once, none is lost.
TEST(CliConcurrent, TrayAndZovSwitchTogether)
{
    TzGuard tz("UTC");
    TempDir home;
    const std::string dir = home.path();
    ASSERT_EQ(run_zov({{"--data", dir, "login", "Start"}, "UTC", "", {}}).status, 0);
    const pid_t tray = ::fork();
    if (tray == 0) {
        zovKernel kernel(dir);
        bool ok = true;
        for (int i = 0; i < 150; ++i)
            ok = kernel.next(i % 2 ? "TrayA" : "TrayB") && ok;
        ::_exit(ok ? 0 : 1);
    }
    int failures = 0;
    for (int i = 0; i < 60; ++i)
        failures += run_zov({{"--data", dir, "next", i % 2 ? "CliA" : "CliB"}, "UTC", "", {}}).status != 0;
    int status = 0;
    ASSERT_EQ(::waitpid(tray, &status, 0), tray);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(run_zov({{"--data", dir, "logout"}, "UTC", "", {}}).status, 0);

    // The sessions chain: each begins where the one before ended, under another
    // name, and the last ends where the state says recording stopped.
    std::vector<zovSession> sessions;
    for (const std::string& text : read_lines(dir + "HOURS.TSK")) {
        if (text.empty() || text[0] == '%')
            continue;
        sessions.emplace_back(text);
        ASSERT_TRUE(sessions.back().is_valid()) << text;
    }
    ASSERT_GE(sessions.size(), 2u);
    EXPECT_EQ(sessions.front().task(), "Start");
    for (std::size_t i = 1; i < sessions.size(); ++i) {
        EXPECT_EQ(sessions[i].tbeg(), sessions[i - 1].tend()) << "line " << i;
        EXPECT_NE(sessions[i].task(), sessions[i - 1].task()) << "line " << i;
    }
    zovCurrent state(dir);
    ASSERT_TRUE(state.read());
    EXPECT_FALSE(state.active());
    EXPECT_EQ(state.time(), sessions.back().tend());
}
