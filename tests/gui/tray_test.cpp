// Where the program shows itself (the choice of tray), its menu, the item's
// pictures, the window without a tray, one program per data folder, and the
// start at log-in.

#include <array>
#include <cstdlib>
#include <memory>
#include <set>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <gio/gio.h>
#include <gtk/gtk.h>
#include <X11/Xlib.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <zovkernel.h>

#include "CurrentTaskPanel.h"
#include "OptionsPanel.h"
#include "gui_support.h"
#include "zovAutostart.h"
#include "zovPictures.h"
#include "zovSingleInstance.h"
#include "zovStartOptions.h"
#include "zovStatusNotifierItem.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"
#include "zovTrayChoice.h"
#include "zovTrayMenu.h"
#include "zovTrayProbe.h"

using zovgui::AppTest;
using zovgui::DesktopGuard;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;
using zovtray::tray_backend;
using zovtray::tray_probe;

namespace {

std::string session_line(const std::string& task, const char* begin, const char* end)
{
    return zovSession(task, at(begin), at(end)).to_file_string() + "\n";
}

// Runs the toolkit's and GLib's pending work for a while.
void pump(int milliseconds)
{
    const wxLongLong end = wxGetLocalTimeMillis() + milliseconds;
    while (wxGetLocalTimeMillis() < end) {
        wxYield();  // GLib's sources too: D-Bus calls arrive through them
        wxMilliSleep(5);
    }
}

template <class Window>
Window* find_child(wxWindow* parent, const char* name)
{
    return dynamic_cast<Window*>(wxWindow::FindWindowByName(name, parent));
}

}  // namespace

TEST(TrayChoice, takes_the_item_then_the_x11_area_then_a_window)
{
    struct Case
    {
        bool bus, watcher, host, x11, xembed;
        tray_backend expected;
        const char* reason;  // in the logged line
    };
    const Case cases[] = {
        {true, true, true, true, true, tray_backend::status_notifier, "StatusNotifierWatcher with a host"},
        {true, true, true, false, false, tray_backend::status_notifier, "StatusNotifierWatcher with a host"},
        // A watcher without a panel shows nothing.
        {true, true, false, true, true, tray_backend::xembed, "has no host"},
        {true, true, false, true, false, tray_backend::window, "has no host; no X11 notification area"},
        {true, false, false, true, true, tray_backend::xembed, "no StatusNotifierWatcher"},
        {false, false, false, true, true, tray_backend::xembed, "no D-Bus session bus"},
        // What a bus-less probe could not have seen does not count.
        {false, true, true, true, false, tray_backend::window, "no D-Bus session bus"},
        {true, false, false, true, false, tray_backend::window, "no StatusNotifierWatcher; no X11"},
        // Wayland: never the X11 icon, even if a stale answer said so.
        {true, false, false, false, true, tray_backend::window, "the display is not X11"},
        {false, false, false, false, false, tray_backend::window, "no D-Bus session bus; the display is not X11"},
    };
    for (const Case& c : cases) {
        tray_probe probe;
        probe.session_bus = c.bus;
        probe.watcher = c.watcher;
        probe.host = c.host;
        probe.x11 = c.x11;
        probe.xembed_tray = c.xembed;
        const tray_backend got = zovtray::choose_backend(probe);
        const std::string line = zovtray::backend_log_line(got, probe);
        EXPECT_EQ(c.expected, got) << line;
        EXPECT_NE(std::string::npos, line.find(c.reason)) << line;
        EXPECT_EQ(0u, line.rfind("zovtray: shown ", 0)) << line;
        EXPECT_EQ(std::string::npos, line.find('\n')) << "one line: " << line;
    }
}

