#include "zovTaskBarDialog.h"

#include <wx/sizer.h>
#include <wx/utils.h>

#include "CurrentTaskPanel.h"
#include "OptionsPanel.h"
#include "TimeSheetPanel.h"
#include "wxNotebookAuto.h"
#include "zovPictures.h"

const long zovTaskBarDialog::ID_NOTEBOOK1 = wxNewId();
const long zovTaskBarDialog::ID_PANEL1 = wxNewId();
const long zovTaskBarDialog::ID_PANEL2 = wxNewId();
const long zovTaskBarDialog::ID_PANEL4 = wxNewId();

namespace {
const char* const version_text = "V1.0-02";
}

zovTaskBarDialog::zovTaskBarDialog(wxWindow* parent, wxWindowID id)
{
    Create(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER | wxSTAY_ON_TOP, "id");
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    m_notebook = new wxNotebookAuto(this, ID_NOTEBOOK1, wxDefaultPosition, wxDefaultSize, 0,
                                    "ID_NOTEBOOK1");
    m_current_page = new CurrentTaskPanel(m_notebook, ID_PANEL1);
    m_time_sheet_page = new TimeSheetPanel(m_notebook, ID_PANEL2);
    m_options_page = new OptionsPanel(m_notebook, ID_PANEL4);
    m_notebook->AddPage(m_current_page, _("Current Task"), false);
    m_notebook->AddPage(m_time_sheet_page, _("Time Sheet"), false);
    m_notebook->AddPage(m_options_page, _("Options"), false);
    sizer->Add(m_notebook, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);

    Bind(wxEVT_CLOSE_WINDOW, &zovTaskBarDialog::OnClose, this);
    SetIcon(zovPictureIcon(zovPicture::window));
    SetTitle(Title(wxGetHostName()));
}

wxString zovTaskBarDialog::Title(const wxString& host)
{
    return wxString("ZOV - Zovaro - ") + version_text + " - " + host;
}

void zovTaskBarDialog::ShowCurrentPage(bool show)
{
    if (wxWindow* page = m_notebook->GetCurrentPage())
        page->Show(show);
}

void zovTaskBarDialog::OnClose(wxCloseEvent&)
{
    // Only hidden: the program lives on in the tray.
    CurrentTaskPanel::StopTimer();
    Hide();
}
