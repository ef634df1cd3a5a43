#pragma once
// A time of day in whole hours and minutes: two spin controls in a labelled box.

#include <wx/panel.h>

class wxSpinCtrl;

class SimpleTimePicker : public wxPanel
{
public:
    SimpleTimePicker(wxWindow* parent, wxWindowID id = wxID_ANY,
                     const wxPoint& pos = wxDefaultPosition,
                     const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                     const wxString& name = "id");

    // Hour * 3600 + minute * 60.
    int GetSeconds() const;
    // Seconds since midnight (0 to 86399); what is below a whole minute is lost.
    bool SetSeconds(int seconds);

    wxSpinCtrl* GetHoursControl() const { return m_hours; }
    wxSpinCtrl* GetMinutesControl() const { return m_minutes; }

    static const long ID_SPINCTRL1;
    static const long ID_SPINCTRL2;

private:
    wxSpinCtrl* m_hours;
    wxSpinCtrl* m_minutes;
};
