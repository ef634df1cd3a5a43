#include "CurrentTaskPanel.h"

#include <wx/button.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <zov/zovKernel.h>
#include <zov/zovSinkHours.h>

#include "zovLayout.h"
#include "zovTaskBarApp.h"
#include "zovTrayRules.h"

const long CurrentTaskPanel::ID_TIMER1 = wxNewId();

CurrentTaskPanel* CurrentTaskPanel::s_instance = nullptr;

namespace {

const long ID_LISTBOX1 = wxNewId();
const long ID_TEXTCTRL1 = wxNewId();
const long ID_BUTTON1 = wxNewId();
const long ID_STATICTEXT4 = wxNewId();
const long ID_STATICTEXT3 = wxNewId();
const long ID_BUTTON2 = wxNewId();
const long ID_BUTTON3 = wxNewId();
const long ID_STATICTEXT1 = wxNewId();
const long ID_STATICTEXT2 = wxNewId();

wxFont label_font(const wxString& face)
{
    return wxFont(11, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, face);
}

zovKernel& kernel()
{
    return *wxGetApp().GetKernel();
}

// A refused name or a failed write: say which, in a box without parent.
void report_failure(const std::string& name)
{
    const bool bad_name = !name.empty() && !zovKernel::is_valid_task_name(name);
    const wxString text =
        bad_name ? zovtray::bad_name_message(zovtray::from_bytes(name))
                 : zovtray::write_failed_message(zovtray::from_bytes(kernel().dir()));
    wxMessageBox(text, _("Error"), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
}

}  // namespace

CurrentTaskPanel::CurrentTaskPanel(wxWindow* parent, wxWindowID id, const wxPoint&, const wxSize&,
                                   long, const wxString&)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id")
{
    wxBoxSizer* top = new wxBoxSizer(wxHORIZONTAL);

    wxStaticBoxSizer* recent_box = new wxStaticBoxSizer(wxVERTICAL, this, _("Recent (90 days)"));
    m_recent_list = new wxListBox(recent_box->GetStaticBox(), ID_LISTBOX1, wxDefaultPosition,
                                  wxDefaultSize, 0, nullptr, 0, wxDefaultValidator, "ID_LISTBOX1");
    recent_box->Add(m_recent_list, 1, wxEXPAND, 0);
    top->Add(recent_box, 1, wxALL | wxEXPAND, 5);

    wxBoxSizer* right = new wxBoxSizer(wxVERTICAL);

    wxStaticBoxSizer* next_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Next"));
    m_next_field = new wxTextCtrl(next_box->GetStaticBox(), ID_TEXTCTRL1, wxEmptyString,
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                  "ID_TEXTCTRL1");
    next_box->Add(m_next_field, 1, wxBOTTOM | wxALIGN_CENTER_VERTICAL, 5);
    m_apply_next_button = new wxButton(next_box->GetStaticBox(), ID_BUTTON1, _("Apply Next"),
                                       wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                       "ID_BUTTON1");
    next_box->Add(m_apply_next_button, 0, wxBOTTOM | wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL,
                  5);
    // A right border like the boxes below it, so that the button stays inside.
    right->Add(next_box, 0, wxTOP | wxBOTTOM | wxRIGHT | wxEXPAND, 5);

    right->Add(-1, -1, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    wxStaticBoxSizer* refresh_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Latest Refresh"));
    m_refresh_text = new wxStaticText(refresh_box->GetStaticBox(), ID_STATICTEXT4, _("12:00"),
                                      wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT4");
    m_refresh_text->SetFont(label_font(wxEmptyString));
    refresh_box->Add(m_refresh_text, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    right->Add(refresh_box, 0, wxTOP | wxBOTTOM | wxRIGHT | wxEXPAND, 5);

    wxStaticBoxSizer* total_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Total work today"));
    m_total_text = new wxStaticText(total_box->GetStaticBox(), ID_STATICTEXT3, _("Total Today"),
                                    wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT3");
    m_total_text->SetFont(label_font(wxEmptyString));
    total_box->Add(m_total_text, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    wxBoxSizer* buttons = new wxBoxSizer(wxVERTICAL);
    m_login_button = new wxButton(total_box->GetStaticBox(), ID_BUTTON2, _("Login"),
                                  wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                  "ID_BUTTON2");
    buttons->Add(m_login_button, 0, wxALIGN_CENTER_HORIZONTAL, 0);
    m_logout_button = new wxButton(total_box->GetStaticBox(), ID_BUTTON3, _("Logout"),
                                   wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                   "ID_BUTTON3");
    buttons->Add(m_logout_button, 0, wxTOP | wxALIGN_CENTER_HORIZONTAL, 5);
    total_box->Add(buttons, 0, wxALL | wxALIGN_CENTER_VERTICAL, zovlayout::box_inner_border);
    right->Add(total_box, 0, wxTOP | wxBOTTOM | wxRIGHT | wxEXPAND, 5);

    wxBoxSizer* state_row = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* task_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Current task"));
    m_task_text = new wxStaticText(task_box->GetStaticBox(), ID_STATICTEXT1, _("Current task "),
                                   wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    m_task_text->SetFont(label_font("Arial"));
    task_box->Add(m_task_text, 1, wxALL | wxEXPAND, 5);
    state_row->Add(task_box, 1, wxTOP | wxBOTTOM | wxEXPAND, 5);
    wxStaticBoxSizer* status_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Status"));
    m_status_text = new wxStaticText(status_box->GetStaticBox(), ID_STATICTEXT2, _("Active"),
                                     wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT2");
    m_status_text->SetFont(label_font("Arial"));
    status_box->Add(m_status_text, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    state_row->Add(status_box, 1, wxALL | wxEXPAND, 5);
    right->Add(state_row, 0, wxEXPAND, 0);

    top->Add(right, 2, wxEXPAND, 0);
    for (wxStaticBoxSizer* box : {recent_box, next_box, refresh_box, total_box, task_box, status_box})
        zovlayout::KeepLabelWhole(box);
    SetSizer(top);
    top->Fit(this);
    top->SetSizeHints(this);

    m_timer.SetOwner(this, ID_TIMER1);
    m_recent_list->Bind(wxEVT_LISTBOX, &CurrentTaskPanel::OnRecentSelected, this);
    m_recent_list->Bind(wxEVT_LISTBOX_DCLICK, &CurrentTaskPanel::OnRecentDoubleClicked, this);
    m_apply_next_button->Bind(wxEVT_BUTTON, &CurrentTaskPanel::OnApplyNext, this);
    m_login_button->Bind(wxEVT_BUTTON, &CurrentTaskPanel::OnLogin, this);
    m_logout_button->Bind(wxEVT_BUTTON, &CurrentTaskPanel::OnLogout, this);
    Bind(wxEVT_TIMER, &CurrentTaskPanel::OnTimer, this, ID_TIMER1);

    s_instance = this;
}

CurrentTaskPanel::~CurrentTaskPanel()
{
    s_instance = nullptr;
    m_timer.Stop();
}

bool CurrentTaskPanel::Show(bool show)
{
    PageShown(show);
    return wxPanel::Show(show);
}

void CurrentTaskPanel::PageShown(bool shown)
{
    if (wxGetApp().IsStarting())
        return;
    if (shown) {
        RefreshAll();
        m_timer.Start(60000, wxTIMER_CONTINUOUS);
    }
    else {
        m_timer.Stop();
    }
}

void CurrentTaskPanel::StopTimer()
{
    if (s_instance)
        s_instance->m_timer.Stop();
}

void CurrentTaskPanel::RefreshStatusIfShown()
{
    if (s_instance && s_instance->IsShownOnScreen()) {
        s_instance->UpdateTotals();
        s_instance->UpdateStatus();
    }
}

void CurrentTaskPanel::CheckAutoLogout()
{
    wxGetApp().CheckAutoLogout();
}

void CurrentTaskPanel::RefreshAll()
{
    CheckAutoLogout();
    UpdateRecentList();
    UpdateTotals();
    UpdateStatus();
}

void CurrentTaskPanel::UpdateRecentList()
{
    vu_datetime now;
    now.set_local_time();
    const zovtray::day_range range = zovtray::recent_range(now);
    const std::vector<std::string> names =
        zovtray::recent_tasks(kernel().hours(range.lo, range.hi));

    std::list<wxString>& recent = wxGetApp().GetRecentTasks();
    m_recent_list->Freeze();
    m_recent_list->Clear();
    recent.clear();
    wxArrayString items;
    items.reserve(names.size());
    for (const std::string& name : names) {
        items.push_back(zovtray::from_bytes(name));
        recent.push_back(items.back());
    }
    if (!items.empty())
        m_recent_list->Append(items);
    m_recent_list->Thaw();
}

void CurrentTaskPanel::UpdateTotals()
{
    vu_datetime now;
    now.set_local_time();
    const zovtray::day_range today = zovtray::today_range(now);
    const zovSnapshot snap = kernel().snapshot(today.lo, today.hi);
    const zovtray::day_total total = zovtray::today_total(snap.hours, snap.current, snap.now);
    m_total_text->SetLabel(zovtray::total_text(total));
    m_refresh_text->SetLabel(wxString::FromUTF8(now.to_format_string("%H:%M")));
}

void CurrentTaskPanel::UpdateStatus()
{
    vu_datetime now;
    now.set_local_time();
    const zovCurrent& current = kernel().current();
    m_task_text->SetLabel(wxString::Format("%s", zovtray::from_bytes(current.task())));
    m_status_text->SetLabel(zovtray::status_text(current, now));
    m_status_text->SetForegroundColour(current.active() ? wxColour(0, 96, 0)
                                                        : wxTheColourDatabase->Find("RED"));
    wxGetApp().RefreshIcon();
}

void CurrentTaskPanel::ApplyNext()
{
    const wxString value = zovtray::typed_name(m_next_field->GetValue());
    if (value.empty())
        return;
    const std::string name = zovtray::to_bytes(value);
    if (!kernel().next(name))
        report_failure(name);
}

void CurrentTaskPanel::OnRecentSelected(wxCommandEvent&)
{
    m_next_field->SetValue(m_recent_list->GetStringSelection());
}

void CurrentTaskPanel::OnRecentDoubleClicked(wxCommandEvent&)
{
    m_next_field->SetValue(m_recent_list->GetStringSelection());
    ApplyNext();
    RefreshAll();
}

void CurrentTaskPanel::OnApplyNext(wxCommandEvent&)
{
    ApplyNext();
    RefreshAll();
}

void CurrentTaskPanel::OnLogin(wxCommandEvent&)
{
    const std::string name = zovtray::to_bytes(zovtray::typed_name(m_next_field->GetValue()));
    if (!kernel().login(name))
        report_failure(name);
    RefreshAll();
}

void CurrentTaskPanel::OnLogout(wxCommandEvent&)
{
    if (!kernel().logout())
        report_failure(std::string());
    UpdateTotals();
    UpdateStatus();
}

void CurrentTaskPanel::OnTimer(wxTimerEvent&)
{
    CheckAutoLogout();
    UpdateTotals();
    UpdateStatus();
}
