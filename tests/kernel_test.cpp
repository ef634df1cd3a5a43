// zovKernel: construction, the recording cycle and its state table, task names.

#include <gtest/gtest.h>

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

class Kernel : public ::testing::Test
{
protected:
    Kernel() : m_tz("Europe/Berlin"), m_clock("2013-03-13T08:00:00") {}

    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& path() const { return m_dir.path(); }
    FixedClock& clock() { return m_clock; }
    std::vector<std::string> hours_lines() const { return read_lines(file("HOURS.TSK")); }
    std::vector<std::string> loginout_lines() const { return read_lines(file("LOGINOUT.TSK")); }
    std::string current_text() const { return read_file(file("CURRENT.TSK")); }

private:
    TempDir m_dir;
    TzGuard m_tz;
    FixedClock m_clock;
};

// "K   1.50     <b>     <e>" for local wall times of 2013-03-13 in Berlin (+01:00).
std::string line(const std::string& task, const std::string& hours, const std::string& b, const std::string& e)
{
    return task + "   " + hours + "     2013-03-13T" + b + "+01:00     2013-03-13T" + e + "+01:00";
}

std::string state(const std::string& task, const std::string& hhmmss, bool active)
{
    return task + " 2013-03-13T" + hhmmss + "+01:00" + (active ? " ACTIVE\n" : " INACTIVE\n");
}

}  // namespace

TEST_F(Kernel, fresh_folder)
{
    clock().set("2013-03-13T07:59:58");
    zovKernel k(path());
    EXPECT_EQ(current_text(), state("DEFAULT", "07:59:58", false));
    EXPECT_EQ(read_file(file("HOURS.TSK")), header + "\n");
    EXPECT_FALSE(exists(file("LOGINOUT.TSK")));
    const zovCurrent& cur = k.current();
    EXPECT_EQ(cur.task(), "DEFAULT");
    EXPECT_EQ(cur.time(), at("2013-03-13T07:59:58"));
    EXPECT_FALSE(cur.active());
    // Reading writes nothing.
    EXPECT_FALSE(exists(file("LOGINOUT.TSK")));
    EXPECT_EQ(read_file(file("HOURS.TSK")), header + "\n");
}

TEST_F(Kernel, name_and_folder)
{
    EXPECT_EQ(zovKernel::kernel_name(), "Zovaro");
    zovKernel k(path());
    EXPECT_EQ(k.dir(), path());
    EXPECT_EQ(k.current().dir(), path());
    EXPECT_EQ(path().back(), '/');
}

TEST_F(Kernel, construction_keeps_existing_files)
{
    const std::string cur = "% note\nK 2013-03-12T08:00:00+01:00 ACTIVE\n";
    const std::string hours = header + "\n" + line("A", "1.00", "06:00:00", "07:00:00") + "\n";
    write_file(file("CURRENT.TSK"), cur);
    write_file(file("HOURS.TSK"), hours);
    write_file(file("LOGINOUT.TSK"), "LOGIN x\n");
    {
        zovKernel k(path());
        EXPECT_TRUE(k.current().active());
        EXPECT_EQ(k.current().task(), "K");
    }
    // Neither construction, nor reading, nor destruction writes.
    EXPECT_EQ(current_text(), cur);
    EXPECT_EQ(read_file(file("HOURS.TSK")), hours);
    EXPECT_EQ(read_file(file("LOGINOUT.TSK")), "LOGIN x\n");
}

