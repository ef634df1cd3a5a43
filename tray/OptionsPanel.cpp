#include "OptionsPanel.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "SimpleTimePicker.h"
#include "zovStartOptions.h"
#include "zovAwayTexts.h"
#include "zovAwayWatch.h"
#include "zovTaskBarApp.h"

const long OptionsPanel::ID_CHECKBOX1 = wxNewId();
const long OptionsPanel::ID_TIMEPICKER = wxNewId();
const long OptionsPanel::ID_CHECKBOX2 = wxNewId();
const long OptionsPanel::ID_SPINCTRL1 = wxNewId();
const long OptionsPanel::ID_STATICTEXT2 = wxNewId();

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

    wxBoxSizer* away_row = new wxBoxSizer(wxHORIZONTAL);
    m_away_check = new wxCheckBox(this, ID_CHECKBOX2, _("Ask about away time after"),
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                  "ID_CHECKBOX2");
    away_row->Add(m_away_check, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);
    m_away_minutes = new wxSpinCtrl(this, ID_SPINCTRL1, wxEmptyString, wxDefaultPosition,
                                    wxDefaultSize, wxSP_ARROW_KEYS, zovSettings::ask_away_min,
                                    zovSettings::ask_away_max, zovSettings::default_ask_away,
                                    "ID_SPINCTRL1");
    away_row->Add(m_away_minutes, 0, wxALIGN_CENTER_VERTICAL);
    away_row->Add(new wxStaticText(this, wxID_ANY, _("minutes")), 0,
                  wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(away_row, 0, wxLEFT | wxRIGHT | wxBOTTOM, 5);
    zovAwayWatch* watch = wxGetApp().GetAwayWatch();
    m_idle_note = new wxStaticText(
        this, ID_STATICTEXT2,
        IdleNote(watch && watch->IdleSource() != zovAwayWatch::idle_source::none),
        wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT2");
    m_idle_note->Show(!m_idle_note->GetLabel().empty());
    sizer->Add(m_idle_note, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(new zovStartOptions(this), 0, wxLEFT | wxRIGHT | wxBOTTOM, 5);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);

    Bind(wxEVT_CHECKBOX, &OptionsPanel::OnCheckClicked, this, ID_CHECKBOX1);
    // The pointer leaving the page stores a changed time: there is no button.
    Bind(wxEVT_LEAVE_WINDOW, &OptionsPanel::OnLeaveWindow, this);
    Bind(wxEVT_CHECKBOX, &OptionsPanel::OnAwayChanged, this, ID_CHECKBOX2);
    m_away_minutes->Bind(wxEVT_SPINCTRL, &OptionsPanel::OnAwayMinutes, this);

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

OptionsPanel::Shown OptionsPanel::AwayShownFor(long setting)
{
    const long usable = zovSettings::usable_ask_away(setting);
    return Shown{usable > 0, usable < 0 ? -usable : usable};
}

wxString OptionsPanel::IdleNote(bool idle_seen)
{
    if (idle_seen)
        return wxEmptyString;
    return _("This desktop does not tell how long there was no input: "
             "only sleep and a locked screen count as away.");
}

void OptionsPanel::LoadSetting()
{
    const Shown shown = ShownFor(wxGetApp().GetAutoLogout());
    m_auto_check->SetValue(shown.ticked);
    m_time_picker->SetSeconds(static_cast<int>(std::min<long>(shown.seconds, INT_MAX)));
    const Shown away = AwayShownFor(wxGetApp().GetAskAway());
    m_away_check->SetValue(away.ticked);
    m_away_minutes->SetValue(static_cast<int>(away.seconds));
}

void OptionsPanel::SaveAway()
{
    const long minutes = m_away_minutes->GetValue();
    const long value = m_away_check->GetValue() ? minutes : -minutes;
    // Only a change: the pointer leaves the page often.
    if (value != wxGetApp().GetAskAway())
        wxGetApp().SetAskAway(value);
}

void OptionsPanel::OnAwayChanged(wxCommandEvent&)
{
    SaveAway();
}

void OptionsPanel::OnAwayMinutes(wxSpinEvent&)
{
    SaveAway();
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
    SaveAway();
    event.Skip();
}