TEST(TrayChoice, names_one_valid_bus_name_per_data_folder)
{
    const std::string folders[] = {
        "/home/ann/.local/share/Zovaro/",
        "/home/ann/.local/share/Zovaro",  // another string, another name
        "/home/bob/.local/share/Zovaro/",
        "/tmp/with space/ und Ümlaut/",
        "",
    };
    std::set<std::string> names;
    for (const std::string& folder : folders) {
        const std::string name = zovtray::instance_bus_name(folder);
        EXPECT_TRUE(g_dbus_is_name(name.c_str()) && !g_dbus_is_unique_name(name.c_str())) << name;
        EXPECT_EQ(name, zovtray::instance_bus_name(folder)) << "stable";
        names.insert(name);
    }
    EXPECT_EQ(std::size(folders), names.size());
    EXPECT_EQ("org.kde.StatusNotifierItem-4242-1", zovtray::item_bus_name(4242));
    EXPECT_TRUE(g_dbus_is_name(zovtray::item_bus_name(4242).c_str()));
}

TEST(TrayChoice, menu_labels_turn_toolkit_mnemonics_into_underscores)
{
    const std::pair<const char*, const char*> labels[] = {
        {"&Open ZOV", "_Open ZOV"}, {"E&xit", "E_xit"},     {"A&&B", "A&B"},
        {"snake_case", "snake__case"}, {"&", "_"},       {"plain", "plain"},
    };
    for (const auto& l : labels)
        EXPECT_EQ(l.second, zovtray::dbusmenu_label(l.first)) << l.first;
    EXPECT_EQ("Fix__bug & more", zovtray::dbusmenu_literal("Fix_bug & more"));
}

TEST(ItemPixmap, is_argb_in_network_order_with_the_state_colour)
{
    wxImage one(2, 1);
    one.SetRGB(0, 0, 0x11, 0x22, 0x33);
    one.SetRGB(1, 0, 0x44, 0x55, 0x66);
    one.SetAlpha();
    one.SetAlpha(0, 0, 0x80);
    one.SetAlpha(1, 0, 0);
    EXPECT_EQ((std::vector<unsigned char>{0x80, 0x11, 0x22, 0x33, 0, 0, 0, 0}),
              zovStatusNotifierItem::ArgbPixels(one));

    struct Case
    {
        zovPicture picture;
        std::array<unsigned char, 3> accent;
        std::array<unsigned char, 3> other;
    };
    const Case cases[] = {
        {zovPicture::working, {0x00, 0x40, 0x00}, {0xFF, 0x00, 0x00}},
        {zovPicture::sleeping, {0xFF, 0x00, 0x00}, {0x00, 0x40, 0x00}},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> px =
            zovStatusNotifierItem::ArgbPixels(zovPictureIcon(c.picture).ConvertToImage());
        ASSERT_EQ(32u * 32u * 4u, px.size());
        EXPECT_EQ((std::vector<unsigned char>{0, 0, 0, 0}),
                  std::vector<unsigned char>(px.begin(), px.begin() + 4))
            << "transparent corner";
        int accent = 0, other = 0;
        for (std::size_t i = 0; i < px.size(); i += 4) {
            const std::array<unsigned char, 3> rgb{px[i + 1], px[i + 2], px[i + 3]};
            accent += px[i] == 255 && rgb == c.accent;
            other += px[i] == 255 && rgb == c.other;
        }
        EXPECT_GT(accent, 20);
        EXPECT_EQ(0, other);
    }
}

TEST(TrayProbe, sees_an_x11_notification_area_by_its_selection_owner)
{
    GDBusConnection* bus = zovtray::session_bus();
    ASSERT_NE(nullptr, bus) << "the GUI tests run on a private session bus";
    tray_probe probe = zovtray::probe_tray(bus);
    EXPECT_TRUE(probe.session_bus);
    EXPECT_FALSE(probe.watcher);
    EXPECT_TRUE(probe.x11);
    EXPECT_FALSE(probe.xembed_tray);

    // Become the notification area for a moment.
    const wxDisplayInfo info = wxGetDisplayInfo();
    ASSERT_EQ(wxDisplayX11, info.type);
    Display* display = static_cast<Display*>(info.dpy);
    const Window owner = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0,
                                             0, 0);
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    const Atom atom = XInternAtom(display, selection.c_str(), False);
    XSetSelectionOwner(display, atom, owner, CurrentTime);
    XSync(display, False);
    probe = zovtray::probe_tray(bus);
    EXPECT_TRUE(probe.xembed_tray);
    EXPECT_EQ(tray_backend::xembed, zovtray::choose_backend(probe));
    XDestroyWindow(display, owner);
    XSync(display, False);
    EXPECT_FALSE(zovtray::probe_tray(bus).xembed_tray);
    g_object_unref(bus);
}

