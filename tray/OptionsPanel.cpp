#include "OptionsPanel.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/sizer.h>

#include "SimpleTimePicker.h"
#include "zovStartOptions.h"
#include "zovTaskBarApp.h"

const long OptionsPanel::ID_CHECKBOX1 = wxNewId();
const long OptionsPanel::ID_TIMEPICKER = wxNewId();

OptionsPanel::OptionsPanel(wxWindow* parent, wxWindowID id, const wxPoint&, const wxSize&, long,
                           const wxString&)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id")
{
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    m_auto_check = new wxCheckBox(this, ID_CHECKBOX1, _("Auto log-out every day at "),
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                  "ID_CHECKBOX1");
    m_auto_check->SetValue(false);
    row->Add(m_auto_check, 1, wxTOP | wxLEFT | wxRIGHT | wxALIGN_CENTER, 5);
    m_time_picker = new SimpleTimePicker(this, ID_TIMEPICKER);
    row->Add(m_time_picker, 0, wxBOTTOM | wxRIGHT | wxALIGN_CENTER, 5);
    sizer->Add(row, 0, wxALL, 5);
    sizer->Add(new zovStartOptions(this), 0, wxLEFT | wxRIGHT | wxBOTTOM, 5);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);

    Bind(wxEVT_CHECKBOX, &OptionsPanel::OnCheckClicked, this, ID_CHECKBOX1);
    // The pointer leaving the page stores a changed time: there is no button.
    Bind(wxEVT_LEAVE_WINDOW, &OptionsPanel::OnLeaveWindow, this);

    LoadSetting();
}

OptionsPanel::Shown OptionsPanel::ShownFor(long setting)
{
    // The store may hold anything; the most negative long has no positive twin.
    const long magnitude = setting == LONG_MIN ? LONG_MAX : std::labs(setting);
    return Shown{setting >= 0, magnitude};
}

long OptionsPanel::SettingFor(bool ticked, long seconds)
{
    return ticked ? seconds : -seconds;
}

void OptionsPanel::LoadSetting()
{
    const Shown shown = ShownFor(wxGetApp().GetAutoLogout());
    m_auto_check->SetValue(shown.ticked);
    m_time_picker->SetSeconds(static_cast<int>(std::min<long>(shown.seconds, INT_MAX)));
}

void OptionsPanel::SaveSetting()
{
    wxGetApp().SetAutoLogout(SettingFor(m_auto_check->GetValue(), m_time_picker->GetSeconds()));
}

void OptionsPanel::OnCheckClicked(wxCommandEvent&)
{
    SaveSetting();
}

void OptionsPanel::OnLeaveWindow(wxMouseEvent& event)
{
    SaveSetting();
    event.Skip();
}