TEST_F(Kernel, state_table)
{
    enum class Call { login_empty, login_K, login_L, next_K, next_L, logout };
    struct Row
    {
        const char* name;
        bool active;  // before the call; task L since 08:00
        Call call;
        std::string current_after;
        std::vector<std::string> hours_added;
        std::vector<std::string> loginout_added;
    };
    const std::string running = state("L", "08:00:00", true);
    const std::string resting = state("L", "08:00:00", false);
    const Row rows[] = {
        {"inactive login empty", false, Call::login_empty, state("L", "09:30:00", true), {},
         {"LOGIN 2013-03-13T09:30:00+01:00"}},
        {"inactive login name", false, Call::login_K, state("K", "09:30:00", true), {},
         {"LOGIN 2013-03-13T09:30:00+01:00"}},
        {"active login other name", true, Call::login_K, running, {}, {}},
        {"active login same name", true, Call::login_L, running, {}, {}},
        {"active login empty", true, Call::login_empty, running, {}, {}},
        {"active next other name", true, Call::next_K, state("K", "09:30:00", true),
         {line("L", "1.50", "08:00:00", "09:30:00")}, {}},
        {"active next same name", true, Call::next_L, running, {}, {}},
        {"inactive next name", false, Call::next_K, state("K", "09:30:00", false), {}, {}},
        {"inactive next same name", false, Call::next_L, state("L", "09:30:00", false), {}, {}},
        {"active logout", true, Call::logout, state("L", "09:30:00", false),
         {line("L", "1.50", "08:00:00", "09:30:00")}, {"LOGOUT 2013-03-13T09:30:00+01:00"}},
        {"inactive logout", false, Call::logout, resting, {}, {}},
    };
    for (const Row& r : rows) {
        TempDir dir;
        write_file(dir.file("CURRENT.TSK"), r.active ? running : resting);
        write_file(dir.file("HOURS.TSK"), header + "\n");
        clock().set("2013-03-13T09:00:00");
        zovKernel k(dir.path());
        clock().set("2013-03-13T09:30:00");
        bool result = false;
        switch (r.call) {
        case Call::login_empty: result = k.login(""); break;
        case Call::login_K: result = k.login("K"); break;
        case Call::login_L: result = k.login("L"); break;
        case Call::next_K: result = k.next("K"); break;
        case Call::next_L: result = k.next("L"); break;
        case Call::logout: result = k.logout(); break;
        }
        EXPECT_TRUE(result) << r.name;
        EXPECT_EQ(read_file(dir.file("CURRENT.TSK")), r.current_after) << r.name;
        std::vector<std::string> hours = read_lines(dir.file("HOURS.TSK"));
        hours.erase(hours.begin());
        EXPECT_EQ(hours, r.hours_added) << r.name;
        EXPECT_EQ(read_lines(dir.file("LOGINOUT.TSK")), r.loginout_added) << r.name;
        // current() shows what the file holds.
        const zovCurrent& cur = k.current();
        EXPECT_EQ(cur.message() + "\n", r.current_after) << r.name;
    }
}

TEST_F(Kernel, login_with_empty_name_on_a_fresh_folder_records_default)
{
    zovKernel k(path());
    clock().set("2013-03-13T09:00:00");
    EXPECT_TRUE(k.login(""));
    clock().set("2013-03-13T10:00:00");
    EXPECT_TRUE(k.logout());
    EXPECT_EQ(hours_lines(), (std::vector<std::string>{header, line("DEFAULT", "1.00", "09:00:00", "10:00:00")}));
}

TEST_F(Kernel, login_while_running_keeps_the_running_session)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("L"));
    clock().advance(600);
    EXPECT_TRUE(k.login("K"));
    EXPECT_EQ(k.current().task(), "L");
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
    EXPECT_EQ(loginout_lines().size(), 1u);
}

TEST_F(Kernel, switch_while_inactive_then_login_begins_at_the_login)
{
    zovKernel k(path());
    clock().set("2013-03-13T08:10:00");
    ASSERT_TRUE(k.next("K"));
    EXPECT_FALSE(k.current().active());
    EXPECT_EQ(k.current().task(), "K");
    clock().set("2013-03-13T09:00:00");
    ASSERT_TRUE(k.login(""));
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(k.current().task(), "K");
    EXPECT_EQ(k.current().time(), at("2013-03-13T09:00:00"));
    clock().set("2013-03-13T09:45:00");
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(), line("K", "0.75", "09:00:00", "09:45:00"));
}