class TrayMenuTest : public AppTest
{
protected:
    TrayMenuTest() : m_tz("Europe/Berlin"), m_clock("2026-03-13T08:00:00") {}

    void SetUp() override
    {
        AppTest::SetUp();
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK",
                            session_line("Alpha", "2026-03-10T08:00:00", "2026-03-10T09:00:00")
                                + session_line("Beta", "2026-03-11T08:00:00", "2026-03-11T09:00:00")
                                + session_line("Gamma", "2026-03-12T08:00:00", "2026-03-12T09:00:00"));
    }

    TzGuard m_tz;
    FixedClock m_clock;
};

TEST_F(TrayMenuTest, lists_the_five_newest_tasks_without_the_running_one)
{
    std::string older;
    for (int day = 1; day <= 4; ++day) {
        const std::string d = "2026-03-0" + std::to_string(day);
        older += session_line("T" + std::to_string(day), (d + "T08:00:00").c_str(),
                              (d + "T09:00:00").c_str());
    }
    zovtest::write_file(m_home->data_dir() + "HOURS.TSK",
                        older + zovtest::read_file(m_home->data_dir() + "HOURS.TSK"));
    zovtray::tray_menu menu = zovTrayMenu::Read();
    EXPECT_EQ("Sleeping", menu.status);
    EXPECT_EQ((std::vector<std::string>{"Gamma", "Beta", "Alpha", "T4", "T3"}), menu.tasks);

    ASSERT_TRUE(App().GetKernel()->login("Beta"));
    m_clock.advance(90 * 60);
    menu = zovTrayMenu::Read();
    EXPECT_EQ("Beta - Working 1.5h", menu.status);
    EXPECT_EQ((std::vector<std::string>{"Gamma", "Alpha", "T4", "T3", "T2"}), menu.tasks);

    // Nothing in the last 90 days: an empty, disabled "Switch to".
    ASSERT_TRUE(App().GetKernel()->logout());
    zovtest::write_file(m_home->data_dir() + "HOURS.TSK",
                        session_line("Old", "2025-10-01T08:00:00", "2025-10-01T09:00:00"));
    menu = zovTrayMenu::Read();
    EXPECT_TRUE(menu.tasks.empty());
    std::unique_ptr<wxMenu> popup(zovTrayMenu::MakeMenu(menu));
    EXPECT_FALSE(popup->FindItemByPosition(2)->IsEnabled());
}

