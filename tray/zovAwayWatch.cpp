#include "zovAwayWatch.h"

#include <cstdlib>
#include <string>

#include <gio/gio.h>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace {

const char* const lock_interfaces[2] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"};

// Where each D-Bus idle source answers: bus name, object, interface, method.
struct bus_idle
{
    const char* name;
    const char* path;
    const char* interface;
    const char* method;
    const char* reply;
};
const bus_idle mutter_idle = {"org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                              "org.gnome.Mutter.IdleMonitor", "GetIdletime", "(t)"};
const bus_idle screensaver_idle = {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                   "org.freedesktop.ScreenSaver", "GetSessionIdleTime", "(u)"};

const bus_idle& idle_call(zovAwayWatch::idle_source source)
{
    return source == zovAwayWatch::idle_source::mutter ? mutter_idle : screensaver_idle;
}

// How many of the source's units make a second.
long idle_per_second(zovAwayWatch::idle_source source)
{
    if (source == zovAwayWatch::idle_source::mutter)
        return 1000;
    return zovtray::screensaver_idle_per_second(std::getenv("XDG_CURRENT_DESKTOP"));
}

long idle_seconds_of(GVariant* reply, zovAwayWatch::idle_source source)
{
    guint64 value = 0;
    if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(t)")))
        g_variant_get(reply, "(t)", &value);
    else if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(u)"))) {
        guint32 small = 0;
        g_variant_get(reply, "(u)", &small);
        value = small;
    }
    else
        return -1;
    return static_cast<long>(value / static_cast<guint64>(idle_per_second(source)));
}

// The session bus of the desktop, when there is one. Never one started just
// for us (GLib's autolaunch): without a desktop session there is nothing to hear.
GDBusConnection* session_bus(GCancellable* cancel)
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::string own;
    if (address && *address)
        own = address;
    else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        const std::string socket = std::string(runtime) + "/bus";
        if (g_file_test(socket.c_str(), G_FILE_TEST_EXISTS))
            own = "unix:path=" + socket;
    }
    if (own.empty())
        return nullptr;
    // A connection of its own: it ends with the watch.
    return g_dbus_connection_new_for_address_sync(
        own.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancel, nullptr);
}

// The X11 screen-saver extension, where the X server has it. Only for an X11
// display: under Wayland an X server sees only its own clients' input.
bool has_screen_saver_extension(Display* display)
{
    int event_base = 0, error_base = 0;
    return display && XScreenSaverQueryExtension(display, &event_base, &error_base);
}

}  // namespace

zovAwayWatch::zovAwayWatch(absence_function away, Display* x11)
    : m_away(std::move(away)), m_cancel(g_cancellable_new())
{
    m_bus = session_bus(m_cancel);
    long idle = -1;
    if (m_bus) {
        m_target = new Target{this};
        const GDestroyNotify free_target = [](gpointer target) {
            delete static_cast<Target*>(target);
        };
        for (int i = 0; i < 2; ++i)
            m_subscriptions[i] = g_dbus_connection_signal_subscribe(
                m_bus, nullptr, lock_interfaces[i], "ActiveChanged", nullptr, nullptr,
                G_DBUS_SIGNAL_FLAGS_NONE,
                reinterpret_cast<GDBusSignalCallback>(&zovAwayWatch::OnActiveChanged), m_target,
                i == 0 ? free_target : nullptr);
        m_subscriptions[2] = g_dbus_connection_signal_subscribe(
            m_bus, nullptr, mutter_idle.interface, "WatchFired", mutter_idle.path, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE,
            reinterpret_cast<GDBusSignalCallback>(&zovAwayWatch::OnWatchFired), m_target, nullptr);
        if (ProbeBus(idle_source::mutter, idle))
            m_source = idle_source::mutter;
        else if (ProbeBus(idle_source::screensaver, idle))
            m_source = idle_source::screensaver;
    }
    if (m_source == idle_source::none && has_screen_saver_extension(x11)) {
        m_display = x11;
        m_source = idle_source::x11;
    }
    if (m_source != idle_source::none) {
        if (m_source == idle_source::x11)
            PollIdle();
        else
            IdleSeen(idle);
        m_timer = g_timeout_add_seconds(60, reinterpret_cast<GSourceFunc>(&zovAwayWatch::OnMinute),
                                        this);
    }
}

zovAwayWatch::~zovAwayWatch()
{
    if (m_timer)
        g_source_remove(m_timer);
    // Answers still on their way find the watch gone through the cancel.
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_bus) {
        if (m_target)
            m_target->watch = nullptr;
        // The last one lets go of the target.
        for (int i = 2; i >= 0; --i)
            if (m_subscriptions[i])
                g_dbus_connection_signal_unsubscribe(m_bus, m_subscriptions[i]);
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }
}

vu_datetime zovAwayWatch::Now()
{
    vu_datetime now;
    now.set_local_time();
    return now;
}

bool zovAwayWatch::ProbeBus(idle_source source, long& idle_seconds)
{
    const bus_idle& call = idle_call(source);
    GVariant* reply = g_dbus_connection_call_sync(
        m_bus, call.name, call.path, call.interface, call.method, nullptr,
        G_VARIANT_TYPE(call.reply), G_DBUS_CALL_FLAGS_NO_AUTO_START, 1000, m_cancel, nullptr);
    if (!reply)
        return false;
    idle_seconds = idle_seconds_of(reply, source);
    g_variant_unref(reply);
    return idle_seconds >= 0;
}

