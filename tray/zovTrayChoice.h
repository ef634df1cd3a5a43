#pragma once
// Where the program shows itself, decided without windows: what the desktop
// offers goes in, the backend and the one line that says why come out. Also
// the names under which one program per user and data folder is found.

#include <cstdint>
#include <string>

namespace zovtray {

enum class tray_backend
{
    status_notifier,  // an item over D-Bus, hosted by the desktop's panel
    xembed,           // the toolkit's icon in an X11 notification area
    window,           // no tray at all: the dialog is an ordinary window
};

// What the desktop offers at start-up.
struct tray_probe
{
    bool session_bus = false;     // a D-Bus session bus answered
    bool watcher = false;         // org.kde.StatusNotifierWatcher has an owner
    bool host = false;            // ... and says a host (a panel) is registered
    bool x11 = false;             // the display is X11 (not Wayland)
    bool xembed_tray = false;     // _NET_SYSTEM_TRAY_S<screen> has an owner
};

// The item where a panel hosts items; else the X11 notification area; else
// the window, so that the program is never out of reach.
tray_backend choose_backend(const tray_probe& probe);

// "zovtray: shown as ... (reason)" without a line end.
std::string backend_log_line(tray_backend backend, const tray_probe& probe);

// The D-Bus name that one running program owns for its data folder, valid as
// a bus name whatever bytes the folder holds.
std::string instance_bus_name(const std::string& data_dir);

// The item's own bus name, by the desktop convention.
std::string item_bus_name(long pid);

// The menu's label for a toolkit label: D-Bus menus mark the mnemonic with
// "_" where the toolkit uses "&"; a literal "_" is doubled, "&&" is one "&".
std::string dbusmenu_label(const std::string& toolkit_label);
// A text shown as it is in a D-Bus menu (a task name): "_" doubled.
std::string dbusmenu_literal(const std::string& text);

}  // namespace zovtray
