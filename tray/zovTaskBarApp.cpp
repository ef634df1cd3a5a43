#include "zovTaskBarApp.h"

#include <cstdio>

#include <gio/gio.h>

#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <zov/zovDataDir.h>
#include <zov/zovDays.h>
#include <zov/zovKernel.h>
#include <zov/zovSettings.h>

#include "AwayDialog.h"
#include "CurrentTaskPanel.h"
#include "zovLateTray.h"
#include "zovPlainWindow.h"
#include "zovSingleInstance.h"
#include "zovStartOptions.h"
#include "zovAwayTexts.h"
#include "zovAwayWatch.h"
#include "zovResumeWatch.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"
#include "zovTrayProbe.h"
#include "zovTrayRules.h"

namespace {

const char* const auto_logout_key = zovSettings::auto_logout_key;
const char* const ask_away_key = zovSettings::ask_away_key;

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
    return wxString::FromUTF8(zov::settings_file());
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

    // One program per user and data folder: a later start shows this one's dialog.
    m_bus = zovtray::session_bus();
    m_instance = new zovSingleInstance(m_bus, zovtray::to_bytes(dir),
                                       [] { wxGetApp().ShowDialog(true); });
    m_first = m_instance->Result() != zovSingleInstance::Claim::other_shown;
    if (!m_first) {
        m_starting = false;
        CallAfter([this] { ExitMainLoop(); });  // status 0, nothing touched
        return true;
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
        // A value beyond one day reads as switched off, like the default.
        m_auto_logout = zovSettings::usable_auto_logout(
            m_config->ReadLong(auto_logout_key, default_auto_logout));
        m_ask_away = zovSettings::usable_ask_away(
            m_config->ReadLong(ask_away_key, zovSettings::default_ask_away));
    }

    m_kernel = new zovKernel(zovtray::to_bytes(dir));
    // A state that could not be read was kept aside: the user must hear that
    // recording started afresh.
    if (!m_kernel->kept_aside().empty())
        wxMessageBox(zovtray::from_bytes(zov::state_kept_aside_message(m_kernel->dir(), m_kernel->kept_aside())),
                     "Recording state", wxOK | wxICON_WARNING, nullptr);

    auto* probe_override = zovtray::probe_override();
    const zovtray::tray_probe probe =
        probe_override ? probe_override() : zovtray::probe_tray(m_bus);
    m_backend = zovtray::choose_backend(probe);
    std::fprintf(stderr, "%s\n", zovtray::backend_log_line(m_backend, probe).c_str());

    m_icon = new zovTaskBarIcon(m_backend, m_bus);
    m_backend = m_icon->GetBackend();
    const wxDisplayInfo display = wxGetDisplayInfo();
    m_away_watch = new zovAwayWatch(
        &AwayDialog::Notice,
        display.type == wxDisplayX11 ? static_cast<Display*>(display.dpy) : nullptr);
    // The question on waking is decided before the daily log-out check runs.
    m_resume_watch = new zovResumeWatch(
        [this] {
            m_away_watch->Resumed();
            RefreshIcon();
        },
        [this] { m_away_watch->Sleeping(); });
    m_dialog = new zovTaskBarDialog(nullptr, wxID_ANY);
    SetTopWindow(m_dialog);
    if (m_backend == zovtray::tray_backend::window) {
        zovPlainWindow::Attach(m_dialog);
        // A panel that comes later (at log-in it starts beside us) gets the
        // item too; the window stays as it is.
        if (m_bus)
            m_late_tray = new zovLateTray(m_bus, [this] {
                if (!m_icon)
                    return;
                m_icon->UseItem(m_bus);
                std::fprintf(stderr, "zovtray: a StatusNotifierWatcher with a host came: "
                                     "shown as a StatusNotifierItem too\n");
            });
    }

