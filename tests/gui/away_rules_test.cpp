// Away time, without windows: which part of an absence is asked about, how
// the question reads, when sampled idleness makes an absence, and what each
// answer writes. Local wall times, in every test zone.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "test_support.h"
#include "zovAwayRules.h"
#include "zovTrayRules.h"

using zovtest::at;
using zovtest::FixedClock;
using zovtest::TempDir;
using zovtest::TzGuard;

namespace {

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

class AwayRules : public ::testing::TestWithParam<const char*>
{
protected:
    AwayRules() : m_tz(GetParam()) {}
    TzGuard m_tz;
};

INSTANTIATE_TEST_SUITE_P(Zones, AwayRules, ::testing::ValuesIn(zovtest::test_zones),
                         zovtest::zone_name);

// {left, back, state on return, settings} -> asked span ("" from: no question).
TEST_P(AwayRules, the_question_covers_the_running_part_before_any_daily_log_out)
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
        const zovtray::away_state state{c.active, "K", at(c.since)};
        const zovtray::away_question q =
            zovtray::question_for(at(c.left), at(c.back), state, c.auto_logout, c.ask);
        EXPECT_EQ(*c.from != 0, q.ask) << c.what;
        EXPECT_EQ(local(c.from), q.ask ? shown(q.from) : "") << c.what;
        EXPECT_EQ(local(c.until), q.ask ? shown(q.until) : "") << c.what;
        if (q.ask) {
            EXPECT_EQ("K", q.task) << c.what;
        }
    }
}

TEST_P(AwayRules, a_second_absence_widens_the_open_question)
{
    const zovtray::away_state running{true, "K", at("2026-03-10T09:00:00")};
    const zovtray::away_question open = zovtray::question_for(
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
        const zovtray::away_state state{c.active, "K", at("2026-03-10T09:00:00")};
        const zovtray::away_question q =
            zovtray::extended(open, at(c.left), at(c.back), state, off, 15);
        EXPECT_TRUE(q.ask) << c.what;
        EXPECT_EQ(local(c.from), shown(q.from)) << c.what;
        EXPECT_EQ(local(c.until), shown(q.until)) << c.what;
    }
}

// Samples of the idle time, a minute apart: an absence is over when input
// came after at least five minutes without any.
TEST_P(AwayRules, sampled_idleness_makes_an_absence_once_input_returns)
{
    struct Case
    {
        const char* what;
        const char* previous;
        long previous_idle;
        const char* latest;
        long latest_idle;
        const char* left;
        const char* back;
    };
    const std::vector<Case> cases = {
        {"16 minutes, back", "2026-03-10T12:19:00", 960, "2026-03-10T12:20:00", 30,
         "2026-03-10T12:03:00", "2026-03-10T12:19:30"},
        {"still away", "2026-03-10T12:19:00", 960, "2026-03-10T12:20:00", 1020, "", ""},
        {"four minutes is no absence", "2026-03-10T12:19:00", 240, "2026-03-10T12:20:00", 10,
         "", ""},
        {"five minutes is", "2026-03-10T12:19:00", 300, "2026-03-10T12:20:00", 10,
         "2026-03-10T12:14:00", "2026-03-10T12:19:50"},
        {"no earlier sample", "", 0, "2026-03-10T12:20:00", 10, "", ""},
        {"across midnight", "2026-12-31T23:59:00", 3600, "2027-01-01T00:00:00", 0,
         "2026-12-31T22:59:00", "2027-01-01T00:00:00"},
    };
    for (const Case& c : cases) {
        zovtray::idle_sample previous;
        if (*c.previous)
            previous = {at(c.previous), c.previous_idle};
        const zovtray::idle_sample latest{at(c.latest), c.latest_idle};
        vu_datetime left, back;
        const bool over = zovtray::idle_absence(previous, latest, 300, left, back);
        EXPECT_EQ(*c.left != 0, over) << c.what;
        if (over) {
            EXPECT_EQ(local(c.left), shown(left)) << c.what;
            EXPECT_EQ(local(c.back), shown(back)) << c.what;
        }
    }
}

TEST_P(AwayRules, the_question_and_its_answers_read_as_the_clock_showed)
{
    const zovtray::away_state running{true, "K", at("2026-03-10T09:00:00")};
    zovtray::away_question q = zovtray::question_for(
        at("2026-03-10T12:03:50"), at("2026-03-10T13:10:10"), running, off, 15);
    ASSERT_TRUE(q.ask);
    // The span between the minutes shown, whatever the seconds were.
    EXPECT_EQ("You were away from 12:03 to 13:10 (1:07) while \"K\" was running.",
              zovtray::away_text(q));
    EXPECT_EQ("Keep it", zovtray::keep_label());
    EXPECT_EQ("Log out at 12:03", zovtray::log_out_label(q));
    EXPECT_EQ("Book it to Lunch and go on with K", zovtray::book_label("Lunch", q));
    EXPECT_EQ("Book it to ... and go on with K", zovtray::book_label("", q));

    q = zovtray::question_for(at("2026-12-31T18:30:00"), at("2027-01-02T08:05:00"), running, off,
                              15);
    EXPECT_EQ("You were away from 18:30 to 08:05 (37:35) while \"K\" was running.",
              zovtray::away_text(q));
}

TEST(AwayRulesClock, the_span_counts_real_time_across_clock_changes)
{
    for (const zovtest::clock_change_day& day : zovtest::clock_change_days) {
        TzGuard tz(day.zone);
        const long minutes = static_cast<long>(day.hours * 60);
        const std::string expected =
            std::to_string(minutes / 60) + ":" + (minutes % 60 < 10 ? "0" : "")
            + std::to_string(minutes % 60);
        EXPECT_EQ(expected, zovtray::span_text(at(day.day), at(day.next)))
            << day.zone << " " << day.day;
    }
}

