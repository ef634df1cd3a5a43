#include "zovAccessibleBars.h"

#include <gtk/gtk.h>
#include <gtk/gtk-a11y.h>

#include <wx/nativewin.h>

// GObject's type macros are C; their casts are not ours to tidy.
#pragma GCC diagnostic ignored "-Wcast-function-type"

namespace {

struct bars_data
{
    std::vector<zovtray::accessible_bar> bars;
    std::vector<AtkObject*> children;
    int focused = -1;
};

// --- One bar ------------------------------------------------------------------

struct ZovBarAccessible
{
    AtkObject parent;
    GtkWidget* host;  // not owned
    int index;
};
struct ZovBarAccessibleClass
{
    AtkObjectClass parent_class;
};

GType zov_bar_accessible_get_type();
bars_data* data_of(GtkWidget* host);

void bar_get_extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords)
{
    auto* self = reinterpret_cast<ZovBarAccessible*>(component);
    *x = *y = *width = *height = 0;
    bars_data* data = self->host ? data_of(self->host) : nullptr;
    if (!data || self->index >= static_cast<int>(data->bars.size()))
        return;
    const wxRect& r = data->bars[static_cast<std::size_t>(self->index)].rect;
    // The host has no window of its own: its window is the drawing one, in
    // whose coordinates the bars are given.
    gint ox = 0, oy = 0;
    if (GdkWindow* window = gtk_widget_get_window(self->host)) {
        if (coords == ATK_XY_WINDOW) {
            GdkWindow* top = gdk_window_get_toplevel(window);
            gint tx = 0, ty = 0, wx = 0, wy = 0;
            gdk_window_get_origin(top, &tx, &ty);
            gdk_window_get_origin(window, &wx, &wy);
            ox = wx - tx, oy = wy - ty;
        } else {
            gdk_window_get_origin(window, &ox, &oy);
        }
    }
    *x = ox + r.x;
    *y = oy + r.y;
    *width = r.width;
    *height = r.height;
}

void bar_component_init(AtkComponentIface* iface)
{
    iface->get_extents = bar_get_extents;
}

AtkStateSet* bar_ref_state_set(AtkObject* object)
{
    auto* self = reinterpret_cast<ZovBarAccessible*>(object);
    AtkStateSet* set = atk_state_set_new();
    atk_state_set_add_state(set, ATK_STATE_VISIBLE);
    atk_state_set_add_state(set, ATK_STATE_SHOWING);
    atk_state_set_add_state(set, ATK_STATE_ENABLED);
    atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
    atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
    bars_data* data = self->host ? data_of(self->host) : nullptr;
    if (data && data->focused == self->index)
        atk_state_set_add_state(set, ATK_STATE_FOCUSED);
    return set;
}

gint bar_get_index_in_parent(AtkObject* object)
{
    return reinterpret_cast<ZovBarAccessible*>(object)->index;
}

void zov_bar_accessible_class_init(ZovBarAccessibleClass* klass, gpointer)
{
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->ref_state_set = bar_ref_state_set;
    atk->get_index_in_parent = bar_get_index_in_parent;
}

void zov_bar_accessible_init(ZovBarAccessible*, gpointer) {}

GType zov_bar_accessible_get_type()
{
    static GType type = 0;
    if (!type) {
        const GTypeInfo info = {sizeof(ZovBarAccessibleClass), nullptr, nullptr,
                                reinterpret_cast<GClassInitFunc>(zov_bar_accessible_class_init), nullptr, nullptr,
                                sizeof(ZovBarAccessible), 0,
                                reinterpret_cast<GInstanceInitFunc>(zov_bar_accessible_init), nullptr};
        type = g_type_register_static(ATK_TYPE_OBJECT, "ZovBarAccessible", &info, GTypeFlags(0));
        const GInterfaceInfo component = {reinterpret_cast<GInterfaceInitFunc>(bar_component_init), nullptr,
                                          nullptr};
        g_type_add_interface_static(type, ATK_TYPE_COMPONENT, &component);
    }
    return type;
}

// --- The host's accessible: the bars as its children --------------------------

gint host_get_n_children(AtkObject* object)
{
    GtkWidget* host = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
    bars_data* data = host ? data_of(host) : nullptr;
    return data ? static_cast<gint>(data->children.size()) : 0;
}

AtkObject* host_ref_child(AtkObject* object, gint i)
{
    GtkWidget* host = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
    bars_data* data = host ? data_of(host) : nullptr;
    if (!data || i < 0 || i >= static_cast<gint>(data->children.size()))
        return nullptr;
    return ATK_OBJECT(g_object_ref(data->children[static_cast<std::size_t>(i)]));
}

void host_accessible_class_init(gpointer klass, gpointer)
{
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_n_children = host_get_n_children;
    atk->ref_child = host_ref_child;
}

