// The rules every program applies, without windows: when the daily log-out
// is due, what an absence asks about, how the settings file reads, and what
// each away answer writes. Local wall times, in every test zone.

#include <climits>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "test_support.h"

using zovtest::at;
using zovtest::FixedClock;
using zovtest::TempDir;
using zovtest::TzGuard;

namespace {

// The session lines of a HOURS.TSK: the header and the comments around a
// correction's lines left out.
std::vector<std::string> session_lines(const std::string& path)
{
    std::vector<std::string> lines;
    for (const std::string& line : zovtest::read_lines(path))
        if (line.rfind("%", 0) != 0)
            lines.push_back(line);
    return lines;
}


const long off = -61200;   // daily log-out switched off
const long h17 = 17 * 3600;

std::string shown(const vu_datetime& t)
{
    return t.is_not_a_date_time() ? "" : t.to_readable_datetime_string();
}

std::string local(const char* text)
{
    return *text ? at(text).to_readable_datetime_string() : "";
}

}  // namespace

// The log-out instant due for a session, as {setting, begin, now, due}; an
// empty due: nothing to do. Local times, in every test zone.
struct LogoutCase
{
    long setting;
    const char* begin;
    const char* now;
    const char* due;
    const char* set_at = nullptr;  // when the setting took its value; none: before
};

void expect_logout_cases(const char* zone, const std::vector<LogoutCase>& cases)
{
    TzGuard tz(zone);
    for (const LogoutCase& c : cases) {
        const vu_datetime set_at = c.set_at ? at(c.set_at) : vu_datetime();
        const vu_datetime due =
            zov::auto_logout_instant(c.setting, at(c.begin), at(c.now), set_at);
        const std::string got =
            due.is_not_a_date_time() ? "" : due.to_readable_datetime_string();
        const std::string expected = *c.due ? at(c.due).to_readable_datetime_string() : "";
        EXPECT_EQ(expected, got) << zone << ": setting " << c.setting << ", begun " << c.begin
                                 << ", checked " << c.now;
    }
}

TEST(AutoLogout, closes_a_session_begun_before_the_log_out_time_at_exactly_that_time)
{
    const long h17 = 17 * 3600;
    const long h2359 = 23 * 3600 + 59 * 60;
    const std::vector<LogoutCase> cases = {
        // The minute timer at any moment after 17:00: always 17:00 itself.
        {h17, "2026-03-13T16:00:00", "2026-03-13T16:59:59", ""},
        {h17, "2026-03-13T16:00:00", "2026-03-13T17:00:00", "2026-03-13T17:00:00"},
        {h17, "2026-03-13T16:00:00", "2026-03-13T17:00:40", "2026-03-13T17:00:00"},
        {h17, "2026-03-13T16:00:00", "2026-03-13T17:03:10", "2026-03-13T17:00:00"},
        // Slept through it, or not running: made up the next morning.
        {h17, "2026-03-13T16:00:00", "2026-03-14T09:00:00", "2026-03-13T17:00:00"},
        // Away over the weekend: the first log-out time that passed, Friday's.
        {h17, "2026-03-13T16:00:00", "2026-03-16T09:00:00", "2026-03-13T17:00:00"},
        // A session of yesterday morning: yesterday's 17:00.
        {h17, "2026-03-12T08:00:00", "2026-03-13T08:00:00", "2026-03-12T17:00:00"},
        // Logged in after the log-out time: the user's decision, until the next day's.
        {h17, "2026-03-13T17:01:30", "2026-03-13T17:01:59", ""},
        {h17, "2026-03-13T17:00:00", "2026-03-13T17:00:30", ""},
        {h17, "2026-03-13T17:01:30", "2026-03-14T16:59:59", ""},
        {h17, "2026-03-13T17:01:30", "2026-03-14T17:00:30", "2026-03-14T17:00:00"},
        // 23:59: a check after midnight still closes at 23:59 of the day before.
        {h2359, "2026-03-13T22:00:00", "2026-03-13T23:59:00", "2026-03-13T23:59:00"},
        {h2359, "2026-03-13T22:00:00", "2026-03-14T00:00:30", "2026-03-13T23:59:00"},
        {h2359, "2026-03-13T23:59:30", "2026-03-14T00:01:00", ""},
        // Just after midnight: the session of the evening before ends then.
        {60, "2026-03-13T23:00:00", "2026-03-14T00:05:00", "2026-03-14T00:01:00"},
        {60, "2026-03-13T23:00:00", "2026-03-14T00:00:59", ""},
        // Year end.
        {h17, "2026-12-31T16:00:00", "2027-01-01T09:00:00", "2026-12-31T17:00:00"},
        {h2359, "2026-12-31T23:00:00", "2027-01-01T00:00:30", "2026-12-31T23:59:00"},
        // Seconds of a hand-written setting count.
        {h17 + 30, "2026-03-13T16:00:00", "2026-03-13T17:00:40", "2026-03-13T17:00:30"},
        // Switched on at 00:00 (stored as 0), switched off, or beyond a day: never.
        {0, "2026-03-13T22:00:00", "2026-03-14T09:00:00", ""},
        {-h17, "2026-03-13T16:00:00", "2026-03-13T17:00:30", ""},
        {90000, "2026-03-13T00:30:00", "2026-03-14T09:00:00", ""},
        {86400, "2026-03-13T00:30:00", "2026-03-14T09:00:00", ""},
        // A clock set back behind the session's begin: nothing in the future.
        {h17, "2026-03-13T18:00:00", "2026-03-13T17:30:00", ""},
        // Switched on (or moved) to 17:00 at 18:00: today's 17:00 is past and
        // never counts; the session ends at tomorrow's.
        {h17, "2026-03-13T09:00:00", "2026-03-13T18:00:30", "", "2026-03-13T18:00:00"},
        {h17, "2026-03-13T09:00:00", "2026-03-14T16:00:00", "", "2026-03-13T18:00:00"},
        {h17, "2026-03-13T09:00:00", "2026-03-14T17:00:30", "2026-03-14T17:00:00",
         "2026-03-13T18:00:00"},
        // Set before the log-out time: today's counts.
        {h17, "2026-03-13T09:00:00", "2026-03-13T17:00:30", "2026-03-13T17:00:00",
         "2026-03-13T12:00:00"},
        {h17, "2026-03-13T09:00:00", "2026-03-13T17:00:30", "2026-03-13T17:00:00",
         "2026-03-13T17:00:00"},
        // Set long before the session began: no say.
        {h17, "2026-03-13T09:00:00", "2026-03-13T17:00:30", "2026-03-13T17:00:00",
         "2026-03-01T12:00:00"},
    };
    for (const char* zone : zovtest::test_zones)
        expect_logout_cases(zone, cases);
}

