#pragma once
// The "Current Task" page: log in, switch to the next task, log out; shows
// the current task and its status, today's total and the recent tasks.

#include <wx/panel.h>
#include <wx/timer.h>

#include "wxNotebookAuto.h"

class wxButton;
class wxListBox;
class wxStaticText;
class wxTextCtrl;

class CurrentTaskPanel : public wxPanel, public wxNotebookAutoPage
{
public:
    CurrentTaskPanel(wxWindow* parent, wxWindowID id = wxID_ANY,
                     const wxPoint& pos = wxDefaultPosition,
                     const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                     const wxString& name = "id");
    ~CurrentTaskPanel() override;

    bool Show(bool show = true) override;
    // Refreshes and starts the minute timer, or stops it.
    void PageShown(bool shown) override;

    static void StopTimer();
    // Totals and status afresh, when the page is on screen: after the tray
    // icon's automatic log-out, so that page and icon agree.
    static void RefreshStatusIfShown();

    void RefreshAll();
    void UpdateRecentList();
    void UpdateTotals();
    void UpdateStatus();
    void ApplyNext();

    // The controls, for the tests that drive the page.
    wxButton* GetLogoutButton() const { return m_logout_button; }
    wxButton* GetApplyNextButton() const { return m_apply_next_button; }
    wxButton* GetLoginButton() const { return m_login_button; }
    wxStaticText* GetStatusText() const { return m_status_text; }
    wxStaticText* GetRefreshText() const { return m_refresh_text; }
    wxStaticText* GetTaskText() const { return m_task_text; }
    wxStaticText* GetTotalText() const { return m_total_text; }
    wxListBox* GetRecentList() const { return m_recent_list; }
    wxTextCtrl* GetNextField() const { return m_next_field; }
    const wxTimer& GetTimer() const { return m_timer; }

    static const long ID_TIMER1;

private:
    // The daily log-out check, run before the page reads or changes the
    // state: a session that should have ended at the log-out time (the
    // computer slept through it) ends there before anything else happens.
    static void CheckAutoLogout();

    void OnRecentSelected(wxCommandEvent& event);
    void OnRecentDoubleClicked(wxCommandEvent& event);
    void OnApplyNext(wxCommandEvent& event);
    void OnLogin(wxCommandEvent& event);
    void OnLogout(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);

    wxButton* m_logout_button;
    wxStaticText* m_status_text;
    wxButton* m_apply_next_button;
    wxStaticText* m_refresh_text;
    wxButton* m_login_button;
    wxStaticText* m_task_text;
    wxListBox* m_recent_list;
    wxTimer m_timer;
    wxStaticText* m_total_text;
    wxTextCtrl* m_next_field;

    static CurrentTaskPanel* s_instance;
};
