#include "zovTaskBarDialog.h"

#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include <zov/zovVersion.h>

#include "CurrentTaskPanel.h"
#include "OptionsPanel.h"
#include "TimeSheetPanel.h"
#include "TimelinePanel.h"
#include "wxNotebookAuto.h"
#include "zovLayout.h"
#include "zovPictures.h"
#include "zovTaskBarApp.h"

const long zovTaskBarDialog::ID_NOTEBOOK1 = wxNewId();
const long zovTaskBarDialog::ID_PANEL1 = wxNewId();
const long zovTaskBarDialog::ID_PANEL2 = wxNewId();
const long zovTaskBarDialog::ID_PANEL3 = wxNewId();
const long zovTaskBarDialog::ID_PANEL4 = wxNewId();

namespace {
const char* const width_key = "DialogWidth";
const char* const height_key = "DialogHeight";
}  // namespace

zovTaskBarDialog::zovTaskBarDialog(wxWindow* parent, wxWindowID id)
{
    Create(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER | wxSTAY_ON_TOP, "id");
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    m_notebook = new wxNotebookAuto(this, ID_NOTEBOOK1, wxDefaultPosition, wxDefaultSize, 0,
                                    "ID_NOTEBOOK1");
    m_current_page = new CurrentTaskPanel(m_notebook, ID_PANEL1);
    m_time_sheet_page = new TimeSheetPanel(m_notebook, ID_PANEL2);
    m_timeline_page = new TimelinePanel(m_notebook, ID_PANEL3);
    m_options_page = new OptionsPanel(m_notebook, ID_PANEL4);
    m_notebook->AddPage(m_current_page, _("Current Task"), false);
    m_notebook->AddPage(m_time_sheet_page, _("Time Sheet"), false);
    m_notebook->AddPage(m_timeline_page, _("Timeline"), false);
    m_notebook->AddPage(m_options_page, _("Options"), false);
    sizer->Add(m_notebook, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);

    RestoreSize();

    Bind(wxEVT_CLOSE_WINDOW, &zovTaskBarDialog::OnClose, this);
    SetIcon(zovPictureIcon(zovPicture::window));
    SetTitle(Title(wxGetHostName()));
}

zovTaskBarDialog::~zovTaskBarDialog()
{
    if (IsShown())
        RememberSize();
}

wxString zovTaskBarDialog::Title(const wxString& host)
{
    return wxString("ZOV - Zovaro - ") + zov::version_title() + " - " + host;
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

bool zovTaskBarDialog::Show(bool show)
{
    if (!show && IsShown())
        RememberSize();
    return wxDialog::Show(show);
}

void zovTaskBarDialog::RestoreSize()
{
    wxFileConfig* config = wxGetApp().GetConfig();
    long width = 0, height = 0;
    if (!config || !config->Read(width_key, &width) || !config->Read(height_key, &height)
        || width <= 0 || height <= 0 || width > 100000 || height > 100000)
        return;
    SetSize(zovlayout::SizeOnScreen(
        this, wxSize(static_cast<int>(width), static_cast<int>(height))));
}

void zovTaskBarDialog::RememberSize()
{
    wxFileConfig* config = wxGetApp().GetConfig();
    if (!config)
        return;
    const wxSize size = GetSize();
    if (config->ReadLong(width_key, 0) == size.GetWidth()
        && config->ReadLong(height_key, 0) == size.GetHeight())
        return;
    wxLogNull quiet;  // a size not kept is no loss worth a message
    config->Write(width_key, static_cast<long>(size.GetWidth()));
    config->Write(height_key, static_cast<long>(size.GetHeight()));
    config->Flush();
}
