#pragma once
// Toolkit set-up for the GUI tests: every test gets a fresh home folder and a
// fresh application object; message boxes are answered and recorded, a
// toolkit assert fails the test.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/event.h>
#include <wx/window.h>

#include "test_support.h"
#include "zovTaskBarApp.h"
#include "zovTrayChoice.h"

namespace zovgui {

// A message box the hook answered instead of showing it.
struct recorded_box
{
    wxString message;
    wxString caption;
    long style = 0;
    bool had_parent = false;
};

// Desktops for the tray probe: an X11 notification area, no tray at all.
zovtray::tray_probe xembed_desktop();
zovtray::tray_probe trayless_desktop();

// While it lives, applications started see the given desktop.
class DesktopGuard
{
public:
    explicit DesktopGuard(zovtray::tray_probe (*probe)());
    ~DesktopGuard();
    DesktopGuard(const DesktopGuard&) = delete;
    DesktopGuard& operator=(const DesktopGuard&) = delete;
};

// The application object that initialised the toolkit for the whole run.
wxApp* test_base_app();
// Runs the toolkit's pending idle round now, for the current application
// object. GTK keeps one idle source per application object; one left from
// another object would be run under this one and then removed a second time.
void settle_idle();
void install_answering_hook();

// The boxes answered since the last call; clears the record.
std::vector<recorded_box> take_boxes();

// HOME, XDG_DATA_HOME and XDG_CONFIG_HOME point into a fresh folder.
class HomeFolder
{
public:
    HomeFolder();
    ~HomeFolder();
    HomeFolder(const HomeFolder&) = delete;
    HomeFolder& operator=(const HomeFolder&) = delete;

    const std::string& home() const { return m_dir.path(); }
    // The data folder the program uses, with trailing "/".
    std::string data_dir() const { return m_dir.path() + ".local/share/Zovaro/"; }
    std::string config_file() const { return m_dir.path() + ".config/Zovaro.conf"; }

private:
    zovtest::TempDir m_dir;
    std::vector<std::pair<std::string, std::string>> m_saved;
};

// A zovTaskBarApp made the current application and started (OnInit), and
// ended through the program's own exit path.
class RunningApp
{
public:
    RunningApp();
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    zovTaskBarApp& operator*() const { return *m_app; }
    zovTaskBarApp* operator->() const { return m_app; }

private:
    zovTaskBarApp* m_app;
};

// A home folder and a running application on it.
class AppTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Ends the application (as "E&xit" does) and starts a new one on the same home.
    void Restart();
    zovTaskBarApp& App() const { return **m_app; }

    std::unique_ptr<HomeFolder> m_home;
    std::unique_ptr<RunningApp> m_app;
};

// Sends a command event of the given type from the control, as a click would.
void click(wxWindow* control, wxEventType type = wxEVT_BUTTON);

// Lines of the file that are not comments or blank.
std::vector<std::string> data_lines(const std::string& path);

}  // namespace zovgui
