#pragma once
// The application object: starts the program, owns the kernel, the settings
// store and the main dialog, and keeps the one setting.

#include <list>

#include <wx/app.h>
#include <wx/string.h>

#include "zovTrayChoice.h"

struct _GDBusConnection;
#include <vu_utils/vu_datetime.h>
#include <zov/zovSettings.h>

class wxFileConfig;
class zovLateTray;
class zovSingleInstance;
class zovKernel;
class zovTaskBarDialog;
class zovTaskBarIcon;
class zovResumeWatch;
class zovAwayWatch;

// Makes sure the folder exists, creating each missing folder along the path
// (mode 0700: working hours are private). False when a folder could not be made.
bool MakeDirs(const wxString& path);

// The data folder, $XDG_DATA_HOME/Zovaro/ (by default ~/.local/share/Zovaro/),
// with a trailing separator.
wxString zovDataDir();
// The settings file, $XDG_CONFIG_HOME/Zovaro.conf (by default ~/.config/Zovaro.conf).
wxString zovConfigFile();

class zovTaskBarApp : public wxApp
{
public:
    zovTaskBarApp();

    bool OnInit() override;
    // Ends the program from the tray menu: removes the icon, destroys the
    // dialog and leaves the event loop; OnExit then lets go of the rest.
    void Exit() override;
    int OnExit() override;

    zovKernel* GetKernel() const { return m_kernel; }
    bool IsStarting() const { return m_starting; }
    long GetAutoLogout() const { return m_auto_logout; }
    // Keeps the value and stores it at once; a failed write is said in a box
    // naming the settings file (once per value).
    void SetAutoLogout(long value);
    // "AskAway": minutes of absence after which the user is asked about
    // them; negative when switched off. Stored at once, like AutoLogout.
    long GetAskAway() const { return m_ask_away; }
    void SetAskAway(long minutes);
    // The kernel's daily log-out, made up now if due (the kernel reads the
    // setting from the settings file). True when it logged out.
    bool CheckAutoLogout();
    std::list<wxString>& GetRecentTasks() { return m_recent_tasks; }
    void ShowDialog(bool show);
    void ToggleDialog();
    void RefreshIcon();
    // The panel that showed the item is gone for good: the dialog becomes
    // an ordinary window, so that the program stays in reach.
    void TrayLost();

    zovTaskBarDialog* GetDialog() const { return m_dialog; }
    // The settings store, for what the windows keep (the dialog's size).
    wxFileConfig* GetConfig() const { return m_config; }
    zovTaskBarIcon* GetIcon() const { return m_icon; }
    // Where the program shows itself, chosen at start-up.
    zovtray::tray_backend GetBackend() const { return m_backend; }
    // False when another program had the data folder: this one only asked
    // it to show its dialog and ends.
    bool IsFirstInstance() const { return m_first; }
    zovResumeWatch* GetResumeWatch() const { return m_resume_watch; }
    zovAwayWatch* GetAwayWatch() const { return m_away_watch; }

    static constexpr long default_auto_logout = zovSettings::default_auto_logout;

private:
    bool m_starting;
    zovTaskBarDialog* m_dialog;
    zovTaskBarIcon* m_icon;
    zovKernel* m_kernel;
    wxFileConfig* m_config;
    long m_auto_logout;
    // The value whose write failed and was reported, so that it is reported once.
    static constexpr long unsaved_none = 1L << 30;
    long m_unsaved_auto_logout = unsaved_none;
    std::list<wxString> m_recent_tasks;
    _GDBusConnection* m_bus = nullptr;
    zovSingleInstance* m_instance = nullptr;
    zovLateTray* m_late_tray = nullptr;
    zovtray::tray_backend m_backend = zovtray::tray_backend::xembed;
    bool m_first = true;
    // On waking from sleep the icon updates, and with it the daily log-out check.
    zovResumeWatch* m_resume_watch = nullptr;
    // Sleep, lock and idleness, for the question on return.
    zovAwayWatch* m_away_watch = nullptr;
    long m_ask_away = 15;
    long m_unsaved_ask_away = unsaved_none;
    // Stores one setting at once; a failed write is said once per value.
    void StoreSetting(const char* key, long value, long& unsaved);
};

wxDECLARE_APP(zovTaskBarApp);
