#include "SessionDialog.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <vu_utils/vu_datetime.h>
#include <zov/zovKernel.h>
#include <zov/zovSession.h>
#include <zov/zovSinkHours.h>

#include "TimeEditPanel.h"
#include "zovLayout.h"
#include "zovTaskBarApp.h"
#include "zovTrayRules.h"

const long SessionDialog::ID_STATICTEXT1 = wxNewId();
const long SessionDialog::ID_COMBOBOX1 = wxNewId();
const long SessionDialog::ID_BUTTON3 = wxNewId();
const long SessionDialog::ID_STATICTEXT2 = wxNewId();
const long SessionDialog::ID_DATEPICKERCTRL1 = wxNewId();
const long SessionDialog::ID_PANEL1 = wxNewId();
const long SessionDialog::ID_PANEL2 = wxNewId();
const long SessionDialog::ID_CHECKBOX1 = wxNewId();
const long SessionDialog::ID_BUTTON1 = wxNewId();
const long SessionDialog::ID_BUTTON2 = wxNewId();

SessionDialog::SessionDialog(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize&)
    : wxDialog(parent, wxID_ANY, _("Timesheet Correction"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "wxID_ANY")
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    m_text = new wxStaticText(this, ID_STATICTEXT1,
                              _("Add work session in the past (check 'Active' for a work session "
                                "that is still active). Any existing \noverlapping work sessions "
                                "will be adjusted automatically. Use 24 hour time format HH:MM"),
                              wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    top->Add(m_text, 0, wxALL, 5);

    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    const int inner = zovlayout::box_inner_border;

    wxStaticBoxSizer* task_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Task"));
    m_task = new wxComboBox(task_box->GetStaticBox(), ID_COMBOBOX1, wxEmptyString,
                            wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_DROPDOWN,
                            wxDefaultValidator, "ID_COMBOBOX1");
    task_box->Add(m_task, 1, wxALL | wxALIGN_CENTER, inner);
    row->Add(task_box, 1, wxEXPAND, 5);

    wxStaticBoxSizer* date_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Date"));
    m_today = new wxButton(date_box->GetStaticBox(), ID_BUTTON3, _("Today"), wxDefaultPosition,
                           wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON3");
    zovlayout::SetWidthAtLeast(m_today, 50);
    date_box->Add(m_today, 0, wxALL | wxALIGN_CENTER, inner);
    m_weekday = new wxStaticText(date_box->GetStaticBox(), ID_STATICTEXT2, _("<weekday>"),
                                 wxDefaultPosition, wxSize(70, -1), 0, "ID_STATICTEXT2");
    // Room for the longest name, so that "Wednesday" never runs under the picker.
    wxArrayString names;
    for (int day = 0; day < 7; ++day)
        names.push_back(WeekdayName(day));
    m_weekday->SetMinSize(wxSize(std::max(70, zovlayout::WidestText(m_weekday, names)), -1));
    date_box->Add(m_weekday, 1, wxLEFT | wxRIGHT | wxALIGN_CENTER, 5);
    m_date = new wxDatePickerCtrl(date_box->GetStaticBox(), ID_DATEPICKERCTRL1, wxDefaultDateTime,
                                  wxDefaultPosition, wxDefaultSize,
                                  wxDP_DEFAULT | wxDP_SHOWCENTURY, wxDefaultValidator,
                                  "ID_DATEPICKERCTRL1");
    date_box->Add(m_date, 0, wxALL | wxALIGN_CENTER, inner);
    row->Add(date_box, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    wxStaticBoxSizer* from_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("From time"));
    m_from = new TimeEditPanel(from_box->GetStaticBox(), ID_PANEL1, wxDefaultPosition,
                               wxSize(60, -1), wxTAB_TRAVERSAL, "ID_PANEL1");
    from_box->Add(m_from, 1, wxALL | wxALIGN_CENTER, inner);
    zovlayout::KeepLabelWhole(from_box);
    row->Add(from_box, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    wxStaticBoxSizer* until_box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Until time"));
    m_until = new TimeEditPanel(until_box->GetStaticBox(), ID_PANEL2, wxDefaultPosition,
                                wxSize(60, -1), wxTAB_TRAVERSAL, "ID_PANEL2");
    until_box->Add(m_until, 1, wxALL | wxALIGN_CENTER, inner);
    m_active = new wxCheckBox(until_box->GetStaticBox(), ID_CHECKBOX1, _("Active"),
                              wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "ID_CHECKBOX1");
    m_active->SetValue(false);
    until_box->Add(m_active, 0, wxTOP | wxBOTTOM | wxRIGHT | wxALIGN_CENTER, inner);
    zovlayout::KeepLabelWhole(until_box);
    row->Add(until_box, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    top->Add(row, 0, wxEXPAND, 5);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer(1);
    m_ok = new wxButton(this, ID_BUTTON1, _("Ok"), wxDefaultPosition, wxDefaultSize, 0,
                        wxDefaultValidator, "ID_BUTTON1");
    buttons->Add(m_ok, 0, wxALL | wxALIGN_CENTER, 5);
    m_cancel = new wxButton(this, ID_BUTTON2, _("Cancel"), wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "ID_BUTTON2");
    buttons->Add(m_cancel, 0, wxALL | wxALIGN_CENTER, 5);
    top->Add(buttons, 0, wxEXPAND, 5);

    SetSizer(top);
    top->Fit(this);
    top->SetSizeHints(this);

    Bind(wxEVT_BUTTON, &SessionDialog::OnToday, this, ID_BUTTON3);
    Bind(wxEVT_DATE_CHANGED, &SessionDialog::OnDateChanged, this, ID_DATEPICKERCTRL1);
    Bind(wxEVT_CHECKBOX, &SessionDialog::OnActive, this, ID_CHECKBOX1);
    Bind(wxEVT_BUTTON, &SessionDialog::OnOk, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &SessionDialog::OnCancel, this, ID_BUTTON2);

    // Over the main dialog, where the user just double-clicked.
    if (wxWindow* main = wxGetApp().GetTopWindow())
        Move(main->GetPosition());
    for (const wxString& task : wxGetApp().GetRecentTasks())
        m_task->Append(task);
    UpdateWeekday();
}

void SessionDialog::SetDate(const vu_datetime& date)
{
    vu_datetime today;
    today.set_date_today();
    // The picker keeps a date only: local midnight of the day it shows.
    m_date->SetValue(wxDateTime(date.to_jdn()).GetDateOnly());
    if (IsSameDate(today, date)) {
        m_date->Disable();
        m_active->Enable();
    }
    else {
        m_active->Disable();
    }
    UpdateWeekday();
}

void SessionDialog::SetTask(const wxString& task)
{
    // Exactly the row's task: "alpha" is not "Alpha", and hours must not
    // move to another task. A task the recent list lacks is typed in.
    const int item = m_task->FindString(task, true);
    if (item != wxNOT_FOUND)
        m_task->SetSelection(item);
    else
        m_task->SetValue(task);
}

vu_datetime SessionDialog::GetDate() const
{
    vu_datetime date;
    date.set_jdn(m_date->GetValue().GetDateOnly().GetJulianDayNumber() + 0.5);
    return date;
}

void SessionDialog::UpdateWeekday()
{
    m_weekday->SetLabel(WeekdayName(GetDate().to_day_of_week2()));
}

bool SessionDialog::ApplyEntry()
{
    const wxString task = zovtray::typed_name(m_task->GetValue());
    wxString message, caption;
    if (TaskRefusal(task, message, caption)) {
        wxMessageBox(message, caption, wxOK | wxICON_ERROR, nullptr);
        return false;
    }

    // Both, so that each field shows its colour.
    const bool from_ok = m_from->ParseTime();
    const bool until_ok = m_until->ParseTime();
    if (!from_ok || !until_ok)
        return false;

    const vu_datetime date = GetDate();
    vu_datetime begin, end;
    begin.set_jdn(m_from->GetJdn(date));
    end.set_jdn(m_until->GetJdn(date));
    const double hours = end.diff_hours(begin);
    if (hours < 0) {
        wxMessageBox("A work session cannot end before it started.", "Negative time specified",
                     wxOK | wxICON_ERROR, nullptr);
        return false;
    }

    const bool active = m_active->IsChecked();
    const wxString summary = SummaryText(task, hours, begin, end, active);
    if (wxMessageBox(summary, "Please confirm or reject correction", wxOK | wxCANCEL, nullptr)
        != wxOK)
        return false;

    zovKernel& kernel = *wxGetApp().GetKernel();
    if (ApplyCorrection(kernel, zovtray::to_bytes(task), begin, end, active))
        return true;
    // A span the kernel refuses (past now) is named with its bound.
    const wxString why = kernel.last_error() == zovKernel::error::bad_range
                             ? "\n" + zovtray::from_bytes(kernel.message())
                             : wxString();
    wxMessageBox(summary + why, "Error applying changes, please check input", wxOK | wxCENTRE, nullptr);
    return false;
}

wxString SessionDialog::WeekdayName(int day_of_week2)
{
    static const char* const names[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};
    if (day_of_week2 < 0 || day_of_week2 > 6)
        return "???";
    return names[day_of_week2];
}

bool SessionDialog::IsSameDate(const vu_datetime& a, const vu_datetime& b)
{
    // By the calendar: around a daylight-saving change two local midnights
    // lie 23 or 25 hours apart, so a distance of under a day proves nothing.
    return a.date() == b.date();
}

bool SessionDialog::TaskRefusal(const wxString& task, wxString& message, wxString& caption)
{
    if (task.empty()) {
        message = "Please select or type a task name";
        caption = "No task specified";
        return true;
    }
    // The kernel would refuse the session only after writing its cancelling lines.
    if (!zovKernel::is_valid_task_name(zovtray::to_bytes(task))) {
        message = zovtray::bad_name_message(task);
        caption = "Invalid task name";
        return true;
    }
    return false;
}

wxString SessionDialog::SummaryText(const wxString& task, double hours, const vu_datetime& begin,
                                    const vu_datetime& end, bool active)
{
    wxString text;
    text << "Task    : " << task << "\n";
    text << "Hours  : " << wxString::Format("  %.2f ", hours) << "\n";
    text << "From   : " << begin.to_readable_datetime_string() << "\n";
    text << "Until    : " << end.to_readable_datetime_string() << "\n";
    if (active)
        text << "\nNote: As \"Active\" was checked, the task \"" << task
             << "\" will continue as active.";
    return text;
}

bool SessionDialog::ApplyCorrection(zovKernel& kernel, const std::string& task,
                                    const vu_datetime& begin, const vu_datetime& end, bool active)
{
    // One call: the correction and, with "Active", the task running on.
    zovSinkHours out;
    return kernel.correct(zovSession(task, begin, end), active, out);
}

void SessionDialog::OnToday(wxCommandEvent&)
{
    vu_datetime today;
    today.set_date_today();
    SetDate(today);
}

void SessionDialog::OnDateChanged(wxDateEvent&)
{
    UpdateWeekday();
}

void SessionDialog::OnActive(wxCommandEvent&)
{
    if (m_active->IsChecked()) {
        vu_datetime now;
        now.set_local_time();
        m_until->SetTime(now);
        m_until->Disable();
    }
    else {
        m_until->Enable();
    }
}

void SessionDialog::OnOk(wxCommandEvent&)
{
    // EndDialog ends the modal loop, or hides a dialog shown without one.
    if (ApplyEntry()) {
        SetReturnCode(wxID_OK);
        EndDialog(wxID_OK);
    }
}

void SessionDialog::OnCancel(wxCommandEvent&)
{
    SetReturnCode(wxID_CANCEL);
    EndDialog(wxID_CANCEL);
}
