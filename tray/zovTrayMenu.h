#pragma once
// The tray menu, the same in the X11 notification area and over D-Bus: the
// running line (not clickable), "Open ZOV", "Switch to" with the most recent
// tasks, "Undo <what>" for the last change, a separator, "Exit". What it lists is decided without windows; what
// its items do goes through the application object.

#include <string>
#include <vector>

#include <wx/string.h>

#include <vu_utils/vu_datetime.h>

class wxMenu;
class zovCurrent;
class zovSinkHours;

namespace zovtray {

// How many recent tasks "Switch to" offers.
constexpr std::size_t switch_to_count = 5;

struct tray_menu
{
    wxString status;                 // "Alpha - Working 1.5h" or "Sleeping"
    std::vector<std::string> tasks;  // newest first, without the running one
    std::string undo;                // the change "Undo" takes back; empty: none
};

// "Undo switch to Review", or "Undo" when there is nothing to take back.
wxString undo_label(const std::string& what);

// The running line: "Alpha - Working 1.5h" or "Sleeping".
wxString menu_status(const zovCurrent& current, const vu_datetime& now);

// The menu for a state and the sessions of the recent range.
tray_menu make_tray_menu(const zovCurrent& current, const zovSinkHours& recent,
                         const vu_datetime& now);

}  // namespace zovtray

class zovTrayMenu
{
public:
    // The menu as the kernel's files say now.
    static zovtray::tray_menu Read();

    // The items' actions. A switch that fails says so in a message box.
    static void Open();
    static void SwitchTo(const std::string& task);
    // Takes back the last change; a refusal says why in a message box.
    static void Undo();
    static void Exit();

    // The toolkit menu with the ids below; the tasks are those of `menu`.
    static wxMenu* MakeMenu(const zovtray::tray_menu& menu);

    static const wxString label_open;
    static const wxString label_switch;
    static const wxString label_exit;

    static const long ID_MENU_STATUS;
    static const long ID_MENU_SWITCH;
    static const long ID_MENU_UNDO;
    // Ids of the "Switch to" items, in their order.
    static const std::vector<long>& TaskIds();
};