TEST_F(TrayMenuTest, the_x11_menu_has_the_state_open_the_recent_tasks_and_exit)
{
    ASSERT_TRUE(App().GetKernel()->login("Beta"));
    m_clock.advance(90 * 60);
    std::unique_ptr<wxMenu> menu(App().GetIcon()->CreatePopupMenu());
    ASSERT_EQ(6u, menu->GetMenuItemCount());
    const wxMenuItem* status = menu->FindItemByPosition(0);
    EXPECT_EQ("Beta - Working 1.5h", status->GetItemLabel());
    EXPECT_FALSE(status->IsEnabled());
    EXPECT_EQ("&Open ZOV", menu->FindItemByPosition(1)->GetItemLabel());
    EXPECT_EQ(zovTaskBarIcon::ID_MENU_OPEN, menu->FindItemByPosition(1)->GetId());
    const wxMenuItem* sub = menu->FindItemByPosition(2);
    EXPECT_EQ("&Switch to", sub->GetItemLabel());
    ASSERT_TRUE(sub->IsSubMenu());
    std::vector<wxString> tasks;
    for (const wxMenuItem* item : sub->GetSubMenu()->GetMenuItems())
        tasks.push_back(item->GetItemLabel());
    EXPECT_EQ((std::vector<wxString>{"Gamma", "Alpha"}), tasks);
    EXPECT_EQ("Undo log-in to Beta", menu->FindItemByPosition(3)->GetItemLabel());
    EXPECT_TRUE(menu->FindItemByPosition(3)->IsEnabled());
    EXPECT_TRUE(menu->FindItemByPosition(4)->IsSeparator());
    EXPECT_EQ("E&xit", menu->FindItemByPosition(5)->GetItemLabel());
    EXPECT_EQ(zovTaskBarIcon::ID_MENU_EXIT, menu->FindItemByPosition(5)->GetId());

    // A click on "Alpha" switches: Beta's session is written, Alpha runs.
    m_clock.advance(30 * 60);
    wxCommandEvent pick(wxEVT_MENU, sub->GetSubMenu()->FindItemByPosition(1)->GetId());
    App().GetIcon()->ProcessEvent(pick);
    const std::vector<std::string> state = zovgui::data_lines(m_home->data_dir() + "CURRENT.TSK");
    ASSERT_EQ(1u, state.size());
    EXPECT_EQ(0u, state[0].rfind("Alpha ", 0)) << state[0];
    EXPECT_NE(std::string::npos, state[0].find(" ACTIVE"));
    const std::vector<std::string> hours = zovgui::data_lines(m_home->data_dir() + "HOURS.TSK");
    ASSERT_EQ(4u, hours.size());
    EXPECT_EQ(0u, hours[3].rfind("Beta ", 0)) << hours[3];
    // The icon follows in the same step.
    EXPECT_EQ("Alpha - Working 0.0h", App().GetIcon()->GetTooltip());
    EXPECT_TRUE(App().GetIcon()->ShowsWorking());
}

// "Undo <what>" takes back the last change, whichever program made it, and
// then offers the change before; with nothing recorded it is disabled.
TEST_F(TrayMenuTest, undo_takes_back_the_last_change)
{
    std::unique_ptr<wxMenu> menu(App().GetIcon()->CreatePopupMenu());
    EXPECT_EQ("Undo", menu->FindItemByPosition(3)->GetItemLabel());
    EXPECT_FALSE(menu->FindItemByPosition(3)->IsEnabled());

    const std::string state = zovtest::read_file(m_home->data_dir() + "CURRENT.TSK");
    ASSERT_TRUE(App().GetKernel()->login("Beta"));
    m_clock.advance(60 * 60);
    ASSERT_TRUE(App().GetKernel()->next("Gamma"));
    const std::string hours = zovtest::read_file(m_home->data_dir() + "HOURS.TSK");
    menu.reset(App().GetIcon()->CreatePopupMenu());
    EXPECT_EQ("Undo switch to Gamma", menu->FindItemByPosition(3)->GetItemLabel());
    wxCommandEvent undo(wxEVT_MENU, zovTrayMenu::ID_MENU_UNDO);
    App().GetIcon()->ProcessEvent(undo);
    // Beta runs again since its log-in; its closed session is cancelled by
    // an appended reversed line, nothing rewritten.
    const std::vector<std::string> current = zovgui::data_lines(m_home->data_dir() + "CURRENT.TSK");
    ASSERT_EQ(1u, current.size());
    EXPECT_EQ(0u, current[0].rfind("Beta 2026-03-13T08:00:00", 0)) << current[0];
    const std::string after = zovtest::read_file(m_home->data_dir() + "HOURS.TSK");
    EXPECT_EQ(0u, after.rfind(hours, 0));
    EXPECT_EQ("Beta - Working 1.0h", App().GetIcon()->GetTooltip());

    menu.reset(App().GetIcon()->CreatePopupMenu());
    EXPECT_EQ("Undo log-in to Beta", menu->FindItemByPosition(3)->GetItemLabel());
    App().GetIcon()->ProcessEvent(undo);
    EXPECT_EQ(state, zovtest::read_file(m_home->data_dir() + "CURRENT.TSK"));
    menu.reset(App().GetIcon()->CreatePopupMenu());
    EXPECT_FALSE(menu->FindItemByPosition(3)->IsEnabled());
}