TEST(AutoLogout, uses_wall_clock_time_on_days_the_clocks_change)
{
    const long h17 = 17 * 3600;
    const long h0230 = 2 * 3600 + 30 * 60;
    // 23- and 25-hour days: 17:00 is still 17:00 on the clock.
    expect_logout_cases("Europe/Berlin", {
        {h17, "2026-03-29T08:00:00", "2026-03-29T17:00:30", "2026-03-29T17:00:00"},
        {h17, "2026-10-25T08:00:00", "2026-10-25T17:00:30", "2026-10-25T17:00:00"},
        {h17, "2026-03-28T18:00:00", "2026-03-29T17:00:30", "2026-03-29T17:00:00"},
        // 02:30 does not exist that night: the clock's 03:30, one gap later.
        {h0230, "2026-03-29T01:00:00", "2026-03-29T04:00:00", "2026-03-29T03:30:00+02:00"},
        // 02:30 comes twice: the first time.
        {h0230, "2026-10-25T01:00:00", "2026-10-25T04:00:00", "2026-10-25T02:30:00+02:00"},
    });
    expect_logout_cases("Australia/Lord_Howe", {
        {h17, "2026-04-05T08:00:00", "2026-04-05T17:00:00", "2026-04-05T17:00:00"},
        {h17, "2026-10-03T18:00:00", "2026-10-04T17:00:30", "2026-10-04T17:00:00"},
    });
    expect_logout_cases("America/New_York", {
        {h17, "2026-11-01T08:00:00", "2026-11-02T08:00:00", "2026-11-01T17:00:00"},
    });
}

TEST(AutoLogout, a_stored_value_beyond_one_day_reads_as_switched_off)
{
    struct Case
    {
        long stored;
        long used;
    };
    const Case cases[] = {
        {61200, 61200}, {-61200, -61200}, {0, 0}, {86399, 86399}, {-86399, -86399},
        {86400, -61200}, {90000, -61200}, {-86400, -61200}, {-90000, -61200},
        {LONG_MAX, -61200}, {LONG_MIN, -61200},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.used, zovSettings::usable_auto_logout(c.stored)) << c.stored;
}

class AwayQuestion : public ::testing::TestWithParam<const char*>
{
protected:
    AwayQuestion() : m_tz(GetParam()) {}
    TzGuard m_tz;
};

INSTANTIATE_TEST_SUITE_P(Zones, AwayQuestion, ::testing::ValuesIn(zovtest::test_zones),
                         zovtest::zone_name);

