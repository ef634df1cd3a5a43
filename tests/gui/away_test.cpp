// Away time end to end: the desktop's sources mocked by python3-dbusmock on
// private buses (logind on a system bus; the screen saver and the idle
// monitor on a session bus), the question window, and the files each answer
// leaves. The clock is fixed and moved by the test: no real waiting.

#include <gdk/gdk.h>
#include <gio/gio.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <zovkernel.h>

#include "AwayDialog.h"
#include "OptionsPanel.h"
#include "gui_support.h"
#include "wxNotebookAuto.h"
#include "zovAwayWatch.h"
#include "zovResumeWatch.h"
#include "zovTaskBarDialog.h"

using zovgui::AppTest;
using zovgui::click;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

// Runs the toolkit's loop until the condition holds, at most `rounds` times 20 ms.
bool spin_until(const std::function<bool()>& condition, int rounds = 250)
{
    for (int i = 0; i < rounds && !condition(); ++i) {
        zovgui::settle_idle();
        wxMilliSleep(20);
    }
    return condition();
}

GDBusConnection* connect(const std::string& address)
{
    GError* error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    EXPECT_NE(nullptr, bus) << (error ? error->message : "");
    if (error)
        g_error_free(error);
    return bus;
}

// A private message bus; stopped at the end.
class PrivateBus
{
public:
    PrivateBus() : m_bus(g_test_dbus_new(G_TEST_DBUS_NONE))
    {
        g_test_dbus_up(m_bus);
        m_address = g_test_dbus_get_bus_address(m_bus);
        m_peer = connect(m_address);
    }
    ~PrivateBus()
    {
        if (m_peer) {
            g_dbus_connection_close_sync(m_peer, nullptr, nullptr);
            g_object_unref(m_peer);
        }
        g_test_dbus_stop(m_bus);
        g_object_unref(m_bus);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    const std::string& address() const { return m_address; }
    GDBusConnection* peer() const { return m_peer; }

private:
    GTestDBus* m_bus;
    std::string m_address;
    GDBusConnection* m_peer = nullptr;
};

// One python3-dbusmock process serving `name` at `path`, driven through its
// org.freedesktop.DBus.Mock interface.
class DBusMock
{
public:
    DBusMock(GDBusConnection* bus, const std::vector<std::string>& args, const char* name,
             const char* path)
        : m_bus(bus), m_path(path)
    {
        const char* python = std::getenv("ZOV_PYTHON3");
        std::vector<std::string> argv = {python && *python ? python : "/usr/bin/python3", "-m",
                                         "dbusmock"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> raw;
        for (std::string& a : argv)
            raw.push_back(&a[0]);
        raw.push_back(nullptr);
        GError* error = nullptr;
        if (!g_spawn_async(nullptr, raw.data(), nullptr,
                           static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD
                                                    | G_SPAWN_STDOUT_TO_DEV_NULL),
                           nullptr, nullptr, &m_pid, &error)) {
            ADD_FAILURE() << "cannot start dbusmock: " << error->message;
            g_error_free(error);
            return;
        }
        // Bounded: python starts in well under a second.
        for (int i = 0; i < 500 && !HasOwner(name); ++i)
            g_usleep(20000);
        EXPECT_TRUE(HasOwner(name)) << "dbusmock did not take " << name;
    }
    ~DBusMock()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
            g_spawn_close_pid(m_pid);
        }
    }
    DBusMock(const DBusMock&) = delete;
    DBusMock& operator=(const DBusMock&) = delete;

    // Calls a method of the mocked object (or of its Mock interface); waits for the reply.
    void Call(const char* interface, const char* method, GVariant* args)
    {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(m_bus, m_name_for_calls.c_str(),
                                                      m_path.c_str(), interface,
                                                      method, args, nullptr,
                                                      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
                                                      &error);
        EXPECT_NE(nullptr, reply) << method << ": " << (error ? error->message : "");
        if (reply)
            g_variant_unref(reply);
        if (error)
            g_error_free(error);
    }
    void CallOn(const char* bus_name, const char* interface, const char* method, GVariant* args)
    {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(m_bus, bus_name, m_path.c_str(), interface,
                                                      method, args, nullptr,
                                                      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
                                                      &error);
        EXPECT_NE(nullptr, reply) << method << ": " << (error ? error->message : "");
        if (reply)
            g_variant_unref(reply);
        if (error)
            g_error_free(error);
    }
    // The mock sends the signal with one boolean (or unsigned) argument.
    void EmitBool(const char* interface, const char* signal, bool value)
    {
        Emit(interface, signal, "b", g_variant_new_boolean(value));
    }
    void EmitUint(const char* interface, const char* signal, guint32 value)
    {
        Emit(interface, signal, "u", g_variant_new_uint32(value));
    }
    void Emit(const char* interface, const char* signal, const char* signature, GVariant* value)
    {
        GVariantBuilder av;
        g_variant_builder_init(&av, G_VARIANT_TYPE("av"));
        g_variant_builder_add(&av, "v", value);
        Mock("EmitSignal", g_variant_new("(sssav)", interface, signal, signature, &av));
    }
    void AddMethod(const char* interface, const char* name, const char* in, const char* out,
                   const std::string& code)
    {
        Mock("AddMethod", g_variant_new("(sssss)", interface, name, in, out, code.c_str()));
    }

