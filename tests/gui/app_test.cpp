// Start-up, settings, the dialog's showing and hiding, and the exit path.

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/notebook.h>
#include <wx/utils.h>

#include <zovkernel.h>

#include "CurrentTaskPanel.h"
#include "gui_support.h"
#include "wxNotebookAuto.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"
#include "zovTrayMenu.h"
#include "zovTrayRules.h"

using zovgui::AppTest;
using zovgui::HomeFolder;
using zovgui::RunningApp;

namespace {

mode_t mode_of(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

}  // namespace

TEST_F(AppTest, first_start_sets_up_a_private_data_folder_and_writes_no_setting)
{
    const std::string dir = m_home->data_dir();
    EXPECT_EQ(dir, zovtray::to_bytes(zovDataDir()));
    EXPECT_EQ(dir, App().GetKernel()->dir());
    EXPECT_EQ(0700u, mode_of(dir));
    EXPECT_EQ(0700u, mode_of(m_home->home() + ".local/share"));
    EXPECT_EQ(0700u, mode_of(m_home->home() + ".local"));
    EXPECT_EQ(std::vector<std::string>{}, zovgui::data_lines(dir + "HOURS.TSK"));
    ASSERT_EQ(1u, zovgui::data_lines(dir + "CURRENT.TSK").size());
    EXPECT_EQ(0u, zovgui::data_lines(dir + "CURRENT.TSK")[0].find("DEFAULT"));
    EXPECT_FALSE(zovtest::exists(dir + "LOGINOUT.TSK"));

    EXPECT_EQ(-61200, App().GetAutoLogout());
    EXPECT_TRUE(zovtest::exists(m_home->home() + ".config"));
    EXPECT_FALSE(zovtest::exists(m_home->config_file())) << "reading stored the default";
    EXPECT_FALSE(zovtest::exists(m_home->home() + ".Zovaro"));

    EXPECT_EQ("Zovaro", App().GetAppName());
    EXPECT_FALSE(App().IsStarting());
    EXPECT_TRUE(App().GetRecentTasks().empty());
    ASSERT_NE(nullptr, App().GetDialog());
    EXPECT_FALSE(App().GetDialog()->IsShown());
    EXPECT_EQ(App().GetDialog(), App().GetTopWindow());
    ASSERT_NE(nullptr, App().GetIcon());
    EXPECT_EQ("DEFAULT - Sleeping", App().GetIcon()->GetTooltip());
    EXPECT_FALSE(App().GetIcon()->ShowsWorking());
}

TEST_F(AppTest, a_stored_setting_is_read_and_a_changed_one_survives_a_restart)
{
    const long half_past_eight = 8 * 3600 + 30 * 60;
    zovtest::write_file(m_home->config_file(),
                        "AutoLogout=" + std::to_string(half_past_eight) + "\n");
    Restart();
    EXPECT_EQ(half_past_eight, App().GetAutoLogout());

    App().SetAutoLogout(-half_past_eight);
    // Written at once, not only at exit.
    EXPECT_NE(std::string::npos,
              zovtest::read_file(m_home->config_file()).find("AutoLogout=-30600"));
    Restart();
    EXPECT_EQ(-half_past_eight, App().GetAutoLogout());

    App().SetAutoLogout(0);
    Restart();
    EXPECT_EQ(0, App().GetAutoLogout());
}

TEST_F(AppTest, reading_leaves_a_settings_file_without_the_key_as_it_was)
{
    const std::string other = "[Elsewhere]\nKey=1\n";
    zovtest::write_file(m_home->config_file(), other);
    Restart();
    EXPECT_EQ(-61200, App().GetAutoLogout());
    Restart();  // the first application object has flushed and gone
    EXPECT_EQ(other, zovtest::read_file(m_home->config_file()));
}

TEST(AppStart, a_second_application_object_reads_what_the_first_stored)
{
    HomeFolder home;
    {
        RunningApp first;
        first->SetAutoLogout(17 * 3600);
    }
    RunningApp second;
    EXPECT_EQ(17 * 3600, second->GetAutoLogout());
}

TEST(AppStart, a_file_in_the_place_of_the_data_folder_does_not_stop_the_start)
{
    HomeFolder home;
    zovtest::write_file(home.home() + ".local", "not a folder");
    RunningApp app;
    EXPECT_FALSE(MakeDirs(zovDataDir()));
    EXPECT_NE(nullptr, app->GetKernel());
    EXPECT_NE(nullptr, app->GetDialog());
    EXPECT_TRUE(zovgui::take_boxes().empty()) << "start-up shows no message";
}

// A state file that cannot be read is kept aside, and the user hears it.
TEST(AppStart, an_unreadable_state_is_kept_aside_and_reported)
{
    HomeFolder home;
    ASSERT_TRUE(MakeDirs(zovDataDir()));
    zovtest::write_file(home.data_dir() + "CURRENT.TSK", "Beta since-nine ACTIVE\n");
    RunningApp app;
    const std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(wxNOT_FOUND, boxes[0].message.Find("CURRENT.TSK could not be read. It was kept as "));
    EXPECT_TRUE(boxes[0].style & wxICON_WARNING);
    EXPECT_FALSE(boxes[0].had_parent);
    std::string kept;
    for (const auto& entry : std::filesystem::directory_iterator(home.data_dir()))
        if (entry.path().filename().string().rfind("CURRENT.TSK.unreadable-", 0) == 0)
            kept = zovtest::read_file(entry.path().string());
    EXPECT_EQ("Beta since-nine ACTIVE\n", kept);
    EXPECT_EQ("DEFAULT - Sleeping", app->GetIcon()->GetTooltip());
}

TEST(MakeDirsTest, creates_missing_parents_and_accepts_doubled_separators)
{
    zovtest::TempDir dir;
    EXPECT_TRUE(MakeDirs(dir.path() + "a//b/c/"));
    EXPECT_EQ(0700u, mode_of(dir.path() + "a/b/c"));
    EXPECT_TRUE(MakeDirs(dir.path() + "a/b/c"));  // exists already
    zovtest::write_file(dir.path() + "file", "x");
    EXPECT_FALSE(MakeDirs(dir.path() + "file/sub/"));
}

TEST_F(AppTest, the_dialog_has_its_title_pages_and_toggles_from_the_icon)
{
    zovTaskBarDialog* dialog = App().GetDialog();
    EXPECT_EQ("ZOV - Zovaro - V1.0-02 - " + wxGetHostName(), dialog->GetTitle());
    EXPECT_EQ("ZOV - Zovaro - V1.0-02 - ", zovTaskBarDialog::Title(wxEmptyString));
    EXPECT_TRUE(dialog->HasFlag(wxSTAY_ON_TOP));
    EXPECT_FALSE(dialog->HasFlag(wxMINIMIZE_BOX));
    wxNotebook* notebook = dialog->GetNotebook();
    ASSERT_EQ(4u, notebook->GetPageCount());
    EXPECT_EQ("Current Task", notebook->GetPageText(0));
    EXPECT_EQ("Time Sheet", notebook->GetPageText(1));
    EXPECT_EQ("Timeline", notebook->GetPageText(2));
    EXPECT_EQ("Options", notebook->GetPageText(3));
    EXPECT_EQ(0, notebook->GetSelection());

    zovTaskBarIcon* icon = App().GetIcon();
    CurrentTaskPanel* page = dialog->GetCurrentPage();
    wxTaskBarIconEvent left(wxEVT_TASKBAR_LEFT_DOWN, icon);
    icon->ProcessEvent(left);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(page->GetTimer().IsRunning());
    EXPECT_EQ("DEFAULT", page->GetTaskText()->GetLabel());  // refreshed on showing

    icon->ProcessEvent(left);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_FALSE(page->GetTimer().IsRunning());

    // A double click always leaves it shown.
    wxTaskBarIconEvent dclick(wxEVT_TASKBAR_LEFT_DCLICK, icon);
    icon->ProcessEvent(dclick);
    EXPECT_TRUE(dialog->IsShown());
    icon->ProcessEvent(dclick);
    EXPECT_TRUE(dialog->IsShown());

    // The close box only hides it.
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, dialog->GetId());
    close.SetEventObject(dialog);
    dialog->ProcessWindowEvent(close);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_FALSE(page->GetTimer().IsRunning());
    EXPECT_EQ(dialog, App().GetDialog());

