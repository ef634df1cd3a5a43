// Records going out of zov and coming in: calendar files read by an
// independent parser (python3-icalendar), Timewarrior databases read and
// written by the real Timewarrior, and the files of Watson, GTimeLog, Toggl
// and Clockify. Each program runs as a process under a fixed clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "test_support.h"

using namespace zovtest;

namespace {

const char* const now_clock = "2026-12-08 11:00:00";

// "20261207T080000Z", as Timewarrior writes times.
std::string utc(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm g{};
    ::gmtime_r(&t, &g);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &g);
    return text;
}

class Exchange : public ::testing::TestWithParam<const char*>
{
protected:
    Exchange() : m_tz(GetParam()), m_dir(m_home.path() + "data/") { ::mkdir(m_dir.c_str(), 0700); }

    void SetUp() override
    {
        write_file(m_dir + "HOURS.TSK", "% task hours t1 t2\n");
        write_file(m_dir + "CURRENT.TSK", "Idle " + at("2026-12-08T10:00:00").to_readable_datetime_string() + " INACTIVE\n");
    }

    static std::string line(const std::string& task, const std::string& from, const std::string& until)
    {
        return zovSession(task, at(from), at(until)).to_file_string() + "\n";
    }
    void add_lines(const std::string& lines) { write_file(m_dir + "HOURS.TSK", read_file(m_dir + "HOURS.TSK") + lines); }

    zov_result zov(std::vector<std::string> args, const std::string& clock = now_clock)
    {
        args.insert(args.begin(), {"--data", m_dir});
        return run_zov({args, GetParam(), clock, {"HOME=" + m_home.path()}});
    }
    std::string bash(const std::string& script, std::vector<std::string> env = {})
    {
        env.push_back("HOME=" + m_home.path());
        return run_bash({{}, GetParam(), "", env}, script);
    }

    TzGuard m_tz;
    TempDir m_home;
    std::string m_dir;
};

// One VEVENT per session, read back by python3-icalendar: the same times and
// names (commas, semicolons, backslashes and a name longer than a line), a
// UID of its own per event and the same UIDs in a second export.
TEST_P(Exchange, CalendarReadsBackInAnIndependentParser)
{
    const std::string long_name = "Überstunden-" + std::string(40, 'x') + "-Ärger-" + std::string(30, 'y');
    add_lines(line("Alpha", "2026-12-06T22:00:00", "2026-12-07T01:00:00") + line("a,b;c\\d", "2026-12-07T09:00:00", "2026-12-07T10:30:00")
              + line(long_name, "2026-12-07T11:00:00", "2026-12-07T12:00:00")
              + line("Alpha", "2026-12-07T13:00:00", "2026-12-07T14:00:00") + line("Alpha", "2026-12-07T13:00:00", "2026-12-07T14:00:00"));
    const zov_result ics = zov({"sessions", "2026-12-01", "2026-12-31", "--ics"});
    ASSERT_EQ(ics.status, 0) << ics.err;
    EXPECT_EQ(zov({"sessions", "2026-12-01", "2026-12-31", "--ics"}).out, ics.out);
    for (std::size_t pos = 0, end; (end = ics.out.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        EXPECT_LE(end - pos, 75u) << ics.out.substr(pos, end - pos);
    write_file(m_home.file("out.ics"), ics.out);
    const std::string parsed = bash("python3 -c '\n"
                                    "import icalendar, sys\n"
                                    "cal = icalendar.Calendar.from_ical(open(sys.argv[1], \"rb\").read())\n"
                                    "for e in cal.walk(\"VEVENT\"):\n"
                                    "    print(e.decoded(\"dtstart\").timestamp(), e.decoded(\"dtend\").timestamp(), e[\"uid\"], e[\"summary\"], sep=\"|\")\n"
                                    "' " + m_home.file("out.ics"));
    const nlohmann::json sessions = nlohmann::json::parse(zov({"sessions", "2026-12-01", "2026-12-31", "--json"}).out)["sessions"];
    std::istringstream in(parsed);
    std::vector<std::string> uids;
    std::size_t n = 0;
    for (std::string row; std::getline(in, row); ++n) {
        ASSERT_LT(n, sessions.size()) << parsed;
        std::vector<std::string> f;
        std::istringstream cells(row);
        for (std::string cell; std::getline(cells, cell, '|');)
            f.push_back(cell);
        ASSERT_EQ(f.size(), 4u) << row;
        vu_datetime b, e;
        ASSERT_TRUE(b.parse_readable_datetime_string(sessions[n]["begin"].get<std::string>()));
        ASSERT_TRUE(e.parse_readable_datetime_string(sessions[n]["end"].get<std::string>()));
        EXPECT_EQ(std::stod(f[0]), static_cast<double>(b.to_time_t())) << row;
        EXPECT_EQ(std::stod(f[1]), static_cast<double>(e.to_time_t())) << row;
        EXPECT_EQ(f[3], sessions[n]["task"].get<std::string>()) << row;
        uids.push_back(f[2]);
    }
    EXPECT_EQ(n, 5u);
    std::sort(uids.begin(), uids.end());
    EXPECT_EQ(std::unique(uids.begin(), uids.end()), uids.end()) << "UIDs repeat";
}

// The export is a Timewarrior database that Timewarrior reads: its intervals
// are zov's sessions after corrections.
TEST_P(Exchange, ExportIsReadByTimewarrior)
{
    add_lines(line("Alpha", "2026-11-20T22:00:00", "2026-11-21T02:00:00") + line("two\"q", "2026-12-07T09:00:00", "2026-12-07T10:30:00")
              + line("a-b_c", "2026-12-07T11:00:00", "2026-12-07T12:00:00"));
    ASSERT_EQ(zov({"correct", "Beta", "2026-12-07T09:30", "2026-12-07T10:00"}).status, 0);
    const std::string tw = m_home.path() + "tw";
    const zov_result r = zov({"export", "timewarrior", tw});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "exported 5 sessions into 2 files in " + tw + "/data/\n");
    const nlohmann::json intervals = nlohmann::json::parse(bash("timew export 2>/dev/null </dev/null", {"TIMEWARRIORDB=" + tw}));
    const nlohmann::json sessions = nlohmann::json::parse(zov({"sessions", "2026-11-01", "2026-12-31", "--json"}).out)["sessions"];
    ASSERT_EQ(intervals.size(), sessions.size());
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        vu_datetime b, e;
        ASSERT_TRUE(b.parse_readable_datetime_string(sessions[i]["begin"].get<std::string>()));
        ASSERT_TRUE(e.parse_readable_datetime_string(sessions[i]["end"].get<std::string>()));
        EXPECT_EQ(intervals[i]["start"], utc(b.to_time_t())) << i;
        EXPECT_EQ(intervals[i]["end"], utc(e.to_time_t())) << i;
        EXPECT_EQ(intervals[i]["tags"], nlohmann::json::array({sessions[i]["task"]})) << i;
    }
    // Not into a database that has records already.
    const zov_result again = zov({"export", "timewarrior", tw});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already holds Timewarrior records"), std::string::npos) << again.err;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Zones, Exchange, ::testing::Values("UTC", "America/New_York"), zone_name);
