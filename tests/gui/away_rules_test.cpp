// Away time as the tray words and senses it, without windows: how the
// question reads, and when sampled idleness makes an absence. Which part is
// asked about and what an answer writes are the kernel's (kernel_rules_test).

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "test_support.h"
#include "zovAwayTexts.h"
#include "zovTrayRules.h"

using zovtest::at;
using zovtest::TzGuard;

namespace {

const long off = -61200;   // daily log-out switched off

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
    zovtray::away_question q = zov::question_for(
        at("2026-03-10T12:03:50"), at("2026-03-10T13:10:10"), running, off, 15);
    ASSERT_TRUE(q.ask);
    // The span between the minutes shown, whatever the seconds were.
    EXPECT_EQ("You were away from 12:03 to 13:10 (1:07) while \"K\" was running.",
              zovtray::away_text(q));
    EXPECT_EQ("Keep it", zovtray::keep_label());
    EXPECT_EQ("Log out at 12:03", zovtray::log_out_label(q));
    EXPECT_EQ("Book it to Lunch and go on with K", zovtray::book_label("Lunch", q));
    EXPECT_EQ("Book it to ... and go on with K", zovtray::book_label("", q));

    q = zov::question_for(at("2026-12-31T18:30:00"), at("2027-01-02T08:05:00"), running, off,
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