    // "&Open ZOV" shows it again, refreshed, timer running.
    wxCommandEvent open(wxEVT_MENU, zovTaskBarIcon::ID_MENU_OPEN);
    icon->ProcessEvent(open);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(page->GetTimer().IsRunning());
}

TEST_F(AppTest, the_current_page_timer_runs_only_while_its_tab_is_selected)
{
    zovTaskBarDialog* dialog = App().GetDialog();
    CurrentTaskPanel* page = dialog->GetCurrentPage();
    wxNotebook* notebook = dialog->GetNotebook();
    App().ShowDialog(true);
    ASSERT_TRUE(page->GetTimer().IsRunning());

    notebook->SetSelection(1);
    EXPECT_FALSE(page->GetTimer().IsRunning());
    App().ShowDialog(false);
    App().ShowDialog(true);
    EXPECT_EQ(1, notebook->GetSelection()) << "reopens on the page it was hidden on";
    EXPECT_FALSE(page->GetTimer().IsRunning());

    page->GetTaskText()->SetLabel("stale");
    notebook->SetSelection(0);
    EXPECT_TRUE(page->GetTimer().IsRunning());
    EXPECT_EQ("DEFAULT", page->GetTaskText()->GetLabel());
}

TEST_F(AppTest, the_menu_offers_open_and_exit)
{
    wxMenu* menu = App().GetIcon()->CreatePopupMenu();
    ASSERT_EQ(6u, menu->GetMenuItemCount());
    EXPECT_EQ("&Open ZOV", menu->FindItemByPosition(1)->GetItemLabel());
    EXPECT_EQ(zovTaskBarIcon::ID_MENU_OPEN, menu->FindItemByPosition(1)->GetId());
    EXPECT_EQ(zovTrayMenu::ID_MENU_UNDO, menu->FindItemByPosition(3)->GetId());
    EXPECT_TRUE(menu->FindItemByPosition(4)->IsSeparator());
    EXPECT_EQ("E&xit", menu->FindItemByPosition(5)->GetItemLabel());
    EXPECT_EQ(zovTaskBarIcon::ID_MENU_EXIT, menu->FindItemByPosition(5)->GetId());
    delete menu;
}

