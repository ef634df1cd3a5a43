#include "AwayDialog.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <zov/zovKernel.h>

#include "CurrentTaskPanel.h"
#include "zovTaskBarApp.h"
#include "zovTrayRules.h"

const long AwayDialog::ID_STATICTEXT1 = wxNewId();
const long AwayDialog::ID_BUTTON1 = wxNewId();
const long AwayDialog::ID_BUTTON2 = wxNewId();
const long AwayDialog::ID_COMBOBOX1 = wxNewId();
const long AwayDialog::ID_BUTTON3 = wxNewId();

AwayDialog* AwayDialog::s_open = nullptr;
vu_datetime AwayDialog::s_settled;

namespace {

zovtray::away_state state_of(zovKernel& kernel)
{
    const zovCurrent& current = kernel.current();
    return zovtray::away_state{current.active(), current.task(), current.time()};
}

}  // namespace

AwayDialog::AwayDialog(const zovtray::away_question& question, const vu_datetime& back)
    : wxDialog(nullptr, wxID_ANY, _("Away time"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxSTAY_ON_TOP, "wxID_ANY"),
      m_question(question),
      m_back(back)
{
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    m_text = new wxStaticText(this, ID_STATICTEXT1, wxEmptyString, wxDefaultPosition,
                              wxDefaultSize, 0, "ID_STATICTEXT1");
    sizer->Add(m_text, 0, wxALL | wxEXPAND, 10);

    m_keep = new wxButton(this, ID_BUTTON1, zovtray::keep_label(), wxDefaultPosition,
                          wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON1");
    sizer->Add(m_keep, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 5);
    m_log_out = new wxButton(this, ID_BUTTON2, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                             0, wxDefaultValidator, "ID_BUTTON2");
    sizer->Add(m_log_out, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 5);

    wxBoxSizer* book_row = new wxBoxSizer(wxHORIZONTAL);
    m_task = new wxComboBox(this, ID_COMBOBOX1, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                            0, nullptr, wxCB_DROPDOWN, wxDefaultValidator, "ID_COMBOBOX1");
    // The recent tasks, newest first; a new name can be typed.
    vu_datetime now;
    now.set_local_time();
    zovtray::day_range recent = zovtray::recent_range(now);
    if (zovKernel* kernel = wxGetApp().GetKernel())
        for (const std::string& name : zovtray::recent_tasks(kernel->hours(recent.lo, recent.hi)))
            m_task->Append(zovtray::from_bytes(name));
    book_row->Add(m_task, 1, wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);
    m_book = new wxButton(this, ID_BUTTON3, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, "ID_BUTTON3");
    book_row->Add(m_book, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(book_row, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 5);

    SetSizer(sizer);
    ShowQuestion();

    m_keep->Bind(wxEVT_BUTTON, &AwayDialog::OnKeep, this);
    m_log_out->Bind(wxEVT_BUTTON, &AwayDialog::OnLogOut, this);
    m_book->Bind(wxEVT_BUTTON, &AwayDialog::OnBook, this);
    m_task->Bind(wxEVT_TEXT, &AwayDialog::OnTaskText, this);
    m_task->Bind(wxEVT_COMBOBOX, &AwayDialog::OnTaskText, this);
    Bind(wxEVT_CLOSE_WINDOW, &AwayDialog::OnClose, this);
}

AwayDialog::~AwayDialog()
{
    if (s_open == this)
        s_open = nullptr;
}

void AwayDialog::Notice(const vu_datetime& left, const vu_datetime& back)
{
    zovTaskBarApp& app = wxGetApp();
    zovKernel* kernel = app.GetKernel();
    if (!kernel)
        return;
    const zovtray::away_state state = state_of(*kernel);
    // The settings as every program reads them.
    const zovSettings settings = kernel->settings();
    const long ask_away = app.GetAskAway();
    if (s_open) {
        s_open->m_back = max(s_open->m_back, back);
        s_open->m_question =
            zov::extended(s_open->m_question, left, back, state, settings.auto_logout, ask_away,
                          settings.auto_logout_set);
        s_open->ShowQuestion();
        s_open->BringToFront();
        return;
    }
    // Time already asked about is not asked about again.
    const vu_datetime from = s_settled.is_not_a_date_time() ? left : max(left, s_settled);
    const zovtray::away_question question =
        zov::question_for(from, back, state, settings.auto_logout, ask_away, settings.auto_logout_set);
    if (!question.ask)
        return;
    s_open = new AwayDialog(question, back);
    s_open->BringToFront();
}

void AwayDialog::CloseOpen()
{
    if (s_open) {
        s_open->Destroy();
        s_open = nullptr;
    }
    s_settled = vu_datetime();
}

void AwayDialog::ShowQuestion()
{
    m_text->SetLabel(zovtray::away_text(m_question));
    m_log_out->SetLabel(zovtray::log_out_label(m_question));
    // A session the daily log-out closed cannot be made shorter still.
    m_book->SetLabel(zovtray::book_label(zovtray::typed_name(m_task->GetValue()), m_question));
    m_book->Enable(!zovtray::typed_name(m_task->GetValue()).empty());
    GetSizer()->SetSizeHints(this);
    Fit();
}

void AwayDialog::BringToFront()
{
    Show(true);
    Raise();
    RequestUserAttention();
}

void AwayDialog::Settle()
{
    s_settled = s_settled.is_not_a_date_time() ? m_back : max(s_settled, m_back);
}

void AwayDialog::Answered()
{
    Settle();
    wxGetApp().RefreshIcon();
    CurrentTaskPanel::RefreshStatusIfShown();
    if (s_open == this)
        s_open = nullptr;
    Destroy();
}

void AwayDialog::Keep()
{
    Answered();
}

bool AwayDialog::LogOut()
{
    zovKernel* kernel = wxGetApp().GetKernel();
    if (!kernel)
        return false;
    if (!kernel->away_log_out(m_question)) {
        // One call checked and acted: "changed" means another program (or
        // the daily log-out) got there first, and nothing was written.
        const bool same = kernel->last_error() != zovKernel::error::changed;
        wxMessageBox(same ? zovtray::from_bytes(kernel->message())
                          : wxString::Format("\"%s\" no longer runs since before %s: "
                                             "nothing was changed.",
                                             zovtray::from_bytes(m_question.task),
                                             zovtray::clock_text(m_question.from)),
                     "Away time", wxOK | wxICON_ERROR, nullptr);
        if (same)
            return false;  // the user may try again
        Answered();
        return false;
    }
    Answered();
    return true;
}

bool AwayDialog::Book()
{
    zovTaskBarApp& app = wxGetApp();
    zovKernel* kernel = app.GetKernel();
    const wxString task = zovtray::typed_name(m_task->GetValue());
    if (!kernel || task.empty())
        return false;
    if (!zovKernel::is_valid_task_name(zovtray::to_bytes(task))) {
        wxMessageBox(zovtray::bad_name_message(task), "Invalid task name", wxOK | wxICON_ERROR,
                     nullptr);
        return false;
    }
    // The kernel makes up a daily log-out that fell due meanwhile first.
    if (!kernel->away_book(m_question, zovtray::to_bytes(task))) {
        wxMessageBox(zovtray::from_bytes(kernel->message()),
                     "Away time", wxOK | wxICON_ERROR, nullptr);
        return false;
    }
    Answered();
    return true;
}

void AwayDialog::OnKeep(wxCommandEvent&)
{
    Keep();
}

void AwayDialog::OnLogOut(wxCommandEvent&)
{
    LogOut();
}

void AwayDialog::OnBook(wxCommandEvent&)
{
    Book();
}

void AwayDialog::OnTaskText(wxCommandEvent& event)
{
    const wxString task = zovtray::typed_name(m_task->GetValue());
    m_book->SetLabel(zovtray::book_label(task, m_question));
    m_book->Enable(!task.empty());
    Layout();
    GetSizer()->SetSizeHints(this);
    event.Skip();
}

void AwayDialog::OnClose(wxCloseEvent&)
{
    // No answer: nothing changes.
    Settle();
    if (s_open == this)
        s_open = nullptr;
    Destroy();
}
