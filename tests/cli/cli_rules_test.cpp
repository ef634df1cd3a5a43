// The command line obeys the kernel's rules like the tray: the daily log-out,
// the bounds of a correction, all-or-nothing changes, and answers from one
// moment of the files even while another program changes them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "test_support.h"

using namespace zovtest;

namespace {

class CliRules : public ::testing::TestWithParam<const char*>
{
protected:
    CliRules() : m_tz(GetParam()), m_dir(m_home.path() + "data/")
    {
        ::mkdir(m_dir.c_str(), 0700);
        ::mkdir((m_home.path() + ".config").c_str(), 0700);
    }

    // The settings file where the tray's Options page keeps it.
    void settings(const std::string& text) { write_file(m_home.path() + ".config/Zovaro.conf", text); }

    zov_result zov(std::vector<std::string> args, const std::string& clock)
    {
        args.insert(args.begin(), {"--data", m_dir});
        return run_zov({args, GetParam(), clock, {"HOME=" + m_home.path()}});
    }
    // zov under strace with `strace_args` (libfaketime handed to zov only).
    std::string traced(const std::string& strace_args, const std::string& zov_args)
    {
        return "env -u LD_PRELOAD strace -f -qq -o /dev/null -E LD_PRELOAD=" + std::string(ZOV_FAKETIME_LIB) + " "
               + strace_args + " " + ZOV_PROGRAM + " --data " + m_dir + " " + zov_args;
    }
    zov_run bash_run(const std::string& clock) { return {{}, GetParam(), clock, {"HOME=" + m_home.path()}}; }

    static std::string local(const std::string& t) { return at(t).to_readable_datetime_string(); }
    static std::string line(const std::string& task, const std::string& from, const std::string& until)
    {
        return zovSession(task, at(from), at(until)).to_file_string() + "\n";
    }
    std::string file(const std::string& name) const { return read_file(m_dir + name); }

    TzGuard m_tz;
    TempDir m_home;
    std::string m_dir;
};

INSTANTIATE_TEST_SUITE_P(Zones, CliRules, ::testing::ValuesIn(test_zones), zone_name);

const char* const header = "% task hours t1 t2\n";

}  // namespace

// The example as it was seen: AutoLogout at 17:00, log-in to Alpha at 08:00,
// next Beta at 18:00. Alpha ends at 17:00 with its log-out stamped, and the
// switch finds nobody logged in: it only remembers Beta.
TEST_P(CliRules, TheDailyLogOutActsBeforeTheNextCommand)
{
    settings("AutoLogout=61200\n");
    ASSERT_EQ(zov({"login", "Alpha"}, "2026-12-08 08:00:00").status, 0);
    const zov_result r = zov({"next", "Beta"}, "2026-12-08 18:00:00");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Beta sleeping since 18:00, today 9.0h\n");
    EXPECT_EQ(file("HOURS.TSK"), header + line("Alpha", "2026-12-08T08:00:00", "2026-12-08T17:00:00"));
    EXPECT_NE(file("HOURS.TSK").find("Alpha   9.00"), std::string::npos);
    EXPECT_EQ(file("LOGINOUT.TSK"),
              "LOGIN " + local("2026-12-08T08:00:00") + "\nLOGOUT " + local("2026-12-08T17:00:00") + "\n");
    EXPECT_EQ(file("CURRENT.TSK"), "Beta " + local("2026-12-08T18:00:00") + " INACTIVE\n");

    // Then next does what it does while logged out.
    EXPECT_EQ(zov({"next", "Gamma"}, "2026-12-08 18:05:00").status, 0);
    EXPECT_EQ(file("CURRENT.TSK"), "Gamma " + local("2026-12-08T18:05:00") + " INACTIVE\n");
    EXPECT_EQ(file("HOURS.TSK"), header + line("Alpha", "2026-12-08T08:00:00", "2026-12-08T17:00:00"));
}