TEST_F(TrayMenuTest, a_switch_refreshes_the_open_page_and_a_refused_one_says_so)
{
    App().ShowDialog(true);
    ASSERT_TRUE(App().GetKernel()->login("Beta"));
    zovTrayMenu::SwitchTo("Gamma");
    CurrentTaskPanel* page = App().GetDialog()->GetCurrentPage();
    EXPECT_EQ("Gamma", find_child<wxStaticText>(page, "ID_STATICTEXT1")->GetLabel());
    EXPECT_EQ("Gamma - Working 0.0h", App().GetIcon()->GetTooltip());

    // A log that cannot be written: the box says so, nothing changes.
    const std::string hours = m_home->data_dir() + "HOURS.TSK";
    ASSERT_EQ(0, ::rename(hours.c_str(), (hours + ".aside").c_str()));
    ASSERT_EQ(0, ::mkdir(hours.c_str(), 0700));
    zovTrayMenu::SwitchTo("Alpha");
    ::rmdir(hours.c_str());
    std::vector<zovgui::recorded_box> failed = zovgui::take_boxes();
    ASSERT_EQ(1u, failed.size());
    EXPECT_TRUE(failed[0].style & wxICON_ERROR);
    EXPECT_EQ("Gamma - Working 0.0h", App().GetIcon()->GetTooltip());

    zovTrayMenu::SwitchTo("bad name");
    const std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(wxNOT_FOUND, boxes[0].message.Find("bad name"));
    EXPECT_EQ("Gamma - Working 0.0h", App().GetIcon()->GetTooltip());
}

TEST_F(AppTest, without_a_tray_the_dialog_is_an_ordinary_window_that_stays_reachable)
{
    DesktopGuard trayless(&zovgui::trayless_desktop);
    Restart();
    EXPECT_EQ(tray_backend::window, App().GetBackend());
    zovTaskBarDialog* dialog = App().GetDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(dialog->IsShown()) << "shown from the start";
    EXPECT_FALSE(dialog->HasFlag(wxSTAY_ON_TOP));
    EXPECT_TRUE(dialog->HasFlag(wxMINIMIZE_BOX));
    GtkWindow* window = GTK_WINDOW(dialog->GetHandle());
    EXPECT_EQ(GDK_WINDOW_TYPE_HINT_NORMAL, gtk_window_get_type_hint(window));
    EXPECT_FALSE(gtk_window_get_skip_taskbar_hint(window));
    EXPECT_TRUE(dialog->m_gdkFunc & GDK_FUNC_MINIMIZE) << "the window manager offers minimising";
    EXPECT_TRUE(dialog->m_gdkDecor & GDK_DECOR_MINIMIZE);

    // The close box does not hide it: it could not be brought back.
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, dialog->GetId());
    close.SetEventObject(dialog);
    close.SetCanVeto(true);
    dialog->GetEventHandler()->ProcessEvent(close);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(close.GetVeto());
    App().ShowDialog(true);
    EXPECT_TRUE(dialog->IsShown());

    // The Options page ends the program.
    zovStartOptions* start = find_child<zovStartOptions>(dialog, "ID_PANEL_START");
    ASSERT_NE(nullptr, start);
    ASSERT_TRUE(start->GetExitButton()->IsShown());
    EXPECT_EQ("E&xit", start->GetExitButton()->GetLabel());
    zovgui::click(start->GetExitButton());
    pump(50);
    EXPECT_EQ(nullptr, App().GetDialog());
    EXPECT_EQ(nullptr, App().GetIcon());
}