// The whole life of the program in a child process: start, a running session,
// "E&xit" from the menu inside the event loop, exit status 0. Under the
// sanitizer build any report ends the child with another status.
TEST(ExitPath, exit_from_the_menu_ends_the_event_loop_with_status_0)
{
    // A fresh process: a fork would share the parent's display connection.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    HomeFolder home;
    EXPECT_EXIT(
        {
            zovTaskBarApp* app = new zovTaskBarApp;
            wxApp::SetInstance(app);
            app->OnInit();
            app->GetKernel()->login("Alpha");
            app->ShowDialog(true);
            app->CallAfter([app] {
                wxCommandEvent exit_event(wxEVT_MENU, zovTaskBarIcon::ID_MENU_EXIT);
                app->GetIcon()->ProcessEvent(exit_event);
            });
            const int status = app->OnRun();
            app->OnExit();
            const bool clean = app->GetKernel() == nullptr && app->GetIcon() == nullptr
                               && app->GetDialog() == nullptr;
            delete app;
            wxApp::SetInstance(zovgui::test_base_app());
            // The session runs on in CURRENT.TSK.
            const std::vector<std::string> state =
                zovgui::data_lines(home.data_dir() + "CURRENT.TSK");
            const bool running = state.size() == 1 && state[0].rfind("Alpha", 0) == 0
                                 && state[0].find(" ACTIVE") != std::string::npos;
            std::filesystem::remove_all(home.home());  // exit() skips the destructors
            std::exit(!clean ? 3 : !running ? 4 : status);
        },
        ::testing::ExitedWithCode(0), "");
}