TEST_F(Kernel, next_with_the_running_name_keeps_its_begin)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    clock().advance(3600);
    EXPECT_TRUE(k.next("K"));
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
    EXPECT_EQ(hours_lines(), std::vector<std::string>{header});
    // Names are compared exactly: another case is another task.
    EXPECT_TRUE(k.next("k"));
    EXPECT_EQ(k.current().task(), "k");
    EXPECT_EQ(hours_lines().back(), line("K", "1.00", "08:00:00", "09:00:00"));
}

TEST_F(Kernel, a_day_of_switches_leaves_no_gap_and_no_overlap)
{
    zovKernel k(path());
    clock().set("2013-03-13T08:00:00");
    ASSERT_TRUE(k.login("A"));
    clock().set("2013-03-13T09:15:00");
    ASSERT_TRUE(k.next("B"));
    clock().set("2013-03-13T12:00:30");
    ASSERT_TRUE(k.next("C"));
    clock().set("2013-03-13T17:00:00");
    ASSERT_TRUE(k.logout());
    const std::vector<std::string> lines = hours_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], line("A", "1.25", "08:00:00", "09:15:00"));
    EXPECT_EQ(lines[2], line("B", "2.76", "09:15:00", "12:00:30"));
    EXPECT_EQ(lines[3], line("C", "4.99", "12:00:30", "17:00:00"));
    // End of each session equals the begin of the next, to the second.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_EQ(zovSession(lines[i]).tend(), zovSession(lines[i + 1]).tbeg());
    EXPECT_EQ(loginout_lines(), (std::vector<std::string>{"LOGIN 2013-03-13T08:00:00+01:00",
                                                          "LOGOUT 2013-03-13T17:00:00+01:00"}));
    EXPECT_EQ(current_text(), state("C", "17:00:00", false));
}

TEST_F(Kernel, two_logouts_in_a_row)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    clock().advance(60);
    ASSERT_TRUE(k.logout());
    const std::string hours = read_file(file("HOURS.TSK"));
    const std::string loginout = read_file(file("LOGINOUT.TSK"));
    const std::string cur = current_text();
    clock().advance(60);
    EXPECT_TRUE(k.logout());
    EXPECT_EQ(read_file(file("HOURS.TSK")), hours);
    EXPECT_EQ(read_file(file("LOGINOUT.TSK")), loginout);
    EXPECT_EQ(current_text(), cur);
}

TEST_F(Kernel, a_session_over_midnight_and_days_is_one_line)
{
    zovKernel k(path());
    clock().set("2013-03-13T22:00:00");
    ASSERT_TRUE(k.login("Night"));
    clock().set("2013-03-16T02:30:00");
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(),
              "Night   52.50     2013-03-13T22:00:00+01:00     2013-03-16T02:30:00+01:00");
}

TEST_F(Kernel, a_session_over_the_autumn_change_counts_real_hours)
{
    zovKernel k(path());
    clock().set(at("2013-10-27T01:30:00+02:00").to_time_t());
    ASSERT_TRUE(k.login("K"));
    clock().set(at("2013-10-27T02:30:00+01:00").to_time_t());
    ASSERT_TRUE(k.next("L"));
    clock().set(at("2013-10-27T02:45:00+01:00").to_time_t());
    ASSERT_TRUE(k.logout());
    const std::vector<std::string> lines = hours_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "K   2.00     2013-10-27T01:30:00+02:00     2013-10-27T02:30:00+01:00");
    EXPECT_EQ(lines[2], "L   0.25     2013-10-27T02:30:00+01:00     2013-10-27T02:45:00+01:00");
}

TEST_F(Kernel, state_survives_a_restart)
{
    {
        zovKernel k(path());
        ASSERT_TRUE(k.login("K"));
    }
    clock().set("2013-03-14T08:00:00");
    zovKernel k(path());
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(), "K   24.00     2013-03-13T08:00:00+01:00     2013-03-14T08:00:00+01:00");
}