private:
    void Mock(const char* method, GVariant* args)
    {
        CallOn(m_name_for_calls.c_str(), "org.freedesktop.DBus.Mock", method, args);
    }
    bool HasOwner(const char* name)
    {
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"),
            G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
        gboolean owned = FALSE;
        if (reply) {
            g_variant_get(reply, "(b)", &owned);
            g_variant_unref(reply);
        }
        if (owned)
            m_name_for_calls = name;
        return owned;
    }

    GDBusConnection* m_bus;
    std::string m_path;
    std::string m_name_for_calls;
    GPid m_pid = 0;
};

// An environment variable set for the life of the object.
class EnvGuard
{
public:
    EnvGuard(const char* name, const char* value) : m_name(name)
    {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        m_old = old ? old : "";
        setenv(name, value, 1);
    }
    ~EnvGuard()
    {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string m_name;
    bool m_had;
    std::string m_old;
};

// Which desktop the session bus stands for.
enum class desktop { gnome, kde, bare };

// The files of the data folder, for "nothing was written".
struct files
{
    std::string hours, loginout, current;
    bool operator==(const files& o) const
    {
        return hours == o.hours && loginout == o.loginout && current == o.current;
    }
};

int away_windows()
{
    int count = 0;
    for (wxWindow* window : wxTopLevelWindows)
        if (dynamic_cast<AwayDialog*>(window) && !window->IsBeingDeleted())
            ++count;
    return count;
}

}  // namespace

class AwayBusBase : public AppTest
{
protected:
    explicit AwayBusBase(desktop kind)
        : m_kind(kind), m_tz("Europe/Berlin"), m_clock("2026-03-10T09:00:00")
    {
    }