TEST_F(AppTest, with_a_tray_the_dialog_keeps_its_ways_and_offers_no_exit_button)
{
    EXPECT_EQ(tray_backend::xembed, App().GetBackend());
    zovTaskBarDialog* dialog = App().GetDialog();
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_TRUE(dialog->HasFlag(wxSTAY_ON_TOP));
    zovStartOptions* start = find_child<zovStartOptions>(dialog, "ID_PANEL_START");
    ASSERT_NE(nullptr, start);
    EXPECT_FALSE(start->GetExitButton()->IsShown());
}

namespace {

// A StatusNotifierWatcher with a host, on a connection of its own (as the
// panel's process would have): records the items that register.
class FakeWatcher
{
public:
    FakeWatcher()
    {
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        m_bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                              | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        static const char* const xml =
            "<node><interface name='org.kde.StatusNotifierWatcher'>"
            "<method name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method>"
            "<property name='IsStatusNotifierHostRegistered' type='b' access='read'/>"
            "</interface></node>";
        m_node = g_dbus_node_info_new_for_xml(xml, nullptr);
        static const GDBusInterfaceVTable vtable = {&OnCall, &OnGet, nullptr, {nullptr}};
        m_object = g_dbus_connection_register_object(m_bus, "/StatusNotifierWatcher",
                                                     m_node->interfaces[0], &vtable, this,
                                                     nullptr, nullptr);
        Own(true);
    }
    ~FakeWatcher()
    {
        g_dbus_connection_unregister_object(m_bus, m_object);
        g_dbus_node_info_unref(m_node);
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }
    // Takes or gives up the watcher's name, as a panel starting or ending.
    void Own(bool own)
    {
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            own ? "RequestName" : "ReleaseName",
            own ? g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u)
                : g_variant_new("(s)", "org.kde.StatusNotifierWatcher"),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        ASSERT_NE(nullptr, reply);
        g_variant_unref(reply);
    }
    std::vector<std::string> registered;

private:
    static void OnCall(GDBusConnection*, const char*, const char*, const char*, const char*,
                       GVariant* params, GDBusMethodInvocation* invocation, void* self)
    {
        const char* service = nullptr;
        g_variant_get(params, "(&s)", &service);
        static_cast<FakeWatcher*>(self)->registered.push_back(service);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    static GVariant* OnGet(GDBusConnection*, const char*, const char*, const char*, const char*,
                           GError**, void*)
    {
        return g_variant_new_boolean(TRUE);
    }
    GDBusConnection* m_bus;
    GDBusNodeInfo* m_node;
    unsigned m_object;
};

tray_probe panel_desktop()
{
    tray_probe probe;
    probe.session_bus = probe.watcher = probe.host = probe.x11 = true;
    return probe;
}

template <class Test>
bool pump_until(Test test, int milliseconds = 5000)
{
    for (int waited = 0; waited < milliseconds && !test(); waited += 20)
        pump(20);
    return test();
}

}  // namespace

