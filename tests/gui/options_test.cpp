// The "Options" page: the stored "AutoLogout" value and what the page shows,
// both ways, through the settings file and across a restart.

#include <string>

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>

#include <zovkernel.h>

#include "OptionsPanel.h"
#include "SimpleTimePicker.h"
#include "gui_support.h"
#include "wxNotebookAuto.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"

using zovgui::AppTest;
using zovgui::click;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

const long h1830 = 18 * 3600 + 30 * 60;
const long h0715 = 7 * 3600 + 15 * 60;
const long h1700 = 17 * 3600;

}  // namespace

class OptionsTest : public AppTest
{
protected:
    // The page of the running application's dialog.
    OptionsPanel* Page() const
    {
        wxNotebook* notebook = App().GetDialog()->GetNotebook();
        for (size_t i = 0; i < notebook->GetPageCount(); ++i)
            if (auto* page = dynamic_cast<OptionsPanel*>(notebook->GetPage(i)))
                return page;
        ADD_FAILURE() << "no options page";
        return nullptr;
    }
    bool Ticked() const { return Page()->GetCheckBox()->GetValue(); }
    int Seconds() const { return Page()->GetTimePicker()->GetSeconds(); }
    void ClickBox(bool tick)
    {
        Page()->GetCheckBox()->SetValue(tick);
        click(Page()->GetCheckBox(), wxEVT_CHECKBOX);
    }
    void LeavePage()
    {
        wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
        leave.SetEventObject(Page());
        Page()->GetEventHandler()->ProcessEvent(leave);
    }
    // The value in the settings file, or "" when none is stored.
    std::string Stored() const
    {
        if (!zovtest::exists(m_home->config_file()))
            return "";
        for (const std::string& line : zovtest::read_lines(m_home->config_file()))
            if (line.rfind("AutoLogout=", 0) == 0)
                return line.substr(11);
        return "";
    }
    void StoreAndRestart(long value)
    {
        zovtest::write_file(m_home->config_file(), "AutoLogout=" + std::to_string(value) + "\n");
        Restart();
    }
};

TEST(OptionsRules, the_sign_is_the_switch_and_the_magnitude_the_time)
{
    struct Case
    {
        long stored;
        bool ticked;
        long seconds;
        long saved_back;
    };
    const Case cases[] = {
        {h1830, true, h1830, h1830},
        {1, true, 1, 1},
        {0, true, 0, 0},         // shown as on at 00:00
        {-h1700, false, h1700, -h1700},
        {-h0715, false, h0715, -h0715},
        {-86340, false, 86340, -86340},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const OptionsPanel::Shown shown = OptionsPanel::ShownFor(c.stored);
        EXPECT_EQ(c.ticked, shown.ticked);
        EXPECT_EQ(c.seconds, shown.seconds);
        EXPECT_EQ(c.saved_back, OptionsPanel::SettingFor(shown.ticked, shown.seconds));
    }
    // Switched off at 00:00 is stored as 0, which reads back as switched on.
    EXPECT_EQ(0, OptionsPanel::SettingFor(false, 0));
    EXPECT_TRUE(OptionsPanel::ShownFor(0).ticked);
    EXPECT_EQ(LONG_MAX, OptionsPanel::ShownFor(LONG_MIN).seconds);
}

TEST_F(OptionsTest, a_fresh_start_shows_17_00_switched_off_and_stores_nothing)
{
    OptionsPanel* page = Page();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("id", page->GetName());
    EXPECT_EQ(zovTaskBarDialog::ID_PANEL4, page->GetId());
    EXPECT_EQ("ID_CHECKBOX1", page->GetCheckBox()->GetName());
    EXPECT_EQ("Auto log-out every day at ", page->GetCheckBox()->GetLabel());
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(h1700, Seconds());
    EXPECT_EQ("", Stored());
}

TEST_F(OptionsTest, the_page_shows_each_stored_value_and_stores_it_back_unchanged)
{
    for (long stored : {h1830, 0L, -h1700, -h0715}) {
        SCOPED_TRACE(stored);
        StoreAndRestart(stored);
        const OptionsPanel::Shown shown = OptionsPanel::ShownFor(stored);
        EXPECT_EQ(shown.ticked, Ticked());
        EXPECT_EQ(shown.seconds, Seconds());
        LeavePage();
        EXPECT_EQ(std::to_string(stored), Stored());
        EXPECT_EQ(stored, App().GetAutoLogout());
    }
}

TEST_F(OptionsTest, a_click_on_the_box_stores_box_and_time_together)
{
    Page()->GetTimePicker()->SetSeconds(h1830);
    ClickBox(true);
    EXPECT_EQ(h1830, App().GetAutoLogout());
    EXPECT_EQ(std::to_string(h1830), Stored()) << "written at once";

    Page()->GetTimePicker()->SetSeconds(h1700);
    ClickBox(false);
    EXPECT_EQ(-h1700, App().GetAutoLogout());
    EXPECT_EQ("-61200", Stored());

    // Ticked at 00:00: 0, shown as on after a restart, but never a log-out.
    Page()->GetTimePicker()->SetSeconds(0);
    ClickBox(true);
    EXPECT_EQ("0", Stored());
    // Cleared at 00:00: also 0, so the box is ticked again after a restart.
    ClickBox(false);
    EXPECT_EQ("0", Stored());
    Restart();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(0, Seconds());
}

