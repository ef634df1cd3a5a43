#include "zovTrayProbe.h"

#include <string>

#include <gio/gio.h>
#include <X11/Xlib.h>

#include <wx/utils.h>

namespace zovtray {

namespace {

tray_probe (*s_override)() = nullptr;

GVariant* call(GDBusConnection* bus, const char* name, const char* path, const char* interface,
               const char* method, GVariant* args, const char* reply_type)
{
    return g_dbus_connection_call_sync(bus, name, path, interface, method, args,
                                       G_VARIANT_TYPE(reply_type), G_DBUS_CALL_FLAGS_NONE, 1000,
                                       nullptr, nullptr);
}

bool xembed_tray_owned(Display* display)
{
    const std::string selection =
        "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    const Atom atom = XInternAtom(display, selection.c_str(), False);
    return atom != None && XGetSelectionOwner(display, atom) != None;
}

}  // namespace

GDBusConnection* session_bus()
{
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus)
        g_error_free(error);
    return bus;
}

tray_probe probe_tray(GDBusConnection* bus)
{
    tray_probe probe;
    if (bus) {
        probe.session_bus = true;
        const char* const watcher = "org.kde.StatusNotifierWatcher";
        if (GVariant* owned = call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "NameHasOwner",
                                   g_variant_new("(s)", watcher), "(b)")) {
            gboolean has = FALSE;
            g_variant_get(owned, "(b)", &has);
            probe.watcher = has;
            g_variant_unref(owned);
        }
        if (probe.watcher) {
            if (GVariant* host = call(bus, watcher, "/StatusNotifierWatcher",
                                      "org.freedesktop.DBus.Properties", "Get",
                                      g_variant_new("(ss)", watcher,
                                                    "IsStatusNotifierHostRegistered"),
                                      "(v)")) {
                GVariant* value = nullptr;
                g_variant_get(host, "(v)", &value);
                probe.host = g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)
                             && g_variant_get_boolean(value);
                g_variant_unref(value);
                g_variant_unref(host);
            }
        }
    }
    // No X11 call unless the display is X11: under Wayland there is no Xlib display.
    const wxDisplayInfo display = wxGetDisplayInfo();
    probe.x11 = display.type == wxDisplayX11 && display.dpy;
    if (probe.x11)
        probe.xembed_tray = xembed_tray_owned(static_cast<Display*>(display.dpy));
    return probe;
}

void set_probe_override(tray_probe (*probe)())
{
    s_override = probe;
}

tray_probe (*probe_override())()
{
    return s_override;
}

}  // namespace zovtray
