// Records going out of zov and coming in: calendar files read by an
// independent parser (python3-icalendar), Timewarrior databases read and
// written by the real Timewarrior, and the files of Watson, GTimeLog, Toggl
// and Clockify. Each program runs as a process under a fixed clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// A name that is no UTF-8 at all (bytes a task name may hold) is still
// folded within 75 octets, and the export ends.
TEST_P(Exchange, CalendarFoldsBytesThatAreNotUtf8)
{
    add_lines(line(std::string(100, '\x80'), "2026-12-07T09:00:00", "2026-12-07T10:00:00"));
    const zov_result ics = zov({"sessions", "2026-12-07", "--ics"});
    ASSERT_EQ(ics.status, 0) << ics.err;
    std::size_t lines = 0;
    for (std::size_t pos = 0, end; (end = ics.out.find("\r\n", pos)) != std::string::npos; pos = end + 2, ++lines)
        EXPECT_LE(end - pos, 75u);
    EXPECT_EQ(lines, 13u);
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

// Totals per day and task from `timew summary`'s table: columns found from
// its rule of dashes, tags joined as the import names tasks ("acme, code"
// becomes acme+code; no tags: DEFAULT).
std::map<std::pair<std::string, std::string>, long> summary_totals(const std::string& summary)
{
    std::istringstream in(summary);
    std::vector<std::pair<std::size_t, std::size_t>> cols;
    std::map<std::pair<std::string, std::string>, long> totals;
    std::string date;
    for (std::string l; std::getline(in, l);) {
        if (cols.empty()) {
            if (l.rfind("---", 0) != 0)
                continue;
            for (std::size_t p = 0; p < l.size();) {
                const std::size_t e = std::min(l.find(' ', p), l.size());
                cols.emplace_back(p, e - p);
                p = e + 1;
            }
            continue;
        }
        if (l.find_first_not_of(' ') == std::string::npos)
            break;
        auto col = [&](std::size_t i) {
            // Right-aligned numbers may reach left of their rule: take the
            // text between the columns around it.
            const std::size_t from = i == 0 ? 0 : cols[i - 1].first + cols[i - 1].second;
            const std::size_t to = std::min(cols[i].first + cols[i].second, l.size());
            std::string t = from < to ? l.substr(from, to - from) : std::string();
            const std::size_t a = t.find_first_not_of(' ');
            return a == std::string::npos ? std::string() : t.substr(a, t.find_last_not_of(' ') - a + 1);
        };
        if (!col(1).empty())
            date = col(1);
        std::string tags = col(3);
        std::string task;
        for (std::size_t p = 0; p <= tags.size();) {
            const std::size_t e = std::min(tags.find(", ", p), tags.size());
            if (e > p)
                task += (task.empty() ? "" : "+") + tags.substr(p, e - p);
            p = e + 2;
        }
        int h = 0, m = 0, sec = 0;
        EXPECT_EQ(std::sscanf(col(6).c_str(), "%d:%d:%d", &h, &m, &sec), 3) << l;
        totals[{date, task.empty() ? "DEFAULT" : task}] += h * 3600 + m * 60 + sec;
    }
    return totals;
}

// A database written by the real Timewarrior: after the import, zov's hours
// per task and day are the ones `timew summary` shows, across a midnight and
// the night the clocks go back; a second import adds nothing.
TEST_P(Exchange, TimewarriorImportEqualsItsSummary)
{
    const std::string db = m_home.path() + "tw";
    const std::vector<std::string> env = {"TIMEWARRIORDB=" + db};
    bash("set -e; t() { timew track \"$@\" </dev/null >/dev/null; }\n"
         "t 2026-10-30T08:00 - 2026-10-30T09:30 acme code\n"
         "t 2026-10-30T09:30 - 2026-10-30T10:00 review\n"
         "t 2026-10-30T23:00 - 2026-10-31T01:15 evening\n"
         "t 2026-10-31T22:30 - 2026-11-01T03:00 night\n"
         "t 2026-11-01T10:00 - 2026-11-01T10:20\n"
         "t 2026-11-02T08:00 - 2026-11-02T12:00 acme code\n"
         "t 2026-11-02T13:00 - 2026-11-02T13:07 acme\n",
         env);
    const std::map<std::pair<std::string, std::string>, long> expected =
        summary_totals(bash("timew summary 2026-10-29 - 2026-11-04 </dev/null", env));
    ASSERT_EQ(expected.size(), 9u);

    const zov_result r = zov({"import", "timewarrior", db});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "added 7 sessions:");
    std::map<std::pair<std::string, std::string>, long> got;
    for (const char* day : {"2026-10-30", "2026-10-31", "2026-11-01", "2026-11-02"}) {
        const auto rows = parse_csv(zov({"report", day, "--csv"}).out);
        for (std::size_t i = 1; i < rows.size(); ++i)
            got[{day, rows[i][0]}] = std::lround(std::stod(rows[i][1]) * 3600);
    }
    ASSERT_EQ(got.size(), expected.size());
    for (const auto& [key, seconds] : expected)
        EXPECT_NEAR(got[key], seconds, 18) << key.first << " " << key.second;  // 0.005 h: the report's rounding

    const std::string hours = read_file(m_dir + "HOURS.TSK");
    const zov_result again = zov({"import", "timewarrior", db});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "added 0 sessions:\n  Total  0.00 h\n7 already recorded, left alone\n");
    EXPECT_EQ(read_file(m_dir + "HOURS.TSK"), hours);

    // TIMEWARRIORDB is the default folder, as for Timewarrior itself.
    const zov_result by_default = run_zov({{"--data", m_dir, "import", "timewarrior", "--dry-run"}, GetParam(), now_clock,
                                           {"HOME=" + m_home.path(), "TIMEWARRIORDB=" + db}});
    EXPECT_EQ(by_default.status, 0) << by_default.err;
    EXPECT_NE(by_default.out.find("7 already recorded"), std::string::npos) << by_default.out;
}

