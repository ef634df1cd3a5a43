// Crashes and read errors from outside: each operation runs as its own
// process under strace, which kills it at the N-th call of one file-changing
// system call (or fails the N-th read with EIO), for N = 1, 2, ... until the
// operation runs to its end untouched. After every cut the following
// operations run normally, and the files must still hold every minute worked
// and no minute twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "crash_states.h"
#include "test_support.h"

using namespace zovtest;

namespace {

const char* const zone = "Europe/Berlin";
const std::string day = "2013-03-13T";

// One step: an operation of the test driver at a local time of the day.
struct step
{
    const char* time;
    std::vector<std::string> args;
};

struct outcome
{
    std::map<std::string, double> net;  // net hours per task over the day
    double total = 0.0;
};

bool have_strace()
{
    static const bool ok = run_process({"strace", "-V"}).exited;
    return ok;
}

std::vector<std::string> op_args(const TempDir& dir, const step& s)
{
    std::vector<std::string> args{ZOV_TEST_OP, dir.path()};
    for (const std::string& a : s.args)
        args.push_back(a.size() == 5 && a[2] == ':' ? day + a + ":00" : a);
    return args;
}

// The settings file of a scenario lives beside its data folder's files.
std::string settings_of(const TempDir& dir)
{
    return dir.file("Zovaro.conf");
}

std::vector<std::string> env_at(const TempDir& dir, const step& s)
{
    return {std::string("TZ=") + zone, "ZOV_TEST_NOW=" + day + s.time + ":00",
            "ZOV_TEST_SETTINGS=" + settings_of(dir)};
}

// Under strace: the leak checker cannot work in a traced process.
std::vector<std::string> env_traced(const TempDir& dir, const step& s)
{
    std::vector<std::string> env = env_at(dir, s);
    env.push_back("ASAN_OPTIONS=detect_leaks=0:abort_on_error=1");
    return env;
}

process_result run_step(const TempDir& dir, const step& s)
{
    return run_process(op_args(dir, s), env_at(dir, s));
}

// Runs the step under strace, which injects `what` into the N-th call of
// `call`; true when the call was reached (the run was disturbed).
bool run_injected(const TempDir& dir, const step& s, const std::string& call, const std::string& what, int n,
                  process_result& result)
{
    std::vector<std::string> args{"strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call,
                                  "-e", "inject=" + call + ":" + what + ":when=" + std::to_string(n)};
    const std::vector<std::string> op = op_args(dir, s);
    args.insert(args.end(), op.begin(), op.end());
    result = run_process(args, env_traced(dir, s));
    return !(result.exited && result.status == 0);
}

// The ordinals of the calls of `call` that the step makes on files of its
// data folder (strace -y names each descriptor's file). Calls before them,
// such as the loader's, need no cut of their own.
std::vector<int> calls_on_folder(const TempDir& dir, const step& s, const std::string& call)
{
    const std::string log = dir.file("strace.log");
    std::vector<std::string> args{"strace", "-f", "-y", "-qq", "-o", log, "-e", "trace=" + call};
    const std::vector<std::string> op = op_args(dir, s);
    args.insert(args.end(), op.begin(), op.end());
    run_process(args, env_traced(dir, s));
    std::vector<int> found;
    int n = 0;
    for (const std::string& line : read_lines(log)) {
        ++n;
        if (line.find(dir.path()) != std::string::npos)
            found.push_back(n);
    }
    ::unlink(log.c_str());
    return found;
}

outcome measure(const TempDir& dir)
{
    outcome o;
    zovSinkHours sink(at(day + "00:00:00"), at(day + "23:59:59"));
    EXPECT_TRUE(zovHours(dir.path()).read(sink) || read_lines(dir.file("HOURS.TSK")).size() <= 1);
    for (const zovSession& s : sink) {
        o.net[s.task()] += s.hours();
        o.total += s.hours();
    }
    for (auto it = o.net.begin(); it != o.net.end();)
        it = std::abs(it->second) < 1e-9 ? o.net.erase(it) : std::next(it);
    return o;
}

struct scenario
{
    const char* name;
    std::vector<step> before;  // run normally
    step cut;                  // the operation that is cut short
    std::vector<step> after;   // run normally afterwards
    // The acceptable results: the cut operation done or not done.
    std::vector<std::map<std::string, double>> results;
    // The settings file's text; empty: none (the daily log-out off).
    const char* settings = "";
};

// A folder with the scenario's settings and its steps before the cut.
void prepare(const TempDir& dir, const scenario& sc)
{
    if (*sc.settings)
        write_file(settings_of(dir), sc.settings);
    for (const step& s : sc.before)
        ASSERT_EQ(run_step(dir, s).status, 0);
}

const std::vector<scenario>& scenarios()
{
    static const std::vector<scenario> all = {
        {"switch", {{"08:00", {"login", "K"}}}, {"12:00", {"next", "L"}}, {{"17:00", {"logout"}}},
         // A switch cut short after the closed session was stored goes on
         // under the old name: the time is kept, the new name is lost.
         {{{"K", 4}, {"L", 5}}, {{"K", 9}}}},
        {"log-out", {{"08:00", {"login", "K"}}}, {"12:00", {"logout"}},
         {{"13:00", {"login", "M"}}, {"17:00", {"logout"}}},
         {{{"K", 4}, {"M", 4}}, {{"K", 9}}}},
        {"log-out after a switch", {{"08:00", {"login", "K"}}, {"12:00", {"next", "L"}}}, {"17:00", {"logout"}},
         {{"18:00", {"logout"}}},
         {{{"K", 4}, {"L", 5}}, {{"K", 4}, {"L", 6}}}},
        {"log-in", {}, {"08:00", {"login", "K"}}, {{"12:00", {"next", "L"}}, {"17:00", {"logout"}}},
         {{{"K", 4}, {"L", 5}}, {}}},
        {"correction", {{"08:00", {"login", "K"}}}, {"12:00", {"session", "L", "09:00", "10:00"}},
         {{"17:00", {"logout"}}},
         {{{"K", 8}, {"L", 1}}, {{"K", 9}}}},
        {"correction up to now", {{"08:00", {"login", "K"}}}, {"12:00", {"session", "L", "11:00", "12:00"}},
         {{"13:00", {"login", "M"}}, {"17:00", {"logout"}}},
         // Done, it ends K at 12:00; not done, K runs on. Cut after the
         // log-out was stamped but before the lines were stored, the log-out
         // is completed without the correction.
         {{{"K", 3}, {"L", 1}, {"M", 4}}, {{"K", 9}}, {{"K", 4}, {"M", 4}}}},
        {"start-up", {}, {"08:00", {"start"}}, {{"08:00", {"login", "K"}}, {"17:00", {"logout"}}},
         {{{"K", 9}}}},
        // The daily log-out at 17:00, made up at 18:00; not done, the next
        // change makes it up at 17:00 all the same.
        {"daily log-out", {{"08:00", {"login", "K"}}}, {"18:00", {"due"}}, {{"18:30", {"logout"}}},
         {{{"K", 9}}}, "AutoLogout=61200\n"},
        {"switch with a daily log-out due", {{"08:00", {"login", "K"}}}, {"18:00", {"next", "L"}},
         {{"18:30", {"login", "L"}}, {"19:00", {"logout"}}},
         {{{"K", 9}, {"L", 0.5}}}, "AutoLogout=61200\n"},
        {"log-out of the session begun at 08:00", {{"08:00", {"login", "K"}}},
         {"13:00", {"logout", "12:00", "08:00"}}, {{"14:00", {"login", "M"}}, {"17:00", {"logout"}}},
         {{{"K", 4}, {"M", 3}}, {{"K", 9}}}},
        // Kept active: L runs on from 12:00. Cut after the lines were stored
        // but before the state, K runs on from 12:00 under its old name.
        {"correction kept active", {{"08:00", {"login", "K"}}}, {"12:00", {"active", "L", "09:00", "12:00"}},
         {{"17:00", {"logout"}}},
         {{{"K", 1}, {"L", 8}}, {{"K", 9}}, {{"K", 6}, {"L", 3}}}},
        {"cancel", {{"08:00", {"login", "K"}}, {"12:00", {"logout"}}}, {"13:00", {"cancel", "09:00", "10:00"}}, {},
         {{{"K", 3}}, {{"K", 4}}}},
        // Undo, done or not; cut after the state was restored but before
        // the lines were cancelled, repair() reads it as the restored state.
        {"undo of a switch", {{"08:00", {"login", "K"}}, {"12:00", {"next", "L"}}}, {"13:00", {"undo"}},
         {{"17:00", {"logout"}}},
         {{{"K", 9}}, {{"K", 4}, {"L", 5}}}},
        {"undo of a log-out", {{"08:00", {"login", "K"}}, {"12:00", {"logout"}}}, {"13:00", {"undo"}},
         {{"17:00", {"logout"}}},
         {{{"K", 9}}, {{"K", 4}}}},
        {"undo of a log-in", {{"08:00", {"login", "K"}}}, {"09:00", {"undo"}},
         {{"10:00", {"login", "M"}}, {"17:00", {"logout"}}},
         {{{"M", 7}}, {{"K", 9}}}},
        {"undo of a correction", {{"08:00", {"login", "K"}}, {"12:00", {"session", "L", "09:00", "10:00"}}},
         {"13:00", {"undo"}}, {{"17:00", {"logout"}}},
         {{{"K", 9}}, {{"K", 8}, {"L", 1}}}},
    };
    return all;
}

class Crash : public ::testing::TestWithParam<const char*>
{
protected:
    TzGuard m_tz{zone};
};

TEST_P(Crash, every_cut_leaves_files_that_lose_nothing_and_count_nothing_twice)
{
    if (!have_strace())
        GTEST_SKIP() << "strace is not installed";
    const std::string call = GetParam();
    for (const scenario& sc : scenarios()) {
        std::vector<int> cuts;
        {
            TempDir dir;
            prepare(dir, sc);
            if (::testing::Test::HasFatalFailure())
                return;
            cuts = calls_on_folder(dir, sc.cut, call);
        }
        for (const int n : cuts) {
            SCOPED_TRACE(std::string(sc.name) + ", killed at " + call + " #" + std::to_string(n));
            TempDir dir;
            prepare(dir, sc);
            if (::testing::Test::HasFatalFailure())
                return;
            process_result cut;
            ASSERT_TRUE(run_injected(dir, sc.cut, call, "signal=KILL", n, cut)) << "the cut missed its call";
            for (const step& s : sc.after)
                ASSERT_EQ(run_step(dir, s).status, 0) << "after the cut: " << s.args[0];
            expect_recorded_at_most_once(dir.file("HOURS.TSK"));
            const outcome o = measure(dir);
            EXPECT_NE(std::find(sc.results.begin(), sc.results.end(), o.net), sc.results.end())
                << "net hours: " << ::testing::PrintToString(o.net);
            EXPECT_EQ(read_lines(dir.file("CURRENT.TSK")).size(), 1u);
            EXPECT_NE(read_file(dir.file("CURRENT.TSK")).find("INACTIVE"), std::string::npos)
                << read_file(dir.file("CURRENT.TSK"));
            if (::testing::Test::HasFailure())
                return;
        }
        RecordProperty(std::string(sc.name) + " cuts", static_cast<int>(cuts.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(calls, Crash,
                         ::testing::Values("write", "pwrite64", "fdatasync", "fsync", "rename", "ftruncate", "openat",
                                           "unlink", "link"));

// Power loss: beyond a killed process, a power cut also loses every write
// that was not flushed, and may keep or drop each unflushed rename. The
// operation runs to its end under strace, which records its file-system
// calls; the replayer (tests/tools/crash_states) builds every state the
// folder may be left in by a cut at any moment of them. On each, start-up
// and the following operations run, and nothing may be lost or counted twice.
// Then the same for the index of HOURS.TSK, which is written without flushing
// (it is a cache): every answer must still be that of a full read.

folder_state folder_files(const TempDir& dir)
{
    folder_state files;
    for (const std::string& name : folder_entries(dir.path()))
        files[name] = read_file(dir.file(name));
    return files;
}

void write_folder(const TempDir& dir, const folder_state& files)
{
    for (const auto& [name, content] : files)
        write_file(dir.file(name), content);
}

std::vector<fs_call> record(const TempDir& dir, const step& s)
{
    TempDir logs;
    const std::string log = logs.file("strace.log");
    std::vector<std::string> args{"strace", "-qq", "-y", "-xx", "-s", "10000000", "-o", log, "-e",
                                  "trace=openat,open,write,pwrite64,ftruncate,fsync,fdatasync,rename,renameat,"
                                  "renameat2,link,linkat,unlink,unlinkat,close"};
    const std::vector<std::string> op = op_args(dir, s);
    args.insert(args.end(), op.begin(), op.end());
    EXPECT_EQ(run_process(args, env_traced(dir, s)).status, 0) << s.args[0];
    return parse_strace(read_file(log));
}

std::size_t power_loss_states_checked = 0;

TEST(PowerLoss, every_crash_state_loses_nothing_and_counts_nothing_twice)
{
    TzGuard tz(zone);
    if (!have_strace())
        GTEST_SKIP() << "strace is not installed";
    for (const scenario& sc : scenarios()) {
        TempDir dir;
        prepare(dir, sc);
        const folder_state before = folder_files(dir);
        const std::vector<fs_call> calls = record(dir, sc.cut);
        const std::vector<folder_state> states = crash_states(before, calls, dir.path(), {".lock"});
        EXPECT_GT(states.size(), 1u) << sc.name << ": nothing recorded";
        for (std::size_t i = 0; i < states.size(); ++i) {
            SCOPED_TRACE(std::string(sc.name) + ", crash state " + std::to_string(i) + ": "
                         + ::testing::PrintToString(states[i]));
            TempDir crashed;
            write_folder(crashed, states[i]);
            for (const step& s : sc.after)
                ASSERT_EQ(run_step(crashed, s).status, 0) << "after the power cut: " << s.args[0];
            expect_recorded_at_most_once(crashed.file("HOURS.TSK"), true);
            const outcome o = measure(crashed);
            EXPECT_NE(std::find(sc.results.begin(), sc.results.end(), o.net), sc.results.end())
                << "net hours: " << ::testing::PrintToString(o.net);
            if (::testing::Test::HasFailure())
                return;
        }
        power_loss_states_checked += states.size();
        RecordProperty(std::string(sc.name) + " crash states", static_cast<int>(states.size()));
    }
}

TEST(PowerLoss, every_crash_state_of_the_index_answers_as_a_full_read)
{
    TzGuard tz(zone);
    if (!have_strace())
        GTEST_SKIP() << "strace is not installed";
    TempDir dir;
    // Some blocks of history, the index built over them, then a day's work
    // appended: the next question extends the index and stores it.
    std::string text = "% task hours t1 t2\n";
    vu_datetime t = at("2013-01-02T08:00:00");
    for (int i = 0; i < 2500; ++i) {
        vu_datetime e;
        e.set_time_t(t.to_time_t() + 1800);
        text += zovSession("T" + std::to_string(i % 5), t, e).to_file_string() + "\n";
        t.set_time_t(t.to_time_t() + (i % 8 == 7 ? 16 * 3600 : 3600));
    }
    write_file(dir.file("HOURS.TSK"), text);
    const step query{"18:00", {"hours", "2013-01-01T00:00:00", "2013-03-14T00:00:00"}};
    const process_result full = run_step(dir, query);  // builds the index
    ASSERT_EQ(full.status, 0);
    for (const step& s : {step{"08:00", {"login", "K"}}, step{"12:00", {"next", "L"}}, step{"17:00", {"logout"}}})
        ASSERT_EQ(run_step(dir, s).status, 0);
    ASSERT_TRUE(exists(dir.file(".HOURS.TSK.index")));
    const folder_state before = folder_files(dir);
    const std::vector<fs_call> calls = record(dir, query);
    const std::vector<folder_state> states = crash_states(before, calls, dir.path(), {".lock"});
    EXPECT_GT(states.size(), 2u);
    // The answer of a full read: the same folder without its index.
    TempDir plain;
    folder_state without = before;
    without.erase(".HOURS.TSK.index");
    write_folder(plain, without);
    const process_result expected = run_step(plain, query);
    ASSERT_EQ(expected.status, 0);
    ASSERT_NE(expected.out.find("K 4.0000"), std::string::npos) << expected.out;
    for (std::size_t i = 0; i < states.size(); ++i) {
        SCOPED_TRACE("index crash state " + std::to_string(i));
        TempDir crashed;
        write_folder(crashed, states[i]);
        for (int round = 0; round < 2; ++round) {
            const process_result r = run_step(crashed, query);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.out, expected.out) << "round " << round;
        }
        if (::testing::Test::HasFailure())
            return;
    }
    power_loss_states_checked += states.size();
    std::printf("power loss: %zu crash states checked\n", power_loss_states_checked);
}

// A read error anywhere must never be taken for an empty file.
TEST(ReadErrors, a_failed_read_never_erases_or_miscounts)
{
    TzGuard tz(zone);
    if (!have_strace())
        GTEST_SKIP() << "strace is not installed";
    // Longer than one read buffer, so that errors also strike mid-file.
    std::string history = "% task hours t1 t2\n";
    for (int i = 0; i < 3000; ++i)
        history += "Old   1.00     2012-01-01T08:00:00+01:00     2012-01-01T09:00:00+01:00\n";
    history += "K   2.00     2013-03-13T08:00:00+01:00     2013-03-13T10:00:00+01:00\n";
    history += "M   1.00     2013-03-13T10:00:00+01:00     2013-03-13T11:00:00+01:00\n";
    struct Case
    {
        const char* name;
        step op;
        std::map<std::string, double> done;  // net hours of the day when it succeeded
    };
    const Case cases[] = {
        {"start-up", {"12:00", {"start"}}, {{"K", 2}, {"M", 1}}},
        {"total", {"12:00", {"hours", "00:00", "23:59"}}, {{"K", 2}, {"M", 1}}},
        {"correction", {"12:00", {"session", "L", "09:00", "10:30"}}, {{"K", 1}, {"L", 1.5}, {"M", 0.5}}},
    };
    for (const Case& c : cases) {
        const auto fill = [&](const TempDir& dir) {
            write_file(dir.file("HOURS.TSK"), history);
            write_file(dir.file("CURRENT.TSK"), "K 2013-03-13T11:00:00+01:00 INACTIVE\n");
        };
        std::vector<int> reads;
        {
            TempDir dir;
            fill(dir);
            reads = calls_on_folder(dir, c.op, "read");
        }
        for (const int n : reads) {
            SCOPED_TRACE(std::string(c.name) + ", EIO at read #" + std::to_string(n));
            TempDir dir;
            fill(dir);
            process_result r;
            run_injected(dir, c.op, "read", "error=EIO", n, r);
            ASSERT_TRUE(r.exited);
            const std::string after = read_file(dir.file("HOURS.TSK"));
            ASSERT_EQ(after.compare(0, history.size(), history), 0) << "HOURS.TSK lost lines";
            const outcome o = measure(dir);
            if (r.status == 0) {
                EXPECT_EQ(o.net, c.done);
                if (c.op.args[0] == "hours") {
                    EXPECT_EQ(r.out, "K 2.0000\nM 1.0000\n");
                }
            } else {
                // Refused as a whole: nothing appended, the error told.
                EXPECT_EQ(r.status, c.op.args[0] == "start" ? 0 : 3);
                EXPECT_EQ(after, history);
            }
        }
        EXPECT_FALSE(reads.empty()) << c.name;
    }
}

}  // namespace