// Whichever command comes first after the log-out time makes it up, readers
// included, and shows the state after it.
TEST_P(CliRules, EveryCommandMakesUpTheDailyLogOut)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string out;  // exact stdout; empty: not checked
    };
    const std::vector<Case> cases = {
        {{"status"}, "Alpha sleeping since 17:00, today 9.0h\n"},
        {{"today"}, "Alpha      9.00\n---------------\nTotal      9.00\n"},
        {{"week", "--csv"}, ""},
        {{"report", "2026-12-08", "2026-12-08"}, "Alpha      9.00\n---------------\nTotal      9.00\n"},
        {{"sessions", "2026-12-08", "2026-12-08"}, ""},
        {{"tasks"}, "Alpha\n"},
        {{"logout"}, "Alpha sleeping since 17:00, today 9.0h\n"},
        {{"login", "Beta"}, "Beta working since 18:00 (0.0h), today 9.0h\n"},
        {{"correct", "Beta", "17:30", "17:45"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        TempDir home;
        const std::string dir = home.path();
        const auto run = [&](std::vector<std::string> args, const char* clock) {
            args.insert(args.begin(), {"--data", dir});
            return run_zov({args, GetParam(), clock, {"HOME=" + home.path()}});
        };
        ::mkdir((home.path() + ".config").c_str(), 0700);
        write_file(home.path() + ".config/Zovaro.conf", "AutoLogout=61200\n");
        ASSERT_EQ(run({"login", "Alpha"}, "2026-12-08 08:00:00").status, 0);
        const zov_result r = run(c.args, "2026-12-08 18:00:00");
        EXPECT_EQ(r.status, 0) << r.err;
        if (!c.out.empty()) {
            EXPECT_EQ(r.out, c.out);
        }
        const std::vector<std::string> hours = read_lines(dir + "HOURS.TSK");
        ASSERT_GE(hours.size(), 2u);
        EXPECT_EQ(hours[1] + "\n", line("Alpha", "2026-12-08T08:00:00", "2026-12-08T17:00:00"));
        const std::vector<std::string> stamps = read_lines(dir + "LOGINOUT.TSK");
        ASSERT_GE(stamps.size(), 2u);
        EXPECT_EQ(stamps[1], "LOGOUT " + local("2026-12-08T17:00:00"));
    }
}

// A correction ends at the latest now and within the dates the files hold;
// beyond, it is refused with the bound named and nothing is written.
TEST_P(CliRules, ACorrectionIntoTheFutureIsRefused)
{
    ASSERT_EQ(zov({"login", "B"}, "2026-12-08 10:30:00").status, 0);
    const auto before = snapshot(m_dir);
    struct Case
    {
        std::vector<std::string> args;
        const char* bound;
    };
    const std::vector<Case> cases = {
        {{"correct", "B", "9999-12-31", "9999-12-31"}, "9999-12-30"},
        {{"correct", "Meeting", "14:00", "15:00"}, "at the latest now"},
        {{"correct", "Meeting", "2026-12-08T14:00", "2026-12-08T14:31"}, "at the latest now"},
        {{"correct", "--dry-run", "Meeting", "14:00", "15:00"}, "at the latest now"},
    };
    for (const Case& c : cases) {
        const zov_result r = zov(c.args, "2026-12-08 14:30:00");
        EXPECT_EQ(r.status, 1) << c.args[2];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.bound), std::string::npos) << r.err;
        EXPECT_EQ(snapshot(m_dir), before) << c.args[2];
    }
    // Up to now: accepted, and it ends the running session there.
    const zov_result r = zov({"correct", "Meeting", "14:00", "14:30"}, "2026-12-08 14:30:00");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(file("CURRENT.TSK"), "B " + local("2026-12-08T14:30:00") + " INACTIVE\n");
}

// HOURS.TSK cannot be read (strace fails its every open): a change would act
// on a log it cannot see. Refused before the first write; nothing changes.
TEST_P(CliRules, AChangeThatFailsWritesNothing)
{
    struct Case
    {
        const char* state;  // CURRENT.TSK
        const char* args;
    };
    const std::string at9 = local("2026-12-08T09:00:00");
    const std::vector<Case> cases = {
        {"INACTIVE", "login A"},
        {"INACTIVE", "login"},
        {"ACTIVE", "next L"},
        {"ACTIVE", "logout"},
        {"ACTIVE", "correct L 09:30 10:00"},
        {"INACTIVE", "next L"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        write_file(m_dir + "HOURS.TSK", std::string(header));
        write_file(m_dir + "CURRENT.TSK", "K " + at9 + " " + c.state + "\n");
        ::unlink((m_dir + "LOGINOUT.TSK").c_str());
        const auto before = snapshot(m_dir);
        const std::string out = run_bash(
            bash_run("2026-12-08 11:00:00"),
            traced("-P " + m_dir + "HOURS.TSK -e trace=openat -e inject=openat:error=EACCES", c.args)
                + " 2>&1; echo \"status=$?\"");
        EXPECT_NE(out.find("zov: could not read " + m_dir + "HOURS.TSK\n"), std::string::npos) << out;
        EXPECT_NE(out.find("status=1"), std::string::npos) << out;
        EXPECT_EQ(snapshot(m_dir), before);
    }
}

// A reader slowed at its opens while a log-out happens: its answer is one
// moment, before the log-out or after it, never half of each (seen: today
// 4.0 for a true 2.0, a week 0.0 for 2.0).
TEST_P(CliRules, ReadersAnswerFromOneMomentWhileAnotherProgramChangesTheFiles)
{
    if (std::string(GetParam()) != "UTC")
        GTEST_SKIP() << "one zone is enough for the timing";
    // The log-out comes while the reader waits at its second open of the
    // slowed file (status: CURRENT.TSK read, HOURS.TSK not yet; week: the
    // other way round), as a reader without one moment would.
    struct Case
    {
        const char* reader;
        const char* slowed;  // the file whose every open is slowed
        const char* delay;   // by this long
        const char* after;   // the log-out starts this long after the reader
        const char* field;   // the JSON figure that must be 2.0
    };
    for (const Case& c : std::vector<Case>{{"status --json", "HOURS.TSK", "500000", "0.75", "today"},
                                           {"week --json", "CURRENT.TSK", "400000", "1.4", "total"}}) {
        SCOPED_TRACE(std::string(c.reader) + ", slowed at " + c.slowed);
        write_file(m_dir + "HOURS.TSK", std::string(header));
        write_file(m_dir + "CURRENT.TSK", "Alpha " + local("2026-12-08T09:00:00") + " ACTIVE\n");
        ::unlink((m_dir + "LOGINOUT.TSK").c_str());  // the last case's log-out would read as one cut short
        const std::string out = run_bash(
            bash_run("2026-12-08 11:00:00"),
            traced(std::string("-P ") + m_dir + c.slowed + " -e trace=openat -e inject=openat:delay_enter=" + c.delay,
                   c.reader)
                + " > " + m_home.path() + "answer &\n"
                + "env -u LD_PRELOAD sleep " + c.after + "\n" + ZOV_PROGRAM + " --data " + m_dir + " logout > /dev/null\n"
                + "wait\ncat " + m_home.path() + "answer\n");
        const nlohmann::json j = nlohmann::json::parse(out, nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << out;
        EXPECT_DOUBLE_EQ(j[c.field].get<double>(), 2.0) << out;
        // The log-out happened, once.
        EXPECT_EQ(file("HOURS.TSK"), header + line("Alpha", "2026-12-08T09:00:00", "2026-12-08T11:00:00"));
    }
}