// The other formats, each as a small file written to its published form.
struct source_row
{
    const char* name;
    std::vector<std::string> args;  // after "import"; "FILE" stands for the file
    std::string content;
    std::string sessions;  // `zov sessions 2026-12-01 2026-12-31 --csv` afterwards, after the header
};

TEST_P(Exchange, SourcesByTable)
{
    auto epoch = [](const char* local) { return std::to_string(at(local).to_time_t()); };
    auto iso = [](const char* local) { return at(local).to_readable_datetime_string(); };
    const std::vector<source_row> rows = {
        {"watson frames: project and tags",
         {"watson", "FILE"},
         "[[" + epoch("2026-12-07T08:00:00") + ", " + epoch("2026-12-07T09:15:00")
             + ", \"acme\", \"a1\", [\"code\", \"two words\"], 1765000000],\n"
               " [" + epoch("2026-12-07T09:15:00") + ", " + epoch("2026-12-07T10:00:00") + ", \"mail\", \"a2\", [], 1765000000]]\n",
         "acme+code+two_words," + iso("2026-12-07T08:00:00") + "," + iso("2026-12-07T09:15:00") + ",1.25\n"
             "mail," + iso("2026-12-07T09:15:00") + "," + iso("2026-12-07T10:00:00") + ",0.75\n"},
        {"gtimelog: each entry ends the one begun before; ** is not work; days turn at 02:00",
         {"gtimelog", "FILE"},
         "2026-12-07 08:00: arrived\n"
         "2026-12-07 09:30: acme: fix the parser\n"
         "2026-12-07 10:00: coffee **\n"
         "2026-12-07 11:00: mail\n"
         "\n"
         "2026-12-07 23:30: home **\n"  // the same day until 02:00
         "2026-12-08 01:00: late work\n"
         "2026-12-08 08:00: arrived\n",
         "acme:_fix_the_parser," + iso("2026-12-07T08:00:00") + "," + iso("2026-12-07T09:30:00") + ",1.50\n"
             "mail," + iso("2026-12-07T10:00:00") + "," + iso("2026-12-07T11:00:00") + ",1.00\n"
             "late_work," + iso("2026-12-07T23:30:00") + "," + iso("2026-12-08T01:00:00") + ",1.50\n"},
        {"toggl detailed csv",
         {"csv", "FILE"},
         "User,Email,Client,Project,Task,Description,Billable,Start date,Start time,End date,End time,Duration,Tags,Amount ()\n"
         "Ann,a@x.org,Co,Website,,\"Header, footer\",No,2026-12-07,08:00:00,2026-12-07,09:45:00,01:45:00,\"design, css\",\n"
         "Ann,a@x.org,,,,Planning,No,2026-12-07,13:00:00,2026-12-07,13:30:00,00:30:00,,\n",
         "Website+design+css," + iso("2026-12-07T08:00:00") + "," + iso("2026-12-07T09:45:00") + ",1.75\n"
             "Planning," + iso("2026-12-07T13:00:00") + "," + iso("2026-12-07T13:30:00") + ",0.50\n"},
        {"clockify detailed csv, US dates and 12-hour times",
         {"csv", "FILE"},
         "\xef\xbb\xbf\"Project\",\"Client\",\"Description\",\"Task\",\"User\",\"Group\",\"Email\",\"Tags\",\"Billable\","
         "\"Start Date\",\"Start Time\",\"End Date\",\"End Time\",\"Duration (h)\",\"Duration (decimal)\"\r\n"
         "\"Ops\",\"\",\"on call\",\"\",\"Ann\",\"\",\"a@x.org\",\"\",\"No\",\"12/07/2026\",\"11:30:00 PM\",\"12/08/2026\","
         "\"12:15:00 AM\",\"00:45:00\",\"0.75\"\r\n",
         "Ops," + iso("2026-12-07T23:30:00") + "," + iso("2026-12-08T00:15:00") + ",0.75\n"},
    };
    for (const source_row& row : rows) {
        SetUp();
        write_file(m_home.file("source"), row.content);
        std::vector<std::string> args = {"import"};
        for (const std::string& a : row.args)
            args.push_back(a == "FILE" ? m_home.file("source") : a);
        const auto before = snapshot(m_dir);
        std::vector<std::string> dry = args;
        dry.push_back("--dry-run");
        const zov_result trial = zov(dry);
        EXPECT_EQ(trial.status, 0) << row.name << ": " << trial.err;
        EXPECT_EQ(snapshot(m_dir), before) << row.name;
        const zov_result r = zov(args);
        EXPECT_EQ(r.status, 0) << row.name << ": " << r.err;
        EXPECT_EQ(r.err, "") << row.name;
        const std::string out = zov({"sessions", "2026-12-01", "2026-12-31", "--csv"}).out;
        EXPECT_EQ(out.substr(out.find('\n') + 1), row.sessions) << row.name;
        const std::string hours = read_file(m_dir + "HOURS.TSK");
        const zov_result again = zov(args);
        EXPECT_EQ(again.status, 0) << row.name;
        EXPECT_EQ(read_file(m_dir + "HOURS.TSK"), hours) << row.name << ": a second import added lines";
    }
}

