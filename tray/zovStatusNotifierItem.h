#pragma once
// The program's item for panels that host items over D-Bus (KDE Plasma,
// GNOME with its AppIndicator extension, XFCE, Cinnamon, MATE, waybar):
// org.kde.StatusNotifierItem with its menu over com.canonical.dbusmenu,
// registered with the watcher and registered again whenever the watcher
// gets a new owner (a panel restart must not lose the item).

#include <functional>
#include <string>
#include <vector>

#include <wx/image.h>
#include <wx/string.h>

#include "zovTrayMenu.h"

struct _GDBusConnection;
struct _GDBusNodeInfo;
struct _DbusmenuServer;
struct _DbusmenuMenuitem;

class zovStatusNotifierItem
{
public:
    // Exports the item and its menu on the session bus and registers with the
    // watcher whenever one is there.
    // `lost` runs (on the GUI thread) when the watcher has gone and not come
    // back within the grace time: nothing shows the item any more.
    explicit zovStatusNotifierItem(_GDBusConnection* bus, std::function<void()> lost = {});
    ~zovStatusNotifierItem();
    zovStatusNotifierItem(const zovStatusNotifierItem&) = delete;
    zovStatusNotifierItem& operator=(const zovStatusNotifierItem&) = delete;

    // Shows a state: the picture, the tooltip and the menu. Signals only
    // what changed (NewIcon, NewToolTip, the menu's LayoutUpdated).
    void Update(bool working, const wxString& tooltip, const zovtray::tray_menu& menu);

    // The menu last shown.
    const zovtray::tray_menu& Menu() const { return m_menu; }
    const std::string& BusName() const { return m_bus_name; }
    // How often the watcher accepted the item.
    int Registrations() const { return m_registrations; }

    // A picture as the protocol wants it: 32-bit ARGB per pixel, in network
    // byte order (A, R, G, B), row by row.
    static std::vector<unsigned char> ArgbPixels(const wxImage& image);

    // How long a panel may take to come back (a restart) before the item counts as lost.
    static void SetGraceTime(unsigned milliseconds);

    static const char* const title;
    static const char* const object_path;
    static const char* const menu_path;

private:
    static void OnMethodCall(_GDBusConnection* connection, const char* sender, const char* path,
                             const char* interface, const char* method, struct _GVariant* params,
                             struct _GDBusMethodInvocation* invocation, void* self);
    static struct _GVariant* OnGetProperty(_GDBusConnection* connection, const char* sender,
                                           const char* path, const char* interface,
                                           const char* property, struct _GError** error,
                                           void* self);
    static void OnWatcherAppeared(_GDBusConnection* connection, const char* name,
                                  const char* owner, void* self);
    static void OnWatcherVanished(_GDBusConnection* connection, const char* name, void* self);
    static void OnRegistered(struct _GObject* source, struct _GAsyncResult* result, void* self);
    static int OnRetry(void* self);
    static int OnLost(void* self);
    static void OnMenuActivated(_DbusmenuMenuitem* item, unsigned timestamp, void* self);
    static int OnMenuAboutToShow(_DbusmenuMenuitem* item, void* self);

    struct _GVariant* PropertyValue(const std::string& property) const;
    struct _GVariant* Pixmaps() const;
    void Emit(const char* signal);
    void Register();
    void BuildMenu(const zovtray::tray_menu& menu);

    _GDBusConnection* m_bus;
    _GDBusNodeInfo* m_node;
    unsigned m_object_id = 0;
    unsigned m_watch_id = 0;
    struct _GCancellable* m_cancel;
    _DbusmenuServer* m_menu_server;
    _DbusmenuMenuitem* m_menu_root;
    std::string m_bus_name;
    bool m_name_owned = false;
    int m_registrations = 0;
    int m_tries_left = 0;
    unsigned m_retry_source = 0;
    std::function<void()> m_lost;
    unsigned m_lost_source = 0;

    bool m_working = false;
    wxString m_tooltip;
    std::vector<unsigned char> m_pixels;
    int m_width = 0;
    int m_height = 0;
    zovtray::tray_menu m_menu;
    bool m_menu_built = false;
};
