// The index of HOURS.TSK by time: every answer through it equals the answer of
// a full read, whatever happened to the file or to the index since it was
// built: appended lines, a hand edit, a truncation, a replaced file, a deleted
// or damaged index.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"
#include "zovIndex.h"

using namespace zovtest;

namespace {

class FullRead : public zovHours
{
public:
    explicit FullRead(const std::string& dir) : zovHours(dir) {}
    // The reference: all of the file, no index.
    std::string pieces(const vu_datetime& lo, const vu_datetime& hi) const
    {
        zovSinkHours sink(lo, hi);
        EXPECT_NE(read_lines(sink), read_status::failed);
        return text(sink);
    }
    std::string week(int week, int year) const
    {
        zovSinkWeek sink(week, year);
        EXPECT_NE(read_lines(sink), read_status::failed);
        std::string out;
        for (const zovSession& s : sink)
            out += s.to_file_string() + "\n";
        return out;
    }
    static std::string text(const zovSinkHours& sink)
    {
        std::string out;
        for (const zovSession& s : sink)
            out += s.to_file_string() + "\n";
        return out;
    }
};

class Index : public ::testing::Test
{
protected:
    void SetUp() override
    {
        zov_detail::forget_index();
        // Three months of sessions, with corrections of the past, comments,
        // blank and CR LF lines: some 250 KB, a few dozen blocks.
        std::mt19937 rng(7);
        std::ostringstream out;
        out << "% task hours t1 t2\n";
        vu_datetime t = at("2026-01-05T08:00:00");
        for (int i = 0; i < 3000; ++i) {
            vu_datetime e;
            e.set_time_t(t.to_time_t() + 600 + static_cast<std::int64_t>(rng() % 3000));
            out << zovSession("T" + std::to_string(rng() % 20), t, e).to_file_string() << (i % 97 ? "\n" : "\r\n");
            if (i % 50 == 49) {
                // A correction of a day some weeks back.
                vu_datetime a, b;
                a.set_time_t(t.to_time_t() - 86400 * static_cast<std::int64_t>(rng() % 40));
                b.set_time_t(a.to_time_t() + 1800);
                zovSession piece("T1", a, b);
                out << piece.reverse().to_file_string() << "\n";
            }
            if (i % 300 == 0)
                out << "   % a comment\n\n";
            t.set_time_t(e.to_time_t() + (i % 30 == 29 ? 14 * 3600 : 0));
        }
        write_file(m_dir.file("HOURS.TSK"), out.str());
        write_file(m_dir.file("CURRENT.TSK"), "T1 " + t.to_readable_datetime_string() + " INACTIVE\n");
        m_last = t;
    }
    void TearDown() override { zov_detail::forget_index(); }

    std::string index_file() const { return m_dir.file(".HOURS.TSK.index"); }
    // The index file without the moment its bytes were last read (and the
    // checksum over it), which each check of the data file may move on.
    std::string index_content() const
    {
        std::string s = read_file(index_file());
        if (s.size() >= 104) {
            s.replace(72, 16, 16, '\0');
            s.replace(96, 8, 8, '\0');
        }
        return s;
    }

    // A set of ranges across the history and beyond: days, weeks, a month,
    // all of it, before and after it.
    void expect_same_answers(const std::string& what)
    {
        zovKernel kernel(m_dir.path());
        const FullRead full(m_dir.path());
        const std::vector<std::pair<std::string, std::string>> ranges = {
            {"2026-01-05T00:00:00", "2026-01-06T00:00:00"}, {"2026-02-10T12:00:00", "2026-02-11T03:00:00"},
            {"2026-03-01T00:00:00", "2026-04-01T00:00:00"}, {"2025-01-01T00:00:00", "2028-01-01T00:00:00"},
            {"2020-01-01T00:00:00", "2020-03-01T00:00:00"}, {"2026-12-01T00:00:00", "2026-12-02T00:00:00"},
            {"2026-02-20T00:00:00", "2026-02-13T00:00:00"}};
        for (const auto& [a, b] : ranges) {
            const std::string expected = full.pieces(at(a), at(b));
            EXPECT_EQ(FullRead::text(kernel.hours(at(a), at(b))), expected) << what << ": " << a << " " << b;
            EXPECT_TRUE(kernel.read_ok());
        }
        vu_datetime last;
        last.set_time_t(m_last.to_time_t() - 86400);
        EXPECT_EQ(FullRead::text(kernel.hours(last, m_last)), full.pieces(last, m_last)) << what << ": the last day";
        for (int week = 1; week <= 16; week += 3) {
            zovTimeSheet sheet(week, 2026);
            kernel.tsheet(sheet);
            std::string got;
            for (const zovSession& s : sheet.hours())
                got += s.to_file_string() + "\n";
            EXPECT_EQ(got, full.week(week, 2026)) << what << ": week " << week;
        }
    }

