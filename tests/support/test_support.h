#pragma once
// Helpers shared by the tests: a temporary data folder, a clock the test sets,
// a time zone for the duration of a test, and small file helpers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <zovkernel.h>

namespace zovtest {

// A fresh folder under $TMPDIR (or /tmp), removed with its content at the end.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder with a trailing "/", as the kernel wants it.
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Sets the time zone (the TZ variable) and restores the previous one.
class TzGuard
{
public:
    explicit TzGuard(const std::string& tz);
    ~TzGuard();
    TzGuard(const TzGuard&) = delete;
    TzGuard& operator=(const TzGuard&) = delete;

private:
    bool m_had;
    std::string m_old;
};

// Fixes the clock of vu_datetime; restores the system clock at the end.
class FixedClock
{
public:
    explicit FixedClock(std::int64_t now);
    // Local wall time in the current zone, e.g. FixedClock("2013-03-13T08:00:00").
    explicit FixedClock(const std::string& local_or_iso);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    void set(std::int64_t now);
    void set(const std::string& local_or_iso);
    void advance(std::int64_t seconds);
    std::int64_t now() const;
};

// A vu_datetime from "YYYY-MM-DDTHH:MM:SS[offset]"; fails the test if unparsable.
vu_datetime at(const std::string& text);

std::string read_file(const std::string& path);
std::vector<std::string> read_lines(const std::string& path);
void write_file(const std::string& path, const std::string& content);
bool exists(const std::string& path);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folder_entries(const std::string& dir);

// Days on which the clocks change, with their real length in hours: local
// 00:00 of the day and of the next, in the zone named.
struct clock_change_day
{
    const char* zone;
    const char* day;
    const char* next;
    double hours;
};
extern const clock_change_day clock_change_days[5];

// The zones date-time tests run under.
extern const char* const test_zones[4];

// A test name part for a zone parameter: "Europe/Berlin" -> "Europe_Berlin".
std::string zone_name(const ::testing::TestParamInfo<const char*>& info);

// Every line of the HOURS.TSK at path reads back, and net of the cancelling
// lines every instant is recorded at most once: the sum of the lines covering
// it, each +1 (or -1 when reversed), is 0 or 1. With torn_lines, lines that
// do not read (what a power cut leaves of a write, and every reader skips)
// are passed over.
void expect_recorded_at_most_once(const std::string& path, bool torn_lines = false);

// The exit status of a child that could not set itself up.
constexpr int cannot_run = 77;

// Runs body in a forked child and reports through the exit status: 0 when
// the body's expectations held (failures are printed by the child itself),
// cannot_run when prepare (run in the child first) returned false.
int in_child(const std::function<bool()>& prepare, const std::function<void()>& body);

// In a child: a mount namespace of its own (a user namespace too when not
// root), with mounts made private, so that mounts change nothing outside.
bool enter_private_mounts();

// A program run to its end: how it ended and what it printed.
struct process_result
{
    bool exited = false;  // ended by exit(), not by a signal
    int status = -1;      // the exit status, or the signal
    std::string out;      // standard output
};

// Runs args[0] (searched in PATH) with the environment plus extra
// ("NAME=value" entries); standard error goes to this process's.
process_result run_process(const std::vector<std::string>& args, const std::vector<std::string>& extra = {});

}  // namespace zovtest
