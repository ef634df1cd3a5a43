#pragma once
// The icon in the notification area: tells whether work is recorded, for
// which task and for how long; opens the dialog; runs the daily log-out.

#include <memory>
#include <string>
#include <vector>

#include <wx/taskbar.h>
#include <wx/timer.h>

#include <vu_utils/vu_datetime.h>

#include "zovTrayChoice.h"

struct _GDBusConnection;
class zovStatusNotifierItem;

class zovTaskBarIcon : public wxTaskBarIcon
{
public:
    // Shows itself as `backend` says: in the X11 notification area, as an
    // item over D-Bus on `bus`, or not at all (the dialog is then a window);
    // the timer and the automatic log-out run in every case.
    explicit zovTaskBarIcon(zovtray::tray_backend backend = zovtray::tray_backend::xembed,
                            _GDBusConnection* bus = nullptr);
    ~zovTaskBarIcon() override;

    // Brings tooltip and picture up to date; without force at most once per
    // five seconds. Also where the automatic log-out takes effect.
    void UpdateIcon(bool force);

    const wxString& GetTooltip() const { return m_tooltip; }
    const vu_datetime& GetLastUpdate() const { return m_last_update; }
    // Whether the working (green) picture is shown.
    bool ShowsWorking() const { return m_working; }
    zovtray::tray_backend GetBackend() const { return m_backend; }
    // A panel came after the start: shows the D-Bus item from now on.
    void UseItem(_GDBusConnection* bus);
    // The D-Bus item, where the program shows one.
    zovStatusNotifierItem* GetItem() const { return m_item.get(); }
    wxTimer& GetTimer() { return m_timer; }

    static const long ID_MENU_OPEN;
    static const long ID_MENU_EXIT;
    static const long ID_ICON_TIMER;

    // A new menu each time; the toolkit shows it on a right click and deletes it.
    wxMenu* CreatePopupMenu() override;

private:
    void OnMenuOpen(wxCommandEvent& event);
    void OnMenuExit(wxCommandEvent& event);
    void OnLeftDoubleClick(wxTaskBarIconEvent& event);
    void OnLeftDown(wxTaskBarIconEvent& event);
    void OnMove(wxTaskBarIconEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnMenuTask(wxCommandEvent& event);

    vu_datetime m_last_update;
    wxString m_tooltip;
    wxTimer m_timer;
    bool m_working = false;
    zovtray::tray_backend m_backend;
    std::unique_ptr<zovStatusNotifierItem> m_item;
    std::vector<std::string> m_menu_tasks;  // of the menu shown last
    std::string m_item_state;               // task and flag the item's menu was read for

    wxDECLARE_EVENT_TABLE();
};