TEST_F(OptionsTest, a_changed_time_is_stored_with_the_boxs_sign_when_the_pointer_leaves)
{
    Page()->GetTimePicker()->SetSeconds(h0715);
    EXPECT_EQ("", Stored()) << "not before the pointer leaves";
    LeavePage();
    EXPECT_EQ(std::to_string(-h0715), Stored());

    ClickBox(true);
    Page()->GetTimePicker()->GetMinutesControl()->SetValue(45);
    LeavePage();
    EXPECT_EQ(std::to_string(7 * 3600 + 45 * 60), Stored());
}

TEST_F(OptionsTest, what_was_set_is_shown_again_after_a_restart_on_the_same_home)
{
    Page()->GetTimePicker()->SetSeconds(h1830);
    ClickBox(true);
    Restart();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(h1830, Seconds());

    ClickBox(false);
    Restart();
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(h1830, Seconds());
}

TEST_F(OptionsTest, switched_on_from_the_page_the_next_icon_update_logs_out)
{
    TzGuard tz("Europe/Berlin");
    FixedClock clock("2026-03-13T16:00:00");
    ASSERT_TRUE(App().GetKernel()->login("Alpha"));
    Page()->GetTimePicker()->SetSeconds(h1700);
    ClickBox(true);

    clock.set("2026-03-13T17:01:00");  // closed at the log-out time, not at the check
    App().GetIcon()->UpdateIcon(true);
    EXPECT_FALSE(App().GetKernel()->current().active());
    EXPECT_EQ(std::vector<std::string>{zovSession("Alpha", zovtest::at("2026-03-13T16:00:00"),
                                                  zovtest::at("2026-03-13T17:00:00"))
                                           .to_file_string()},
              zovgui::data_lines(m_home->data_dir() + "HOURS.TSK"));
}

TEST_F(OptionsTest, a_stored_value_beyond_one_day_shows_switched_off_and_never_acts)
{
    TzGuard tz("Europe/Berlin");
    for (long stored : {90000L, 86400L, -90000L, 2147483647L}) {
        SCOPED_TRACE(stored);
        StoreAndRestart(stored);
        EXPECT_FALSE(Ticked());
        EXPECT_EQ(h1700, Seconds());
        EXPECT_EQ(-h1700, App().GetAutoLogout());
        FixedClock clock("2026-03-13T00:30:00");
        ASSERT_TRUE(App().GetKernel()->login("Alpha"));
        for (const char* time : {"2026-03-13T01:00:00", "2026-03-13T17:00:30", "2026-03-14T09:00:00"}) {
            clock.set(time);
            App().GetIcon()->UpdateIcon(true);
            EXPECT_TRUE(App().GetKernel()->current().active()) << time;
        }
        ASSERT_TRUE(App().GetKernel()->logout());
        EXPECT_TRUE(zovgui::take_boxes().empty()) << "nothing else is said";
    }
}

TEST_F(OptionsTest, a_setting_that_cannot_be_written_is_reported_once_naming_the_file)
{
    // A folder where the settings file should be: it cannot be replaced.
    ASSERT_TRUE(MakeDirs(m_home->config_file()));
    Page()->GetTimePicker()->SetSeconds(h1830);
    ClickBox(true);
    std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Could not save the setting in the file " + m_home->config_file()
                  + ". It holds until the program ends.",
              boxes[0].message);
    EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
    EXPECT_FALSE(boxes[0].had_parent);
    EXPECT_EQ(h1830, App().GetAutoLogout()) << "it acts for this run";
    EXPECT_EQ(h1830, App().GetKernel()->settings().auto_logout) << "the tray's own daily log-out uses it";

    // The pointer leaving the page stores the same value again: said once.
    LeavePage();
    EXPECT_TRUE(zovgui::take_boxes().empty());
    // A new value that cannot be written is said again.
    ClickBox(false);
    EXPECT_EQ(1u, zovgui::take_boxes().size());
}

TEST_F(OptionsTest, switching_the_log_out_on_after_its_time_leaves_the_running_session_to_the_next_day)
{
    TzGuard tz("Europe/Berlin");
    FixedClock clock("2026-03-13T09:00:00");
    ASSERT_TRUE(App().GetKernel()->login("Alpha"));
    // At 18:00 the user sets 17:00: the hour since 17:00 was worked, not cut.
    clock.set("2026-03-13T18:00:00");
    Page()->GetTimePicker()->SetSeconds(h1700);
    ClickBox(true);
    clock.set("2026-03-13T18:00:30");
    App().GetIcon()->UpdateIcon(true);
    EXPECT_TRUE(App().GetKernel()->current().active());
    // Another program (zov) reads when it was set from the same file.
    EXPECT_TRUE(zovKernel(m_home->data_dir()).current().active());
    LeavePage();  // stored again unchanged: still set at 18:00
    clock.set("2026-03-14T17:00:20");
    App().GetIcon()->UpdateIcon(true);
    EXPECT_FALSE(App().GetKernel()->current().active());
    EXPECT_EQ(std::vector<std::string>{zovSession("Alpha", zovtest::at("2026-03-13T09:00:00"),
                                                  zovtest::at("2026-03-14T17:00:00"))
                                           .to_file_string()},
              zovgui::data_lines(m_home->data_dir() + "HOURS.TSK"));
}
