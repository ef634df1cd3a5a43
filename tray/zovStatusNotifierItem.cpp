#include "zovStatusNotifierItem.h"

#include <cstdio>

#include <unistd.h>

#include <gio/gio.h>
#include <libdbusmenu-glib/menuitem.h>
#include <libdbusmenu-glib/server.h>

#include <wx/app.h>
#include <wx/intl.h>

#include "zovPictures.h"
#include "zovTaskBarApp.h"
#include "zovTrayChoice.h"
#include "zovTrayRules.h"

const char* const zovStatusNotifierItem::title = "ZOV - Zovaro";
const char* const zovStatusNotifierItem::object_path = "/StatusNotifierItem";
const char* const zovStatusNotifierItem::menu_path = "/MenuBar";

namespace {

const char* const item_interface = "org.kde.StatusNotifierItem";
const char* const watcher_name = "org.kde.StatusNotifierWatcher";

const char* const item_xml =
    "<node>"
    " <interface name='org.kde.StatusNotifierItem'>"
    "  <property name='Category' type='s' access='read'/>"
    "  <property name='Id' type='s' access='read'/>"
    "  <property name='Title' type='s' access='read'/>"
    "  <property name='Status' type='s' access='read'/>"
    "  <property name='WindowId' type='i' access='read'/>"
    "  <property name='IconName' type='s' access='read'/>"
    "  <property name='IconPixmap' type='a(iiay)' access='read'/>"
    "  <property name='OverlayIconName' type='s' access='read'/>"
    "  <property name='OverlayIconPixmap' type='a(iiay)' access='read'/>"
    "  <property name='AttentionIconName' type='s' access='read'/>"
    "  <property name='AttentionIconPixmap' type='a(iiay)' access='read'/>"
    "  <property name='AttentionMovieName' type='s' access='read'/>"
    "  <property name='IconThemePath' type='s' access='read'/>"
    "  <property name='ToolTip' type='(sa(iiay)ss)' access='read'/>"
    "  <property name='ItemIsMenu' type='b' access='read'/>"
    "  <property name='Menu' type='o' access='read'/>"
    "  <method name='ContextMenu'><arg name='x' type='i' direction='in'/>"
    "   <arg name='y' type='i' direction='in'/></method>"
    "  <method name='Activate'><arg name='x' type='i' direction='in'/>"
    "   <arg name='y' type='i' direction='in'/></method>"
    "  <method name='SecondaryActivate'><arg name='x' type='i' direction='in'/>"
    "   <arg name='y' type='i' direction='in'/></method>"
    "  <method name='Scroll'><arg name='delta' type='i' direction='in'/>"
    "   <arg name='orientation' type='s' direction='in'/></method>"
    "  <signal name='NewTitle'/>"
    "  <signal name='NewIcon'/>"
    "  <signal name='NewAttentionIcon'/>"
    "  <signal name='NewOverlayIcon'/>"
    "  <signal name='NewToolTip'/>"
    "  <signal name='NewStatus'><arg name='status' type='s'/></signal>"
    " </interface>"
    "</node>";

unsigned grace_ms = 15000;

// Up to 20 tries 250 ms apart: five seconds for a watcher to come up.
constexpr int register_tries = 20;
constexpr unsigned retry_ms = 250;

GVariant* empty_pixmaps()
{
    return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
}

// Keys on the menu items: which action an item stands for.
const char* const action_key = "zov-action";
const char* const task_key = "zov-task";
enum menu_action
{
    action_none = 0,
    action_open,
    action_switch,
    action_exit,
    action_undo,
};

DbusmenuMenuitem* new_item(const wxString& label, menu_action action)
{
    DbusmenuMenuitem* item = dbusmenu_menuitem_new();
    const std::string text = zovtray::dbusmenu_label(zovtray::to_bytes(wxGetTranslation(label)));
    dbusmenu_menuitem_property_set(item, DBUSMENU_MENUITEM_PROP_LABEL, text.c_str());
    g_object_set_data(G_OBJECT(item), action_key, GINT_TO_POINTER(action));
    return item;
}

}  // namespace

