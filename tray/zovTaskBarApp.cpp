#include "zovTaskBarApp.h"

#include <cstdio>

#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <zov/zovDataDir.h>
#include <zov/zovKernel.h>

#include "CurrentTaskPanel.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"
#include "zovTrayRules.h"

namespace {

const char* const auto_logout_key = "AutoLogout";

// An XDG base folder, found as the command line finds it; empty when there is
// no home folder.
wxString xdg_base(const char* variable, const char* fallback)
{
    return wxString::FromUTF8(zov::xdg_base(variable, fallback));
}

}  // namespace

bool MakeDirs(const wxString& path)
{
    wxLogNull quiet;  // the result says it; the toolkit's log would open a box
    if (wxDirExists(path))
        return true;
    wxStringTokenizer parts(path, "/\\", wxTOKEN_RET_EMPTY);
    wxString sofar;
    while (parts.HasMoreTokens()) {
        sofar += parts.GetNextToken() + wxFILE_SEP_PATH;
        if (!wxDirExists(sofar) && !wxMkdir(sofar, 0700))
            return false;
    }
    return true;
}

wxString zovDataDir()
{
    return wxString::FromUTF8(zov::data_dir());
}

wxString zovConfigFile()
{
    const wxString base = xdg_base("XDG_CONFIG_HOME", ".config");
    if (base.empty())
        return base;
    return base + "/" + zovtray::from_bytes(zovKernel::kernel_name()) + ".conf";
}

zovTaskBarApp::zovTaskBarApp()
    : m_starting(false),
      m_dialog(nullptr),
      m_icon(nullptr),
      m_kernel(nullptr),
      m_config(nullptr),
      m_auto_logout(-1)
{
}

bool zovTaskBarApp::OnInit()
{
    m_dialog = nullptr;
    m_icon = nullptr;
    m_kernel = nullptr;
    m_config = nullptr;
    m_auto_logout = -1;
    m_starting = true;

    SetAppName(zovtray::from_bytes(zovKernel::kernel_name()));
    // Never the classic layout: its ~/.Zovaro would be a file beside (or in
    // the way of) a folder of the same name.
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);

    const wxString dir = zovDataDir();
    if (dir.empty()) {
        // Without a home folder there is no place for the records: say so and stop.
        std::fputs("zovtray: no home folder: HOME is not an absolute path and the password "
                   "database has no entry\n", stderr);
        m_starting = false;
        return false;
    }
    MakeDirs(dir);  // a folder that cannot be made shows in the kernel's results

    const wxString config_file = zovConfigFile();
    MakeDirs(wxFileName(config_file).GetPath());
    {
        wxLogNull quiet;  // start-up shows no message, even for an unreadable settings file
        m_config = new wxFileConfig(GetAppName(), wxEmptyString, config_file, wxEmptyString,
                                    wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE);
        // Reading must not store the default.
        m_config->SetRecordDefaults(false);
        m_auto_logout = m_config->ReadLong(auto_logout_key, default_auto_logout);
    }

    m_kernel = new zovKernel(zovtray::to_bytes(dir));
    m_icon = new zovTaskBarIcon();
    m_dialog = new zovTaskBarDialog(nullptr, wxID_ANY);
    SetTopWindow(m_dialog);

    m_starting = false;
    return true;
}

void zovTaskBarApp::Exit()
{
    if (m_icon) {
        m_icon->RemoveIcon();
        // The menu handler that got us here still runs on the icon.
        m_icon->Destroy();
        m_icon = nullptr;
    }
    if (m_dialog) {
        CurrentTaskPanel::StopTimer();
        m_dialog->Destroy();
        m_dialog = nullptr;
    }
    SetTopWindow(nullptr);
    ExitMainLoop();
}

int zovTaskBarApp::OnExit()
{
    // The icon and the dialog go first: nothing may reach the kernel after it.
    DeletePendingObjects();
    delete m_kernel;
    m_kernel = nullptr;
    {
        wxLogNull quiet;  // nothing is left to show a failed flush in
        delete m_config;
        m_config = nullptr;
    }
    return wxApp::OnExit();
}

void zovTaskBarApp::SetAutoLogout(long value)
{
    m_auto_logout = value;
    if (m_config) {
        wxLogNull quiet;  // the result of the write is not looked at
        m_config->Write(auto_logout_key, value);
        m_config->Flush();  // written at once, as the store would on its own
    }
}

void zovTaskBarApp::ShowDialog(bool show)
{
    if (!m_dialog)
        return;
    if (show) {
        m_dialog->ShowCurrentPage(true);
        m_dialog->Show(true);
        m_dialog->Raise();
    }
    else {
        CurrentTaskPanel::StopTimer();
        m_dialog->Show(false);
    }
}

void zovTaskBarApp::ToggleDialog()
{
    if (m_dialog)
        ShowDialog(!m_dialog->IsShown());
}

void zovTaskBarApp::RefreshIcon()
{
    if (m_icon)
        m_icon->UpdateIcon(true);
}
