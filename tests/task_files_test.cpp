// The task files: line reading, CURRENT.TSK, HOURS.TSK and LOGINOUT.TSK.

#include <gtest/gtest.h>

#include <dirent.h>
#include <algorithm>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "test_support.h"

using namespace zovtest;

void PrintTo(const vu_datetime& v, std::ostream* out)
{
    *out << (v.is_not_a_date_time() ? std::string("not-a-date-time") : v.to_readable_datetime_string());
}

namespace {

// Opens the protected file operations to the tests.
class ProbeFile : public zovFile
{
public:
    ProbeFile(const std::string& dir, const std::string& name) : zovFile(dir, name) {}
    using zovFile::get_tokens;
    using zovFile::read;
    using zovFile::read_first;
    using zovFile::read_last;
    using zovFile::write_append;
    using zovFile::write_clear;
};

// Records the lines offered; answers false from the line numbered stop_at
// (counting from 1) on, never when stop_at is 0.
class Recorder : public zovSink
{
public:
    explicit Recorder(std::size_t stop_at = 0) : m_stop_at(stop_at) {}
    bool operator()(const std::string& line) override
    {
        lines.push_back(line);
        return m_stop_at == 0 || lines.size() < m_stop_at;
    }
    std::vector<std::string> lines;

private:
    std::size_t m_stop_at;
};

class TaskFiles : public ::testing::Test
{
protected:
    TaskFiles() : m_tz("Europe/Berlin"), m_clock("2013-03-13T08:00:00"), m_files(m_dir.path()) {}

    // The folder the file objects of a test work in.
    const std::string& dir() const { return m_files; }
    void use_dir(const std::string& dir) { m_files = dir; }

    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& path() const { return m_dir.path(); }
    FixedClock& clock() { return m_clock; }

private:
    TempDir m_dir;
    TzGuard m_tz;
    FixedClock m_clock;
    std::string m_files;
};

const char* const header = "% task hours t1 t2";

}  // namespace

// ---------------------------------------------------------------------------
// zovFile

TEST_F(TaskFiles, path_is_folder_and_name_without_separator)
{
    EXPECT_EQ(ProbeFile(path(), "X.TSK").dir(), path());
    EXPECT_EQ(ProbeFile(dir(), "X.TSK").path(), path() + "X.TSK");
    EXPECT_EQ(zovCurrent(dir()).path(), path() + "CURRENT.TSK");
    EXPECT_EQ(zovHours(dir()).path(), path() + "HOURS.TSK");
    EXPECT_EQ(zovLoginOut(dir()).path(), path() + "LOGINOUT.TSK");
}

TEST_F(TaskFiles, read_offers_lines_that_are_neither_blank_nor_comments)
{
    // Lines up to the bound are read; longer ones are skipped, never collected.
    const std::string long_line(zovFile::max_line, 'x');
    const std::string overlong(200000, 'x');
    struct Case
    {
        const char* name;
        std::string content;
        std::vector<std::string> offered;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"comments and blanks", "% a comment\n\n   \t\n\r\n   % indented comment\n\t%\n", {}},
        {"two lines", "a\nb\n", {"a", "b"}},
        {"no final line feed", "a\nb", {"a", "b"}},
        {"only a last line without line feed", "last", {"last"}},
        {"comment without line feed", "a\n% c", {"a"}},
        {"kept as they are", "  a b\r\n\tc\r\n", {"  a b\r", "\tc\r"}},
        {"CR LF blank lines", "\r\n\r\nx\r\n\r\n", {"x\r"}},
        {"blank and comment around", "   \t \n   % some words here\nK 1 2 3\n", {"K 1 2 3"}},
        {"percent not first", "a%b\n x % y\n", {"a%b", " x % y"}},
        {"longer than the buffer", "a\n" + long_line + "\nb\n", {"a", long_line, "b"}},
        {"long line without line feed", "a\n" + long_line, {"a", long_line}},
        {"overlong line skipped", "a\n" + overlong + "\nb\n", {"a", "b"}},
        {"overlong line first", overlong + "\nb\n", {"b"}},
        {"overlong lines in a row", overlong + "\n" + overlong + "\nc", {"c"}},
        {"overlong line without line feed", "a\n" + overlong, {"a"}},
        {"overlong last line", "a\n" + overlong + "\n", {"a"}},
        {"overlong last line and a comment", "a\n" + overlong + "\n% c\n\n", {"a"}},
        {"long last line", "a\n" + long_line + "\n", {"a", long_line}},
    };
    for (const Case& c : cases) {
        write_file(file("X.TSK"), c.content);
        Recorder sink;
        EXPECT_EQ(ProbeFile(dir(), "X.TSK").read(sink), !c.offered.empty()) << c.name;
        EXPECT_EQ(sink.lines, c.offered) << c.name;
        // Read from the end, the last of them, by the same rule.
        std::string last = "unchanged";
        const zovFile::read_status found = ProbeFile(dir(), "X.TSK").read_last(last);
        EXPECT_EQ(found, c.offered.empty() ? zovFile::read_status::empty : zovFile::read_status::lines) << c.name;
        EXPECT_EQ(last, c.offered.empty() ? std::string("unchanged") : c.offered.back()) << c.name;
    }
}