// What overlaps recorded time is listed and left out; --replace corrects it
// in (cancelling lines, then the session); the dry run says the same and
// writes nothing.
TEST_P(Exchange, OverlapsAreListedLeftOutOrReplaced)
{
    add_lines(line("Mine", "2026-12-07T09:00:00", "2026-12-07T10:00:00"));
    auto epoch = [](const char* local) { return std::to_string(at(local).to_time_t()); };
    write_file(m_home.file("frames"), "[[" + epoch("2026-12-07T08:00:00") + "," + epoch("2026-12-07T08:30:00") + ",\"a\",\"1\",[],0],"
                                      "[" + epoch("2026-12-07T09:30:00") + "," + epoch("2026-12-07T10:30:00") + ",\"b\",\"2\",[],0],"
                                      "[" + epoch("2026-12-07T10:15:00") + "," + epoch("2026-12-07T10:45:00") + ",\"c\",\"3\",[],0]]");
    const std::string iso930 = at("2026-12-07T09:30:00").to_readable_datetime_string();
    const std::string iso1030 = at("2026-12-07T10:30:00").to_readable_datetime_string();
    zov_result r = zov({"import", "watson", m_home.file("frames")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("added 2 sessions:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 overlapping recorded time, left out (zov import --replace corrects them in):\n  " + iso930 + "  "
                         + iso1030 + "  1.00  b\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(zov({"report", "2026-12-07"}).out, "Mine       1.00\na          0.50\nc          0.50\n---------------\nTotal      2.00\n");

    // c took 10:15-10:45, so b now overlaps both what was recorded and c:
    // even --replace leaves it out.
    const std::string hours = read_file(m_dir + "HOURS.TSK");
    r = zov({"import", "watson", m_home.file("frames"), "--replace"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2 already recorded"), std::string::npos) << r.out;

    SetUp();
    add_lines(line("Mine", "2026-12-07T09:00:00", "2026-12-07T10:00:00"));
    write_file(m_home.file("frames"), "[[" + epoch("2026-12-07T09:30:00") + "," + epoch("2026-12-07T10:30:00") + ",\"b\",\"2\",[],0]]");
    const auto before = snapshot(m_dir);
    r = zov({"import", "watson", m_home.file("frames"), "--replace", "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("would add 1 session (1 correcting what was recorded):\n  " + iso930), std::string::npos) << r.out;
    EXPECT_EQ(snapshot(m_dir), before);
    r = zov({"import", "watson", m_home.file("frames"), "--replace"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zov({"report", "2026-12-07"}).out, "Mine       0.50\nb          1.00\n---------------\nTotal      1.50\n");
    EXPECT_NE(read_file(m_dir + "HOURS.TSK").find(line("Mine", "2026-12-07T10:00:00", "2026-12-07T09:30:00") + line("b", "2026-12-07T09:30:00", "2026-12-07T10:30:00")),
              std::string::npos);
}

// Files that are not what they claim: one line on stderr, exit 1, nothing written.
TEST_P(Exchange, UnreadableSourcesAreRefused)
{
    write_file(m_home.file("bad.json"), "{\"not\": \"frames\"}");
    write_file(m_home.file("bad.csv"), "Date,Hours\n2026-12-07,3\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"import", "watson", m_home.file("bad.json")}, "is not a Watson frames file"},
        {{"import", "csv", m_home.file("bad.csv")}, "has no column \"start date\""},
        {{"import", "gtimelog", m_home.file("missing.txt")}, "cannot read " + m_home.file("missing.txt")},
        {{"import", "timewarrior", m_home.file("nothing")}, "cannot read the Timewarrior folder"},
    };
    const auto before = snapshot(m_dir);
    for (const auto& [args, message] : rows) {
        const zov_result r = zov(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(snapshot(m_dir), before);
    EXPECT_EQ(zov({"import", "toggl", "x"}).status, 2);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Zones, Exchange, ::testing::Values("UTC", "America/New_York"), zone_name);