    TzGuard m_tz{"Europe/Berlin"};
    TempDir m_dir;
    vu_datetime m_last;
};

TEST_F(Index, BuiltOnFirstUseAndKeptWithoutItsFile)
{
    EXPECT_FALSE(exists(index_file()));
    expect_same_answers("first use");
    ASSERT_TRUE(exists(index_file()));
    const std::string built = index_content();
    EXPECT_GT(built.size(), 100u);
    zov_detail::forget_index();
    expect_same_answers("loaded from the file");
    EXPECT_EQ(index_content(), built) << "an index that serves is not rewritten";
}

TEST_F(Index, AppendedLinesShowAtOnce)
{
    expect_same_answers("before");
    const std::size_t blocks_before = read_file(index_file()).size();
    // The kernel's own appends, and a line appended by hand without its line end.
    FixedClock clock(m_last.to_time_t() + 3600);
    {
        zovKernel kernel(m_dir.path());
        ASSERT_TRUE(kernel.login("New"));
        clock.advance(1800);
        ASSERT_TRUE(kernel.next("Newer"));
        clock.advance(900);
        ASSERT_TRUE(kernel.logout());
        zovSinkHours out;
        ASSERT_TRUE(kernel.session(zovSession("Fix", at("2026-02-10T09:00:00"), at("2026-02-10T10:00:00")), out));
        EXPECT_NE(FullRead::text(kernel.hours(at("2026-02-10T00:00:00"), at("2026-02-11T00:00:00"))).find("Fix"),
                  std::string::npos);
    }
    expect_same_answers("after the kernel appended");
    const std::string hours = read_file(m_dir.file("HOURS.TSK"));
    write_file(m_dir.file("HOURS.TSK"),
               hours + zovSession("Hand", at("2026-01-05T06:00:00"), at("2026-01-05T07:00:00")).to_file_string());
    expect_same_answers("after a line without its line end");
    // Appending extends the index instead of growing it block by block.
    EXPECT_LE(read_file(index_file()).size(), blocks_before + 2 * 48);
}

// Each change to the file, made behind the kernel's back after the index
// was built, shows in the very next answer.
TEST_F(Index, ChangesToTheFileShowInTheNextAnswer)
{
    const std::string path = m_dir.file("HOURS.TSK");
    struct change
    {
        const char* name;
        std::function<void()> make;
    };
    // The index decides which blocks are read: an edit that matters moves a
    // line far from its block's time, here from 2026 into 2020, which one of
    // the asked ranges covers.
    auto move_line = [](std::string& text, const std::string& needle, const std::string& rename = std::string()) {
        const std::size_t pos = text.find(needle);
        ASSERT_NE(pos, std::string::npos);
        const std::size_t begin = text.rfind('\n', pos) + 1;
        const std::size_t end = text.find('\n', pos);
        std::string line = text.substr(begin, end - begin);
        for (std::size_t y = line.find("2026-"); y != std::string::npos; y = line.find("2026-", y))
            line.replace(y, 5, "2020-");
        if (!rename.empty())
            line.replace(0, line.find(' '), rename);
        text.replace(begin, end - begin, line);
    };
    const std::vector<change> changes = {
        {"an old line edited in place, same size",
         [&] {
             std::string text = read_file(path);
             move_line(text, "2026-01-20T");
             struct stat st;
             ::stat(path.c_str(), &st);
             const int fd = ::open(path.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
             // Even with its old modification time put back.
             const struct timespec times[2] = {st.st_atim, st.st_mtim};
             ::futimens(fd, times);
             ::close(fd);
         }},
        {"an old line edited to another length",
         [&] {
             std::string text = read_file(path);
             move_line(text, "2026-02-02T", "Renamed-task");
             write_file(path, text);
         }},
        {"an old line edited and a line appended",
         [&] {
             std::string text = read_file(path);
             move_line(text, "2026-02-16T");
             text += zovSession("Late", at("2026-03-02T08:00:00"), at("2026-03-02T09:00:00")).to_file_string() + "\n";
             const int fd = ::open(path.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
             ::close(fd);
         }},
        {"truncated to half",
         [&] {
             const std::string text = read_file(path);
             ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(text.size() / 2)), 0);
         }},
        {"replaced by an edited copy of the same size",
         [&] {
             std::string text = read_file(path);
             move_line(text, "2026-01-27T");
             write_file(path + ".new", text);
             ASSERT_EQ(::rename((path + ".new").c_str(), path.c_str()), 0);
         }},
        {"emptied", [&] { write_file(path, ""); }},
    };
    for (const change& c : changes) {
        SetUp();
        expect_same_answers(std::string("before: ") + c.name);
        c.make();
        expect_same_answers(c.name);
        const bool moved = std::string(c.name).find("edited") != std::string::npos;
        EXPECT_EQ(FullRead(m_dir.path()).pieces(at("2020-01-01T00:00:00"), at("2020-03-01T00:00:00")).empty(), !moved) << c.name;
        // And so does a process that starts afresh from the index file.
        zov_detail::forget_index();
        expect_same_answers(std::string("afresh: ") + c.name);
    }
}

// A missing or damaged index changes no answer and is rebuilt.
TEST_F(Index, DeletedOrDamagedIndexIsRebuilt)
{
    expect_same_answers("built");
    const std::string good = index_content();
    const std::vector<std::pair<const char*, std::function<std::string(std::string)>>> damages = {
        {"deleted", [](std::string) { return std::string("<delete>"); }},
        {"empty", [](std::string) { return std::string(); }},
        {"cut short", [](std::string s) { return s.substr(0, s.size() - 7); }},
        {"a flipped byte in a block", [](std::string s) { if (s.size() > 20) s[s.size() - 20] = static_cast<char>(s[s.size() - 20] ^ 0x40); return s; }},
        {"a flipped byte in the header", [](std::string s) { if (s.size() > 30) s.replace(30, 1, 1, static_cast<char>(s[30] ^ 0x01)); return s; }},
        {"garbage of the right size", [](std::string s) { return std::string(s.size(), 'x'); }},
        // The block count times the block size wraps around to the same
        // file size: the count must be checked without multiplying.
        {"a block count raised by 2^61", [](std::string s) {
             if (s.size() >= 104) {
                 std::uint64_t blocks;
                 std::memcpy(&blocks, s.data() + 88, 8);
                 blocks += std::uint64_t(1) << 61;
                 s.replace(88, 8, reinterpret_cast<const char*>(&blocks), 8);
             }
             return s;
         }},
        {"another folder's index", [](std::string s) { if (s.size() > 8) s.replace(8, 1, 1, static_cast<char>(s[8] ^ 0x7f)); return s; }},
    };
    for (const auto& [name, damage] : damages) {
        const std::string bad = damage(good);
        if (bad == "<delete>")
            ::unlink(index_file().c_str());
        else
            write_file(index_file(), bad);
        zov_detail::forget_index();
        expect_same_answers(name);
        EXPECT_EQ(index_content(), good) << name << ": rebuilt as it was";
    }
}

// On a file system whose times have whole seconds (ext4 with small inodes,
// ext3, vfat), a change within the second the index was built in leaves the
// file's size and times as they were. The index must not be believed on them.
// A file system made and mounted for the test, in a mount namespace of a
// child process: nothing stays mounted whatever happens.
TEST(IndexOnCoarseTimes, EditsWithinTheSameSecondShow)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a file system needs root";
    if (::access("/dev/loop-control", F_OK) != 0)
        GTEST_SKIP() << "no loop devices";
    TempDir outer;
    const std::string image = outer.file("coarse.img");
    const std::string mount_point = outer.file("mnt");
    ASSERT_EQ(::mkdir(mount_point.c_str(), 0700), 0);
    {
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 8 << 20), 0);
        ::close(fd);
    }
    const process_result made = run_process({"mkfs.ext4", "-q", "-F", "-I", "128", image});
    if (!made.exited || made.status != 0)
        GTEST_SKIP() << "mkfs.ext4 is not available";

    const int rc = in_child(
        [&] {
            return enter_private_mounts() && run_process({"mount", "-o", "loop", image, mount_point}).status == 0;
        },
        [&] {
            TzGuard tz("Europe/Berlin");
            const std::string dir = mount_point + "/";
            const std::string path = dir + "HOURS.TSK";
            // Two months of 2026 (several blocks), one line in the week asked about.
            std::string base = "% task hours t1 t2\n";
            vu_datetime t = at("2026-01-05T08:00:00");
            for (int i = 0; i < 800; ++i) {
                vu_datetime e;
                e.set_time_t(t.to_time_t() + 3600);
                base += zovSession(i % 2 ? "Gamma" : "Delta", t, e).to_file_string() + "\n";
                t.set_time_t(t.to_time_t() + (i % 4 == 3 ? 86400 - 3 * 3600 : 3600));
            }
            base += zovSession("Alpha", at("2027-02-01T08:00:00"), at("2027-02-01T16:00:00")).to_file_string() + "\n";
            // Same size: the first line moves from 2026 into the week asked about.
            auto edited = [&base] {
                std::string text = base;
                const std::size_t first = text.find('\n') + 1;
                const std::size_t end = text.find('\n', first);
                std::string line = zovSession("Alpha", at("2027-02-02T08:00:00"), at("2027-02-02T12:00:00")).to_file_string();
                line.resize(end - first, ' ');
                text.replace(first, end - first, line);
                return text;
            };
            const std::string appended =
                zovSession("Alpha", at("2027-02-03T08:00:00"), at("2027-02-03T12:00:00")).to_file_string() + "\n";
            struct change
            {
                const char* name;
                std::function<void()> make;
            };
            const std::vector<change> changes = {
                {"same size, in place",
                 [&] {
                     const std::string text = edited();
                     const int fd = ::open(path.c_str(), O_WRONLY);
                     ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
                     ::close(fd);
                 }},
                {"same size, its modification time put back",
                 [&] {
                     struct stat st;
                     ASSERT_EQ(::stat(path.c_str(), &st), 0);
                     const std::string text = edited();
                     const int fd = ::open(path.c_str(), O_WRONLY);
                     ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
                     const struct timespec times[2] = {st.st_atim, st.st_mtim};
                     ::futimens(fd, times);
                     ::close(fd);
                 }},
                {"edited and appended to",
                 [&] {
                     const std::string text = edited() + appended;
                     const int fd = ::open(path.c_str(), O_WRONLY);
                     ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
                     ::close(fd);
                 }},
            };
            const vu_datetime lo = at("2027-02-01T00:00:00");
            const vu_datetime hi = at("2027-02-08T00:00:00");
            auto total = [&](zovKernel& kernel) {
                double sum = 0;
                for (const zovSession& s : kernel.hours(lo, hi))
                    sum += s.hours();
                return sum;
            };
            for (const change& c : changes) {
                for (int attempt = 0;; ++attempt) {
                    zov_detail::forget_index();
                    ::unlink((dir + ".HOURS.TSK.index").c_str());
                    // Start early in a second, so that all of it happens within it.
                    struct timespec now;
                    ::clock_gettime(CLOCK_REALTIME, &now);
                    const struct timespec pause = {0, 1000000000L - now.tv_nsec + 5000000L};
                    ::nanosleep(&pause, nullptr);
                    write_file(path, base);
                    zovKernel kernel(dir);
                    EXPECT_DOUBLE_EQ(total(kernel), 8.0) << c.name;
                    struct stat before, after;
                    ::stat(path.c_str(), &before);
                    c.make();
                    ::stat(path.c_str(), &after);
                    if (before.st_ctim.tv_sec != after.st_ctim.tv_sec && attempt < 3)
                        continue;  // the second ran out: not the case under test
                    ASSERT_EQ(before.st_ctim.tv_nsec, 0) << "the file system keeps whole seconds";
                    const double expected = c.name == std::string("edited and appended to") ? 16.0 : 12.0;
                    EXPECT_DOUBLE_EQ(total(kernel), expected) << c.name << ": the process that built the index";
                    zov_detail::forget_index();
                    EXPECT_DOUBLE_EQ(total(kernel), expected) << c.name << ": a process that loads it";
                    break;
                }
            }
            zov_detail::forget_index();
        });
    if (rc == cannot_run)
        GTEST_SKIP() << "cannot mount a loop device here";
    EXPECT_EQ(rc, 0);
}