TEST(AwayRulesSetting, the_screen_saver_idle_time_is_in_milliseconds_on_kde_only)
{
    struct Case
    {
        const char* desktop;
        long per_second;
    };
    for (const Case& c : std::vector<Case>{{"KDE", 1000},
                                           {"ubuntu:KDE", 1000},
                                           {"KDE:other", 1000},
                                           {"XFCE", 1},
                                           {"KDEish", 1},
                                           {"", 1},
                                           {nullptr, 1}})
        EXPECT_EQ(c.per_second, zovtray::screensaver_idle_per_second(c.desktop))
            << (c.desktop ? c.desktop : "(unset)");
}

TEST(AwayRulesSetting, ask_away_is_off_or_five_to_240_minutes)
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
        EXPECT_EQ(c.usable, zovtray::usable_ask_away(c.stored)) << c.stored;
}

// The answers on a real data folder: exactly these lines, nothing else.
class AwayAnswers : public AwayRules
{
protected:
    AwayAnswers() : m_clock("2026-03-10T09:00:00"), m_kernel(m_dir.path()) {}
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
    zovtray::away_question Lunch()
    {
        return zovtray::question_for(at("2026-03-10T12:03:00"), at("2026-03-10T13:10:00"),
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
    const zovtray::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(zovtray::answer_log_out(m_kernel, q));
    EXPECT_EQ(std::vector<std::string>{session("K", "2026-03-10T09:00:00", "2026-03-10T12:03:00")},
              lines("HOURS.TSK"));
    EXPECT_EQ("LOGOUT " + local("2026-03-10T12:03:00"), lines("LOGINOUT.TSK").back());
    EXPECT_FALSE(m_kernel.current().active());
    // Asked again: the session is gone, nothing more is written.
    EXPECT_FALSE(zovtray::answer_log_out(m_kernel, q));
    EXPECT_EQ(1u, lines("HOURS.TSK").size());
}

// The daily log-out at 17:00 closed the session inside the absence: logging
// out at the moment the user left cancels the rest, as if logged out then.
TEST_P(AwayAnswers, log_out_after_a_daily_log_out_inside_cancels_the_time_after_leaving)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zovtray::away_question q =
        zovtray::question_for(at("2026-03-10T16:30:00"), at("2026-03-10T18:00:00"),
                              {true, "K", at("2026-03-10T09:00:00")}, h17, 15);
    ASSERT_TRUE(q.ask);
    m_clock.set("2026-03-10T18:01:00");
    ASSERT_TRUE(zovtray::apply_auto_logout(m_kernel, h17, at("2026-03-10T18:01:00")));
    ASSERT_TRUE(zovtray::answer_log_out(m_kernel, q));
    const std::vector<std::string> expected = {
        session("K", "2026-03-10T09:00:00", "2026-03-10T17:00:00"),
        zovSession("K", at("2026-03-10T16:30:00"), at("2026-03-10T17:00:00")).reverse().to_file_string(),
    };
    EXPECT_EQ(expected, lines("HOURS.TSK"));
    EXPECT_FALSE(m_kernel.current().active());
    // Asked again: nothing more is written.
    EXPECT_FALSE(zovtray::answer_log_out(m_kernel, q));
    EXPECT_EQ(2u, lines("HOURS.TSK").size());
}

TEST_P(AwayAnswers, log_out_leaves_a_session_begun_since_alone)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zovtray::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(m_kernel.next("L"));
    const std::vector<std::string> before = lines("HOURS.TSK");
    EXPECT_FALSE(zovtray::answer_log_out(m_kernel, q));
    EXPECT_EQ(before, lines("HOURS.TSK"));
    EXPECT_TRUE(m_kernel.current().active());
}

TEST_P(AwayAnswers, booking_corrects_the_span_and_the_session_goes_on)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zovtray::away_question q = Lunch();
    m_clock.set("2026-03-10T13:11:00");
    ASSERT_TRUE(zovtray::answer_book(m_kernel, q, "Lunch"));
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
        EXPECT_FALSE(zovtray::answer_book(m_kernel, Lunch(), bad)) << bad;
    EXPECT_TRUE(lines("HOURS.TSK").empty());
}

// A booking answered in the very second of the return must not end K.
TEST_P(AwayAnswers, booking_at_the_instant_of_return_still_lets_the_session_go_on)
{
    ASSERT_TRUE(m_kernel.login("K"));
    m_clock.set("2026-03-10T13:10:00");
    ASSERT_TRUE(zovtray::answer_book(m_kernel, Lunch(), "Lunch"));
    EXPECT_TRUE(m_kernel.current().active());
    EXPECT_EQ("K", m_kernel.current().task());
}

// The daily log-out at 17:00 fell inside the absence: it acts first (the
// window runs the check before booking), then the part before it is booked,
// and nothing runs on afterwards.
TEST_P(AwayAnswers, booking_with_a_daily_log_out_inside_keeps_the_log_out)
{
    ASSERT_TRUE(m_kernel.login("K"));
    const zovtray::away_question q =
        zovtray::question_for(at("2026-03-10T16:30:00"), at("2026-03-10T18:00:00"),
                              {true, "K", at("2026-03-10T09:00:00")}, h17, 15);
    ASSERT_TRUE(q.ask);
    m_clock.set("2026-03-10T18:01:00");
    ASSERT_TRUE(zovtray::apply_auto_logout(m_kernel, h17, at("2026-03-10T18:01:00")));
    ASSERT_TRUE(zovtray::answer_book(m_kernel, q, "Errand"));
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