    void SetUp() override
    {
        const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        m_had_session = session != nullptr;
        m_saved_session = session ? session : "";
        const char* system = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        m_had_system = system != nullptr;
        m_saved_system = system ? system : "";

        m_system = std::make_unique<PrivateBus>();
        m_session = std::make_unique<PrivateBus>();
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_system->address().c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", m_session->address().c_str(), 1);

        m_logind = std::make_unique<DBusMock>(m_system->peer(),
                                              std::vector<std::string>{"--template", "logind"},
                                              "org.freedesktop.login1", "/org/freedesktop/login1");
        if (m_kind == desktop::gnome) {
            m_lock = std::make_unique<DBusMock>(
                m_session->peer(), std::vector<std::string>{"--template", "gnome_screensaver"},
                "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver");
            m_idle = std::make_unique<DBusMock>(
                m_session->peer(),
                std::vector<std::string>{"org.gnome.Mutter.IdleMonitor",
                                         "/org/gnome/Mutter/IdleMonitor/Core",
                                         "org.gnome.Mutter.IdleMonitor"},
                "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core");
            m_idle->AddMethod("", "AddUserActiveWatch", "", "u", "ret = 7");
            SetIdleMinutes(0);
        }
        else if (m_kind == desktop::kde) {
            m_desktop = std::make_unique<EnvGuard>("XDG_CURRENT_DESKTOP", "KDE");
            m_lock = std::make_unique<DBusMock>(
                m_session->peer(),
                std::vector<std::string>{"org.freedesktop.ScreenSaver",
                                         "/org/freedesktop/ScreenSaver",
                                         "org.freedesktop.ScreenSaver"},
                "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
            SetIdleMinutes(0);
        }
        AppTest::SetUp();
        ASSERT_TRUE(spin_until([this] { return App().GetResumeWatch()->Listening(); }));
        ASSERT_TRUE(App().GetAwayWatch()->Listening());
    }

    void TearDown() override
    {
        // The program lets go of the buses before they go down.
        AppTest::TearDown();
        m_idle.reset();
        m_lock.reset();
        m_logind.reset();
        m_session.reset();
        m_system.reset();
        m_desktop.reset();
        if (m_had_session)
            setenv("DBUS_SESSION_BUS_ADDRESS", m_saved_session.c_str(), 1);
        else
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (m_had_system)
            setenv("DBUS_SYSTEM_BUS_ADDRESS", m_saved_system.c_str(), 1);
        else
            unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    zovKernel& Kernel() const { return *App().GetKernel(); }
    zovAwayWatch& Watch() const { return *App().GetAwayWatch(); }

    // What the idle monitor answers from now on.
    void SetIdleMinutes(double minutes)
    {
        if (m_kind == desktop::gnome)
            m_idle->AddMethod("", "GetIdletime", "", "t",
                              "ret = " + std::to_string(static_cast<long>(minutes * 60000)));
        else if (m_kind == desktop::kde)  // KDE's answer is in milliseconds
            m_lock->AddMethod("", "GetSessionIdleTime", "", "u",
                              "ret = " + std::to_string(static_cast<long>(minutes * 60000)));
    }
    // One sample of the idle time at the fixed clock's time, answered.
    void SampleIdle(const char* time, double minutes)
    {
        m_clock.set(time);
        SetIdleMinutes(minutes);
        Watch().PollIdle();
        ASSERT_TRUE(spin_until([this] { return Watch().PendingSamples() == 0; }));
    }
    void Sleep(const char* from, const char* until)
    {
        m_clock.set(from);
        m_logind->EmitBool("org.freedesktop.login1.Manager", "PrepareForSleep", true);
        ASSERT_TRUE(spin_until([this] { return Watch().Asleep(); }));
        m_clock.set(until);
        m_logind->EmitBool("org.freedesktop.login1.Manager", "PrepareForSleep", false);
        ASSERT_TRUE(spin_until([this] { return !Watch().Asleep(); }));
    }
    void Lock(const char* from, const char* until)
    {
        m_clock.set(from);
        SetLocked(true);
        ASSERT_TRUE(spin_until([this] { return Watch().Locked(); }));
        m_clock.set(until);
        SetLocked(false);
        ASSERT_TRUE(spin_until([this] { return !Watch().Locked(); }));
    }
    void SetLocked(bool locked)
    {
        if (m_kind == desktop::gnome)
            m_lock->Call("org.gnome.ScreenSaver", "SetActive", g_variant_new("(b)", locked));
        else
            m_lock->EmitBool("org.freedesktop.ScreenSaver", "ActiveChanged", locked);
    }

    AwayDialog* Question() const { return AwayDialog::Open(); }
    wxString QuestionText() const
    {
        return Question() ? Question()->GetText()->GetLabel() : wxString("(no question)");
    }
    files Files() const
    {
        const std::string dir = Kernel().dir();
        auto read = [&](const char* name) {
            return zovtest::exists(dir + name) ? zovtest::read_file(dir + name) : "";
        };
        return files{read("HOURS.TSK"), read("LOGINOUT.TSK"), read("CURRENT.TSK")};
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
    static std::string reversed(const std::string& task, const char* begin, const char* end)
    {
        return zovSession(task, at(begin), at(end)).reverse().to_file_string();
    }
    void LogInAtNine()
    {
        m_clock.set("2026-03-10T09:00:00");
        ASSERT_TRUE(Kernel().login("K"));
    }
    // The window as a screenshot, when asked for (the README's picture).
    void Screenshot() const
    {
        const char* path = std::getenv("ZOV_AWAY_SCREENSHOT");
        if (!path || !*path || !Question())
            return;
        Question()->Move(20, 20);
        spin_until([] { return false; }, 25);
        // The toolkit took DISPLAY out of the environment; its display is the one.
        const std::string display = gdk_display_get_name(gdk_display_get_default());
        const wxSize size = Question()->GetSize();
        const std::string crop = std::to_string(size.x + 40) + "x" + std::to_string(size.y + 40)
                                 + "+0+0";
        const zovtest::process_result shot = zovtest::run_process(
            {"import", "-window", "root", "-crop", crop, path}, {"DISPLAY=" + display});
        EXPECT_TRUE(shot.exited && shot.status == 0) << "import failed";
    }

    desktop m_kind;
    TzGuard m_tz;
    FixedClock m_clock;
    bool m_had_session = false, m_had_system = false;
    std::string m_saved_session, m_saved_system;
    std::unique_ptr<PrivateBus> m_system;
    std::unique_ptr<PrivateBus> m_session;
    std::unique_ptr<DBusMock> m_logind;
    std::unique_ptr<DBusMock> m_lock;
    std::unique_ptr<DBusMock> m_idle;
    std::unique_ptr<EnvGuard> m_desktop;
};

// GNOME: gnome-shell's screen saver and Mutter's idle monitor.
class AwayBus : public AwayBusBase
{
protected:
    AwayBus() : AwayBusBase(desktop::gnome) {}
};

TEST_F(AwayBus, a_suspend_of_70_minutes_asks_and_log_out_ends_the_session_when_the_user_left)
{
    EXPECT_EQ(zovAwayWatch::idle_source::mutter, Watch().IdleSource());
    LogInAtNine();
    Sleep("2026-03-10T12:03:00", "2026-03-10T13:13:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 13:13 (1:10) while \"K\" was running.", QuestionText());
    EXPECT_TRUE(Question()->IsShown());
    EXPECT_EQ("Keep it", Question()->GetKeepButton()->GetLabel());
    EXPECT_EQ("Log out at 12:03", Question()->GetLogOutButton()->GetLabel());
    EXPECT_TRUE(Question()->GetLogOutButton()->IsEnabled());
    Question()->GetTaskBox()->SetValue("Lunch");
    EXPECT_TRUE(Question()->GetBookButton()->IsEnabled());
    Screenshot();

    m_clock.set("2026-03-10T13:14:00");
    click(Question()->GetLogOutButton());
    EXPECT_EQ(nullptr, Question());
    EXPECT_EQ(std::vector<std::string>{line("K", "2026-03-10T09:00:00", "2026-03-10T12:03:00")},
              Hours());
    EXPECT_EQ("LOGOUT " + at("2026-03-10T12:03:00").to_readable_datetime_string(), Stamps().back());
    EXPECT_FALSE(Kernel().current().active());
    EXPECT_EQ(2u, Stamps().size()) << "one log-in, one log-out";
}

TEST_F(AwayBus, a_lock_of_20_minutes_asks_and_booking_corrects_the_span_while_the_task_goes_on)
{
    LogInAtNine();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:23:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 12:23 (0:20) while \"K\" was running.", QuestionText());
    EXPECT_FALSE(Question()->GetBookButton()->IsEnabled()) << "no task chosen yet";

    m_clock.set("2026-03-10T12:24:00");
    Question()->GetTaskBox()->SetValue("Lunch");
    EXPECT_EQ("Book it to Lunch and go on with K", Question()->GetBookButton()->GetLabel());
    click(Question()->GetBookButton());
    EXPECT_EQ(nullptr, Question());
    const std::vector<std::string> expected = {
        reversed("K", "2026-03-10T12:03:00", "2026-03-10T12:23:00"),
        line("Lunch", "2026-03-10T12:03:00", "2026-03-10T12:23:00"),
        line("K", "2026-03-10T09:00:00", "2026-03-10T12:23:00"),
    };
    EXPECT_EQ(expected, Hours());
    EXPECT_EQ(1u, Stamps().size()) << "no log-out";
    const zovCurrent& current = Kernel().current();
    EXPECT_TRUE(current.active());
    EXPECT_EQ("K", current.task());
    EXPECT_EQ(at("2026-03-10T12:23:00"), current.time());
}

TEST_F(AwayBus, sixteen_minutes_without_input_ask_and_keeping_it_writes_nothing)
{
    LogInAtNine();
    SampleIdle("2026-03-10T12:03:00", 0);
    SampleIdle("2026-03-10T12:18:00", 15);
    SampleIdle("2026-03-10T12:19:00", 16);
    EXPECT_EQ(nullptr, Question()) << "still away";
    SampleIdle("2026-03-10T12:20:00", 0.5);
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 12:19 (0:16) while \"K\" was running.", QuestionText());

    const files before = Files();
    m_clock.set("2026-03-10T12:21:00");
    click(Question()->GetKeepButton());
    EXPECT_EQ(nullptr, Question());
    EXPECT_TRUE(before == Files());
    EXPECT_TRUE(Kernel().current().active());
}

// Locked, the idle monitor sees no input either: once answered, the same
// absence told again by the next idle sample is not asked again.
TEST_F(AwayBus, an_absence_told_by_two_sources_is_asked_once)
{
    LogInAtNine();
    SampleIdle("2026-03-10T12:03:00", 0);
    SetLocked(true);
    ASSERT_TRUE(spin_until([this] { return Watch().Locked(); }));
    SampleIdle("2026-03-10T12:22:00", 19);
    m_clock.set("2026-03-10T12:23:00");
    SetLocked(false);
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 12:23 (0:20) while \"K\" was running.", QuestionText());

