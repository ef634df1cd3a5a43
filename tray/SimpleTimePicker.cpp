#include "SimpleTimePicker.h"

#include <algorithm>

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>

#include "zovLayout.h"

const long SimpleTimePicker::ID_SPINCTRL1 = wxNewId();
const long SimpleTimePicker::ID_SPINCTRL2 = wxNewId();

namespace {

// 55 pixels hold two digits and the arrows of a Windows spin control; GTK's
// puts two wide buttons beside the digits and complains when squeezed.
void set_spin_width(wxSpinCtrl* spin)
{
    const int fitting = spin->GetSizeFromTextSize(spin->GetTextExtent("00").x).x;
    spin->SetInitialSize(wxSize(std::max(55, fitting), -1));
}

}  // namespace

SimpleTimePicker::SimpleTimePicker(wxWindow* parent, wxWindowID id, const wxPoint&, const wxSize&,
                                   long, const wxString&)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id")
{
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Hour [24] : Minute"));

    // Style 0: no arrow keys, no wrapping from 23 to 0.
    m_hours = new wxSpinCtrl(box->GetStaticBox(), ID_SPINCTRL1, "17", wxDefaultPosition,
                             wxSize(55, -1), 0, 0, 23, 17, "ID_SPINCTRL1");
    set_spin_width(m_hours);
    m_hours->SetValue("17");
    m_hours->SetToolTip(_("Hours (0-23)"));
    box->Add(m_hours, 0, wxALL | wxALIGN_CENTER, 5);

    m_minutes = new wxSpinCtrl(box->GetStaticBox(), ID_SPINCTRL2, "0", wxDefaultPosition,
                               wxSize(55, -1), 0, 0, 59, 0, "ID_SPINCTRL2");
    set_spin_width(m_minutes);
    m_minutes->SetValue("0");
    m_minutes->SetToolTip(_("Minutes (0-59)"));
    box->Add(m_minutes, 1, wxALL | wxALIGN_CENTER, 5);

    zovlayout::KeepLabelWhole(box);
    sizer->Add(box, 1, wxALL | wxALIGN_CENTER, 5);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);
}

int SimpleTimePicker::GetSeconds() const
{
    return m_hours->GetValue() * 3600 + m_minutes->GetValue() * 60;
}

bool SimpleTimePicker::SetSeconds(int seconds)
{
    const int hours = seconds / 3600;
    m_hours->SetValue(hours);
    m_minutes->SetValue(seconds / 60 - hours * 60);
    return true;
}