// {left, back, state on return, settings} -> asked span ("" from: no question).
TEST_P(AwayQuestion, the_question_covers_the_running_part_before_any_daily_log_out)
{
    struct Case
    {
        const char* what;
        const char* left;
        const char* back;
        bool active;
        const char* since;
        long auto_logout;
        long ask;
        const char* from;
        const char* until;
    };
    const std::vector<Case> cases = {
        {"lunch", "2026-03-10T12:03:00", "2026-03-10T13:10:00", true, "2026-03-10T09:00:00", off,
         15, "2026-03-10T12:03:00", "2026-03-10T13:10:00"},
        {"14 minutes", "2026-03-10T12:03:00", "2026-03-10T12:17:00", true, "2026-03-10T09:00:00",
         off, 15, "", ""},
        {"15 minutes exactly", "2026-03-10T12:03:00", "2026-03-10T12:18:00", true,
         "2026-03-10T09:00:00", off, 15, "2026-03-10T12:03:00", "2026-03-10T12:18:00"},
        {"switched off", "2026-03-10T12:03:00", "2026-03-10T13:10:00", true,
         "2026-03-10T09:00:00", off, -15, "", ""},
        {"5 minutes setting", "2026-03-10T12:03:00", "2026-03-10T12:08:00", true,
         "2026-03-10T09:00:00", off, 5, "2026-03-10T12:03:00", "2026-03-10T12:08:00"},
        {"logged out before leaving", "2026-03-10T12:03:00", "2026-03-10T13:10:00", false,
         "2026-03-10T11:00:00", off, 15, "", ""},
        {"session begun while away", "2026-03-10T12:03:00", "2026-03-10T13:10:00", true,
         "2026-03-10T12:30:00", off, 15, "2026-03-10T12:30:00", "2026-03-10T13:10:00"},
        {"session begun after the return", "2026-03-10T12:03:00", "2026-03-10T13:10:00", true,
         "2026-03-10T13:10:00", off, 15, "", ""},
        // The daily log-out at 17:00 fell inside: only the part before it.
        {"log-out still due", "2026-03-10T16:30:00", "2026-03-10T18:00:00", true,
         "2026-03-10T09:00:00", h17, 15, "2026-03-10T16:30:00", "2026-03-10T17:00:00"},
        {"log-out already done", "2026-03-10T16:30:00", "2026-03-10T18:00:00", false,
         "2026-03-10T17:00:00", h17, 15, "2026-03-10T16:30:00", "2026-03-10T17:00:00"},
        {"part before the log-out too short", "2026-03-10T16:50:00", "2026-03-10T18:00:00", true,
         "2026-03-10T09:00:00", h17, 15, "", ""},
        {"closed at another time than the log-out", "2026-03-10T16:30:00",
         "2026-03-10T18:00:00", false, "2026-03-10T17:00:00", 18 * 3600, 15, "", ""},
        {"log-out after the return", "2026-03-10T12:03:00", "2026-03-10T13:10:00", true,
         "2026-03-10T09:00:00", h17, 15, "2026-03-10T12:03:00", "2026-03-10T13:10:00"},
        // Begun after the day's log-out time: the next day's is due, outside.
        {"overnight", "2026-12-31T18:30:00", "2027-01-01T08:00:00", true, "2026-12-31T18:10:00",
         h17, 15, "2026-12-31T18:30:00", "2027-01-01T08:00:00"},
        {"overnight through the log-out", "2026-12-31T16:00:00", "2027-01-01T08:00:00", true,
         "2026-12-31T08:00:00", h17, 15, "2026-12-31T16:00:00", "2026-12-31T17:00:00"},
        {"return before leaving", "2026-03-10T13:10:00", "2026-03-10T12:03:00", true,
         "2026-03-10T09:00:00", off, 15, "", ""},
    };
    for (const Case& c : cases) {
        const zov::away_state state{c.active, "K", at(c.since)};
        const zov::away_question q =
            zov::question_for(at(c.left), at(c.back), state, c.auto_logout, c.ask);
        EXPECT_EQ(*c.from != 0, q.ask) << c.what;
        EXPECT_EQ(local(c.from), q.ask ? shown(q.from) : "") << c.what;
        EXPECT_EQ(local(c.until), q.ask ? shown(q.until) : "") << c.what;
        if (q.ask) {
            EXPECT_EQ("K", q.task) << c.what;
        }
    }
}

TEST_P(AwayQuestion, a_second_absence_widens_the_open_question)
{
    const zov::away_state running{true, "K", at("2026-03-10T09:00:00")};
    const zov::away_question open = zov::question_for(
        at("2026-03-10T12:03:00"), at("2026-03-10T12:23:00"), running, off, 15);
    ASSERT_TRUE(open.ask);

    struct Case
    {
        const char* what;
        const char* left;
        const char* back;
        bool active;
        const char* from;
        const char* until;
    };
    const std::vector<Case> cases = {
        {"later absence", "2026-03-10T12:30:00", "2026-03-10T13:00:00", true,
         "2026-03-10T12:03:00", "2026-03-10T13:00:00"},
        {"the same absence told by another source", "2026-03-10T12:02:30",
         "2026-03-10T12:23:40", true, "2026-03-10T12:02:30", "2026-03-10T12:23:40"},
        {"a short gap is no absence", "2026-03-10T12:40:00", "2026-03-10T12:41:00", true,
         "2026-03-10T12:03:00", "2026-03-10T12:23:00"},
        {"logged out meanwhile: the open question stays", "2026-03-10T12:30:00",
         "2026-03-10T13:00:00", false, "2026-03-10T12:03:00", "2026-03-10T12:23:00"},
    };
    for (const Case& c : cases) {
        const zov::away_state state{c.active, "K", at("2026-03-10T09:00:00")};
        const zov::away_question q =
            zov::extended(open, at(c.left), at(c.back), state, off, 15);
        EXPECT_TRUE(q.ask) << c.what;
        EXPECT_EQ(local(c.from), shown(q.from)) << c.what;
        EXPECT_EQ(local(c.until), shown(q.until)) << c.what;
    }
}

TEST(AwaySetting, ask_away_is_off_or_five_to_240_minutes)
{
    struct Case
    {
        long stored;
        long usable;
    };
    for (const Case& c : std::vector<Case>{{15, 15},
                                           {-15, -15},
                                           {5, 5},
                                           {240, 240},
                                           {-240, -240},
                                           {4, 15},
                                           {241, 15},
                                           {0, 15},
                                           {-4, 15},
                                           {-100000, 15}})
        EXPECT_EQ(c.usable, zovSettings::usable_ask_away(c.stored)) << c.stored;
}