    const files before = Files();
    m_clock.set("2026-03-10T12:23:30");
    click(Question()->GetKeepButton());
    SampleIdle("2026-03-10T12:24:00", 0.25);
    spin_until([] { return false; }, 10);
    EXPECT_EQ(nullptr, Question());
    EXPECT_EQ(0, away_windows());
    EXPECT_TRUE(before == Files());
}

// GNOME says the moment input returns: the absence ends exactly then.
TEST_F(AwayBus, with_gnome_the_absence_ends_at_the_first_input)
{
    LogInAtNine();
    SampleIdle("2026-03-10T12:03:00", 0);
    EXPECT_FALSE(Watch().WatchingForInput());
    SampleIdle("2026-03-10T12:09:00", 6);
    ASSERT_TRUE(spin_until([this] { return Watch().WatchingForInput(); }));
    SampleIdle("2026-03-10T12:19:00", 16);
    m_clock.set("2026-03-10T12:19:20");
    m_idle->EmitUint("org.gnome.Mutter.IdleMonitor", "WatchFired", 8);  // not ours
    spin_until([] { return false; }, 10);
    EXPECT_EQ(nullptr, Question());
    m_idle->EmitUint("org.gnome.Mutter.IdleMonitor", "WatchFired", 7);
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 12:19 (0:16) while \"K\" was running.", QuestionText());
    EXPECT_EQ(at("2026-03-10T12:19:20"), Question()->Question().until);
    EXPECT_FALSE(Watch().WatchingForInput());
}

