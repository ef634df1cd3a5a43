// Two programs on one data folder: every change holds the folder's lock, so
// neither acts on a state the other is changing.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fcntl.h>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

namespace {

// A clock shared by the processes of a test: every reading is a new second,
// so that every instant the kernel stamps is unique.
class SharedClock
{
public:
    SharedClock()
    {
        void* p = ::mmap(nullptr, sizeof(std::atomic<std::int64_t>), PROT_READ | PROT_WRITE,
                         MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        m_now = p == MAP_FAILED ? nullptr : new (p) std::atomic<std::int64_t>(1363158000);
    }
    ~SharedClock()
    {
        vu_datetime::set_clock(nullptr);
        if (m_now)
            ::munmap(m_now, sizeof *m_now);
    }
    SharedClock(const SharedClock&) = delete;
    SharedClock& operator=(const SharedClock&) = delete;
    bool ok() const { return m_now != nullptr; }
    void use() const
    {
        std::atomic<std::int64_t>* now = m_now;
        vu_datetime::set_clock([now] { return now->fetch_add(1); });
    }

private:
    std::atomic<std::int64_t>* m_now;
};

pid_t spawn(const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    return pid;
}

int wait_for(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

}  // namespace

TEST(Concurrency, two_programs_switching_and_logging_out_never_write_a_session_twice)
{
    TzGuard tz("Europe/Berlin");
    TempDir dir;
    SharedClock clock;
    ASSERT_TRUE(clock.ok());
    clock.use();
    { zovKernel k(dir.path()); }
    // What counts here is what is written, not how long a busy machine takes
    // to flush it: a wait that never runs out.
    zovKernel::set_lock_wait(120000);
    constexpr int rounds = 200;
    const auto hammer = [&](const std::string& a, const std::string& b) {
        return [&, a, b] {
            zovKernel k(dir.path());
            for (int i = 0; i < rounds; ++i) {
                EXPECT_TRUE(k.login(a));
                EXPECT_TRUE(k.next(b));
                EXPECT_TRUE(k.logout());
            }
        };
    };
    const pid_t one = spawn(hammer("A", "B"));
    const pid_t two = spawn(hammer("C", "D"));
    ASSERT_EQ(wait_for(one), 0);
    ASSERT_EQ(wait_for(two), 0);

    zovKernel::set_lock_wait(5000);
    zovKernel k(dir.path());
    ASSERT_FALSE(k.current().active());
    expect_recorded_at_most_once(dir.file("HOURS.TSK"));
    // Every log-in began exactly one session; every session began at a
    // log-in or where the session before it ended (a switch).
    std::set<std::int64_t> logins;
    for (const std::string& line : read_lines(dir.file("LOGINOUT.TSK")))
        if (line.rfind("LOGIN ", 0) == 0)
            logins.insert(at(line.substr(6)).to_time_t());
    std::set<std::int64_t> begins;
    std::set<std::int64_t> ends;
    int sessions = 0;
    for (const std::string& line : read_lines(dir.file("HOURS.TSK"))) {
        const zovSession s(line);
        if (!s.is_valid())
            continue;
        ++sessions;
        EXPECT_TRUE(begins.insert(s.tbeg().to_time_t()).second) << "written twice: " << line;
        EXPECT_TRUE(logins.count(s.tbeg().to_time_t()) || ends.count(s.tbeg().to_time_t())) << line;
        ends.insert(s.tend().to_time_t());
    }
    for (const std::int64_t t : logins)
        EXPECT_TRUE(begins.count(t)) << "a log-in without its session";
    EXPECT_GE(sessions, 2 * rounds);
}

TEST(Concurrency, a_change_waits_a_bounded_time_for_the_lock_then_fails)
{
    TzGuard tz("UTC");
    TempDir dir;
    FixedClock clock("2013-03-13T08:00:00");
    zovKernel k(dir.path());
    const int fd = ::open(dir.file(".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    // A lock held by another open file description, as another program's.
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    zovKernel::set_lock_wait(50);
    EXPECT_FALSE(k.login("K"));
    EXPECT_FALSE(k.next("K"));
    zovSinkHours out;
    EXPECT_FALSE(k.session(zovSession("K", at("2013-03-13T06:00:00"), at("2013-03-13T07:00:00")), out));
    // Readers need no lock.
    EXPECT_FALSE(k.current().active());
    k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_TRUE(k.read_ok());
    ::close(fd);
    EXPECT_TRUE(k.login("K"));
    zovKernel::set_lock_wait(5000);
    EXPECT_EQ(read_lines(dir.file("HOURS.TSK")), std::vector<std::string>{"% task hours t1 t2"});
}

// The tray's daily log-out (here a process of its own) reads the state, and
// meanwhile `zov next Beta` switches: the log-out must not then close Beta at
// its own begin. strace slows every open of the lock file by the first
// process, so the second one runs between its start and its change.
TEST(Concurrency, a_switch_between_the_daily_log_outs_check_and_act_is_not_undone)
{
    if (!run_process({"strace", "-V"}).exited)
        GTEST_SKIP() << "strace is not installed";
    TzGuard tz("Europe/Berlin");
    TempDir dir;
    write_file(dir.file("Zovaro.conf"), "AutoLogout=61200\n");
    const auto env = [&](const char* now, bool settings) {
        std::vector<std::string> e = {"TZ=Europe/Berlin", std::string("ZOV_TEST_NOW=2013-03-13T") + now,
                                      "ASAN_OPTIONS=detect_leaks=0"};
        if (settings)
            e.push_back("ZOV_TEST_SETTINGS=" + dir.file("Zovaro.conf"));
        return e;
    };
    ASSERT_EQ(run_process({ZOV_TEST_OP, dir.path(), "login", "Alpha"}, env("08:00:00", false)).status, 0);
    // The switching program knows no daily log-out: only the check-then-act
    // of the first one is under test.
    const pid_t tray = spawn([&] {
        const process_result r = run_process({"strace", "-f", "-qq", "-o", "/dev/null", "-P", dir.file(".lock"),
                                               "-e", "trace=openat", "-e", "inject=openat:delay_enter=400000",
                                               ZOV_TEST_OP, dir.path(), "due"},
                                              env("18:00:00", true));
        EXPECT_EQ(r.status, 0);
    });
    ::usleep(600000);
    EXPECT_EQ(run_process({ZOV_TEST_OP, dir.path(), "next", "Beta"}, env("18:00:00", false)).status, 0);
    EXPECT_EQ(wait_for(tray), 0);

    // Either order of the two leaves each session whole: Alpha closed once,
    // at 17:00 (log-out first) or at 18:00 (switch first, Beta running on).
    const std::vector<std::string> hours = read_lines(dir.file("HOURS.TSK"));
    const std::string state = read_file(dir.file("CURRENT.TSK"));
    for (std::size_t i = 1; i < hours.size(); ++i)
        EXPECT_GT(zovSession(hours[i]).hours(), 0.0) << "closed at its own begin: " << hours[i];
    ASSERT_EQ(hours.size(), 2u) << ::testing::PrintToString(hours);
    const zovSession alpha(hours[1]);
    EXPECT_EQ(alpha.task(), "Alpha");
    if (alpha.tend() == at("2013-03-13T17:00:00"))
        EXPECT_EQ(state, "Beta " + at("2013-03-13T18:00:00").to_readable_datetime_string() + " INACTIVE\n");
    else
        EXPECT_EQ(state, "Beta " + at("2013-03-13T18:00:00").to_readable_datetime_string() + " ACTIVE\n");
    expect_recorded_at_most_once(dir.file("HOURS.TSK"));
}