// The answers on a real data folder: exactly these lines, nothing else.
class AwayAnswers : public AwayQuestion
{
protected:
    AwayAnswers()
        : m_clock("2026-03-10T09:00:00"), m_kernel(m_dir.path(), m_dir.file("Zovaro.conf"))
    {
    }
    // The daily log-out at 17:00, as the Options page stores it.
    void daily_log_out_at_17() { zovtest::write_file(m_dir.file("Zovaro.conf"), "AutoLogout=61200\n"); }
    std::vector<std::string> lines(const char* name) const
    {
        std::vector<std::string> out;
        for (const std::string& line : zovtest::read_lines(m_dir.file(name)))
            if (!line.empty() && line[0] != '%')
                out.push_back(line);
        return out;
    }
    static std::string session(const char* task, const char* begin, const char* end)
    {
        return zovSession(task, at(begin), at(end)).to_file_string();
    }
    zov::away_question Lunch()
    {
        return zov::question_for(at("2026-03-10T12:03:00"), at("2026-03-10T13:10:00"),
                                     {true, "K", at("2026-03-10T09:00:00")}, off, 15);
    }

    FixedClock m_clock;
    TempDir m_dir;
    zovKernel m_kernel;
};

INSTANTIATE_TEST_SUITE_P(Zones, AwayAnswers, ::testing::ValuesIn(zovtest::test_zones),
                         zovtest::zone_name);

TEST_P(AwayAnswers, log_out_closes_the_session_at_the_instant_the_user_left)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zov::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(m_kernel.away_log_out(q));
    EXPECT_EQ(std::vector<std::string>{session("K", "2026-03-10T09:00:00", "2026-03-10T12:03:00")},
              lines("HOURS.TSK"));
    EXPECT_EQ("LOGOUT " + local("2026-03-10T12:03:00"), lines("LOGINOUT.TSK").back());
    EXPECT_FALSE(m_kernel.current().active());
    // Asked again: the session is gone, nothing more is written.
    EXPECT_FALSE(m_kernel.away_log_out(q));
    EXPECT_EQ(1u, lines("HOURS.TSK").size());
}

// The daily log-out at 17:00 closed the session inside the absence: logging
// out at the moment the user left cancels the rest, as if logged out then.
TEST_P(AwayAnswers, log_out_after_a_daily_log_out_inside_cancels_the_time_after_leaving)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zov::away_question q =
        zov::question_for(at("2026-03-10T16:30:00"), at("2026-03-10T18:00:00"),
                              {true, "K", at("2026-03-10T09:00:00")}, h17, 15);
    ASSERT_TRUE(q.ask);
    m_clock.set("2026-03-10T18:01:00");
    daily_log_out_at_17();
    ASSERT_TRUE(m_kernel.apply_due_logout());
    ASSERT_TRUE(m_kernel.away_log_out(q));
    const std::vector<std::string> expected = {
        session("K", "2026-03-10T09:00:00", "2026-03-10T17:00:00"),
        zovSession("K", at("2026-03-10T16:30:00"), at("2026-03-10T17:00:00")).reverse().to_file_string(),
    };
    EXPECT_EQ(expected, lines("HOURS.TSK"));
    EXPECT_FALSE(m_kernel.current().active());
    // Asked again: nothing more is written.
    EXPECT_FALSE(m_kernel.away_log_out(q));
    EXPECT_EQ(2u, lines("HOURS.TSK").size());
}

TEST_P(AwayAnswers, log_out_leaves_a_session_begun_since_alone)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zov::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(m_kernel.next("L"));
    const std::vector<std::string> before = lines("HOURS.TSK");
    EXPECT_FALSE(m_kernel.away_log_out(q));
    EXPECT_EQ(before, lines("HOURS.TSK"));
    EXPECT_TRUE(m_kernel.current().active());
}

TEST_P(AwayAnswers, booking_corrects_the_span_and_the_session_goes_on)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zov::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(m_kernel.away_book(q, "Lunch"));
    const std::vector<std::string> expected = {
        zovSession("K", at("2026-03-10T12:03:00"), at("2026-03-10T13:10:00"))
            .reverse()
            .to_file_string(),
        session("Lunch", "2026-03-10T12:03:00", "2026-03-10T13:10:00"),
        session("K", "2026-03-10T09:00:00", "2026-03-10T13:10:00"),
    };
    EXPECT_EQ(expected, lines("HOURS.TSK"));
    const zovCurrent& current = m_kernel.current();
    EXPECT_TRUE(current.active());
    EXPECT_EQ("K", current.task());
    EXPECT_EQ(local("2026-03-10T13:10:00"), shown(current.time()));
    EXPECT_TRUE(lines("LOGINOUT.TSK").size() == 1) << "no log-out stamped";
    zovtest::expect_recorded_at_most_once(m_dir.file("HOURS.TSK"));
}

