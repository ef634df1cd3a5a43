// Failing writes and damaged files: the recording cycle must neither lose nor
// invent state when the disk, the folder or a task file lets it down.

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

void PrintTo(const vu_datetime& v, std::ostream* out)
{
    *out << (v.is_not_a_date_time() ? std::string("not-a-date-time") : v.to_readable_datetime_string());
}

namespace {

const std::string header = "% task hours t1 t2";

bool is_directory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Permission checks do not apply to root. When the tests run as root, the
// body runs in a child that has given up root for the user "nobody" (the
// folder is handed to that user first); otherwise it runs right here.
int as_unprivileged_user(const std::string& dir, const std::function<void()>& body)
{
    if (::geteuid() != 0) {
        body();
        return 0;
    }
    constexpr uid_t nobody = 65534;
    std::error_code ec;
    if (::chown(dir.c_str(), nobody, nobody) != 0)
        return cannot_run;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (::lchown(it->path().c_str(), nobody, nobody) != 0)
            return cannot_run;
    return in_child(
        [] {
            return ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0
                && ::geteuid() != 0;
        },
        body);
}

// A private mount namespace with a small tmpfs on mount_point, in a child.
int in_small_tmpfs(const std::string& mount_point, const std::function<void()>& body)
{
    return in_child(
        [&] {
            return enter_private_mounts()
                && ::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
        },
        body);
}

// Fills the file system of dir: nothing more can be stored in a new block.
void fill_disk(const std::string& dir)
{
    const int fd = ::open((dir + "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

// A lower limit on the size of the files this process writes, with the
// signal that would end the process ignored: writes beyond the limit are cut
// short or fail as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_old_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_old_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_old_handler)(int) = SIG_DFL;
    bool m_ok = false;
};

class KernelFaults : public ::testing::Test
{
protected:
    KernelFaults() : m_tz("Europe/Berlin"), m_clock("2013-03-13T08:00:00") {}

    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& path() const { return m_dir.path(); }
    FixedClock& clock() { return m_clock; }

    // The state as the file and the kernel show it must still be "K since
    // 08:00, running" and the logs unchanged.
    void expect_running_k(zovKernel& k, const std::string& dir, const std::string& hours,
                          const std::string& loginout)
    {
        EXPECT_EQ(read_file(dir + "CURRENT.TSK"), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
        EXPECT_EQ(read_file(dir + "HOURS.TSK"), hours);
        EXPECT_EQ(read_file(dir + "LOGINOUT.TSK"), loginout);
        const zovCurrent& cur = k.current();
        EXPECT_EQ(cur.task(), "K");
        EXPECT_TRUE(cur.active());
        EXPECT_EQ(cur.time(), at("2013-03-13T08:00:00"));
    }

private:
    TempDir m_dir;
    TzGuard m_tz;
    FixedClock m_clock;
};

}  // namespace

// ---------------------------------------------------------------------------
// HOURS.TSK that cannot be written or read

TEST_F(KernelFaults, hours_file_that_is_a_folder)
{
    ASSERT_EQ(::mkdir(file("HOURS.TSK").c_str(), 0700), 0);
    write_file(file("HOURS.TSK/keep"), "inside\n");
    zovKernel k(path());
    // Not replaced by the header.
    EXPECT_TRUE(is_directory(file("HOURS.TSK")));
    EXPECT_EQ(read_file(file("HOURS.TSK/keep")), "inside\n");

    // A log that cannot be read: a log-in would start a session that could
    // never be closed. Refused before anything is written.
    const std::string state = read_file(file("CURRENT.TSK"));
    EXPECT_FALSE(k.login("K"));
    EXPECT_EQ(k.last_error(), zovKernel::error::unreadable);
    EXPECT_EQ(read_file(file("CURRENT.TSK")), state);
    EXPECT_FALSE(exists(file("LOGINOUT.TSK")));

    // Running since before it became unreadable: it keeps running.
    write_file(file("CURRENT.TSK"), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    clock().set("2013-03-13T09:00:00");
    // The closing session cannot be stored: the session keeps running.
    EXPECT_FALSE(k.logout());
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    EXPECT_FALSE(exists(file("LOGINOUT.TSK")));
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
    EXPECT_FALSE(k.next("L"));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    EXPECT_EQ(k.current().task(), "K");
    EXPECT_TRUE(k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00")).begin()
                == k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00")).end());
    EXPECT_TRUE(is_directory(file("HOURS.TSK")));
}

TEST_F(KernelFaults, hours_file_that_is_a_device)
{
    // /dev/full reads as an endless run of zero bytes and refuses writes.
    if (!exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(::symlink("/dev/full", file("HOURS.TSK").c_str()), 0);
    zovKernel k(path());
    char target[64] = {};
    ASSERT_GT(::readlink(file("HOURS.TSK").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/full");
    EXPECT_FALSE(k.login("K"));
    EXPECT_FALSE(k.current().active());
    write_file(file("CURRENT.TSK"), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    clock().set("2013-03-13T09:00:00");
    EXPECT_FALSE(k.logout());
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    const zovSinkHours& h = k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00"));
    EXPECT_TRUE(h.begin() == h.end());
}

TEST_F(KernelFaults, unreadable_hours_file_is_never_replaced_at_start)
{
    const std::string content = header + "\nK   1.00     2013-03-12T08:00:00+01:00     2013-03-12T09:00:00+01:00\n";
    write_file(file("HOURS.TSK"), content);
    ASSERT_EQ(::chmod(file("HOURS.TSK").c_str(), 0200), 0);
    const std::string dir = path();
    const int rc = as_unprivileged_user(dir, [&] {
        zovKernel k(dir);
        struct stat st;
        ASSERT_EQ(::stat((dir + "HOURS.TSK").c_str(), &st), 0);
        EXPECT_EQ(st.st_size, static_cast<off_t>(content.size()));
        // Queries see nothing, and say so by an empty result only.
        const zovSinkHours& h = k.hours(at("2013-03-12T00:00:00"), at("2013-03-13T00:00:00"));
        EXPECT_TRUE(h.begin() == h.end());
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(::chmod(file("HOURS.TSK").c_str(), 0600), 0);
    EXPECT_EQ(read_file(file("HOURS.TSK")), content);
}

// ---------------------------------------------------------------------------
// Lines left without their line end

TEST_F(KernelFaults, append_after_a_last_line_without_line_end_starts_a_new_line)
{
    const std::string whole = "A   1.00     2013-03-13T06:00:00+01:00     2013-03-13T07:00:00+01:00";
    const std::string cut = "B   1.00     2013-03-13T07:00:00+01:00     2013-03-13T0";
    struct Case
    {
        const char* name;
        std::string content;
        std::vector<std::string> tasks_in_day;  // what a query of the day finds afterwards
    };
    const Case cases[] = {
        {"whole line without end", header + "\n" + whole, {"A", "K"}},
        {"interrupted line", header + "\n" + whole + "\n" + cut, {"A", "K"}},
        {"header without end", header, {"K"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir.file("HOURS.TSK"), c.content);
        write_file(dir.file("LOGINOUT.TSK"), "LOGIN 2013-03-13T05:00:00+01:00");  // also cut
        clock().set("2013-03-13T08:00:00");
        zovKernel k(dir.path());
        ASSERT_TRUE(k.login("K"));
        clock().set("2013-03-13T09:00:00");
        ASSERT_TRUE(k.logout());
        const std::string added = "K   1.00     2013-03-13T08:00:00+01:00     2013-03-13T09:00:00+01:00\n";
        EXPECT_EQ(read_file(dir.file("HOURS.TSK")), c.content + "\n" + added) << c.name;
        std::vector<std::string> tasks;
        for (const zovSession& s : k.hours(at("2013-03-13T00:00:00"), at("2013-03-14T00:00:00")))
            tasks.push_back(s.task());
        EXPECT_EQ(tasks, c.tasks_in_day) << c.name;
        EXPECT_EQ(read_lines(dir.file("LOGINOUT.TSK")),
                  (std::vector<std::string>{"LOGIN 2013-03-13T05:00:00+01:00", "LOGIN 2013-03-13T08:00:00+01:00",
                                            "LOGOUT 2013-03-13T09:00:00+01:00"}))
            << c.name;
    }
}

TEST_F(KernelFaults, appends_of_two_processes_do_not_mix_within_a_line)
{
    zovKernel k(path());
    const int per_process = 150;
    std::vector<pid_t> children;
    std::fflush(nullptr);
    for (const char* task : {"First", "Second"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < per_process; ++i)
                ok &= zovHours(path()).write(zovSession(task, at("2013-03-13T08:00:00"), at("2013-03-13T09:00:00")));
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // A check of the last byte that races with the other process's append
    // may add an empty line, which every reader skips; a line itself is
    // never broken or mixed.
    std::vector<std::string> lines;
    for (const std::string& l : read_lines(file("HOURS.TSK")))
        if (!l.empty())
            lines.push_back(l);
    ASSERT_EQ(lines.size(), 1u + 2 * per_process);
    int first = 0, second = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const zovSession s(lines[i]);
        ASSERT_TRUE(s.is_valid()) << lines[i];
        ASSERT_EQ(s.to_file_string(), lines[i]);
        (s.task() == "First" ? first : second)++;
    }
    EXPECT_EQ(first, per_process);
    EXPECT_EQ(second, per_process);
}

// ---------------------------------------------------------------------------
// Writes cut short: a limit on the file size, as a full disk would

TEST_F(KernelFaults, a_session_line_cut_short_is_taken_back_and_the_session_runs_on)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    const std::string hours = read_file(file("HOURS.TSK"));
    const std::string loginout = read_file(file("LOGINOUT.TSK"));
    clock().set("2013-03-13T09:00:00");
    {
        // Room for ten more bytes in HOURS.TSK: the line is only partly written.
        FileSizeLimit limit(hours.size() + 10);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(k.logout());
        expect_running_k(k, path(), hours, loginout);
        EXPECT_FALSE(k.next("L"));
        expect_running_k(k, path(), hours, loginout);
        EXPECT_TRUE(k.login("L"));  // running: nothing to write
        expect_running_k(k, path(), hours, loginout);
    }
    EXPECT_EQ(folder_entries(path()), (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK"}));
    // With room again, the same session closes normally.
    clock().set("2013-03-13T09:30:00");
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(read_file(file("HOURS.TSK")),
              hours + "K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00\n");
}

TEST_F(KernelFaults, a_state_line_cut_short_leaves_the_old_state_file_and_no_temporary_file)
{
    zovKernel k(path());
    ASSERT_TRUE(k.next("K"));
    const std::string state = read_file(file("CURRENT.TSK"));
    ASSERT_EQ(state, "K 2013-03-13T08:00:00+01:00 INACTIVE\n");
    clock().set("2013-03-13T09:00:00");
    {
        FileSizeLimit limit(10);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(k.next("L"));
        EXPECT_EQ(read_file(file("CURRENT.TSK")), state);
        EXPECT_FALSE(k.login(""));
        EXPECT_FALSE(k.login("M"));
        EXPECT_EQ(read_file(file("CURRENT.TSK")), state);
        // The log-in did not happen, so it is not stamped either.
        EXPECT_EQ(read_file(file("LOGINOUT.TSK")), "");
        EXPECT_EQ(k.current().task(), "K");
        EXPECT_FALSE(k.current().active());
    }
    EXPECT_EQ(folder_entries(path()), (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK"}));
}

TEST_F(KernelFaults, a_failed_state_write_does_not_change_the_remembered_state)
{
    zovKernel k(path());
    ASSERT_TRUE(k.next("K"));
    // The file becomes unreadable, so current() can only show what the kernel
    // remembers; then a write fails.
    write_file(file("CURRENT.TSK"), "garbled\n");
    {
        FileSizeLimit limit(5);
        ASSERT_TRUE(limit.ok());
        clock().set("2013-03-13T09:00:00");
        EXPECT_FALSE(k.next("L"));
        EXPECT_FALSE(k.login("M"));
    }
    const zovCurrent& cur = k.current();
    EXPECT_EQ(cur.task(), "K");
    EXPECT_FALSE(cur.active());
    EXPECT_EQ(cur.time(), at("2013-03-13T08:00:00"));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "garbled\n");
}

TEST_F(KernelFaults, a_change_that_cannot_be_stamped_does_not_happen)
{
    // The stamp comes first: a log-out is carried out only once LOGINOUT.TSK
    // says so, which is what lets a log-out cut short be completed.
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    const std::string hours = read_file(file("HOURS.TSK"));
    const std::string state = read_file(file("CURRENT.TSK"));
    ASSERT_EQ(::rename(file("LOGINOUT.TSK").c_str(), file("LOGINOUT.OLD").c_str()), 0);
    ASSERT_EQ(::mkdir(file("LOGINOUT.TSK").c_str(), 0700), 0);
    clock().set("2013-03-13T09:00:00");
    EXPECT_FALSE(k.logout());
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(read_file(file("HOURS.TSK")), hours);
    EXPECT_EQ(read_file(file("CURRENT.TSK")), state);
    ASSERT_TRUE(k.next("L"));  // a switch is not stamped
    ASSERT_EQ(::rmdir(file("LOGINOUT.TSK").c_str()), 0);
    ASSERT_EQ(::rename(file("LOGINOUT.OLD").c_str(), file("LOGINOUT.TSK").c_str()), 0);
    ASSERT_TRUE(k.logout());
    ASSERT_EQ(::rename(file("LOGINOUT.TSK").c_str(), file("LOGINOUT.OLD").c_str()), 0);
    ASSERT_EQ(::mkdir(file("LOGINOUT.TSK").c_str(), 0700), 0);
    EXPECT_FALSE(k.login("M"));
    EXPECT_FALSE(k.current().active());
    EXPECT_EQ(k.current().task(), "L");
}

// ---------------------------------------------------------------------------
// CURRENT.TSK is replaced, never rewritten in place

TEST_F(KernelFaults, state_file_is_replaced_by_a_new_file)
{
    zovKernel k(path());
    ASSERT_TRUE(k.next("K"));
    // A reader that opened the old file keeps seeing the whole old state.
    std::ifstream old_reader(file("CURRENT.TSK"), std::ios::binary);
    ASSERT_TRUE(old_reader.good());
    struct stat before;
    ASSERT_EQ(::stat(file("CURRENT.TSK").c_str(), &before), 0);
    clock().set("2013-03-13T09:00:00");
    ASSERT_TRUE(k.login("L"));
    struct stat after;
    ASSERT_EQ(::stat(file("CURRENT.TSK").c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    std::string old_line;
    std::getline(old_reader, old_line);
    EXPECT_EQ(old_line, "K 2013-03-13T08:00:00+01:00 INACTIVE");
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "L 2013-03-13T09:00:00+01:00 ACTIVE\n");
    // Many writes leave no temporary files.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(k.next(i % 2 ? "A" : "B"));
    EXPECT_EQ(folder_entries(path()), (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK"}));
}

// ---------------------------------------------------------------------------
// A data folder that cannot be written

TEST_F(KernelFaults, read_only_folder)
{
    const std::string dir = path();
    {
        zovKernel k(dir);
        ASSERT_TRUE(k.login("K"));
    }
    const std::string hours = read_file(file("HOURS.TSK"));
    const std::string loginout = read_file(file("LOGINOUT.TSK"));
    for (const char* f : {"CURRENT.TSK", "HOURS.TSK", "LOGINOUT.TSK", "JOURNAL.TSK"})
        ASSERT_EQ(::chmod(file(f).c_str(), 0400), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
    const int rc = as_unprivileged_user(dir, [&] {
        zovKernel k(dir);
        expect_running_k(k, dir, hours, loginout);
        clock().set("2013-03-13T09:00:00");
        EXPECT_FALSE(k.logout());
        expect_running_k(k, dir, hours, loginout);
        EXPECT_FALSE(k.next("L"));
        expect_running_k(k, dir, hours, loginout);
        EXPECT_EQ(folder_entries(dir), (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK"}));
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(rc, 0);
}

TEST_F(KernelFaults, read_only_folder_with_writable_files_keeps_the_state)
{
    // The state file cannot be replaced, but the log can still be appended
    // to. The kernel must not claim a state it did not store.
    const std::string dir = path();
    {
        zovKernel k(dir);
        ASSERT_TRUE(k.next("K"));
    }
    ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
    const int rc = as_unprivileged_user(dir, [&] {
        zovKernel k(dir);
        clock().set("2013-03-13T09:00:00");
        EXPECT_FALSE(k.login("L"));
        EXPECT_FALSE(k.current().active());
        EXPECT_EQ(k.current().task(), "K");
        EXPECT_EQ(read_file(dir + "CURRENT.TSK"), "K 2013-03-13T08:00:00+01:00 INACTIVE\n");
        EXPECT_FALSE(exists(dir + "LOGINOUT.TSK"));
        EXPECT_EQ(folder_entries(dir), (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK"}));
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(rc, 0);
}

TEST_F(KernelFaults, start_in_a_folder_that_cannot_be_written)
{
    const std::string dir = path();
    ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
    const int rc = as_unprivileged_user(dir, [&] {
        zovKernel k(dir);
        EXPECT_TRUE(folder_entries(dir).empty());
        const zovCurrent& cur = k.current();
        EXPECT_EQ(cur.task(), "DEFAULT");
        EXPECT_FALSE(cur.active());
        EXPECT_FALSE(k.login("K"));
        EXPECT_FALSE(k.current().active());
        EXPECT_TRUE(folder_entries(dir).empty());
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(rc, 0);
}

TEST_F(KernelFaults, missing_folder)
{
    const std::string dir = path() + "missing/";
    zovKernel k(dir);
    EXPECT_EQ(k.dir(), dir);
    EXPECT_FALSE(exists(dir));
    EXPECT_EQ(k.current().task(), "DEFAULT");
    EXPECT_FALSE(k.login("K"));
    EXPECT_FALSE(k.next("K"));
    // Without a folder there is no lock to take, so no change is attempted.
    EXPECT_FALSE(k.logout());
    EXPECT_FALSE(exists(dir));
}

// ---------------------------------------------------------------------------
// A real full disk: a small tmpfs in a private mount namespace

TEST_F(KernelFaults, full_disk)
{
    const std::string mount_point = path() + "small/";
    ASSERT_EQ(::mkdir(mount_point.c_str(), 0700), 0);
    const long page = ::sysconf(_SC_PAGESIZE);
    const int rc = in_small_tmpfs(mount_point, [&] {
        const std::string& dir = mount_point;
        clock().set("2013-03-13T08:00:00");
        zovKernel k(dir);
        ASSERT_TRUE(k.login("K"));
        // HOURS.TSK ends exactly at a block end, so the next line needs a new block.
        std::string hours = header + "\n% ";
        hours += std::string(static_cast<std::size_t>(page) - hours.size() - 1, '.') + "\n";
        write_file(dir + "HOURS.TSK", hours);
        const std::string loginout = read_file(dir + "LOGINOUT.TSK");
        fill_disk(dir);

        clock().set("2013-03-13T09:00:00");
        EXPECT_FALSE(k.logout());
        expect_running_k(k, dir, hours, loginout);
        EXPECT_FALSE(k.next("L"));
        expect_running_k(k, dir, hours, loginout);
        EXPECT_EQ(folder_entries(dir),
                  (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK", "filler"}));

        // Room again: the session closes with its real end.
        ASSERT_EQ(::unlink((dir + "filler").c_str()), 0);
        ASSERT_TRUE(k.logout());
        EXPECT_EQ(read_file(dir + "HOURS.TSK"),
                  hours + "K   1.00     2013-03-13T08:00:00+01:00     2013-03-13T09:00:00+01:00\n");

        // Full again: the state file alone cannot be replaced.
        fill_disk(dir);
        const std::string state = read_file(dir + "CURRENT.TSK");
        EXPECT_FALSE(k.next("M"));
        EXPECT_FALSE(k.login(""));
        EXPECT_EQ(read_file(dir + "CURRENT.TSK"), state);
        EXPECT_EQ(k.current().task(), "K");
        EXPECT_FALSE(k.current().active());
        EXPECT_EQ(folder_entries(dir),
                  (std::vector<std::string>{".lock", "CURRENT.TSK", "HOURS.TSK", "JOURNAL.TSK", "LOGINOUT.TSK", "filler"}));
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot mount a small tmpfs in a private namespace";
    EXPECT_EQ(rc, 0);
}

TEST_F(KernelFaults, closed_session_is_taken_back_when_the_state_cannot_be_stored)
{
    // The log can be appended to but the state file cannot be replaced: the
    // session stays running, so its closing line must not stay in the log,
    // or the next log-out would count the same time twice.
    const std::string dir = path();
    {
        zovKernel k(dir);
        ASSERT_TRUE(k.login("K"));
    }
    const std::string hours_before = read_file(dir + "HOURS.TSK");
    ASSERT_EQ(::chmod(dir.c_str(), 0500), 0);
    const int rc = as_unprivileged_user(dir, [&] {
        zovKernel k(dir);
        clock().set("2013-03-13T09:00:00");
        EXPECT_FALSE(k.logout());
        EXPECT_FALSE(k.next("L"));
        EXPECT_TRUE(k.current().active());
        EXPECT_EQ(k.current().task(), "K");
        EXPECT_EQ(read_file(dir + "HOURS.TSK"), hours_before);
    });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(rc, 0);
}
