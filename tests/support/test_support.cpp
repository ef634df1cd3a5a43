#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

// The kernel reads the user's settings file: a daily log-out switched on in
// the real one would act in every test. Tests give their own where they
// need one.
const bool no_user_settings = [] {
    ::setenv("XDG_CONFIG_HOME", "/nonexistent/zov-test-settings", 1);
    return true;
}();

}  // namespace

namespace zovtest {

const clock_change_day clock_change_days[5] = {
    {"Europe/Berlin", "2013-03-31T00:00:00", "2013-04-01T00:00:00", 23},
    {"Europe/Berlin", "2013-10-27T00:00:00", "2013-10-28T00:00:00", 25},
    {"America/New_York", "2013-11-03T00:00:00", "2013-11-04T00:00:00", 25},
    {"Australia/Lord_Howe", "2020-10-04T00:00:00", "2020-10-05T00:00:00", 23.5},
    {"Australia/Lord_Howe", "2020-04-05T00:00:00", "2020-04-06T00:00:00", 24.5},
};

std::string zone_name(const ::testing::TestParamInfo<const char*>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

std::vector<std::string> folder_entries(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char* const test_zones[4] = {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"};

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/zovtest-XXXXXX";
    if (!mkdtemp(&templ[0]))
        throw std::runtime_error("mkdtemp failed");
    m_path = templ + "/";
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give back any permission a test took away, so the folder can go.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

TzGuard::TzGuard(const std::string& tz)
{
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    m_old = old ? old : "";
    setenv("TZ", tz.c_str(), 1);
    vu_datetime::reset_time_zone();
}

TzGuard::~TzGuard()
{
    if (m_had)
        setenv("TZ", m_old.c_str(), 1);
    else
        unsetenv("TZ");
    vu_datetime::reset_time_zone();
}

namespace {
std::atomic<std::int64_t> fixed_now{0};
}

FixedClock::FixedClock(std::int64_t now)
{
    set(now);
    vu_datetime::set_clock([] { return fixed_now.load(); });
}

FixedClock::FixedClock(const std::string& local_or_iso) : FixedClock(at(local_or_iso).to_time_t()) {}

FixedClock::~FixedClock()
{
    vu_datetime::set_clock(nullptr);
}

void FixedClock::set(std::int64_t now)
{
    fixed_now = now;
}

void FixedClock::set(const std::string& local_or_iso)
{
    set(at(local_or_iso).to_time_t());
}

void FixedClock::advance(std::int64_t seconds)
{
    fixed_now += seconds;
}

std::int64_t FixedClock::now() const
{
    return fixed_now.load();
}

vu_datetime at(const std::string& text)
{
    vu_datetime v;
    EXPECT_TRUE(v.parse_readable_datetime_string(text)) << "bad date-time in test: " << text;
    return v;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void write_file(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

void expect_recorded_at_most_once(const std::string& path, bool torn_lines)
{
    std::map<std::int64_t, int> steps;  // instant -> change of the coverage
    for (const std::string& line : read_lines(path)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos || line[line.find_first_not_of(" \t\r")] == '%')
            continue;
        const zovSession s(line);
        if (torn_lines && !s.is_valid())
            continue;
        ASSERT_TRUE(s.is_valid()) << "unreadable line: " << line;
        const bool forward = !(s.tend() < s.tbeg());
        const std::int64_t lo = std::min(s.tbeg(), s.tend()).to_time_t();
        const std::int64_t hi = std::max(s.tbeg(), s.tend()).to_time_t();
        steps[lo] += forward ? 1 : -1;
        steps[hi] -= forward ? 1 : -1;
    }
    int coverage = 0;
    for (const auto& [t, change] : steps) {
        coverage += change;
        vu_datetime when;
        when.set_time_t(t);
        ASSERT_TRUE(coverage == 0 || coverage == 1)
            << "recorded " << coverage << " times from " << when.to_readable_datetime_string() << "\n"
            << read_file(path);
    }
}

int in_child(const std::function<bool()>& prepare, const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return cannot_run;
    if (pid == 0) {
        if (!prepare())
            ::_exit(cannot_run);
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return 1;
    return WEXITSTATUS(status);
}

bool enter_private_mounts()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            return false;
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

process_result run_process(const std::vector<std::string>& args, const std::vector<std::string>& extra)
{
    process_result result;
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& x : extra)
            replaced = replaced || x.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            env_text.push_back(entry);
    }
    env_text.insert(env_text.end(), extra.begin(), extra.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env_text)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int pipe_fd[2];
    if (::pipe2(pipe_fd, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fd[1], 1);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fd[1]);
    if (rc == 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(pipe_fd[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            result.out.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(pipe_fd[0]);
    if (rc != 0)
        return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

}  // namespace zovtest