TEST_P(AwayAnswers, booking_refuses_a_name_that_is_no_task_name)
{
    ASSERT_TRUE(m_kernel.login("K"));
    m_clock.set("2026-03-10T13:11:00");
    for (const char* bad : {"", "two words", "%comment"})
        EXPECT_FALSE(m_kernel.away_book(Lunch(), bad)) << bad;
    EXPECT_TRUE(lines("HOURS.TSK").empty());
}

// A booking answered in the very second of the return must not end K.
TEST_P(AwayAnswers, booking_at_the_instant_of_return_still_lets_the_session_go_on)
{
    ASSERT_TRUE(m_kernel.login("K"));
    m_clock.set("2026-03-10T13:10:00");
    ASSERT_TRUE(m_kernel.away_book(Lunch(), "Lunch"));
    EXPECT_TRUE(m_kernel.current().active());
    EXPECT_EQ("K", m_kernel.current().task());
}

// The daily log-out at 17:00 fell inside the absence: it acts first (the
// window runs the check before booking), then the part before it is booked,
// and nothing runs on afterwards.
TEST_P(AwayAnswers, booking_with_a_daily_log_out_inside_keeps_the_log_out)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zov::away_question q =
        zov::question_for(at("2026-03-10T16:30:00"), at("2026-03-10T18:00:00"),
                              {true, "K", at("2026-03-10T09:00:00")}, h17, 15);
    ASSERT_TRUE(q.ask);
    m_clock.set("2026-03-10T18:01:00");
    daily_log_out_at_17();
    ASSERT_TRUE(m_kernel.apply_due_logout());
    ASSERT_TRUE(m_kernel.away_book(q, "Errand"));
    const std::vector<std::string> expected = {
        session("K", "2026-03-10T09:00:00", "2026-03-10T17:00:00"),
        zovSession("K", at("2026-03-10T16:30:00"), at("2026-03-10T17:00:00"))
            .reverse()
            .to_file_string(),
        session("Errand", "2026-03-10T16:30:00", "2026-03-10T17:00:00"),
    };
    EXPECT_EQ(expected, lines("HOURS.TSK"));
    EXPECT_FALSE(m_kernel.current().active());
    EXPECT_EQ("LOGOUT " + local("2026-03-10T17:00:00"), lines("LOGINOUT.TSK").back());
}

// The settings file as the toolkit's file configuration writes it: the
// program's entries come before any group; values it cannot use read as the
// defaults.
TEST(Settings, reads_the_entries_the_options_page_writes)
{
    struct Case
    {
        const char* what;
        const char* text;
        long auto_logout;
        long ask_away;
        std::int64_t set_at;  // 0: unset
    };
    const std::vector<Case> cases = {
        {"none", "", -61200, 15, 0},
        {"as written", "AutoLogout=61200\nAskAway=30\nAutoLogoutSet=1765400000\n", 61200, 30, 1765400000},
        {"switched off", "AutoLogout=-64800\n", -64800, 15, 0},
        {"blanks around", "  AutoLogout = 61200 \r\n", 61200, 15, 0},
        {"quoted by the toolkit", "AutoLogout=\" 61200 \"\n", 61200, 15, 0},
        {"comments", "; a comment\n# another\nAutoLogout=61200\n", 61200, 15, 0},
        {"a group's entries are not the program's", "[Dialog]\nAutoLogout=61200\n", -61200, 15, 0},
        {"entries before a group", "AutoLogout=3600\n[Dialog]\nWidth=500\n", 3600, 15, 0},
        {"beyond a day", "AutoLogout=90000\n", -61200, 15, 0},
        {"not a number", "AutoLogout=17:00\nAskAway=x\n", -61200, 15, 0},
        {"trailing junk", "AutoLogout=61200x\n", -61200, 15, 0},
        {"away out of range", "AskAway=241\n", -61200, 15, 0},
        {"away off", "AskAway=-20\n", -61200, -20, 0},
        {"other keys", "Autologout=61200\nAutoLogoutX=1\n", -61200, 15, 0},
    };
    for (const Case& c : cases) {
        const zovSettings s = zovSettings::parse(c.text);
        EXPECT_EQ(c.auto_logout, s.auto_logout) << c.what;
        EXPECT_EQ(c.ask_away, s.ask_away) << c.what;
        EXPECT_EQ(c.set_at, s.auto_logout_set.is_not_a_date_time() ? 0 : s.auto_logout_set.to_time_t()) << c.what;
    }
    // A missing file, a folder: the defaults.
    TempDir dir;
    EXPECT_EQ(-61200, zovSettings::read(dir.file("missing.conf")).auto_logout);
    EXPECT_EQ(-61200, zovSettings::read(dir.path()).auto_logout);
    EXPECT_EQ(-61200, zovSettings::read("").auto_logout);
}

