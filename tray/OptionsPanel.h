#pragma once
// The "Options" page of the main dialog: the daily automatic log-out,
// switched on or off, and its time of day. Stored through the application
// object on a click of the box and when the pointer leaves the page.

#include <wx/panel.h>

class SimpleTimePicker;
class wxCheckBox;
class wxCommandEvent;
class wxMouseEvent;

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

    wxCheckBox* GetCheckBox() const { return m_auto_check; }
    SimpleTimePicker* GetTimePicker() const { return m_time_picker; }

    static const long ID_CHECKBOX1;
    static const long ID_TIMEPICKER;

private:
    void OnCheckClicked(wxCommandEvent& event);
    void OnLeaveWindow(wxMouseEvent& event);

    wxCheckBox* m_auto_check;
    SimpleTimePicker* m_time_picker;
};
