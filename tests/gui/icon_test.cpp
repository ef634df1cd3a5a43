// The tray icon: tooltip and picture, the five-second gate, the daily
// automatic log-out, all under a fixed clock.

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "gui_support.h"
#include "zovTaskBarIcon.h"

using zovgui::AppTest;
using zovtest::FixedClock;
using zovtest::TzGuard;

class IconTest : public AppTest
{
protected:
    IconTest() : m_tz("America/New_York"), m_clock("2026-03-13T16:00:00") {}

    zovTaskBarIcon& Icon() const { return *App().GetIcon(); }
    zovKernel& Kernel() const { return *App().GetKernel(); }
    void Move()
    {
        wxTaskBarIconEvent move(wxEVT_TASKBAR_MOVE, &Icon());
        Icon().ProcessEvent(move);
    }
    bool Active() const { return Kernel().current().active(); }

    TzGuard m_tz;
    FixedClock m_clock;
};

TEST_F(IconTest, mouse_movement_updates_at_most_once_per_five_seconds)
{
    EXPECT_EQ("DEFAULT - Sleeping", Icon().GetTooltip());
    ASSERT_TRUE(Kernel().login("Alpha"));

    m_clock.advance(5);
    Move();
    EXPECT_EQ("DEFAULT - Sleeping", Icon().GetTooltip()) << "five seconds are not more than five";
    m_clock.advance(1);
    Move();
    EXPECT_EQ("Alpha - Working 0.0h", Icon().GetTooltip());
    EXPECT_TRUE(Icon().ShowsWorking());

    m_clock.advance(90 * 60);
    ASSERT_TRUE(Kernel().logout());
    m_clock.set(Icon().GetLastUpdate().to_time_t() + 3);  // too soon for the mouse
    Move();
    EXPECT_EQ("Alpha - Working 0.0h", Icon().GetTooltip());
    // A forced update (the page's refresh) is never held back.
    Icon().UpdateIcon(true);
    EXPECT_EQ("Alpha - Sleeping", Icon().GetTooltip());
    EXPECT_FALSE(Icon().ShowsWorking());
}

TEST_F(IconTest, working_tooltip_shows_the_hours_since_the_session_began)
{
    ASSERT_TRUE(Kernel().login("Alpha"));
    m_clock.advance(90 * 60);
    Icon().UpdateIcon(false);
    EXPECT_EQ("Alpha - Working 1.5h", Icon().GetTooltip());
}

TEST_F(IconTest, the_timer_update_logs_out_inside_the_window_after_the_set_time)
{
    App().SetAutoLogout(17 * 3600);
    ASSERT_TRUE(Kernel().login("Alpha"));

    m_clock.set("2026-03-13T17:00:00");
    Icon().UpdateIcon(false);
    EXPECT_TRUE(Active()) << "17:00:00 exactly is not yet inside";

    m_clock.set("2026-03-13T17:00:40");
    Icon().UpdateIcon(false);
    EXPECT_FALSE(Active());
    EXPECT_EQ("Alpha - Sleeping", Icon().GetTooltip());
    ASSERT_EQ(1u, zovgui::data_lines(Kernel().dir() + "HOURS.TSK").size());

    // Logged in again at 17:01:10: the next update before 17:02:00 logs out again.
    m_clock.set("2026-03-13T17:01:10");
    ASSERT_TRUE(Kernel().login("Beta"));
    m_clock.set("2026-03-13T17:01:59");
    Icon().UpdateIcon(false);
    EXPECT_FALSE(Active());

    ASSERT_TRUE(Kernel().login("Gamma"));
    m_clock.set("2026-03-13T17:02:00");
    Icon().UpdateIcon(true);
    EXPECT_TRUE(Active()) << "17:02:00 is past the window";
}

TEST_F(IconTest, no_log_out_at_zero_or_when_switched_off)
{
    for (const long setting : {0L, -17L * 3600}) {
        App().SetAutoLogout(setting);
        ASSERT_TRUE(Kernel().login("Alpha"));
        for (const char* time : {"2026-03-13T00:00:30", "2026-03-13T17:00:30"}) {
            m_clock.set(time);
            Icon().UpdateIcon(true);
            EXPECT_TRUE(Active()) << setting << " at " << time;
        }
    }
}

TEST_F(IconTest, the_start_up_update_runs_the_log_out_check)
{
    App().SetAutoLogout(17 * 3600);
    ASSERT_TRUE(Kernel().login("Alpha"));
    m_clock.set("2026-03-13T17:01:00");
    Restart();
    EXPECT_FALSE(Active());
    EXPECT_EQ("Alpha - Sleeping", Icon().GetTooltip());
}
