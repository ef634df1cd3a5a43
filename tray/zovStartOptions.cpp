#include "zovStartOptions.h"

#include <string>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include "zovAutostart.h"
#include "zovTaskBarApp.h"
#include "zovTrayMenu.h"
#include "zovTrayRules.h"

const long zovStartOptions::ID_CHECKBOX_AUTOSTART = wxNewId();
const long zovStartOptions::ID_BUTTON_EXIT = wxNewId();

zovStartOptions::zovStartOptions(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "ID_PANEL_START")
{
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    m_autostart = new wxCheckBox(this, ID_CHECKBOX_AUTOSTART, _("Start ZOV when I log in"),
                                 wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                 "ID_CHECKBOX_AUTOSTART");
    sizer->Add(m_autostart, 0, wxALL, 5);
    // Without a tray the program has no menu: it ends from here.
    m_exit = new wxButton(this, ID_BUTTON_EXIT, _(zovTrayMenu::label_exit), wxDefaultPosition,
                          wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON_EXIT");
    sizer->Add(m_exit, 0, wxALL, 5);
    m_exit->Bind(wxEVT_BUTTON, &zovStartOptions::OnExit, this);
    m_exit->Show(wxGetApp().GetBackend() == zovtray::tray_backend::window);
    SetSizer(sizer);
    sizer->Fit(this);
    sizer->SetSizeHints(this);

    m_autostart->Bind(wxEVT_CHECKBOX, &zovStartOptions::OnAutostartClicked, this);
    LoadState();
}

void zovStartOptions::ShowExitButton()
{
    m_exit->Show();
    // The page was laid out without it.
    GetParent()->Layout();
}

void zovStartOptions::LoadState()
{
    m_autostart->SetValue(zovtray::autostart_enabled());
}

void zovStartOptions::OnAutostartClicked(wxCommandEvent&)
{
    std::string error;
    if (!zovtray::set_autostart(m_autostart->GetValue(), zovtray::own_program_path(), error))
        wxMessageBox(wxString::Format("Could not change the start at log-in:\n%s",
                                      zovtray::from_bytes(error)),
                     _("Error"), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
    LoadState();  // the box shows what the file says, also after a failure
}

void zovStartOptions::OnExit(wxCommandEvent&)
{
    // Later, from the event loop: the button goes down with the dialog.
    wxTheApp->CallAfter([] { zovTrayMenu::Exit(); });
}