TEST_F(Kernel, a_hand_edit_between_calls_is_honoured)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    write_file(file("CURRENT.TSK"), "% edited\nEdited 2013-03-13T07:00:00+01:00 ACTIVE\n");
    EXPECT_EQ(k.current().task(), "Edited");
    clock().set("2013-03-13T09:00:00");
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(), line("Edited", "2.00", "07:00:00", "09:00:00"));
}

TEST_F(Kernel, an_unreadable_state_keeps_the_last_known_one)
{
    zovKernel k(path());
    ASSERT_TRUE(k.login("K"));
    write_file(file("CURRENT.TSK"), "garbled\n");
    EXPECT_EQ(k.current().task(), "K");
    EXPECT_TRUE(k.current().active());
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
    clock().set("2013-03-13T08:30:00");
    // The running session is still closed properly.
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(), line("K", "0.50", "08:00:00", "08:30:00"));
    EXPECT_EQ(current_text(), state("K", "08:30:00", false));
}

TEST_F(Kernel, an_unreadable_state_at_start_becomes_the_default)
{
    write_file(file("CURRENT.TSK"), "K 2013-03-13T07:00:00+01:00\n");
    zovKernel k(path());
    EXPECT_EQ(k.current().task(), "DEFAULT");
    EXPECT_FALSE(k.current().active());
    EXPECT_EQ(k.current().time(), at("2013-03-13T08:00:00"));
}

TEST_F(Kernel, refused_task_names)
{
    const std::string refused[] = {
        " ", "a b", " a", "a ", "a\tb", "a\rb", "a\nb", "a\r\n", std::string("a\0b", 3), "\x01", "x\x1f",
        "x\x7f", "%", "%x", "%DUMMY", std::string(zovKernel::max_task_name + 1, 'x'), std::string(70 * 1024, 'x'),
    };
    zovKernel k(path());
    ASSERT_TRUE(k.next("Before"));
    const std::string cur = current_text();
    const std::string hours = read_file(file("HOURS.TSK"));
    for (const std::string& name : refused) {
        EXPECT_FALSE(zovKernel::is_valid_task_name(name)) << name;
        EXPECT_FALSE(k.login(name)) << name;
        EXPECT_FALSE(k.next(name)) << name;
        EXPECT_EQ(current_text(), cur) << name;
        EXPECT_FALSE(exists(file("LOGINOUT.TSK"))) << name;
    }
    // While running: refused too, and the session runs on.
    ASSERT_TRUE(k.login(""));
    const std::string running = current_text();
    for (const std::string& name : refused) {
        EXPECT_FALSE(k.next(name)) << name;
        EXPECT_FALSE(k.login(name)) << name;
    }
    EXPECT_FALSE(k.next(""));
    EXPECT_EQ(current_text(), running);
    EXPECT_EQ(read_file(file("HOURS.TSK")), hours);
    EXPECT_EQ(loginout_lines().size(), 1u);
    EXPECT_EQ(k.current().task(), "Before");
}

TEST_F(Kernel, accepted_task_names_read_back)
{
    const std::string accepted[] = {"K", "a%b", "x-y.z/w", "\xc3\xa4\xc3\xb6\xc3\xbc", "\xe4", "ACTIVE", "DEFAULT",
                                    "1.50", "2013-03-13T08:00:00", std::string(zovKernel::max_task_name, 'x')};
    zovKernel k(path());
    for (const std::string& name : accepted) {
        EXPECT_TRUE(zovKernel::is_valid_task_name(name)) << name;
        ASSERT_TRUE(k.next(name)) << name;
        EXPECT_EQ(k.current().task(), name);
        ASSERT_TRUE(k.login("")) << name;
        clock().advance(60);
        ASSERT_TRUE(k.logout()) << name;
        EXPECT_EQ(zovSession(hours_lines().back()).task(), name);
        EXPECT_EQ(k.current().task(), name);
    }
}

TEST_F(Kernel, next_with_an_empty_name_is_refused)
{
    zovKernel k(path());
    EXPECT_FALSE(k.next(""));
    EXPECT_EQ(k.current().task(), "DEFAULT");
}