// A data folder with its own settings file, for the operations' rules.
class KernelRules : public ::testing::TestWithParam<const char*>
{
protected:
    KernelRules()
        : m_tz(GetParam()), m_clock("2026-03-10T08:00:00"), m_kernel(m_dir.path(), m_dir.file("Zovaro.conf"))
    {
    }
    void settings(const std::string& text) { zovtest::write_file(m_dir.file("Zovaro.conf"), text); }
    std::vector<std::string> lines(const char* name) const
    {
        std::vector<std::string> out;
        for (const std::string& line : zovtest::read_lines(m_dir.file(name)))
            if (!line.empty() && line[0] != '%')
                out.push_back(line);
        return out;
    }
    std::string state() const { return zovtest::read_file(m_dir.file("CURRENT.TSK")); }
    static std::string state(const char* task, const char* time, bool active)
    {
        return std::string(task) + " " + local(time) + (active ? " ACTIVE\n" : " INACTIVE\n");
    }
    static std::string session(const char* task, const char* begin, const char* end)
    {
        return zovSession(task, at(begin), at(end)).to_file_string();
    }
    // Everything in the folder but the lock, the index and the settings.
    std::map<std::string, std::string> files() const
    {
        std::map<std::string, std::string> all;
        for (const std::string& name : zovtest::folder_entries(m_dir.path()))
            if (name[0] != '.' && name != "Zovaro.conf")
                all[name] = zovtest::read_file(m_dir.file(name));
        return all;
    }

    TzGuard m_tz;
    FixedClock m_clock;
    TempDir m_dir;
    zovKernel m_kernel;
};

INSTANTIATE_TEST_SUITE_P(Zones, KernelRules, ::testing::ValuesIn(zovtest::test_zones), zovtest::zone_name);

