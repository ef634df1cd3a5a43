// The commands that change the past: explicit times (--at), cancel,
// correct --active and undo, run as processes under a fixed clock in two
// zones, each with the files before and after.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli_support.h"
#include "test_support.h"

using namespace zovtest;

namespace {

const char* const now_clock = "2026-12-08 11:00:00";  // Tuesday

class Change : public ::testing::TestWithParam<const char*>
{
protected:
    Change() : m_tz(GetParam()), m_dir(m_home.path() + "data/") { ::mkdir(m_dir.c_str(), 0700); }

    // Alpha on Monday, Beta running since Tuesday 09:00.
    void SetUp() override
    {
        write_file(m_dir + "HOURS.TSK", "% task hours t1 t2\n" + line("Alpha", "2026-12-07T08:00:00", "2026-12-07T12:00:00"));
        set_state("Beta", "2026-12-08T09:00:00", true);
        ::unlink((m_dir + "LOGINOUT.TSK").c_str());
        ::unlink((m_dir + "JOURNAL.TSK").c_str());
    }
    static std::string line(const std::string& task, const std::string& from, const std::string& until)
    {
        return zovSession(task, at(from), at(until)).to_file_string() + "\n";
    }
    static std::string stamp(const char* local) { return at(local).to_readable_datetime_string(); }
    void set_state(const std::string& task, const std::string& time, bool active)
    {
        write_file(m_dir + "CURRENT.TSK", task + " " + stamp(time.c_str()) + (active ? " ACTIVE\n" : " INACTIVE\n"));
    }
    std::string hours() const { return read_file(m_dir + "HOURS.TSK"); }
    std::string state() const { return read_file(m_dir + "CURRENT.TSK"); }

    zov_result zov(std::vector<std::string> args, const std::string& clock = now_clock)
    {
        args.insert(args.begin(), {"--data", m_dir});
        return run_zov({args, GetParam(), clock, {"HOME=" + m_home.path()}});
    }