TEST_F(TaskFiles, read_sees_every_line_across_buffer_ends)
{
    // Lines of varying length so that buffer ends fall at many places in a line.
    std::string content;
    std::vector<std::string> expected;
    for (int i = 0; i < 20000; ++i) {
        std::string line = "T" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), '.');
        content += line + (i % 3 == 0 ? "\r\n" : "\n");
        expected.push_back(i % 3 == 0 ? line + "\r" : line);
        if (i % 1000 == 0)
            content += "% comment\n\n";
    }
    write_file(file("X.TSK"), content);
    Recorder sink;
    EXPECT_TRUE(ProbeFile(dir(), "X.TSK").read(sink));
    EXPECT_EQ(sink.lines, expected);
}

TEST_F(TaskFiles, read_of_a_missing_file_or_a_folder_is_false)
{
    Recorder sink;
    EXPECT_FALSE(ProbeFile(dir(), "MISSING.TSK").read(sink));
    ASSERT_EQ(::mkdir(file("DIR.TSK").c_str(), 0700), 0);
    EXPECT_FALSE(ProbeFile(dir(), "DIR.TSK").read(sink));
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(TaskFiles, read_stops_when_the_sink_says_so)
{
    write_file(file("X.TSK"), "% c\nfirst\nsecond\nthird\n");
    Recorder at_once(1);
    EXPECT_TRUE(ProbeFile(dir(), "X.TSK").read(at_once));
    EXPECT_EQ(at_once.lines, std::vector<std::string>{"first"});
    Recorder second(2);
    EXPECT_TRUE(ProbeFile(dir(), "X.TSK").read(second));
    EXPECT_EQ(second.lines, (std::vector<std::string>{"first", "second"}));
}

TEST_F(TaskFiles, read_first_takes_the_first_accepted_line_or_leaves_the_string)
{
    write_file(file("X.TSK"), "\n  % c\n  first line \r\nsecond\n");
    std::string line = "unchanged";
    EXPECT_TRUE(ProbeFile(dir(), "X.TSK").read_first(line));
    EXPECT_EQ(line, "  first line \r");
    write_file(file("X.TSK"), "% only a comment\n");
    line = "unchanged";
    EXPECT_FALSE(ProbeFile(dir(), "X.TSK").read_first(line));
    EXPECT_EQ(line, "unchanged");
    EXPECT_FALSE(ProbeFile(dir(), "MISSING.TSK").read_first(line));
    EXPECT_EQ(line, "unchanged");
}

TEST_F(TaskFiles, get_tokens_splits_at_blanks_tabs_and_carriage_returns)
{
    std::vector<std::string> tokens;
    EXPECT_TRUE(ProbeFile(dir(), "X").get_tokens(" K\t2013-03-13T08:00:00+01:00 \t ACTIVE\r", tokens));
    EXPECT_EQ(tokens, (std::vector<std::string>{"K", "2013-03-13T08:00:00+01:00", "ACTIVE"}));
    tokens.clear();
    EXPECT_FALSE(ProbeFile(dir(), "X").get_tokens(" \t\r", tokens));
    EXPECT_TRUE(tokens.empty());
}

TEST_F(TaskFiles, write_append_creates_and_appends_lines_with_lf)
{
    const ProbeFile f(dir(), "X.TSK");
    EXPECT_TRUE(f.write_append("one"));
    EXPECT_TRUE(f.write_append("two"));
    EXPECT_EQ(read_file(file("X.TSK")), "one\ntwo\n");
}

TEST_F(TaskFiles, write_clear_replaces_the_whole_file_and_leaves_no_temporary_file)
{
    write_file(file("X.TSK"), "old line one\nold line two\n");
    const ProbeFile f(dir(), "X.TSK");
    EXPECT_TRUE(f.write_clear("new"));
    EXPECT_EQ(read_file(file("X.TSK")), "new\n");
    EXPECT_TRUE(f.write_clear("newer"));
    EXPECT_EQ(read_file(file("X.TSK")), "newer\n");
    EXPECT_EQ(folder_entries(path()), std::vector<std::string>{"X.TSK"});
}

TEST_F(TaskFiles, operations_fail_in_a_missing_folder)
{
    use_dir(path() + "missing/");
    const ProbeFile f(dir(), "X.TSK");
    Recorder sink;
    EXPECT_FALSE(f.read(sink));
    EXPECT_FALSE(f.write_append("x"));
    EXPECT_FALSE(f.write_clear("x"));
    EXPECT_FALSE(zovCurrent::init(dir()));
    EXPECT_FALSE(zovHours::init(dir()));
    EXPECT_FALSE(zovLoginOut(dir()).login());
    EXPECT_FALSE(exists(path() + "missing"));
}

// ---------------------------------------------------------------------------
// CURRENT.TSK

TEST_F(TaskFiles, current_read_table)
{
    const std::string t = "2013-03-13T08:00:00+01:00";
    struct Case
    {
        const char* name;
        std::string content;
        bool ok;
        const char* task;
        bool active;
    };
    const Case cases[] = {
        {"active", "K " + t + " ACTIVE\n", true, "K", true},
        {"inactive", "K " + t + " INACTIVE\n", true, "K", false},
        {"comment first", "% a comment\nK " + t + " ACTIVE\n", true, "K", true},
        {"blank lines and CR LF", "\r\n\n  K\t" + t + "\tACTIVE\r\n", true, "K", true},
        {"lower case active", "K " + t + " active\n", true, "K", false},
        {"other third token", "K " + t + " RUNNING\n", true, "K", false},
        {"ACTIVE as part of a token", "K " + t + " ACTIVEX\n", true, "K", false},
        {"further tokens ignored", "K " + t + " ACTIVE and more\n", true, "K", true},
        {"no line end", "K " + t + " ACTIVE", true, "K", true},
        {"Z time", "K 2013-03-13T07:00:00Z ACTIVE\n", true, "K", true},
        // Hand-edited: what is clearly meant is read.
        {"time without seconds", "K 2013-03-13T08:00+01:00 ACTIVE\n", true, "K", true},
        {"Z time without seconds", "K 2013-03-13T07:00Z ACTIVE\n", true, "K", true},
        {"blanks at the ends", "  \t K " + t + " ACTIVE \t \r\n", true, "K", true},
        {"minutes cut short", "K 2013-03-13T08:0+01:00 ACTIVE\n", false, "OLD", false},
        {"two tokens", "K " + t + "\n", false, "OLD", false},
        {"one token", "K\n", false, "OLD", false},
        {"bad time", "K notatime ACTIVE\n", false, "OLD", false},
        {"time with blank", "K 2013-03-13 08:00:00 ACTIVE\n", false, "OLD", false},
        {"only comments", "% K " + t + " ACTIVE\n", false, "OLD", false},
        {"empty", "", false, "OLD", false},
        {"bad first line, good second", "K\nL " + t + " ACTIVE\n", false, "OLD", false},
    };
    for (const Case& c : cases) {
        zovCurrent cur(dir());
        // A known previous state, stored through the class itself.
        ASSERT_TRUE(cur.write("OLD", at("2000-01-01T00:00:00+01:00"), false));
        write_file(file("CURRENT.TSK"), c.content);
        EXPECT_EQ(cur.read(), c.ok) << c.name;
        EXPECT_EQ(cur.task(), c.task) << c.name;
        EXPECT_EQ(cur.active(), c.active) << c.name;
        EXPECT_EQ(cur.time(), c.ok ? at(t) : at("2000-01-01T00:00:00+01:00")) << c.name;
    }
}

TEST_F(TaskFiles, current_read_of_a_missing_file_changes_nothing)
{
    zovCurrent cur(dir());
    EXPECT_FALSE(cur.read());
    EXPECT_EQ(cur.task(), "DEFAULT");
    EXPECT_TRUE(cur.time().is_not_a_date_time());
    EXPECT_FALSE(cur.active());
}

TEST_F(TaskFiles, current_write_stores_one_state_line)
{
    zovCurrent cur(dir());
    ASSERT_TRUE(cur.write("K", at("2013-03-13T08:00:00"), true));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    EXPECT_EQ(cur.message(), "K 2013-03-13T08:00:00+01:00 ACTIVE");
    EXPECT_EQ(cur.task(), "K");
    EXPECT_TRUE(cur.active());
    ASSERT_TRUE(cur.write("L", at("2013-07-01T17:30:05"), false));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "L 2013-07-01T17:30:05+02:00 INACTIVE\n");
    EXPECT_EQ(cur.message(), "L 2013-07-01T17:30:05+02:00 INACTIVE");
    // Another object reads the same state.
    zovCurrent other(dir());
    ASSERT_TRUE(other.read());
    EXPECT_EQ(other.task(), "L");
    EXPECT_EQ(other.time(), at("2013-07-01T17:30:05"));
    EXPECT_FALSE(other.active());
}