TEST_F(Kernel, kernel_objects_share_the_folder)
{
    zovKernel a(path());
    zovKernel b(path());
    ASSERT_TRUE(a.login("K"));
    EXPECT_TRUE(b.current().active());
    clock().advance(1800);
    ASSERT_TRUE(b.logout());
    EXPECT_FALSE(a.current().active());
    // a's logout now finds nothing running.
    EXPECT_TRUE(a.logout());
    EXPECT_EQ(hours_lines().size(), 2u);
}

TEST_F(Kernel, a_session_begun_in_the_repeated_hour_survives_a_restart)
{
    // Logged in at the second 02:30 of the autumn night.
    clock().set(at("2013-10-27T02:30:00+01:00").to_time_t());
    {
        zovKernel k(path());
        ASSERT_TRUE(k.login("K"));
    }
    EXPECT_EQ(current_text(), "K 2013-10-27T02:30:00+01:00 ACTIVE\n");
    clock().set(at("2013-10-27T03:00:00+01:00").to_time_t());
    zovKernel k(path());
    EXPECT_EQ(k.current().time(), at("2013-10-27T02:30:00+01:00"));
    ASSERT_TRUE(k.logout());
    EXPECT_EQ(hours_lines().back(), "K   0.50     2013-10-27T02:30:00+01:00     2013-10-27T03:00:00+01:00");
}

// ---------------------------------------------------------------------------
// A clock that is stepped, and log-outs at a given instant, in every test zone

namespace {

class KernelZones : public ::testing::TestWithParam<const char*>
{
protected:
    std::string file(const std::string& name) const { return m_dir.file(name); }
    // A session line of local wall times of 2013-03-13.
    static std::string line(const std::string& task, const std::string& hours, const std::string& b,
                            const std::string& e)
    {
        return task + "   " + hours + "     " + at("2013-03-13T" + b).to_readable_datetime_string() + "     "
            + at("2013-03-13T" + e).to_readable_datetime_string();
    }

    TempDir m_dir;
    TzGuard m_tz{GetParam()};
    FixedClock m_clock{"2013-03-13T10:00:00"};
};

INSTANTIATE_TEST_SUITE_P(zones, KernelZones, ::testing::ValuesIn(test_zones), zone_name);

}  // namespace