TEST_F(AwayBus, fourteen_minutes_without_input_ask_nothing)
{
    LogInAtNine();
    const files before = Files();
    SampleIdle("2026-03-10T12:03:00", 0);
    SampleIdle("2026-03-10T12:17:00", 14);
    SampleIdle("2026-03-10T12:18:00", 0.2);
    spin_until([] { return false; }, 10);
    EXPECT_EQ(nullptr, Question());
    EXPECT_EQ(0, away_windows());
    EXPECT_TRUE(before == Files());
}

TEST_F(AwayBus, nothing_is_asked_when_switched_off_or_logged_out)
{
    App().SetAskAway(-15);
    LogInAtNine();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:43:00");
    spin_until([] { return false; }, 10);
    EXPECT_EQ(nullptr, Question()) << "switched off";

    App().SetAskAway(15);
    ASSERT_TRUE(Kernel().logout());
    Sleep("2026-03-10T13:00:00", "2026-03-10T14:00:00");
    spin_until([] { return false; }, 10);
    EXPECT_EQ(nullptr, Question()) << "nothing was running";
}

TEST_F(AwayBus, without_an_answer_nothing_changes)
{
    LogInAtNine();
    const files before = Files();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:23:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    // The close box answers nothing.
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, Question()->GetId());
    close.SetEventObject(Question());
    Question()->GetEventHandler()->ProcessEvent(close);
    EXPECT_EQ(nullptr, Question());
    EXPECT_TRUE(before == Files());

    // Nor does the end of the program with the question open.
    Sleep("2026-03-10T13:00:00", "2026-03-10T14:00:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    Restart();
    EXPECT_EQ(nullptr, Question());
    EXPECT_TRUE(before == Files());
    EXPECT_TRUE(Kernel().current().active());
}