TEST_F(AppTest, the_item_registers_again_with_a_new_panel_and_a_panel_gone_for_good_leaves_a_window)
{
    FakeWatcher watcher;
    DesktopGuard panel(&panel_desktop);
    Restart();
    ASSERT_EQ(tray_backend::status_notifier, App().GetBackend());
    zovStatusNotifierItem* item = App().GetIcon()->GetItem();
    ASSERT_NE(nullptr, item);
    ASSERT_TRUE(pump_until([&] { return !watcher.registered.empty(); }));
    EXPECT_EQ((std::vector<std::string>{item->BusName()}), watcher.registered);
    EXPECT_EQ(1, item->Registrations());
    EXPECT_FALSE(App().GetDialog()->IsShown());

    // A panel restart: gone, back within the grace time, registered again.
    zovStatusNotifierItem::SetGraceTime(600);
    watcher.Own(false);
    pump(100);
    watcher.Own(true);
    ASSERT_TRUE(pump_until([&] { return item->Registrations() == 2; }));
    pump(800);
    EXPECT_FALSE(App().GetDialog()->IsShown()) << "a restart is not a loss";

    // Gone for good: the dialog becomes a window that can be reached and ended.
    watcher.Own(false);
    ASSERT_TRUE(pump_until([&] { return App().GetDialog()->IsShown(); }));
    zovTaskBarDialog* dialog = App().GetDialog();
    EXPECT_FALSE(dialog->HasFlag(wxSTAY_ON_TOP));
    EXPECT_EQ(GDK_WINDOW_TYPE_HINT_NORMAL,
              gtk_window_get_type_hint(GTK_WINDOW(dialog->GetHandle())));
    zovStartOptions* start = find_child<zovStartOptions>(dialog, "ID_PANEL_START");
    EXPECT_TRUE(start->GetExitButton()->IsShown());
    // And the panel, when it comes back after all, gets the item again.
    watcher.Own(true);
    EXPECT_TRUE(pump_until([&] { return item->Registrations() == 3; }));
    zovStatusNotifierItem::SetGraceTime(15000);
}

TEST_F(AppTest, a_second_start_on_the_same_folder_shows_the_first_ones_dialog)
{
    ASSERT_TRUE(App().IsFirstInstance());
    ASSERT_FALSE(App().GetDialog()->IsShown());
    // The later start on a connection of its own, as another process would.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_NE(nullptr, address);
    GDBusConnection* other = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    bool shown_there = false;
    {
        zovSingleInstance second(other, m_home->data_dir(), [&] { shown_there = true; });
        EXPECT_EQ(zovSingleInstance::Claim::other_shown, second.Result());
        pump(200);
        EXPECT_TRUE(App().GetDialog()->IsShown()) << "the first one shows its dialog";
        EXPECT_FALSE(shown_there);
    }
    {
        // The same folder through a symbolic link is the same program.
        const std::string link = m_home->home() + "data-link";
        ASSERT_EQ(0, ::symlink(m_home->data_dir().c_str(), link.c_str()));
        zovSingleInstance linked(other, link + "/", [&] { shown_there = true; });
        EXPECT_EQ(zovSingleInstance::Claim::other_shown, linked.Result());
        pump(200);
        EXPECT_FALSE(shown_there);
    }
    {
        // Another data folder is another program.
        zovSingleInstance elsewhere(other, m_home->data_dir() + "other/", [] {});
        EXPECT_EQ(zovSingleInstance::Claim::first, elsewhere.Result());
    }
    // The name goes with the program: the next start is a first one again.
    Restart();
    EXPECT_TRUE(App().IsFirstInstance());
    g_dbus_connection_close_sync(other, nullptr, nullptr);
    g_object_unref(other);
}

// The entry names a program that will still be there at the next log-in.
TEST(Autostart, the_entry_names_a_program_that_exists)
{
    zovtest::TempDir dir;
    const std::string built = dir.path() + "build/zovtray";
    const std::string installed = dir.path() + "usr/bin/zovtray";
    ASSERT_TRUE(zov::make_dirs(dir.path() + "build") && zov::make_dirs(dir.path() + "usr/bin"));
    zovtest::write_file(built, "");
    zovtest::write_file(installed, "");
    const std::string gone = dir.path() + "old/zovtray";
    struct entry_case
    {
        const char* name;
        std::string running;
        std::string installed;
        std::string expected;
    };
    const entry_case cases[] = {
        {"from a build folder", built, installed, built},
        {"installed", installed, installed, installed},
        {"upgraded in place", installed + " (deleted)", installed, installed},
        {"rebuilt in place", built + " (deleted)", installed, built},
        {"moved away by an upgrade", gone + " (deleted)", installed, installed},
        {"gone, nothing installed", gone + " (deleted)", dir.path() + "none", "zovtray"},
        {"no link to read", "", installed, installed},
    };
    for (const entry_case& c : cases)
        EXPECT_EQ(c.expected, zovtray::program_for_autostart(c.running, c.installed)) << c.name;
}