TEST_P(KernelZones, a_clock_set_back_never_gives_a_negative_session)
{
    // Logged in with the clock fast, then the clock is set back.
    struct Case
    {
        const char* name;
        std::function<bool(zovKernel&)> op;
        std::string closed;
        std::string state;
    };
    const Case cases[] = {
        {"log-out", [](zovKernel& k) { return k.logout(); }, line("K", "0.00", "10:00:00", "10:00:00"),
         "K " + at("2013-03-13T10:00:00").to_readable_datetime_string() + " INACTIVE\n"},
        {"switch", [](zovKernel& k) { return k.next("L"); }, line("K", "0.00", "10:00:00", "10:00:00"),
         "L " + at("2013-03-13T10:00:00").to_readable_datetime_string() + " ACTIVE\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        m_clock.set("2013-03-13T10:00:00");
        zovKernel k(dir.path());
        ASSERT_TRUE(k.login("K"));
        m_clock.set("2013-03-13T09:30:00");
        ASSERT_TRUE(c.op(k));
        EXPECT_EQ(read_lines(dir.file("HOURS.TSK")).back(), c.closed);
        EXPECT_EQ(read_file(dir.file("CURRENT.TSK")), c.state);
        // The day's net never drops below what was recorded before.
        double net = 0.0;
        for (const zovSession& s : k.hours(at("2013-03-13T00:00:00"), at("2013-03-13T23:00:00")))
            net += s.hours();
        EXPECT_EQ(net, 0.0);
    }
}

TEST_P(KernelZones, logout_at_an_instant_is_kept_between_the_begin_and_now)
{
    struct Case
    {
        const char* at;   // asked for
        const char* end;  // recorded
    };
    const Case cases[] = {
        {"2013-03-13T12:30:00", "12:30:00"},  // in the past: as asked
        {"2013-03-13T17:00:00", "14:00:00"},  // in the future: now
        {"2013-03-13T09:00:00", "10:00:00"},  // before the begin: the begin
        {"2013-03-13T10:00:00", "10:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        TempDir dir;
        m_clock.set("2013-03-13T10:00:00");
        zovKernel k(dir.path());
        ASSERT_TRUE(k.login("K"));
        m_clock.set("2013-03-13T14:00:00");
        ASSERT_TRUE(k.logout(at(c.at), at("2013-03-13T10:00:00")));
        const std::string end = at(std::string("2013-03-13T") + c.end).to_readable_datetime_string();
        EXPECT_EQ(read_lines(dir.file("HOURS.TSK")).back().substr(0, 1), "K");
        EXPECT_EQ(zovSession(read_lines(dir.file("HOURS.TSK")).back()).tend(), at(std::string("2013-03-13T") + c.end));
        EXPECT_EQ(read_lines(dir.file("LOGINOUT.TSK")).back(), "LOGOUT " + end);
        EXPECT_EQ(read_file(dir.file("CURRENT.TSK")), "K " + end + " INACTIVE\n");
        // That session no longer runs: a second one is refused and writes nothing.
        EXPECT_FALSE(k.logout(at(c.at), at("2013-03-13T10:00:00")));
        EXPECT_EQ(k.last_error(), zovKernel::error::changed);
        EXPECT_EQ(read_lines(dir.file("HOURS.TSK")).size(), 2u);
    }
}

TEST_P(KernelZones, start_up_completes_a_change_cut_short)
{
    // The files as a crash between two writes leaves them; the next start
    // must neither lose the session nor record it again.
    const std::string k8 = at("2013-03-13T08:00:00").to_readable_datetime_string();
    const std::string t12 = at("2013-03-13T12:00:00").to_readable_datetime_string();
    const std::string closed = line("K", "4.00", "08:00:00", "12:00:00");
    struct Case
    {
        const char* name;
        std::string hours_tail;     // after the header
        std::string loginout;
        std::string state_after;
        std::string hours_after;    // the last line afterwards
    };
    const Case cases[] = {
        {"switch stored, state not", closed + "\n", "LOGIN " + k8 + "\n", "K " + t12 + " ACTIVE\n", closed},
        {"log-out stored, state not", closed + "\n", "LOGIN " + k8 + "\nLOGOUT " + t12 + "\n",
         "K " + t12 + " INACTIVE\n", closed},
        {"log-out stamped only", "", "LOGIN " + k8 + "\nLOGOUT " + t12 + "\n", "K " + t12 + " INACTIVE\n", closed},
        {"an older log-out is no log-out", "", "LOGOUT " + at("2013-03-13T07:00:00").to_readable_datetime_string()
                                                 + "\n",
         "K " + k8 + " ACTIVE\n", "% task hours t1 t2"},
        {"another task's session is no closing line", line("L", "1.00", "07:00:00", "08:00:00") + "\n",
         "LOGIN " + k8 + "\n", "K " + k8 + " ACTIVE\n", line("L", "1.00", "07:00:00", "08:00:00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("HOURS.TSK"), "% task hours t1 t2\n" + c.hours_tail);
        write_file(dir.file("LOGINOUT.TSK"), c.loginout);
        write_file(dir.file("CURRENT.TSK"), "K " + k8 + " ACTIVE\n");
        m_clock.set("2013-03-13T13:00:00");
        zovKernel k(dir.path());
        EXPECT_EQ(read_file(dir.file("CURRENT.TSK")), c.state_after);
        EXPECT_EQ(read_lines(dir.file("HOURS.TSK")).back(), c.hours_after);
        expect_recorded_at_most_once(dir.file("HOURS.TSK"));
    }
}