TEST_F(AwayBus, two_absences_before_the_answer_give_one_window_that_spans_both)
{
    LogInAtNine();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:23:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    AwayDialog* first = Question();
    Sleep("2026-03-10T12:30:00", "2026-03-10T13:10:00");
    spin_until([] { return false; }, 10);
    EXPECT_EQ(first, Question());
    EXPECT_EQ(1, away_windows());
    EXPECT_EQ("You were away from 12:03 to 13:10 (1:07) while \"K\" was running.", QuestionText());
    EXPECT_EQ("Log out at 12:03", Question()->GetLogOutButton()->GetLabel());

    m_clock.set("2026-03-10T13:11:00");
    click(Question()->GetLogOutButton());
    EXPECT_EQ(std::vector<std::string>{line("K", "2026-03-10T09:00:00", "2026-03-10T12:03:00")},
              Hours());
}

TEST_F(AwayBus, waking_after_the_daily_log_out_asks_only_about_the_part_before_it)
{
    App().SetAutoLogout(17 * 3600);
    LogInAtNine();
    Sleep("2026-03-10T16:30:00", "2026-03-10T18:00:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    // The daily log-out acted on waking, on its own, at 17:00.
    EXPECT_FALSE(Kernel().current().active());
    EXPECT_EQ("LOGOUT " + at("2026-03-10T17:00:00").to_readable_datetime_string(), Stamps().back());
    EXPECT_EQ("You were away from 16:30 to 17:00 (0:30) while \"K\" was running.", QuestionText());
    // Logging out at 16:30 stays possible: the time after it is cancelled.
    EXPECT_TRUE(Question()->GetLogOutButton()->IsEnabled());

    m_clock.set("2026-03-10T18:01:00");
    Question()->GetTaskBox()->SetValue("Errand");
    click(Question()->GetBookButton());
    const std::vector<std::string> expected = {
        line("K", "2026-03-10T09:00:00", "2026-03-10T17:00:00"),
        reversed("K", "2026-03-10T16:30:00", "2026-03-10T17:00:00"),
        line("Errand", "2026-03-10T16:30:00", "2026-03-10T17:00:00"),
    };
    EXPECT_EQ(expected, Hours());
    EXPECT_FALSE(Kernel().current().active());
}

TEST_F(AwayBus, a_refused_name_keeps_the_question_open)
{
    LogInAtNine();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:23:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    const files before = Files();
    m_clock.set("2026-03-10T12:24:00");
    Question()->GetTaskBox()->SetValue("two words");
    click(Question()->GetBookButton());
    const std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Invalid task name", boxes[0].caption);
    EXPECT_NE(nullptr, Question());
    EXPECT_TRUE(before == Files());
}

TEST_F(AwayBus, the_options_page_keeps_the_minutes_beside_the_daily_log_out)
{
    wxNotebook* notebook = App().GetDialog()->GetNotebook();
    OptionsPanel* page = nullptr;
    for (size_t i = 0; i < notebook->GetPageCount(); ++i)
        if (auto* p = dynamic_cast<OptionsPanel*>(notebook->GetPage(i)))
            page = p;
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(page->GetAwayCheckBox()->GetValue()) << "on by default";
    EXPECT_EQ(15, page->GetAwayMinutes()->GetValue());
    EXPECT_EQ("Ask about away time after", page->GetAwayCheckBox()->GetLabel());
    EXPECT_FALSE(page->GetIdleNote()->IsShown()) << "GNOME tells idleness";

    page->GetAwayMinutes()->SetValue(30);
    wxSpinEvent spin(wxEVT_SPINCTRL, page->GetAwayMinutes()->GetId());
    spin.SetEventObject(page->GetAwayMinutes());
    page->GetAwayMinutes()->GetEventHandler()->ProcessEvent(spin);
    page->GetAwayCheckBox()->SetValue(false);
    click(page->GetAwayCheckBox(), wxEVT_CHECKBOX);
    EXPECT_EQ(-30, App().GetAskAway());
    const std::string stored = zovtest::read_file(m_home->config_file());
    EXPECT_NE(std::string::npos, stored.find("AskAway=-30")) << stored;

    Restart();
    EXPECT_EQ(-30, App().GetAskAway());
}

// KDE, XFCE and others: org.freedesktop.ScreenSaver tells lock and idle time.
class AwayBusFreedesktop : public AwayBusBase
{
protected:
    AwayBusFreedesktop() : AwayBusBase(desktop::kde) {}
};

TEST_F(AwayBusFreedesktop, the_screen_saver_service_tells_the_lock_and_the_idle_time)
{
    EXPECT_EQ(zovAwayWatch::idle_source::screensaver, Watch().IdleSource());
    LogInAtNine();
    Lock("2026-03-10T12:03:00", "2026-03-10T12:23:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 12:23 (0:20) while \"K\" was running.", QuestionText());
    click(Question()->GetKeepButton());

    SampleIdle("2026-03-10T14:00:00", 0);
    SampleIdle("2026-03-10T14:30:00", 30);
    SampleIdle("2026-03-10T14:31:00", 0);
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 14:00 to 14:31 (0:31) while \"K\" was running.", QuestionText());
}