TEST_F(TaskFiles, current_write_of_an_unreadable_state_is_refused)
{
    zovCurrent cur(dir());
    ASSERT_TRUE(cur.write("K", at("2013-03-13T08:00:00"), true));
    EXPECT_FALSE(cur.write("L", vu_datetime(), false));
    EXPECT_FALSE(cur.write("", at("2013-03-13T09:00:00"), false));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "K 2013-03-13T08:00:00+01:00 ACTIVE\n");
    EXPECT_EQ(cur.task(), "K");
    EXPECT_TRUE(cur.active());
}

TEST_F(TaskFiles, current_init_creates_the_default_state)
{
    clock().set("2013-03-13T07:59:00");
    EXPECT_TRUE(zovCurrent::init(dir()));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "DEFAULT 2013-03-13T07:59:00+01:00 INACTIVE\n");
}

TEST_F(TaskFiles, current_init_leaves_a_readable_file_untouched)
{
    const std::string content = "% my notes\n\nK 2012-01-01T10:00:00+01:00 ACTIVE extra\n% more\n";
    write_file(file("CURRENT.TSK"), content);
    EXPECT_TRUE(zovCurrent::init(dir()));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), content);
    EXPECT_EQ(folder_entries(path()), std::vector<std::string>{"CURRENT.TSK"});
}

