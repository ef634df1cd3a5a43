#pragma once
// The icon in the notification area: tells whether work is recorded, for
// which task and for how long; opens the dialog; runs the daily log-out.

#include <wx/taskbar.h>
#include <wx/timer.h>

#include <vu_utils/vu_datetime.h>

class zovTaskBarIcon : public wxTaskBarIcon
{
public:
    zovTaskBarIcon();
    ~zovTaskBarIcon() override;

    // Brings tooltip and picture up to date; without force at most once per
    // five seconds. Also where the automatic log-out takes effect.
    void UpdateIcon(bool force);

    const wxString& GetTooltip() const { return m_tooltip; }
    const vu_datetime& GetLastUpdate() const { return m_last_update; }
    // Whether the working (green) picture is shown.
    bool ShowsWorking() const { return m_working; }
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

    vu_datetime m_last_update;
    wxString m_tooltip;
    wxTimer m_timer;
    bool m_working = false;

    wxDECLARE_EVENT_TABLE();
};