// Without HOME the entry goes where the settings and the data go: below the
// password database's home folder, never below "/".
TEST(Autostart, the_entry_follows_the_kernels_folder_rule)
{
    struct passwd* pw = ::getpwuid(::getuid());
    if (!pw || !pw->pw_dir || pw->pw_dir[0] != '/' || std::string(pw->pw_dir) == "/")
        GTEST_SKIP() << "this user has no password entry with a home folder";
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string saved_home = home ? home : "", saved_config = config ? config : "";
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    const std::string file = zovtray::autostart_file();
    if (home)
        ::setenv("HOME", saved_home.c_str(), 1);
    if (config)
        ::setenv("XDG_CONFIG_HOME", saved_config.c_str(), 1);
    std::string base = pw->pw_dir;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    EXPECT_EQ(base + "/.config/autostart/zovtray.desktop", file);
}

TEST_F(AppTest, the_autostart_box_writes_and_removes_the_entry)
{
    const std::string entry = m_home->home() + ".config/autostart/zovtray.desktop";
    EXPECT_EQ(entry, zovtray::autostart_file());
    zovStartOptions* start = find_child<zovStartOptions>(App().GetDialog(), "ID_PANEL_START");
    ASSERT_NE(nullptr, start);
    wxCheckBox* box = start->GetAutostartBox();
    EXPECT_EQ("Start ZOV when I log in", box->GetLabel());
    EXPECT_FALSE(box->GetValue());

    box->SetValue(true);
    zovgui::click(box, wxEVT_CHECKBOX);
    ASSERT_TRUE(zovtest::exists(entry));
    const std::string text = zovtest::read_file(entry);
    EXPECT_NE(std::string::npos, text.find("[Desktop Entry]\nType=Application\n"));
    EXPECT_NE(std::string::npos, text.find("\nExec=" + zovtray::own_program_path() + "\n"))
        << text;
    EXPECT_FALSE(zovtest::exists(entry + ".new"));
    EXPECT_TRUE(box->GetValue());

    // The box shows the file, also after a restart.
    Restart();
    start = find_child<zovStartOptions>(App().GetDialog(), "ID_PANEL_START");
    box = start->GetAutostartBox();
    EXPECT_TRUE(box->GetValue());
    box->SetValue(false);
    zovgui::click(box, wxEVT_CHECKBOX);
    EXPECT_FALSE(zovtest::exists(entry));
    EXPECT_FALSE(box->GetValue());

    // A file where the folder should be: the box says so and stays clear.
    ASSERT_EQ(0, ::rmdir((m_home->home() + ".config/autostart").c_str()));
    zovtest::write_file(m_home->home() + ".config/autostart", "in the way");
    box->SetValue(true);
    zovgui::click(box, wxEVT_CHECKBOX);
    EXPECT_FALSE(box->GetValue());
    const std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(wxNOT_FOUND, boxes[0].message.Find("autostart")) << boxes[0].message;
    EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
}

TEST(Autostart, quotes_a_program_path_as_desktop_entries_require)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/zovtray", "Exec=/usr/bin/zovtray\n"},
        {"/opt/my apps/zovtray", "Exec=\"/opt/my apps/zovtray\"\n"},
        {"/opt/100%/zovtray", "Exec=\"/opt/100%%/zovtray\"\n"},
        {"/opt/a$b/zovtray", "Exec=\"/opt/a\\\\$b/zovtray\"\n"},
    };
    for (const auto& c : cases) {
        const std::string entry = zovtray::autostart_entry(c.first);
        EXPECT_NE(std::string::npos, entry.find(c.second)) << entry;
    }
}