TEST_F(TaskFiles, current_init_moves_an_unreadable_file_aside_and_writes_the_default)
{
    struct Case
    {
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        {"two tokens", "K 2013-03-12T08:00:00+01:00\n"},
        {"bad time", "K yesterday ACTIVE\n"},
        {"only comments", "% K 2013-03-12T08:00:00+01:00 ACTIVE\n"},
        {"task with a blank", "My Task 2013-03-12T08:00:00+01:00 ACTIVE\n"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        use_dir(folder.path());
        write_file(folder.file("CURRENT.TSK"), c.content);
        std::string kept;
        EXPECT_TRUE(zovCurrent::init(dir(), &kept)) << c.name;
        EXPECT_EQ(read_file(folder.file("CURRENT.TSK")), "DEFAULT 2013-03-13T08:00:00+01:00 INACTIVE\n") << c.name;
        const std::vector<std::string> names = folder_entries(folder.path());
        ASSERT_EQ(names.size(), 2u) << c.name;
        const std::string& aside = names[0] == "CURRENT.TSK" ? names[1] : names[0];
        EXPECT_EQ(aside.rfind("CURRENT.TSK.", 0), 0u) << aside;
        EXPECT_NE(aside.find("unreadable"), std::string::npos) << aside;
        EXPECT_NE(aside.find("20130313"), std::string::npos) << aside;
        EXPECT_EQ(read_file(folder.file(aside)), c.content) << c.name;
        EXPECT_EQ(kept, aside) << c.name << ": the caller hears of it";
        // The next start finds the default readable and keeps it.
        kept.clear();
        EXPECT_TRUE(zovCurrent::init(dir(), &kept));
        EXPECT_EQ(kept, "") << c.name;
        EXPECT_EQ(folder_entries(folder.path()).size(), 2u) << c.name;
    }
}

TEST_F(TaskFiles, current_init_twice_in_one_second_keeps_both_unreadable_files)
{
    write_file(file("CURRENT.TSK"), "first bad\n");
    ASSERT_TRUE(zovCurrent::init(dir()));
    write_file(file("CURRENT.TSK"), "second bad\n");
    ASSERT_TRUE(zovCurrent::init(dir()));
    const std::vector<std::string> names = folder_entries(path());
    ASSERT_EQ(names.size(), 3u);
    std::vector<std::string> contents;
    for (const std::string& n : names)
        if (n != "CURRENT.TSK")
            contents.push_back(read_file(file(n)));
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"first bad\n", "second bad\n"}));
}