zovStatusNotifierItem::zovStatusNotifierItem(GDBusConnection* bus, std::function<void()> lost)
    : m_bus(G_DBUS_CONNECTION(g_object_ref(bus))),
      m_node(g_dbus_node_info_new_for_xml(item_xml, nullptr)),
      m_cancel(g_cancellable_new()),
      m_menu_server(nullptr),
      m_menu_root(nullptr),
      m_bus_name(zovtray::item_bus_name(static_cast<long>(::getpid()))),
      m_lost(std::move(lost))
{
    static const GDBusInterfaceVTable vtable = {
        &OnMethodCall,
        &OnGetProperty,
        nullptr,
        {nullptr},
    };
    m_object_id = g_dbus_connection_register_object(m_bus, object_path, m_node->interfaces[0],
                                                    &vtable, this, nullptr, nullptr);

    // The menu is served by the library on the same (shared) session bus.
    m_menu_server = dbusmenu_server_new(menu_path);
    m_menu_root = dbusmenu_menuitem_new();
    g_signal_connect(m_menu_root, DBUSMENU_MENUITEM_SIGNAL_ABOUT_TO_SHOW,
                     G_CALLBACK(&OnMenuAboutToShow), this);
    dbusmenu_server_set_root(m_menu_server, m_menu_root);

    // The conventional name, so that every host finds the item; owned before
    // the watcher hears of it.
    GVariant* reply = g_dbus_connection_call_sync(
        m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", m_bus_name.c_str(), 4u /* do not queue */),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (reply) {
        guint32 code = 0;
        g_variant_get(reply, "(u)", &code);
        m_name_owned = code == 1 || code == 4;
        g_variant_unref(reply);
    }

    m_watch_id = g_bus_watch_name_on_connection(
        m_bus, watcher_name, G_BUS_NAME_WATCHER_FLAGS_NONE,
        &OnWatcherAppeared,
        &OnWatcherVanished, this, nullptr);
}

zovStatusNotifierItem::~zovStatusNotifierItem()
{
    g_cancellable_cancel(m_cancel);
    if (m_retry_source)
        g_source_remove(m_retry_source);
    if (m_lost_source)
        g_source_remove(m_lost_source);
    if (m_watch_id)
        g_bus_unwatch_name(m_watch_id);
    if (m_object_id)
        g_dbus_connection_unregister_object(m_bus, m_object_id);
    if (m_name_owned) {
        // The watcher drops the item when its name goes.
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "ReleaseName", g_variant_new("(s)", m_bus_name.c_str()), G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        if (reply)
            g_variant_unref(reply);
    }
    g_signal_handlers_disconnect_by_data(m_menu_root, this);
    g_object_unref(m_menu_server);
    g_object_unref(m_menu_root);
    g_object_unref(m_cancel);
    g_dbus_node_info_unref(m_node);
    g_object_unref(m_bus);
}

std::vector<unsigned char> zovStatusNotifierItem::ArgbPixels(const wxImage& image)
{
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    std::vector<unsigned char> out;
    out.reserve(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char alpha = 255;
            if (image.HasAlpha())
                alpha = image.GetAlpha(x, y);
            else if (image.HasMask() && image.IsTransparent(x, y))
                alpha = 0;
            // A transparent pixel carries no colour (not the mask's stand-in).
            out.push_back(alpha);
            out.push_back(alpha ? image.GetRed(x, y) : 0);
            out.push_back(alpha ? image.GetGreen(x, y) : 0);
            out.push_back(alpha ? image.GetBlue(x, y) : 0);
        }
    }
    return out;
}

void zovStatusNotifierItem::Update(bool working, const wxString& tooltip,
                                   const zovtray::tray_menu& menu)
{
    const bool first = m_pixels.empty();
    if (first || working != m_working) {
        m_working = working;
        const wxImage image =
            zovPictureIcon(working ? zovPicture::working : zovPicture::sleeping).ConvertToImage();
        m_width = image.GetWidth();
        m_height = image.GetHeight();
        m_pixels = ArgbPixels(image);
        if (!first)
            Emit("NewIcon");
    }
    if (tooltip != m_tooltip) {
        m_tooltip = tooltip;
        if (!first)
            Emit("NewToolTip");
    }
    if (!m_menu_built || menu.status != m_menu.status || menu.tasks != m_menu.tasks)
        BuildMenu(menu);
}

