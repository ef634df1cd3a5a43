#pragma once
// The application object: starts the program, owns the kernel, the settings
// store and the main dialog, and keeps the one setting.

#include <list>

#include <wx/app.h>
#include <wx/string.h>

#include "zovTrayChoice.h"

struct _GDBusConnection;
class wxFileConfig;
class zovLateTray;
class zovSingleInstance;
class zovKernel;
class zovTaskBarDialog;
class zovTaskBarIcon;

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
    void SetAutoLogout(long value);
    std::list<wxString>& GetRecentTasks() { return m_recent_tasks; }
    void ShowDialog(bool show);
    void ToggleDialog();
    void RefreshIcon();
    // The panel that showed the item is gone for good: the dialog becomes
    // an ordinary window, so that the program stays in reach.
    void TrayLost();

    zovTaskBarDialog* GetDialog() const { return m_dialog; }
    zovTaskBarIcon* GetIcon() const { return m_icon; }
    // Where the program shows itself, chosen at start-up.
    zovtray::tray_backend GetBackend() const { return m_backend; }
    // False when another program had the data folder: this one only asked
    // it to show its dialog and ends.
    bool IsFirstInstance() const { return m_first; }

    static constexpr long default_auto_logout = -61200;  // 17:00, switched off

private:
    bool m_starting;
    zovTaskBarDialog* m_dialog;
    zovTaskBarIcon* m_icon;
    zovKernel* m_kernel;
    wxFileConfig* m_config;
    long m_auto_logout;
    std::list<wxString> m_recent_tasks;
    _GDBusConnection* m_bus = nullptr;
    zovSingleInstance* m_instance = nullptr;
    zovLateTray* m_late_tray = nullptr;
    zovtray::tray_backend m_backend = zovtray::tray_backend::xembed;
    bool m_first = true;
};

wxDECLARE_APP(zovTaskBarApp);
