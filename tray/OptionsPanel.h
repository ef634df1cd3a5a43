#pragma once
// The "Options" page of the main dialog: the daily automatic log-out,
// switched on or off, and its time of day. Stored through the application
// object on a click of the box and when the pointer leaves the page.

#include <wx/panel.h>

class SimpleTimePicker;
class wxCheckBox;
class wxCommandEvent;
class wxMouseEvent;
class wxSpinCtrl;
class wxSpinEvent;
class wxStaticText;

class OptionsPanel : public wxPanel
{
public:
    OptionsPanel(wxWindow* parent, wxWindowID id = wxID_ANY,
                 const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = "id");

    // What the page shows for a stored "AutoLogout": the sign is the switch
    // (zero counts as on), the absolute value the time of day in seconds.
    struct Shown
    {
        bool ticked;
        long seconds;
    };
    static Shown ShownFor(long setting);
    static long SettingFor(bool ticked, long seconds);

    void LoadSetting();
    void SaveSetting();

    // The away question from the stored "AskAway": ticked, and the minutes
    // (in `seconds`).
    static Shown AwayShownFor(long setting);
    // Whether the idle note shows, and what it says, for the watch's source.
    static wxString IdleNote(bool idle_seen);

    wxCheckBox* GetCheckBox() const { return m_auto_check; }
    wxCheckBox* GetAwayCheckBox() const { return m_away_check; }
    wxSpinCtrl* GetAwayMinutes() const { return m_away_minutes; }
    wxStaticText* GetIdleNote() const { return m_idle_note; }
    SimpleTimePicker* GetTimePicker() const { return m_time_picker; }

    static const long ID_CHECKBOX1;
    static const long ID_TIMEPICKER;
    static const long ID_CHECKBOX2;
    static const long ID_SPINCTRL1;
    static const long ID_STATICTEXT2;

private:
    void OnCheckClicked(wxCommandEvent& event);
    void OnLeaveWindow(wxMouseEvent& event);
    void OnAwayChanged(wxCommandEvent& event);
    void OnAwayMinutes(wxSpinEvent& event);
    void SaveAway();

    wxCheckBox* m_auto_check;
    SimpleTimePicker* m_time_picker;
    wxCheckBox* m_away_check;
    wxSpinCtrl* m_away_minutes;
    wxStaticText* m_idle_note;
};