    m_starting = false;
    // Without a tray the window is the program: shown from the start.
    if (m_backend == zovtray::tray_backend::window)
        ShowDialog(true);
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
    AwayDialog::CloseOpen();
    if (m_dialog) {
        CurrentTaskPanel::StopTimer();
        zovPlainWindow::Detach(m_dialog);
        m_dialog->Destroy();
        m_dialog = nullptr;
    }
    SetTopWindow(nullptr);
    ExitMainLoop();
}

int zovTaskBarApp::OnExit()
{
    delete m_late_tray;
    m_late_tray = nullptr;
    // The icon and the dialog go first: nothing may reach the kernel after it.
    delete m_resume_watch;
    m_resume_watch = nullptr;
    delete m_away_watch;
    m_away_watch = nullptr;
    DeletePendingObjects();
    delete m_kernel;
    m_kernel = nullptr;
    // The name goes last: a start from now on runs on its own.
    delete m_instance;
    m_instance = nullptr;
    if (m_bus) {
        g_dbus_connection_flush_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
        m_bus = nullptr;
    }
    {
        wxLogNull quiet;  // nothing is left to show a failed flush in
        delete m_config;
        m_config = nullptr;
    }
    return wxApp::OnExit();
}

bool zovTaskBarApp::CheckAutoLogout()
{
    if (!m_kernel)
        return false;
    return m_kernel->apply_due_logout();
}

void zovTaskBarApp::SetAutoLogout(long value)
{
    const bool changed = value != m_auto_logout;
    m_auto_logout = value;
    vu_datetime now;
    now.set_local_time();
    // When it was set, for every program's daily log-out: a log-out time
    // before it never counts. Stored before the value it belongs to.
    if (changed && m_config) {
        wxLogNull quiet;  // a failed write is said below, for the value
        m_config->Write(zovSettings::auto_logout_set_key, static_cast<long>(now.to_time_t()));
    }
    StoreSetting(auto_logout_key, value, m_unsaved_auto_logout);
    if (!m_kernel)
        return;
    // A value the file could not take holds for this run, as the box says.
    if (m_unsaved_auto_logout == unsaved_none) {
        m_kernel->release_settings();
    } else if (changed) {
        zovSettings held = m_kernel->settings();
        held.auto_logout = value;
        held.auto_logout_set = now;
        m_kernel->hold_settings(held);
    }
}

void zovTaskBarApp::SetAskAway(long minutes)
{
    m_ask_away = minutes;
    StoreSetting(ask_away_key, minutes, m_unsaved_ask_away);
}

void zovTaskBarApp::StoreSetting(const char* key, long value, long& unsaved)
{
    if (!m_config)
        return;
    bool written = false;
    {
        wxLogNull quiet;  // the box below says it once, in words
        written = m_config->Write(key, value) && m_config->Flush();
    }
    // Said once per value: the pointer leaving the page stores it again.
    if (!written && unsaved != value)
        wxMessageBox(zovtray::setting_failed_message(zovConfigFile()), "Options",
                     wxOK | wxICON_ERROR | wxCENTRE, nullptr);
    unsaved = written ? unsaved_none : value;
}

void zovTaskBarApp::ShowDialog(bool show)
{
    if (!m_dialog)
        return;
    if (show) {
        m_dialog->ShowCurrentPage(true);
        m_dialog->Show(true);
        if (m_dialog->IsIconized())
            m_dialog->Iconize(false);
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

void zovTaskBarApp::TrayLost()
{
    if (!m_dialog || zovPlainWindow::IsAttached(m_dialog))
        return;
    std::fprintf(stderr, "zovtray: the StatusNotifierWatcher is gone: shown as an ordinary "
                         "window\n");
    m_dialog->Hide();  // the window hints take effect at the next showing
    zovPlainWindow::Attach(m_dialog);
    if (zovStartOptions* start = dynamic_cast<zovStartOptions*>(
            wxWindow::FindWindowByName("ID_PANEL_START", m_dialog)))
        start->ShowExitButton();
    ShowDialog(true);
}

void zovTaskBarApp::RefreshIcon()
{
    if (m_icon)
        m_icon->UpdateIcon(true);
}