void zovStatusNotifierItem::BuildMenu(const zovtray::tray_menu& menu)
{
    m_menu = menu;
    m_menu_built = true;
    // One layout change for the whole rebuild.
    GList* old = g_list_copy(dbusmenu_menuitem_get_children(m_menu_root));
    for (GList* l = old; l; l = l->next)
        dbusmenu_menuitem_child_delete(m_menu_root, DBUSMENU_MENUITEM(l->data));
    g_list_free(old);

    DbusmenuMenuitem* status = dbusmenu_menuitem_new();
    // The line shows a task name as it is, without mnemonics.
    const std::string status_label = zovtray::dbusmenu_literal(zovtray::to_bytes(menu.status));
    dbusmenu_menuitem_property_set(status, DBUSMENU_MENUITEM_PROP_LABEL, status_label.c_str());
    dbusmenu_menuitem_property_set_bool(status, DBUSMENU_MENUITEM_PROP_ENABLED, FALSE);
    dbusmenu_menuitem_child_append(m_menu_root, status);
    g_object_unref(status);

    DbusmenuMenuitem* open = new_item(zovTrayMenu::label_open, action_open);
    dbusmenu_menuitem_child_append(m_menu_root, open);
    g_object_unref(open);

    DbusmenuMenuitem* sub = new_item(zovTrayMenu::label_switch, action_none);
    dbusmenu_menuitem_property_set(sub, DBUSMENU_MENUITEM_PROP_CHILD_DISPLAY,
                                   DBUSMENU_MENUITEM_CHILD_DISPLAY_SUBMENU);
    dbusmenu_menuitem_property_set_bool(sub, DBUSMENU_MENUITEM_PROP_ENABLED, !menu.tasks.empty());
    for (const std::string& task : menu.tasks) {
        DbusmenuMenuitem* item = dbusmenu_menuitem_new();
        const std::string label = zovtray::dbusmenu_literal(task);
        dbusmenu_menuitem_property_set(item, DBUSMENU_MENUITEM_PROP_LABEL, label.c_str());
        g_object_set_data(G_OBJECT(item), action_key, GINT_TO_POINTER(action_switch));
        g_object_set_data_full(G_OBJECT(item), task_key, g_strdup(task.c_str()), g_free);
        g_signal_connect(item, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED,
                         G_CALLBACK(&OnMenuActivated), this);
        dbusmenu_menuitem_child_append(sub, item);
        g_object_unref(item);
    }
    dbusmenu_menuitem_child_append(m_menu_root, sub);
    g_object_unref(sub);

    DbusmenuMenuitem* undo = new_item(zovtray::undo_label(menu.undo), action_undo);
    // The change's words hold task names: shown as they are, without mnemonics.
    const std::string undo_text = zovtray::dbusmenu_literal(menu.undo.empty() ? "Undo" : "Undo " + menu.undo);
    dbusmenu_menuitem_property_set(undo, DBUSMENU_MENUITEM_PROP_LABEL, undo_text.c_str());
    dbusmenu_menuitem_property_set_bool(undo, DBUSMENU_MENUITEM_PROP_ENABLED, !menu.undo.empty());
    g_signal_connect(undo, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED, G_CALLBACK(&OnMenuActivated), this);
    dbusmenu_menuitem_child_append(m_menu_root, undo);
    g_object_unref(undo);

    DbusmenuMenuitem* separator = dbusmenu_menuitem_new();
    dbusmenu_menuitem_property_set(separator, DBUSMENU_MENUITEM_PROP_TYPE,
                                   "separator");
    dbusmenu_menuitem_child_append(m_menu_root, separator);
    g_object_unref(separator);

    DbusmenuMenuitem* exit = new_item(zovTrayMenu::label_exit, action_exit);
    dbusmenu_menuitem_child_append(m_menu_root, exit);
    g_object_unref(exit);

    g_signal_connect(open, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED, G_CALLBACK(&OnMenuActivated),
                     this);
    g_signal_connect(exit, DBUSMENU_MENUITEM_SIGNAL_ITEM_ACTIVATED, G_CALLBACK(&OnMenuActivated),
                     this);
}

void zovStatusNotifierItem::Emit(const char* signal)
{
    g_dbus_connection_emit_signal(m_bus, nullptr, object_path, item_interface, signal, nullptr,
                                  nullptr);
}

GVariant* zovStatusNotifierItem::Pixmaps() const
{
    if (m_pixels.empty())
        return empty_pixmaps();
    GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, m_pixels.data(),
                                                m_pixels.size(), 1);
    GVariant* one = g_variant_new("(ii@ay)", m_width, m_height, bytes);
    return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), &one, 1);
}

GVariant* zovStatusNotifierItem::PropertyValue(const std::string& property) const
{
    if (property == "Category")
        return g_variant_new_string("ApplicationStatus");
    if (property == "Id")
        return g_variant_new_string("zovtray");
    if (property == "Title")
        return g_variant_new_string(title);
    if (property == "Status")
        // Active in both states: a passive item may be tucked away by the panel.
        return g_variant_new_string("Active");
    if (property == "WindowId")
        return g_variant_new_int32(0);
    if (property == "IconPixmap")
        return Pixmaps();
    if (property == "OverlayIconPixmap" || property == "AttentionIconPixmap")
        return empty_pixmaps();
    if (property == "ToolTip") {
        const std::string text = zovtray::to_bytes(m_tooltip);
        return g_variant_new("(s@a(iiay)ss)", "", Pixmaps(), title, text.c_str());
    }
    if (property == "ItemIsMenu")
        return g_variant_new_boolean(FALSE);
    if (property == "Menu")
        return g_variant_new_object_path(menu_path);
    if (property == "IconName") {
        // By name when the theme has it (sharp on a HiDPI panel); the pixmap stays as the fallback.
        const std::string name =
            zovPictureThemeName(m_working ? zovPicture::working : zovPicture::sleeping);
        return g_variant_new_string(name.c_str());
    }
    // OverlayIconName, AttentionIconName, AttentionMovieName, IconThemePath
    return g_variant_new_string("");
}

