#include "zovLateTray.h"

#include <gio/gio.h>

#include <wx/app.h>

namespace {
const char* const watcher_name = "org.kde.StatusNotifierWatcher";
const char* const watcher_path = "/StatusNotifierWatcher";
}  // namespace

zovLateTray::zovLateTray(GDBusConnection* bus, std::function<void()> arrived)
    : m_bus(G_DBUS_CONNECTION(g_object_ref(bus))),
      m_arrived(std::move(arrived)),
      m_cancel(g_cancellable_new())
{
    // A panel may register its host after the watcher is up: that says so.
    m_signal_id = g_dbus_connection_signal_subscribe(
        m_bus, nullptr, watcher_name, "StatusNotifierHostRegistered", watcher_path, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &OnHostRegistered, this, nullptr);
    m_watch_id = g_bus_watch_name_on_connection(m_bus, watcher_name,
                                                G_BUS_NAME_WATCHER_FLAGS_NONE, &OnAppeared,
                                                nullptr, this, nullptr);
}

zovLateTray::~zovLateTray()
{
    g_cancellable_cancel(m_cancel);
    if (m_retry_source)
        g_source_remove(m_retry_source);
    g_bus_unwatch_name(m_watch_id);
    g_dbus_connection_signal_unsubscribe(m_bus, m_signal_id);
    g_object_unref(m_cancel);
    g_object_unref(m_bus);
}

void zovLateTray::OnAppeared(GDBusConnection*, const char*, const char*, void* self)
{
    zovLateTray* late = static_cast<zovLateTray*>(self);
    late->m_tries_left = 10;
    late->AskHost();
}

void zovLateTray::OnHostRegistered(GDBusConnection*, const char*, const char*, const char*,
                                   const char*, GVariant*, void* self)
{
    static_cast<zovLateTray*>(self)->AskHost();
}

int zovLateTray::OnRetry(void* self)
{
    zovLateTray* late = static_cast<zovLateTray*>(self);
    late->m_retry_source = 0;
    late->AskHost();
    return G_SOURCE_REMOVE;
}

void zovLateTray::AskHost()
{
    if (m_done)
        return;
    g_dbus_connection_call(m_bus, watcher_name, watcher_path, "org.freedesktop.DBus.Properties",
                           "Get",
                           g_variant_new("(ss)", watcher_name, "IsStatusNotifierHostRegistered"),
                           G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, 2000, m_cancel,
                           &OnHostProperty, this);
}

void zovLateTray::OnHostProperty(GObject* source, GAsyncResult* result, void* self)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        g_error_free(error);
        if (cancelled)
            return;  // `self` may be gone
        // A watcher that has just taken its name may not serve its object yet.
        zovLateTray* late = static_cast<zovLateTray*>(self);
        if (late->m_tries_left > 0 && late->m_retry_source == 0) {
            --late->m_tries_left;
            late->m_retry_source = g_timeout_add(300, &OnRetry, late);
        }
        return;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool host =
        g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    zovLateTray* late = static_cast<zovLateTray*>(self);
    if (!host || late->m_done)
        return;
    late->m_done = true;
    // Later, from the event loop: the callback may end this watch.
    wxTheApp->CallAfter(late->m_arrived);
}