    TzGuard m_tz;
    TempDir m_home;
    std::string m_dir;
};

struct at_row
{
    const char* name;
    std::vector<std::string> args;
    bool running;        // Beta running since 09:00; else stopped at 08:00
    int status;
    std::string added;   // lines HOURS.TSK gains
    std::string state;   // CURRENT.TSK afterwards (empty: unchanged)
    std::string err;     // a part of stderr
};

TEST_P(Change, ExplicitTimes)
{
    const std::vector<at_row> rows = {
        {"log-out at a clock time", {"logout", "--at", "10:30"}, true, 0,
         line("Beta", "2026-12-08T09:00:00", "2026-12-08T10:30:00"), "Beta " + stamp("2026-12-08T10:30:00") + " INACTIVE\n", ""},
        {"log-out some time ago", {"logout", "--at", "45 min ago"}, true, 0,
         line("Beta", "2026-12-08T09:00:00", "2026-12-08T10:15:00"), "Beta " + stamp("2026-12-08T10:15:00") + " INACTIVE\n", ""},
        {"switch at a time", {"next", "Zeta", "--at", "-1h"}, true, 0,
         line("Beta", "2026-12-08T09:00:00", "2026-12-08T10:00:00"), "Zeta " + stamp("2026-12-08T10:00:00") + " ACTIVE\n", ""},
        {"log-in at a time", {"login", "Zeta", "--at", "8:30"}, false, 0, "",
         "Zeta " + stamp("2026-12-08T08:30:00") + " ACTIVE\n", ""},
        {"log-out before the begin", {"logout", "--at", "08:45"}, true, 1, "", "",
         "WHEN (08:45) is before the running session's begin ("},
        {"switch before the begin", {"next", "Zeta", "--at", "yesterday"}, true, 1, "", "", "is before the running session's begin"},
        {"log-out in the future", {"logout", "--at", "12:00"}, true, 1, "", "", "WHEN (12:00) is after now ("},
        {"log-in in the future", {"login", "Zeta", "--at", "11:30"}, false, 1, "", "", "WHEN (11:30) is after now ("},
        {"log-in before the last log-out", {"login", "Zeta", "--at", "07:00"}, false, 1, "", "",
         "WHEN (07:00) is before the last log-out ("},
        {"not a time", {"logout", "--at", "soon"}, true, 1, "", "", "WHEN \"soon\" is not a time"},
        {"switch while nothing runs", {"next", "Zeta", "--at", "9:00"}, false, 1, "", "",
         "nothing runs to switch from; to begin Zeta then: zov login Zeta --at 9:00"},
    };
    for (const at_row& r : rows) {
        SetUp();
        if (!r.running) {
            set_state("Beta", "2026-12-08T08:00:00", false);
        }
        const std::string before_hours = hours(), before_state = state();
        const zov_result result = zov(r.args);
        EXPECT_EQ(result.status, r.status) << r.name << ": " << result.err;
        EXPECT_EQ(hours(), before_hours + r.added) << r.name;
        EXPECT_EQ(state(), r.state.empty() ? before_state : r.state) << r.name;
        if (!r.err.empty()) {
            EXPECT_NE(result.err.find(r.err), std::string::npos) << r.name << ": " << result.err;
        }
    }
}

// A daily log-out due between the begin and WHEN is made up first: the
// session ends at the daily log-out, not at WHEN.
TEST_P(Change, DailyLogOutComesFirst)
{
    ::mkdir((m_home.path() + ".config").c_str(), 0700);
    write_file(m_home.path() + ".config/Zovaro.conf", "AutoLogout=36000\n");  // 10:00
    const std::string base = hours();
    const zov_result r = zov({"logout", "--at", "10:30"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(hours(), base + line("Beta", "2026-12-08T09:00:00", "2026-12-08T10:00:00"));
    EXPECT_EQ(state(), "Beta " + stamp("2026-12-08T10:00:00") + " INACTIVE\n");
}

TEST_P(Change, CancelTakesTimeOut)
{
    const std::string base = hours();
    zov_result r = zov({"cancel", "2026-12-07T10:00", "2026-12-07T11:00", "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, line("Alpha", "2026-12-07T11:00:00", "2026-12-07T10:00:00"));
    EXPECT_EQ(hours(), base);
    r = zov({"cancel", "2026-12-07T10:00", "2026-12-07T11:00"});
    EXPECT_EQ(r.status, 0) << r.err;
    // Appended (between the comment lines that mark a correction's begin and end).
    EXPECT_EQ(hours().compare(0, base.size(), base), 0);
    EXPECT_NE(hours().find(r.out), std::string::npos);
    EXPECT_EQ(zov({"report", "monday"}).out, "Alpha      3.00\n---------------\nTotal      3.00\n");

    // The running session is cut the same way: it ends at FROM... and goes on.
    r = zov({"cancel", "10:00", "10:30"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zov({"report", "today"}).out, "Beta       1.50\n---------------\nTotal      1.50\n");
    EXPECT_EQ(state(), "Beta " + stamp("2026-12-08T10:30:00") + " ACTIVE\n");

    r = zov({"cancel", "17:30", "08:45"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zov: until (08:45) is before from (17:30)\n");
}

TEST_P(Change, CorrectActiveKeepsTheTaskRunning)
{
    const zov_result r = zov({"correct", "Gamma", "10:00", "10:30", "--active"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(state(), "Gamma " + stamp("2026-12-08T10:30:00") + " ACTIVE\n");
    EXPECT_EQ(zov({"report", "today"}).out, "Beta       1.00\nGamma      1.00\n---------------\nTotal      2.00\n");
}

// Each change, then undo: the figures and the state are as before, and
// HOURS.TSK only grew.
TEST_P(Change, UndoTakesBackEachKindOfChange)
{
    write_file(m_home.file("frames"), "[[" + std::to_string(at("2026-12-06T08:00:00").to_time_t()) + ","
                                          + std::to_string(at("2026-12-06T09:00:00").to_time_t()) + ",\"w\",\"1\",[],0]]");
    const std::vector<std::vector<std::string>> changes = {
        {"next", "Zeta"},
        {"logout"},
        {"logout", "--at", "10:00"},
        {"correct", "Gamma", "2026-12-07T09:00", "2026-12-07T10:00"},
        {"correct", "Gamma", "10:00", "10:30", "--active"},
        {"cancel", "2026-12-07T09:00", "2026-12-07T10:00"},
        {"cancel", "10:00", "10:30"},
        {"import", "watson", m_home.file("frames")},
    };
    for (const auto& change : changes) {
        SetUp();
        const std::string before_state = state();
        const std::string week = zov({"week", "--csv"}).out, last = zov({"week", "lastweek", "--csv"}).out;
        const std::string base = hours();
        zov_result r = zov(change);
        ASSERT_EQ(r.status, 0) << change[0] << ": " << r.err;
        const std::string changed = hours();
        r = zov({"undo", "--dry-run"});
        EXPECT_EQ(r.status, 0) << change[0] << ": " << r.err;
        EXPECT_EQ(hours(), changed) << change[0];
        r = zov({"undo"});
        EXPECT_EQ(r.status, 0) << change[0] << ": " << r.err;
        EXPECT_EQ(r.out.substr(0, 6), "undid ") << r.out;
        EXPECT_EQ(state(), before_state) << change[0];
        EXPECT_EQ(hours().compare(0, changed.size(), changed), 0) << change[0] << ": HOURS.TSK was rewritten";
        EXPECT_EQ(zov({"week", "--csv"}).out, week) << change[0];
        EXPECT_EQ(zov({"week", "lastweek", "--csv"}).out, last) << change[0];
        r = zov({"undo"});
        EXPECT_EQ(r.status, 1) << change[0];
        EXPECT_EQ(r.err, "zov: There is no change to undo.\n") << change[0];
    }
}

TEST_P(Change, UndoWalksBackAndRefusesAfterAHandEdit)
{
    const std::string s0 = state();
    ASSERT_EQ(zov({"next", "Zeta"}, "2026-12-08 11:00:00").status, 0);
    const std::string s1 = state();
    ASSERT_EQ(zov({"next", "Eta"}, "2026-12-08 11:30:00").status, 0);
    zov_result r = zov({"undo"}, "2026-12-08 11:40:00");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "undid switch to Eta");
    EXPECT_EQ(state(), s1);
    r = zov({"undo"}, "2026-12-08 11:40:00");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "undid switch to Zeta");
    EXPECT_EQ(state(), s0);

    ASSERT_EQ(zov({"next", "Zeta"}, "2026-12-08 11:45:00").status, 0);
    write_file(m_dir + "HOURS.TSK", hours() + line("Hand", "2026-12-06T08:00:00", "2026-12-06T09:00:00"));
    const std::string edited = hours();
    r = zov({"undo"}, "2026-12-08 11:50:00");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("changed since the last recorded change"), std::string::npos) << r.err;
    EXPECT_EQ(hours(), edited);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Zones, Change, ::testing::Values("Europe/Berlin", "Australia/Lord_Howe"), zone_name);