GVariant* zovStatusNotifierItem::OnGetProperty(GDBusConnection*, const char*, const char*,
                                               const char*, const char* property, GError**,
                                               void* self)
{
    return static_cast<zovStatusNotifierItem*>(self)->PropertyValue(property);
}

void zovStatusNotifierItem::OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                                         const char* method, GVariant*,
                                         GDBusMethodInvocation* invocation, void*)
{
    const std::string name = method;
    g_dbus_method_invocation_return_value(invocation, nullptr);
    // Both clicks toggle the dialog, as a left click on the X11 icon does
    // (KDE sends Activate on a click, GNOME's extension on a double click).
    // Later, from the event loop: the toggle may run a modal box.
    if (name == "Activate" || name == "SecondaryActivate")
        wxTheApp->CallAfter([] { wxGetApp().ToggleDialog(); });
    // ContextMenu and Scroll: the host shows the menu itself; scrolling means nothing.
}

void zovStatusNotifierItem::OnWatcherAppeared(GDBusConnection*, const char*, const char*,
                                              void* self)
{
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    if (item->m_lost_source) {
        g_source_remove(item->m_lost_source);
        item->m_lost_source = 0;
    }
    item->m_tries_left = register_tries;
    item->Register();
}

void zovStatusNotifierItem::OnWatcherVanished(GDBusConnection*, const char*, void* self)
{
    // Registered again when a watcher comes back (OnWatcherAppeared); a
    // panel that stays away leaves the program out of reach.
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    if (item->m_lost && !item->m_lost_source)
        item->m_lost_source = g_timeout_add(grace_ms, &OnLost, item);
}

int zovStatusNotifierItem::OnLost(void* self)
{
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    item->m_lost_source = 0;
    wxTheApp->CallAfter(item->m_lost);
    return G_SOURCE_REMOVE;
}

void zovStatusNotifierItem::SetGraceTime(unsigned milliseconds)
{
    grace_ms = milliseconds;
}

void zovStatusNotifierItem::Register()
{
    const std::string service = m_name_owned ? m_bus_name : std::string(object_path);
    g_dbus_connection_call(m_bus, watcher_name, "/StatusNotifierWatcher", watcher_name,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", service.c_str()),
                           nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, m_cancel,
                           &OnRegistered, this);
}

void zovStatusNotifierItem::OnRegistered(GObject* source, GAsyncResult* result, void* self)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply) {
        g_variant_unref(reply);
        ++static_cast<zovStatusNotifierItem*>(self)->m_registrations;
        return;
    }
    // Cancelled: the item is gone, and so may be `self`.
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        g_error_free(error);
        return;
    }
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    // A watcher that has just taken its name may not serve its object yet:
    // a few more tries, a moment apart.
    if (--item->m_tries_left > 0 && item->m_retry_source == 0)
        item->m_retry_source = g_timeout_add(retry_ms, &OnRetry, item);
    else
        std::fprintf(stderr, "zovtray: the StatusNotifierWatcher refused the item: %s\n",
                     error->message);
    g_error_free(error);
}

int zovStatusNotifierItem::OnRetry(void* self)
{
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    item->m_retry_source = 0;
    item->Register();
    return G_SOURCE_REMOVE;
}

void zovStatusNotifierItem::OnMenuActivated(DbusmenuMenuitem* item, unsigned, void*)
{
    const int action = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), action_key));
    const char* task = static_cast<const char*>(g_object_get_data(G_OBJECT(item), task_key));
    const std::string name = task ? task : "";
    // Later, from the event loop: "Exit" takes this menu down with the item.
    switch (action) {
    case action_open:
        wxTheApp->CallAfter([] { zovTrayMenu::Open(); });
        break;
    case action_switch:
        wxTheApp->CallAfter([name] { zovTrayMenu::SwitchTo(name); });
        break;
    case action_exit:
        wxTheApp->CallAfter([] { zovTrayMenu::Exit(); });
        break;
    case action_undo:
        wxTheApp->CallAfter([] { zovTrayMenu::Undo(); });
        break;
    default:
        break;
    }
}

int zovStatusNotifierItem::OnMenuAboutToShow(DbusmenuMenuitem*, void* self)
{
    // The hours on the running line age between updates: read them afresh.
    zovStatusNotifierItem* item = static_cast<zovStatusNotifierItem*>(self);
    const zovtray::tray_menu menu = zovTrayMenu::Read();
    if (menu.status != item->m_menu.status || menu.tasks != item->m_menu.tasks || menu.undo != item->m_menu.undo)
        item->BuildMenu(menu);
    return FALSE;
}