GType host_accessible_get_type()
{
    static GType type = 0;
    if (!type) {
        GTypeQuery parent;
        g_type_query(GTK_TYPE_WIDGET_ACCESSIBLE, &parent);
        type = g_type_register_static_simple(GTK_TYPE_WIDGET_ACCESSIBLE, "ZovBarsHostAccessible", parent.class_size,
                                             host_accessible_class_init, parent.instance_size, nullptr,
                                             GTypeFlags(0));
    }
    return type;
}

// --- The host widget: windowless, draws nothing, takes no input --------------

void host_class_init(gpointer klass, gpointer)
{
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), host_accessible_get_type());
}

void host_init(GTypeInstance* instance, gpointer)
{
    gtk_widget_set_has_window(GTK_WIDGET(instance), FALSE);
    gtk_widget_set_can_focus(GTK_WIDGET(instance), FALSE);
}

GType host_get_type()
{
    static GType type = 0;
    if (!type) {
        GTypeQuery parent;
        g_type_query(GTK_TYPE_WIDGET, &parent);
        type = g_type_register_static_simple(GTK_TYPE_WIDGET, "ZovBarsHost", parent.class_size, host_class_init,
                                             parent.instance_size, host_init, GTypeFlags(0));
    }
    return type;
}

const char* const data_key = "zov-bars";

bars_data* data_of(GtkWidget* host)
{
    return static_cast<bars_data*>(g_object_get_data(G_OBJECT(host), data_key));
}

void free_data(gpointer p)
{
    auto* data = static_cast<bars_data*>(p);
    for (AtkObject* child : data->children) {
        reinterpret_cast<ZovBarAccessible*>(child)->host = nullptr;
        g_object_unref(child);
    }
    delete data;
}

// A child window that the keyboard never reaches.
class HostWindow : public wxNativeWindow
{
public:
    HostWindow(wxWindow* parent, GtkWidget* widget) : wxNativeWindow(parent, wxID_ANY, widget) {}
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }
};

}  // namespace

namespace zovtray {

AccessibleBars::AccessibleBars(wxWindow* window)
{
    GtkWidget* host = GTK_WIDGET(g_object_new(host_get_type(), nullptr));
    g_object_set_data_full(G_OBJECT(host), data_key, new bars_data, free_data);
    // A pixel in the corner: GTK and the toolkit give the mouse, and
    // GTK the tooltip, to a child under the pointer, windowless or not.
    m_native = new HostWindow(window, host);
    m_native->SetSize(0, 0, 1, 1);
}

AccessibleBars::~AccessibleBars() = default;  // the window tree destroys the widget

void AccessibleBars::Set(const std::vector<accessible_bar>& bars)
{
    GtkWidget* host = static_cast<GtkWidget*>(m_native->GetHandle());
    bars_data* data = data_of(host);
    AtkObject* parent = gtk_widget_get_accessible(host);
    const std::size_t old_count = data->children.size();
    while (data->children.size() < bars.size()) {
        auto* child = static_cast<ZovBarAccessible*>(g_object_new(zov_bar_accessible_get_type(), nullptr));
        child->host = host;
        child->index = static_cast<int>(data->children.size());
        AtkObject* atk = ATK_OBJECT(child);
        atk_object_set_role(atk, ATK_ROLE_PUSH_BUTTON);
        atk_object_set_parent(atk, parent);
        data->children.push_back(atk);
    }
    while (data->children.size() > bars.size()) {
        AtkObject* child = data->children.back();
        data->children.pop_back();
        g_signal_emit_by_name(parent, "children-changed::remove", static_cast<gint>(data->children.size()), child);
        reinterpret_cast<ZovBarAccessible*>(child)->host = nullptr;
        g_object_unref(child);
    }
    data->bars = bars;
    if (data->focused >= static_cast<int>(bars.size()))
        data->focused = -1;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        atk_object_set_name(data->children[i], bars[i].name.c_str());
        if (i >= old_count)
            g_signal_emit_by_name(parent, "children-changed::add", static_cast<gint>(i), data->children[i]);
    }
}

void AccessibleBars::Focus(int index)
{
    GtkWidget* host = static_cast<GtkWidget*>(m_native->GetHandle());
    bars_data* data = data_of(host);
    if (index >= static_cast<int>(data->children.size()))
        index = -1;
    if (index == data->focused)
        return;
    if (data->focused >= 0)
        atk_object_notify_state_change(data->children[static_cast<std::size_t>(data->focused)], ATK_STATE_FOCUSED,
                                       FALSE);
    data->focused = index;
    if (index >= 0) {
        AtkObject* child = data->children[static_cast<std::size_t>(index)];
        atk_object_notify_state_change(child, ATK_STATE_FOCUSED, TRUE);
        g_signal_emit_by_name(gtk_widget_get_accessible(host), "active-descendant-changed", child);
    }
}

AtkObject* AccessibleBars::Accessible() const
{
    return gtk_widget_get_accessible(static_cast<GtkWidget*>(m_native->GetHandle()));
}

}  // namespace zovtray
