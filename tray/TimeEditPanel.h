#pragma once
// A time of day typed as HH:MM. The field shows by its colour whether the
// text is a valid time (white) or not (red); the last valid time is kept.

#include <wx/panel.h>

class wxCommandEvent;
class wxTextCtrl;
class vu_datetime;

class TimeEditPanel : public wxPanel
{
public:
    TimeEditPanel(wxWindow* parent, wxWindowID id = wxID_ANY,
                  const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                  const wxString& name = "wxID_ANY");

    // Shows the time as HH:MM (seconds dropped) and parses it at once.
    void SetTime(const vu_datetime& time);
    // Checks the text; a valid time becomes the kept one. False when invalid.
    bool ParseTime();
    // The instant of the kept time of day on the local date of `date`, as a
    // day count (vu_datetime::to_jdn). Parses nothing: call ParseTime first.
    double GetJdn(const vu_datetime& date) const;

    // The kept time of day as a fraction of a day.
    double GetDayFraction() const { return m_day_fraction; }
    wxTextCtrl* GetTextControl() const { return m_text; }

    static const long ID_TEXTCTRL1;

private:
    void OnTextChanged(wxCommandEvent& event);

    wxTextCtrl* m_text;
    double m_day_fraction;
};