TEST_F(TaskFiles, current_init_replaces_an_empty_file_without_keeping_it)
{
    write_file(file("CURRENT.TSK"), "");
    EXPECT_TRUE(zovCurrent::init(dir()));
    EXPECT_EQ(read_file(file("CURRENT.TSK")), "DEFAULT 2013-03-13T08:00:00+01:00 INACTIVE\n");
    EXPECT_EQ(folder_entries(path()), std::vector<std::string>{"CURRENT.TSK"});
}

// ---------------------------------------------------------------------------
// HOURS.TSK

TEST_F(TaskFiles, hours_init_table)
{
    const std::string session = "K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00";
    struct Case
    {
        const char* name;
        bool present;
        std::string content;
        std::string after;
    };
    const Case cases[] = {
        {"missing", false, "", std::string(header) + "\n"},
        // An existing file is the user's, whatever it holds.
        {"empty", true, "", ""},
        {"header only", true, std::string(header) + "\n", std::string(header) + "\n"},
        {"comments and blanks only", true, "% one\n\n  % two\n\t\n", "% one\n\n  % two\n\t\n"},
        {"header without line end", true, header, header},
        {"a session", true, std::string(header) + "\n" + session + "\n", std::string(header) + "\n" + session + "\n"},
        {"a session without header", true, session + "\n", session + "\n"},
        {"a session without line end", true, "% x\n" + session, "% x\n" + session},
        {"any non-comment line", true, "garbage\n", "garbage\n"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        use_dir(folder.path());
        if (c.present)
            write_file(folder.file("HOURS.TSK"), c.content);
        EXPECT_TRUE(zovHours::init(dir())) << c.name;
        EXPECT_EQ(read_file(folder.file("HOURS.TSK")), c.after) << c.name;
        EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"HOURS.TSK"}) << c.name;
    }
}

