#include "gui_support.h"

#include <cstdlib>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include "zovTaskBarIcon.h"
#include "zovTrayProbe.h"

namespace zovgui {

namespace {

std::vector<recorded_box>& boxes()
{
    static std::vector<recorded_box> record;
    return record;
}

}  // namespace

// Answers every modal dialog with OK: one left on screen would hang the run.
class AnsweringHook : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        recorded_box box;
        if (auto* message = dynamic_cast<wxMessageDialogBase*>(dialog)) {
            box.message = message->GetMessage();
            box.style = message->GetMessageDialogStyle();
        }
        else {
            ADD_FAILURE() << "unexpected modal dialog " << dialog->GetTitle();
        }
        box.caption = dialog->GetTitle();
        box.had_parent = dialog->GetParent() != nullptr;
        boxes().push_back(box);
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

void settle_idle()
{
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    loop.YieldFor(wxEVT_CATEGORY_ALL);
}

void install_answering_hook()
{
    static AnsweringHook hook;
    hook.Register();
}

std::vector<recorded_box> take_boxes()
{
    std::vector<recorded_box> taken;
    taken.swap(boxes());
    return taken;
}

HomeFolder::HomeFolder()
{
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value ? value : "");
    }
    setenv("HOME", m_dir.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (m_dir.path() + ".local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_dir.path() + ".config").c_str(), 1);
}

HomeFolder::~HomeFolder()
{
    for (const auto& saved : m_saved)
        setenv(saved.first.c_str(), saved.second.c_str(), 1);
}

RunningApp::RunningApp()
{
    // The application object of the test run steps aside for this one.
    m_app = new zovTaskBarApp;
    wxApp::SetInstance(m_app);
    EXPECT_TRUE(m_app->OnInit());
}

RunningApp::~RunningApp()
{
    wxApp* const base = test_base_app();
    if (m_app->GetIcon())
        m_app->GetIcon()->RemoveIcon();
    m_app->Exit();
    m_app->OnExit();
    EXPECT_EQ(nullptr, m_app->GetKernel());
    delete m_app;  // forgets itself as the current application
    wxApp::SetInstance(base);
    settle_idle();
}

void AppTest::SetUp()
{
    take_boxes();
    m_home = std::make_unique<HomeFolder>();
    m_app = std::make_unique<RunningApp>();
}

void AppTest::TearDown()
{
    m_app.reset();
    m_home.reset();
    for (const recorded_box& box : take_boxes())
        ADD_FAILURE() << "message box not checked by the test: " << box.message;
}

void AppTest::Restart()
{
    m_app.reset();
    m_app = std::make_unique<RunningApp>();
}

zovtray::tray_probe xembed_desktop()
{
    zovtray::tray_probe probe;
    probe.x11 = true;
    probe.xembed_tray = true;
    return probe;
}

zovtray::tray_probe trayless_desktop()
{
    zovtray::tray_probe probe;
    probe.session_bus = true;
    probe.x11 = true;
    return probe;
}

DesktopGuard::DesktopGuard(zovtray::tray_probe (*probe)())
{
    zovtray::set_probe_override(probe);
}

DesktopGuard::~DesktopGuard()
{
    zovtray::set_probe_override(&xembed_desktop);
}

void click(wxWindow* control, wxEventType type)
{
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

std::vector<std::string> data_lines(const std::string& path)
{
    std::vector<std::string> lines;
    for (const std::string& line : zovtest::read_lines(path)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line[first] != '%')
            lines.push_back(line);
    }
    return lines;
}

}  // namespace zovgui
