#include "zovSingleInstance.h"

#include <gio/gio.h>

#include <wx/app.h>

#include <zov/zovDataDir.h>

#include "zovTrayChoice.h"

const char* const zovSingleInstance::object_path = "/org/zovaro/Tray";
const char* const zovSingleInstance::interface = "org.zovaro.Tray";

namespace {

const char* const instance_xml =
    "<node>"
    " <interface name='org.zovaro.Tray'>"
    "  <method name='ShowDialog'/>"
    " </interface>"
    "</node>";

GVariant* bus_call(GDBusConnection* bus, const char* method, GVariant* args, int timeout_ms)
{
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, args,
                                       G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, timeout_ms,
                                       nullptr, nullptr);
}

}  // namespace

zovSingleInstance::zovSingleInstance(GDBusConnection* bus, const std::string& data_dir,
                                     std::function<void()> show)
    : m_bus(bus ? G_DBUS_CONNECTION(g_object_ref(bus)) : nullptr),
      // A folder reached through a symbolic link is the same folder.
      m_name(zovtray::instance_bus_name(zov::resolved_dir(data_dir))),
      m_show(std::move(show))
{
    if (!m_bus)
        return;
    // The method is there before the name: a start right after ours is served.
    m_node = g_dbus_node_info_new_for_xml(instance_xml, nullptr);
    static const GDBusInterfaceVTable vtable = {&OnMethodCall, nullptr, nullptr, {nullptr}};
    m_object_id = g_dbus_connection_register_object(m_bus, object_path, m_node->interfaces[0],
                                                    &vtable, this, nullptr, nullptr);

    GVariant* reply =
        bus_call(m_bus, "RequestName", g_variant_new("(su)", m_name.c_str(), 4u /* no queue */),
                 5000);
    if (!reply)
        return;  // a bus that does not answer checks nothing
    guint32 code = 0;
    g_variant_get(reply, "(u)", &code);
    g_variant_unref(reply);
    if (code == 1 || code == 4) {  // primary owner, or already ours
        m_claim = Claim::first;
        return;
    }
    // Taken: the running program shows its dialog, this one ends.
    g_dbus_connection_unregister_object(m_bus, m_object_id);
    m_object_id = 0;
    GError* error = nullptr;
    GVariant* shown = g_dbus_connection_call_sync(m_bus, m_name.c_str(), object_path, interface,
                                                  "ShowDialog", nullptr, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (shown)
        g_variant_unref(shown);
    else
        g_error_free(error);  // it may be ending right now; it still owns the folder
    m_claim = Claim::other_shown;
}

zovSingleInstance::~zovSingleInstance()
{
    if (!m_bus)
        return;
    if (m_object_id)
        g_dbus_connection_unregister_object(m_bus, m_object_id);
    if (m_claim == Claim::first) {
        GVariant* reply = bus_call(m_bus, "ReleaseName", g_variant_new("(s)", m_name.c_str()), 2000);
        if (reply)
            g_variant_unref(reply);
    }
    if (m_node)
        g_dbus_node_info_unref(m_node);
    g_object_unref(m_bus);
}

void zovSingleInstance::OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                                     const char*, GVariant*, GDBusMethodInvocation* invocation,
                                     void* self)
{
    g_dbus_method_invocation_return_value(invocation, nullptr);
    zovSingleInstance* instance = static_cast<zovSingleInstance*>(self);
    if (instance->m_show)
        wxTheApp->CallAfter(instance->m_show);
}