// Lines without a UTC offset (written by hand or by older tools) are local
// time: their instant depends on the zone of whoever reads them. An index
// built in one zone must serve a reader in another, in the same process (its
// parsed blocks too) and in the next.
TEST(IndexLocalTime, LinesWithoutOffsetFollowTheReadersZone)
{
    const std::pair<const char*, const char*> moves[] = {{"Pacific/Kiritimati", "Pacific/Pago_Pago"},
                                                        {"Pacific/Pago_Pago", "Pacific/Kiritimati"},
                                                        {"UTC", "Australia/Lord_Howe"}};
    for (const auto& [builder, reader] : moves) {
        TempDir dir;
        std::string text = "% task hours t1 t2\n";
        // Some weeks of lines with an offset around it, so that blocks are skipped.
        vu_datetime t = at("2027-01-04T08:00:00Z");
        for (int i = 0; i < 2000; ++i) {
            vu_datetime e;
            e.set_time_t(t.to_time_t() + 1800);
            text += zovSession("T", t, e).to_file_string() + "\n";
            if (i == 1000)
                text += "K   8.00     2027-02-02T09:00:00     2027-02-02T17:00:00\n";
            t.set_time_t(t.to_time_t() + 3600);
        }
        write_file(dir.file("HOURS.TSK"), text);
        auto k_hours = [&](zovKernel& kernel) {
            double sum = 0;
            for (const zovSession& s : kernel.hours(at("2027-02-02T00:00:00"), at("2027-02-03T00:00:00")))
                if (s.task() == "K")
                    sum += s.hours();
            return sum;
        };
        auto k_week = [&](zovKernel& kernel) {
            zovTimeSheet sheet(5, 2027);
            kernel.tsheet(sheet);
            double sum = 0;
            for (const zovSession& s : sheet.hours())
                if (s.task() == "K")
                    sum += s.hours();
            return sum;
        };
        zov_detail::forget_index();
        {
            TzGuard tz(builder);
            zovKernel kernel(dir.path());
            EXPECT_DOUBLE_EQ(k_hours(kernel), 8.0) << builder;
            EXPECT_DOUBLE_EQ(k_week(kernel), 8.0) << builder;
        }
        TzGuard tz(reader);
        zovKernel kernel(dir.path());
        EXPECT_DOUBLE_EQ(k_hours(kernel), 8.0) << builder << " -> " << reader << ", same process";
        EXPECT_DOUBLE_EQ(k_week(kernel), 8.0) << builder << " -> " << reader << ", same process";
        zov_detail::forget_index();
        EXPECT_DOUBLE_EQ(k_hours(kernel), 8.0) << builder << " -> " << reader << ", the next process";
        EXPECT_DOUBLE_EQ(k_week(kernel), 8.0) << builder << " -> " << reader << ", the next process";
        zov_detail::forget_index();
    }
}