// Logged in to Alpha at 08:00 with the daily log-out at 17:00: whatever
// comes first at 18:00, any change or any reader that reports the running
// session, finds Alpha closed at 17:00 with its log-out stamped, exactly as if
// a program had been running then; and then does what it does logged out.
TEST_P(KernelRules, every_operation_makes_up_a_due_daily_log_out_first)
{
    struct Case
    {
        const char* what;
        std::function<bool(zovKernel&)> op;
        std::string state_after;           // CURRENT.TSK afterwards
        std::vector<std::string> more;     // HOURS.TSK lines after Alpha's
        std::vector<std::string> stamps;   // LOGINOUT.TSK lines after the log-out
    };
    const std::vector<Case> cases = {
        {"next", [](zovKernel& k) { return k.next("Beta"); }, state("Beta", "2026-03-10T18:00:00", false), {}, {}},
        {"login", [](zovKernel& k) { return k.login("Beta"); }, state("Beta", "2026-03-10T18:00:00", true), {},
         {"LOGIN " + local("2026-03-10T18:00:00")}},
        {"logout", [](zovKernel& k) { return k.logout(); }, state("Alpha", "2026-03-10T17:00:00", false), {}, {}},
        {"the due log-out itself", [](zovKernel& k) { return k.apply_due_logout(); },
         state("Alpha", "2026-03-10T17:00:00", false), {}, {}},
        {"the state", [](zovKernel& k) { return !k.current().active(); }, state("Alpha", "2026-03-10T17:00:00", false),
         {}, {}},
        {"a snapshot",
         [](zovKernel& k) {
             const zovSnapshot s = k.snapshot(at("2026-03-10T00:00:00"), at("2026-03-11T00:00:00"));
             return !s.current.active() && s.hours.begin() != s.hours.end();
         },
         state("Alpha", "2026-03-10T17:00:00", false), {}, {}},
        {"a week",
         [](zovKernel& k) {
             zovTimeSheet sheet(at("2026-03-10T12:00:00").to_week_number(), at("2026-03-10T12:00:00").to_year_number());
             return std::abs(k.tsheet(sheet) - 9.0) < 1e-9;
         },
         state("Alpha", "2026-03-10T17:00:00", false), {}, {}},
        {"a correction",
         [](zovKernel& k) {
             zovSinkHours out;
             return k.session(zovSession("Beta", at("2026-03-10T17:30:00"), at("2026-03-10T17:45:00")), out);
         },
         state("Alpha", "2026-03-10T17:00:00", false), {session("Beta", "2026-03-10T17:30:00", "2026-03-10T17:45:00")},
         {}},
        {"a correction kept active",
         [](zovKernel& k) {
             zovSinkHours out;
             return k.correct(zovSession("Beta", at("2026-03-10T17:30:00"), at("2026-03-10T18:00:00")), true, out);
         },
         state("Beta", "2026-03-10T18:00:00", true), {session("Beta", "2026-03-10T17:30:00", "2026-03-10T18:00:00")},
         {"LOGIN " + local("2026-03-10T18:00:00")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        m_clock.set("2026-03-10T08:00:00");
        zovtest::write_file(dir.file("Zovaro.conf"), "AutoLogout=61200\n");
        zovKernel k(dir.path(), dir.file("Zovaro.conf"));
        ASSERT_TRUE(k.login("Alpha"));
        m_clock.set("2026-03-10T18:00:00");
        EXPECT_TRUE(c.op(k));
        std::vector<std::string> hours = {session("Alpha", "2026-03-10T08:00:00", "2026-03-10T17:00:00")};
        hours.insert(hours.end(), c.more.begin(), c.more.end());
        std::vector<std::string> stamps = {"LOGIN " + local("2026-03-10T08:00:00"),
                                           "LOGOUT " + local("2026-03-10T17:00:00")};
        stamps.insert(stamps.end(), c.stamps.begin(), c.stamps.end());
        std::vector<std::string> written = session_lines(dir.file("HOURS.TSK"));
        EXPECT_EQ(hours, written);
        EXPECT_EQ(stamps, zovtest::read_lines(dir.file("LOGINOUT.TSK")));
        EXPECT_EQ(c.state_after, zovtest::read_file(dir.file("CURRENT.TSK")));
    }
}

// Switched off, or switched on only after the log-out time passed: the
// session runs on, whatever reads or changes the files.
TEST_P(KernelRules, a_log_out_that_is_not_due_is_not_made_up)
{
    for (const char* text : {"AutoLogout=-61200\n", "AutoLogout=0\n", "",
                             "AutoLogout=61200\nAutoLogoutSet=" /* set at 17:30 */}) {
        std::string conf = text;
        if (conf.find("AutoLogoutSet=") != std::string::npos)
            conf += std::to_string(at("2026-03-10T17:30:00").to_time_t()) + "\n";
        TempDir dir;
        m_clock.set("2026-03-10T08:00:00");
        zovtest::write_file(dir.file("Zovaro.conf"), conf);
        zovKernel k(dir.path(), dir.file("Zovaro.conf"));
        ASSERT_TRUE(k.login("Alpha"));
        m_clock.set("2026-03-10T18:00:00");
        EXPECT_TRUE(k.current().active()) << conf;
        EXPECT_FALSE(k.apply_due_logout()) << conf;
        EXPECT_EQ(zovKernel::error::none, k.last_error()) << conf;
        EXPECT_EQ(1u, zovtest::read_lines(dir.file("LOGINOUT.TSK")).size()) << conf;
    }
}

// "Close the session that began at T": when another runs, or none, nothing
// is written and the caller hears so.
TEST_P(KernelRules, a_log_out_of_a_session_that_no_longer_runs_writes_nothing)
{
    ASSERT_TRUE(m_kernel.login("Alpha"));
    m_clock.set("2026-03-10T12:30:00");
    ASSERT_TRUE(m_kernel.next("Beta"));  // another program, say
    const auto before = files();
    EXPECT_FALSE(m_kernel.logout(at("2026-03-10T12:03:00"), at("2026-03-10T08:00:00")));
    EXPECT_EQ(zovKernel::error::changed, m_kernel.last_error());
    EXPECT_EQ(before, files());
    ASSERT_TRUE(m_kernel.logout());
    EXPECT_FALSE(m_kernel.logout(at("2026-03-10T12:30:00"), at("2026-03-10T12:30:00")));
    EXPECT_EQ(zovKernel::error::changed, m_kernel.last_error());
}

// A correction ends at the latest now and lies within the dates the files
// can hold; anything else is refused with the bound named, and nothing is
// written.
TEST_P(KernelRules, a_correction_outside_its_bounds_is_refused_and_writes_nothing)
{
    ASSERT_TRUE(m_kernel.login("Alpha"));
    m_clock.set("2026-03-10T14:30:00");
    const auto before = files();
    struct Case
    {
        const char* what;
        vu_datetime from;
        vu_datetime until;
        bool keep_active;
        const char* names;  // a part of the message
    };
    vu_datetime year_10000, year_0;
    year_10000.set_time_t(253402300800LL + 86400);  // 10000-01-02
    year_0.set_time_t(-62167219200LL);              // 0000-01-01
    const std::vector<Case> cases = {
        {"into the next hour", at("2026-03-10T14:00:00"), at("2026-03-10T15:00:00"), false, "at the latest now"},
        {"one second after now", at("2026-03-10T14:00:00"), at("2026-03-10T14:30:01"), false, "at the latest now"},
        {"kept active, still not past now", at("2026-03-10T14:00:00"), at("2026-03-10T15:00:00"), true,
         "at the latest now"},
        {"year 9999", at("9999-12-30T00:00:00"), at("9999-12-30T01:00:00"), false, "at the latest now"},
        {"year 10000", at("2026-03-10T14:00:00"), year_10000, false, "0000-01-02 and 9999-12-30"},
        {"year 0", year_0, at("2026-03-10T14:00:00"), false, "0000-01-02 and 9999-12-30"},
    };
    for (const Case& c : cases) {
        zovSinkHours out;
        EXPECT_FALSE(m_kernel.correct(zovSession("Meeting", c.from, c.until), c.keep_active, out)) << c.what;
        EXPECT_EQ(zovKernel::error::bad_range, m_kernel.last_error()) << c.what;
        EXPECT_NE(std::string::npos, m_kernel.message().find(c.names)) << c.what << ": " << m_kernel.message();
        EXPECT_TRUE(out.begin() == out.end()) << c.what;
        EXPECT_EQ(before, files()) << c.what;
    }
    zovSinkHours out;
    EXPECT_FALSE(m_kernel.cancel(at("2026-03-10T14:00:00"), at("2026-03-10T15:00:00"), out));
    EXPECT_EQ(before, files());
    // Up to now exactly: accepted.
    EXPECT_TRUE(m_kernel.session(zovSession("Meeting", at("2026-03-10T14:00:00"), at("2026-03-10T14:30:00")), out));
}

// At 14:30 a meeting entered for 14:00-14:30 that went on: the log-in at
// 14:35 must not count 14:35-15:00 twice. Now it cannot even be entered
// past now; entered up to now it ends the running session there.
TEST_P(KernelRules, a_correction_up_to_now_then_a_log_in_counts_nothing_twice)
{
    ASSERT_TRUE(m_kernel.login("Alpha"));
    m_clock.set("2026-03-10T14:30:00");
    zovSinkHours out;
    ASSERT_FALSE(m_kernel.session(zovSession("Meeting", at("2026-03-10T14:00:00"), at("2026-03-10T15:00:00")), out));
    ASSERT_TRUE(m_kernel.session(zovSession("Meeting", at("2026-03-10T14:00:00"), at("2026-03-10T14:30:00")), out));
    m_clock.set("2026-03-10T14:35:00");
    ASSERT_TRUE(m_kernel.login("Alpha"));
    m_clock.set("2026-03-10T15:00:00");
    ASSERT_TRUE(m_kernel.logout());
    const zovSnapshot day = m_kernel.snapshot(at("2026-03-10T00:00:00"), at("2026-03-11T00:00:00"));
    std::map<std::string, double> net;
    for (const zovSession& s : day.hours)
        net[s.task()] += s.hours();
    EXPECT_NEAR(6.0 + 25.0 / 60.0, net["Alpha"], 1e-9);
    EXPECT_NEAR(0.5, net["Meeting"], 1e-9);
    zovtest::expect_recorded_at_most_once(m_dir.file("HOURS.TSK"));
}

// "Active": one call records the session and leaves its task running.
TEST_P(KernelRules, a_correction_kept_active_leaves_its_task_running)
{
    struct Case
    {
        const char* what;
        const char* running;  // "": logged out; else the task running since 08:00
        std::vector<std::string> lines;
        std::string state;
        std::vector<std::string> stamps;  // after the first LOGIN/LOGOUT pair
    };
    const std::vector<Case> cases = {
        {"another task ran", "Alpha",
         {zovSession("Alpha", at("2026-03-10T10:07:00"), at("2026-03-10T09:00:00")).to_file_string(),
          session("Beta", "2026-03-10T09:00:00", "2026-03-10T10:07:00"),
          session("Alpha", "2026-03-10T08:00:00", "2026-03-10T10:07:00")},
         state("Beta", "2026-03-10T10:07:00", true), {}},
        {"the same task ran", "Beta",
         {zovSession("Beta", at("2026-03-10T10:07:00"), at("2026-03-10T09:00:00")).to_file_string(),
          session("Beta", "2026-03-10T09:00:00", "2026-03-10T10:07:00"),
          session("Beta", "2026-03-10T08:00:00", "2026-03-10T10:07:00")},
         state("Beta", "2026-03-10T10:07:00", true), {}},
        {"logged out", "",
         {session("Beta", "2026-03-10T09:00:00", "2026-03-10T10:07:00")},
         state("Beta", "2026-03-10T10:07:42", true), {"LOGIN " + local("2026-03-10T10:07:42")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        zovKernel k(dir.path(), "");
        m_clock.set("2026-03-10T08:00:00");
        std::vector<std::string> stamps;
        if (*c.running) {
            ASSERT_TRUE(k.login(c.running));
            stamps.push_back("LOGIN " + local("2026-03-10T08:00:00"));
        }
        m_clock.set("2026-03-10T10:07:42");
        zovSinkHours out;
        ASSERT_TRUE(k.correct(zovSession("Beta", at("2026-03-10T09:00:00"), at("2026-03-10T10:07:00")), true, out));
        std::vector<std::string> hours = session_lines(dir.file("HOURS.TSK"));
        EXPECT_EQ(c.lines, hours);
        EXPECT_EQ(c.state, zovtest::read_file(dir.file("CURRENT.TSK")));
        stamps.insert(stamps.end(), c.stamps.begin(), c.stamps.end());
        EXPECT_EQ(stamps, zovtest::read_lines(dir.file("LOGINOUT.TSK")));
    }
}

// The data folder belongs to the kernel: two on two folders in one process
// never write into each other's files.
TEST_P(KernelRules, two_kernels_on_two_folders_in_one_process)
{
    TempDir other;
    zovKernel second(other.path(), "");
    ASSERT_TRUE(m_kernel.login("Alpha"));
    ASSERT_TRUE(second.login("Beta"));
    m_clock.set("2026-03-10T09:00:00");
    ASSERT_TRUE(m_kernel.logout());
    EXPECT_EQ(m_dir.path(), m_kernel.dir());
    EXPECT_EQ(other.path(), second.dir());
    EXPECT_EQ(std::vector<std::string>{session("Alpha", "2026-03-10T08:00:00", "2026-03-10T09:00:00")},
              lines("HOURS.TSK"));
    EXPECT_EQ(std::vector<std::string>{"% task hours t1 t2"}, zovtest::read_lines(other.file("HOURS.TSK")));
    EXPECT_TRUE(second.current().active());
    EXPECT_EQ("Beta", second.current().task());
    EXPECT_FALSE(m_kernel.current().active());
    // A dry run writes nothing, in either folder.
    const auto before = files();
    zovSinkHours out;
    ASSERT_TRUE(m_kernel.correct(zovSession("Gamma", at("2026-03-10T08:30:00"), at("2026-03-10T09:00:00")), false,
                                 out, true));
    EXPECT_EQ(2, std::distance(out.begin(), out.end()));
    EXPECT_EQ(before, files());
}
