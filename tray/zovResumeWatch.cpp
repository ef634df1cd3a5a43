#include "zovResumeWatch.h"

#include <gio/gio.h>

zovResumeWatch::zovResumeWatch(std::function<void()> resumed, std::function<void()> sleeping)
    : m_resumed(std::move(resumed)), m_sleeping(std::move(sleeping)), m_cancel(g_cancellable_new())
{
    // A connection of its own, not the process's shared one: it ends with
    // the watch, and each watch follows the bus address of its time.
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, m_cancel, nullptr);
    if (!address)
        return;
    g_dbus_connection_new_for_address(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, m_cancel, reinterpret_cast<GAsyncReadyCallback>(&zovResumeWatch::OnConnected),
        this);
    g_free(address);
}

zovResumeWatch::~zovResumeWatch()
{
    // A connection still on its way finds the watch gone through the cancel.
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_bus) {
        // A signal already queued for dispatch finds no watch.
        if (m_target)
            m_target->watch = nullptr;
        if (m_subscription)
            g_dbus_connection_signal_unsubscribe(m_bus, m_subscription);
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }
}

void zovResumeWatch::OnConnected(void*, void* result, void* self)
{
    GError* error = nullptr;
    GDBusConnection* bus =
        g_dbus_connection_new_for_address_finish(static_cast<GAsyncResult*>(result), &error);
    if (!bus) {
        // Cancelled (the watch is gone) or no bus: nothing to watch.
        g_error_free(error);
        return;
    }
    auto* watch = static_cast<zovResumeWatch*>(self);
    watch->m_bus = bus;
    watch->m_target = new Target{watch};
    // Any sender: a forged signal could only cause one more harmless check.
    watch->m_subscription = g_dbus_connection_signal_subscribe(
        bus, nullptr, "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        reinterpret_cast<GDBusSignalCallback>(&zovResumeWatch::OnSignal), watch->m_target,
        [](gpointer target) { delete static_cast<Target*>(target); });
}

void zovResumeWatch::OnSignal(GDBusConnection*, const char*, const char*, const char*,
                              const char*, void* parameters, void* self)
{
    GVariant* args = static_cast<GVariant*>(parameters);
    if (!g_variant_is_of_type(args, G_VARIANT_TYPE("(b)")))
        return;
    gboolean going_to_sleep = TRUE;
    g_variant_get(args, "(b)", &going_to_sleep);
    zovResumeWatch* watch = static_cast<Target*>(self)->watch;
    if (!watch)
        return;
    if (!going_to_sleep && watch->m_resumed)
        watch->m_resumed();
    else if (going_to_sleep && watch->m_sleeping)
        watch->m_sleeping();
}