void zovAwayWatch::Sleeping()
{
    if (m_asleep_since.is_not_a_date_time())
        m_asleep_since = Now();
}

void zovAwayWatch::Resumed()
{
    // Idle counts across a sleep say nothing of the user: start afresh.
    m_previous = zovtray::idle_sample();
    if (m_asleep_since.is_not_a_date_time())
        return;
    const vu_datetime left = m_asleep_since;
    m_asleep_since = vu_datetime();
    if (m_away)
        m_away(left, Now());
}

void zovAwayWatch::Locked(bool locked)
{
    // KDE says it on two objects: the second word changes nothing.
    if (locked) {
        if (m_locked_since.is_not_a_date_time())
            m_locked_since = Now();
        return;
    }
    if (m_locked_since.is_not_a_date_time())
        return;
    const vu_datetime left = m_locked_since;
    m_locked_since = vu_datetime();
    if (m_away)
        m_away(left, Now());
}

void zovAwayWatch::PollIdle()
{
    switch (m_source) {
    case idle_source::none:
        return;
    case idle_source::x11: {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (!info)
            return;
        if (XScreenSaverQueryInfo(m_display, DefaultRootWindow(m_display), info))
            IdleSeen(static_cast<long>(info->idle / 1000));
        XFree(info);
        return;
    }
    case idle_source::mutter:
    case idle_source::screensaver: {
        const bus_idle& call = idle_call(m_source);
        ++m_pending;
        g_dbus_connection_call(m_bus, call.name, call.path, call.interface, call.method, nullptr,
                               G_VARIANT_TYPE(call.reply), G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000,
                               m_cancel,
                               reinterpret_cast<GAsyncReadyCallback>(&zovAwayWatch::OnIdleReply),
                               this);
        return;
    }
    }
}

void zovAwayWatch::OnIdleReply(void* source, void* result, void* self)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(static_cast<GDBusConnection*>(source),
                                                    static_cast<GAsyncResult*>(result), &error);
    if (!reply) {
        const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        g_error_free(error);
        if (!cancelled)
            --static_cast<zovAwayWatch*>(self)->m_pending;
        return;  // cancelled: the watch is gone; else the next minute asks again
    }
    auto* watch = static_cast<zovAwayWatch*>(self);
    --watch->m_pending;
    const long idle = idle_seconds_of(reply, watch->m_source);
    g_variant_unref(reply);
    if (idle >= 0)
        watch->IdleSeen(idle);
}

void zovAwayWatch::IdleSeen(long idle_seconds)
{
    const zovtray::idle_sample latest{Now(), idle_seconds};
    vu_datetime left, back;
    const bool over =
        zovtray::idle_absence(m_previous, latest, idle_minimum_seconds, left, back);
    m_previous = latest;
    if (over)
        m_active_watch = 0;  // fired, or it will fire for later input: harmless
    else if (idle_seconds >= idle_minimum_seconds)
        WatchForInput();
    if (over && m_away)
        m_away(left, back);
}

void zovAwayWatch::WatchForInput()
{
    if (m_source != idle_source::mutter || m_active_watch || m_active_watch_asked)
        return;
    m_active_watch_asked = true;
    g_dbus_connection_call(m_bus, mutter_idle.name, mutter_idle.path, mutter_idle.interface,
                           "AddUserActiveWatch", nullptr, G_VARIANT_TYPE("(u)"),
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, m_cancel,
                           reinterpret_cast<GAsyncReadyCallback>(&zovAwayWatch::OnActiveWatchAdded),
                           this);
}

void zovAwayWatch::OnActiveWatchAdded(void* source, void* result, void* self)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(static_cast<GDBusConnection*>(source),
                                                    static_cast<GAsyncResult*>(result), &error);
    if (!reply) {
        const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        g_error_free(error);
        if (!cancelled)  // the samples still see the return, a minute late
            static_cast<zovAwayWatch*>(self)->m_active_watch_asked = false;
        return;
    }
    auto* watch = static_cast<zovAwayWatch*>(self);
    guint32 id = 0;
    g_variant_get(reply, "(u)", &id);
    g_variant_unref(reply);
    watch->m_active_watch_asked = false;
    watch->m_active_watch = id;
}

void zovAwayWatch::OnWatchFired(GDBusConnection*, const char*, const char*, const char*,
                                const char*, void* parameters, void* self)
{
    GVariant* args = static_cast<GVariant*>(parameters);
    zovAwayWatch* watch = static_cast<Target*>(self)->watch;
    if (!watch || !watch->m_active_watch || !g_variant_is_of_type(args, G_VARIANT_TYPE("(u)")))
        return;
    guint32 id = 0;
    g_variant_get(args, "(u)", &id);
    if (id != watch->m_active_watch)
        return;  // another program's watch
    watch->m_active_watch = 0;
    // Input now: the idle time starts again.
    watch->IdleSeen(0);
}

void zovAwayWatch::OnActiveChanged(GDBusConnection*, const char*, const char*, const char*,
                                   const char*, void* parameters, void* self)
{
    GVariant* args = static_cast<GVariant*>(parameters);
    if (!g_variant_is_of_type(args, G_VARIANT_TYPE("(b)")))
        return;
    gboolean active = FALSE;
    g_variant_get(args, "(b)", &active);
    if (zovAwayWatch* watch = static_cast<Target*>(self)->watch)
        watch->Locked(active);
}

int zovAwayWatch::OnMinute(void* self)
{
    static_cast<zovAwayWatch*>(self)->PollIdle();
    return G_SOURCE_CONTINUE;
}
