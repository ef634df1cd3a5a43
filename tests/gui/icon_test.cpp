// The tray icon: tooltip and picture, the five-second gate, the daily
// automatic log-out, all under a fixed clock.

#include <gio/gio.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <zovkernel.h>

#include "gui_support.h"
#include "zovResumeWatch.h"
#include "zovTaskBarIcon.h"

using zovgui::AppTest;
using zovtest::at;
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
    // One tick of the icon's minute timer.
    void Tick()
    {
        wxTimerEvent tick(Icon().GetTimer());
        Icon().ProcessEvent(tick);
    }
    std::vector<std::string> Hours() const
    {
        return zovgui::data_lines(Kernel().dir() + "HOURS.TSK");
    }
    std::vector<std::string> Stamps() const
    {
        return zovgui::data_lines(Kernel().dir() + "LOGINOUT.TSK");
    }
    static std::string line(const std::string& task, const char* begin, const char* end)
    {
        return zovSession(task, at(begin), at(end)).to_file_string();
    }

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

TEST_F(IconTest, the_timer_update_closes_the_session_at_exactly_the_log_out_time)
{
    App().SetAutoLogout(17 * 3600);
    ASSERT_TRUE(Kernel().login("Alpha"));

    m_clock.set("2026-03-13T16:59:59");
    Tick();
    EXPECT_TRUE(Active());

    // However late the minute timer comes, the session ends at 17:00:00.
    m_clock.set("2026-03-13T17:00:40");
    Tick();
    EXPECT_FALSE(Active());
    EXPECT_EQ("Alpha - Sleeping", Icon().GetTooltip());
    EXPECT_FALSE(Icon().ShowsWorking());
    EXPECT_EQ(std::vector<std::string>{line("Alpha", "2026-03-13T16:00:00", "2026-03-13T17:00:00")},
              Hours());
    EXPECT_EQ("LOGOUT " + at("2026-03-13T17:00:00").to_readable_datetime_string(), Stamps().back());
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

TEST_F(IconTest, a_session_left_running_at_exit_is_closed_at_the_log_out_time_on_start_up)
{
    App().SetAutoLogout(17 * 3600);
    ASSERT_TRUE(Kernel().login("Alpha"));
    // The program ends at 16:30 and starts again the next morning.
    m_clock.set("2026-03-13T16:30:00");
    Restart();
    EXPECT_TRUE(Active());
    m_clock.set("2026-03-14T08:15:00");
    Restart();
    EXPECT_FALSE(Active());
    EXPECT_EQ("Alpha - Sleeping", Icon().GetTooltip());
    EXPECT_EQ(std::vector<std::string>{line("Alpha", "2026-03-13T16:00:00", "2026-03-13T17:00:00")},
              Hours());
    EXPECT_EQ("LOGOUT " + at("2026-03-13T17:00:00").to_readable_datetime_string(), Stamps().back());
}

namespace {

// A private message bus standing in for the system bus, for the life of the object.
class PrivateSystemBus
{
public:
    // A message bus of its own (not GTestDBus: that one takes over the
    // session bus, which the program holds for its tray item).
    PrivateSystemBus()
    {
        const char* system = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        m_system = system ? system : "";
        gchar* argv[] = {const_cast<gchar*>("dbus-daemon"), const_cast<gchar*>("--session"),
                         const_cast<gchar*>("--nofork"), const_cast<gchar*>("--print-address"), nullptr};
        gint out = -1;
        GError* error = nullptr;
        if (!g_spawn_async_with_pipes(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &m_daemon,
                                      nullptr, &out, nullptr, &error)) {
            ADD_FAILURE() << "dbus-daemon: " << (error ? error->message : "");
            if (error)
                g_error_free(error);
            return;
        }
        char c;
        while (::read(out, &c, 1) == 1 && c != '\n')
            m_address += c;
        ::close(out);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.c_str(), 1);
        m_peer = g_dbus_connection_new_for_address_sync(
            m_address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                              | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        EXPECT_NE(nullptr, m_peer) << (error ? error->message : "");
        if (error)
            g_error_free(error);
    }
    ~PrivateSystemBus()
    {
        if (m_peer) {
            g_dbus_connection_close_sync(m_peer, nullptr, nullptr);
            g_object_unref(m_peer);
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_system.c_str(), 1);
        if (m_daemon > 0) {
            ::kill(m_daemon, SIGTERM);
            ::waitpid(m_daemon, nullptr, 0);
            g_spawn_close_pid(m_daemon);
        }
    }
    // logind's word before sleep (true) and after waking (false).
    void PrepareForSleep(bool going)
    {
        ASSERT_TRUE(g_dbus_connection_emit_signal(m_peer, nullptr, "/org/freedesktop/login1",
                                                  "org.freedesktop.login1.Manager",
                                                  "PrepareForSleep",
                                                  g_variant_new("(b)", going ? TRUE : FALSE),
                                                  nullptr));
        g_dbus_connection_flush_sync(m_peer, nullptr, nullptr);
    }

private:
    GPid m_daemon = 0;
    GDBusConnection* m_peer = nullptr;
    std::string m_address;
    std::string m_system;
};

// Runs the toolkit's loop until the condition holds, at most `rounds` times 20 ms.
bool spin_until(const std::function<bool()>& condition, int rounds = 250)
{
    for (int i = 0; i < rounds && !condition(); ++i) {
        zovgui::settle_idle();
        wxMilliSleep(20);
    }
    return condition();
}

}  // namespace

TEST_F(IconTest, waking_from_sleep_closes_a_session_the_computer_slept_through_at_once)
{
    PrivateSystemBus bus;
    App().SetAutoLogout(17 * 3600);
    ASSERT_TRUE(Kernel().login("Alpha"));
    Restart();  // the program now watches the private bus
    ASSERT_TRUE(spin_until([this] { return App().GetResumeWatch()->Listening(); }));
    // Asleep at 16:30 (the timer's last tick), awake the next morning.
    m_clock.set("2026-03-13T16:30:00");
    Icon().UpdateIcon(true);
    bus.PrepareForSleep(true);
    spin_until([] { return false; }, 10);  // delivered by now
    EXPECT_TRUE(Active()) << "going to sleep is no reason to log out";
    m_clock.set("2026-03-14T08:30:00");

    bus.PrepareForSleep(false);
    // The icon shows it without waiting for the minute's tick (any read of
    // the state would make up the log-out; the tooltip changes only when the
    // icon updates).
    EXPECT_TRUE(spin_until([this] { return Icon().GetTooltip() == "Alpha - Sleeping"; }));
    EXPECT_FALSE(Active());
    EXPECT_EQ(std::vector<std::string>{line("Alpha", "2026-03-13T16:00:00", "2026-03-13T17:00:00")},
              Hours());

    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zov-test-no-bus", 1);
    Restart();  // lets go of the bus before it goes down
}