// No desktop service for idleness: the X11 extension, where the display has it.
class AwayBusBare : public AwayBusBase
{
protected:
    AwayBusBare() : AwayBusBase(desktop::bare) {}
};

TEST_F(AwayBusBare, sleep_still_counts_and_idleness_comes_from_x11_where_it_can)
{
    const bool x11 = Watch().IdleSource() == zovAwayWatch::idle_source::x11;
    // Run once with the X server's screen-saver extension and once without.
    const char* expect = std::getenv("ZOV_EXPECT_IDLE");
    if (expect && std::string(expect) == "none")
        EXPECT_FALSE(x11);
    else
        EXPECT_TRUE(x11);
    wxNotebook* notebook = App().GetDialog()->GetNotebook();
    for (size_t i = 0; i < notebook->GetPageCount(); ++i)
        if (auto* page = dynamic_cast<OptionsPanel*>(notebook->GetPage(i))) {
            EXPECT_EQ(!x11, page->GetIdleNote()->IsShown());
            if (!x11) {
                EXPECT_EQ("This desktop does not tell how long there was no input: only sleep "
                          "and a locked screen count as away.",
                          page->GetIdleNote()->GetLabel());
            }
        }

    LogInAtNine();
    Sleep("2026-03-10T12:03:00", "2026-03-10T13:13:00");
    ASSERT_TRUE(spin_until([this] { return Question() != nullptr; }));
    EXPECT_EQ("You were away from 12:03 to 13:13 (1:10) while \"K\" was running.", QuestionText());
}