// Reading takes bounded memory whatever a line holds: a 200 MB line (a hole
// of the file, so the test writes nothing of it) is passed over, never held,
// by the index, by a query through it and by the plain reader. Run in a child
// with its address space limited to 150 MB (not under AddressSanitizer, whose
// shadow memory needs more address space than that by itself).
TEST(IndexMemory, A200MegabyteLineIsPassedOverInBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    const bool limit = false;
#else
    const bool limit = true;
#endif
    TempDir dir;
    TzGuard tz("Europe/Berlin");
    const std::string path = dir.file("HOURS.TSK");
    const std::string first = zovSession("A", at("2026-12-07T08:00:00"), at("2026-12-07T10:00:00")).to_file_string() + "\n";
    const std::string last = "\n" + zovSession("B", at("2026-12-07T10:00:00"), at("2026-12-07T13:00:00")).to_file_string() + "\n";
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, first.data(), first.size()), static_cast<ssize_t>(first.size()));
        const off_t hole = 200 << 20;
        ASSERT_EQ(::pwrite(fd, last.data(), last.size(), static_cast<off_t>(first.size()) + hole),
                  static_cast<ssize_t>(last.size()));
        ::close(fd);
    }
    const int rc = in_child(
        [&] {
            if (!limit)
                return true;
            const struct rlimit as = {150u << 20, 150u << 20};
            return ::setrlimit(RLIMIT_AS, &as) == 0;
        },
        [&] {
            zov_detail::forget_index();
            zovKernel kernel(dir.path());
            for (int round = 0; round < 2; ++round) {
                double sum = 0;
                for (const zovSession& s : kernel.hours(at("2026-12-07T00:00:00"), at("2026-12-08T00:00:00")))
                    sum += s.hours();
                EXPECT_DOUBLE_EQ(sum, 5.0) << "round " << round;
                EXPECT_TRUE(kernel.read_ok());
                zovTimeSheet sheet(50, 2026);
                EXPECT_DOUBLE_EQ(kernel.tsheet(sheet), 5.0) << "round " << round;
                zov_detail::forget_index();  // the second round loads the index from its file
            }
            zovSinkHours all(at("2026-12-07T00:00:00"), at("2026-12-08T00:00:00"));
            EXPECT_EQ(zovHours(dir.path()).read_lines(all), zovFile::read_status::lines);
            EXPECT_EQ(std::distance(all.begin(), all.end()), 2);
        });
    EXPECT_EQ(rc, 0);
}

}  // namespace