TEST_F(TaskFiles, hours_write_appends_the_session_line)
{
    ASSERT_TRUE(zovHours::init(dir()));
    const zovHours h(dir());
    EXPECT_TRUE(h.write(zovSession("K", at("2013-03-13T08:00:00"), at("2013-03-13T09:30:00"))));
    EXPECT_TRUE(h.write(zovSession("L", at("2013-03-13T10:00:00"), at("2013-03-13T09:00:00"))));
    EXPECT_EQ(read_lines(file("HOURS.TSK")),
              (std::vector<std::string>{header,
                                        "K   1.50     2013-03-13T08:00:00+01:00     2013-03-13T09:30:00+01:00",
                                        "L   -1.00     2013-03-13T10:00:00+01:00     2013-03-13T09:00:00+01:00"}));
    // Read back through the public read.
    Recorder sink;
    EXPECT_TRUE(h.read(sink));
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(zovSession(sink.lines[1]).task(), "L");
}

TEST_F(TaskFiles, hours_write_of_an_invalid_session_writes_nothing)
{
    const std::string content = std::string(header) + "\nK 1 2013-03-13T08:00:00+01:00 2013-03-13T09:00:00+01:00\n";
    write_file(file("HOURS.TSK"), content);
    const zovHours h(dir());
    const vu_datetime unset;
    EXPECT_FALSE(h.write(zovSession()));
    EXPECT_FALSE(h.write(zovSession("", at("2013-03-13T08:00:00"), at("2013-03-13T09:00:00"))));
    EXPECT_FALSE(h.write(zovSession("K", unset, at("2013-03-13T09:00:00"))));
    EXPECT_FALSE(h.write(zovSession("K", at("2013-03-13T08:00:00"), unset)));
    EXPECT_EQ(read_file(file("HOURS.TSK")), content);
    // The same for a batch holding one invalid session: all or nothing.
    EXPECT_FALSE(h.write(std::vector<zovSession>{zovSession("K", at("2013-03-13T10:00:00"), at("2013-03-13T11:00:00")),
                                                 zovSession()}));
    EXPECT_FALSE(h.write(std::vector<zovSession>{}));
    EXPECT_EQ(read_file(file("HOURS.TSK")), content);
}

TEST_F(TaskFiles, hours_write_of_a_batch_appends_all_lines)
{
    ASSERT_TRUE(zovHours::init(dir()));
    EXPECT_TRUE(zovHours(dir()).write(std::vector<zovSession>{
        zovSession("A", at("2013-03-13T08:00:00"), at("2013-03-13T09:00:00")),
        zovSession("B", at("2013-03-13T09:00:00"), at("2013-03-13T10:00:00"))}));
    // Between two comments, so that a power cut that kept part of it shows.
    const auto lines = read_lines(file("HOURS.TSK"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "% correction begins");
    EXPECT_EQ(lines[2].substr(0, 8), "A   1.00");
    EXPECT_EQ(lines[3].substr(0, 8), "B   1.00");
    EXPECT_EQ(lines[4], "% correction ends");
}

// ---------------------------------------------------------------------------
// LOGINOUT.TSK

TEST_F(TaskFiles, loginout_appends_stamped_lines_and_has_no_header)
{
    EXPECT_TRUE(zovLoginOut::init(dir()));
    EXPECT_FALSE(exists(file("LOGINOUT.TSK")));
    const zovLoginOut lo(dir());
    EXPECT_TRUE(lo.login());
    clock().set("2013-03-13T17:05:09");
    EXPECT_TRUE(lo.logout());
    EXPECT_EQ(read_file(file("LOGINOUT.TSK")),
              "LOGIN 2013-03-13T08:00:00+01:00\nLOGOUT 2013-03-13T17:05:09+01:00\n");
}
