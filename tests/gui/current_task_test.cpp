// The "Current Task" page driven through its handlers on a temporary data
// folder, with the clock fixed.

#include <functional>

#include <gtest/gtest.h>

#include <unistd.h>

#include <wx/button.h>
#include <wx/colour.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <zovkernel.h>

#include "CurrentTaskPanel.h"
#include "gui_support.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"

using zovgui::AppTest;
using zovgui::click;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

const wxColour dark_green(0, 96, 0);
const wxColour red(255, 0, 0);

std::vector<wxString> list_items(const wxListBox* list)
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        items.push_back(list->GetString(i));
    return items;
}

std::string session_line(const std::string& task, const char* begin, const char* end)
{
    return zovSession(task, at(begin), at(end)).to_file_string() + "\n";
}

}  // namespace

// Each test sets its zone and clock before the application starts.
class CurrentTaskTest : public AppTest
{
protected:
    CurrentTaskTest() : m_tz("Europe/Berlin"), m_clock("2026-03-13T08:00:00") {}

    void SetUp() override
    {
        AppTest::SetUp();
        Open();
    }

    // Shows the dialog as the tray icon does, which refreshes the page.
    void Open()
    {
        App().ShowDialog(true);
        m_page = App().GetDialog()->GetCurrentPage();
    }

    void Type(const wxString& text) { m_page->GetNextField()->ChangeValue(text); }
    void IconTick()
    {
        wxTimerEvent tick(App().GetIcon()->GetTimer());
        App().GetIcon()->ProcessEvent(tick);
    }
    void Tick()
    {
        wxTimerEvent tick(const_cast<wxTimer&>(m_page->GetTimer()));
        m_page->GetEventHandler()->ProcessEvent(tick);
    }
    // Replaces HOURS.TSK and shows the page afresh.
    void History(const std::string& lines)
    {
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n" + lines);
        App().ShowDialog(false);
        Open();
    }
    wxString Label(wxStaticText* text) const { return text->GetLabel(); }
    std::vector<std::string> Hours() const
    {
        return zovgui::data_lines(m_home->data_dir() + "HOURS.TSK");
    }

    TzGuard m_tz;
    FixedClock m_clock;
    CurrentTaskPanel* m_page = nullptr;
};

TEST_F(CurrentTaskTest, a_fresh_folder_shows_default_sleeping_in_red_and_nothing_today)
{
    EXPECT_EQ("DEFAULT", Label(m_page->GetTaskText()));
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
    EXPECT_EQ(red, m_page->GetStatusText()->GetForegroundColour());
    EXPECT_EQ("0.0h - (0 items)", Label(m_page->GetTotalText()));
    EXPECT_EQ("08:00", Label(m_page->GetRefreshText()));
    EXPECT_EQ(0u, m_page->GetRecentList()->GetCount());
    EXPECT_TRUE(App().GetRecentTasks().empty());
}

TEST_F(CurrentTaskTest, login_with_a_typed_name_then_the_minute_timer_counts_up)
{
    Type("Alpha");
    click(m_page->GetLoginButton());
    EXPECT_EQ("Alpha", Label(m_page->GetTaskText()));
    EXPECT_EQ("Working 0.0h", Label(m_page->GetStatusText()));
    EXPECT_EQ(dark_green, m_page->GetStatusText()->GetForegroundColour());
    EXPECT_EQ("Alpha - Working 0.0h", App().GetIcon()->GetTooltip());
    EXPECT_TRUE(App().GetIcon()->ShowsWorking());
    EXPECT_EQ(0u, m_page->GetRecentList()->GetCount()) << "no session of Alpha recorded yet";
    EXPECT_EQ(1u, zovgui::data_lines(m_home->data_dir() + "LOGINOUT.TSK").size());

    m_clock.advance(90 * 60);
    Tick();
    EXPECT_EQ("Working 1.5h", Label(m_page->GetStatusText()));
    EXPECT_EQ("1.5h - (0 items)", Label(m_page->GetTotalText()));
    EXPECT_EQ("09:30", Label(m_page->GetRefreshText()));
    EXPECT_EQ("Alpha - Working 1.5h", App().GetIcon()->GetTooltip());
}

TEST_F(CurrentTaskTest, login_with_an_empty_field_uses_the_remembered_task)
{
    Type("Beta");
    click(m_page->GetApplyNextButton());  // while sleeping: only remembered
    EXPECT_EQ("Beta", Label(m_page->GetTaskText()));
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
    EXPECT_TRUE(Hours().empty());

    Type("");
    m_clock.advance(600);
    click(m_page->GetLoginButton());
    EXPECT_EQ("Beta", Label(m_page->GetTaskText()));
    EXPECT_EQ("Working 0.0h", Label(m_page->GetStatusText()));
    const std::vector<std::string> state = zovgui::data_lines(m_home->data_dir() + "CURRENT.TSK");
    ASSERT_EQ(1u, state.size());
    // Begun at the log-in, not at the switch.
    std::vector<std::string> fields;
    tokenize(state[0], " \t", fields);
    ASSERT_EQ(3u, fields.size()) << state[0];
    vu_datetime begun;
    ASSERT_TRUE(begun.parse_readable_datetime_string(fields[1])) << state[0];
    EXPECT_EQ(at("2026-03-13T08:10:00"), begun) << state[0];
}

TEST_F(CurrentTaskTest, apply_next_double_click_and_logout_drive_the_recording_cycle)
{
    Type("Alpha");
    click(m_page->GetLoginButton());
    m_clock.advance(3600);
    Type("Beta");
    click(m_page->GetApplyNextButton());
    EXPECT_EQ("Beta", Label(m_page->GetTaskText()));
    EXPECT_EQ("Working 0.0h", Label(m_page->GetStatusText()));
    ASSERT_EQ(1u, Hours().size());
    EXPECT_EQ(0u, Hours()[0].find("Alpha"));
    EXPECT_EQ(std::vector<wxString>{"Alpha"}, list_items(m_page->GetRecentList()));
    EXPECT_EQ(std::list<wxString>{"Alpha"}, App().GetRecentTasks());
    EXPECT_EQ("1.0h - (1 items)", Label(m_page->GetTotalText()));

    // A double click on Alpha switches to it at once; Beta, just closed, tops the list.
    m_clock.advance(1800);
    m_page->GetRecentList()->SetSelection(0);
    click(m_page->GetRecentList(), wxEVT_LISTBOX);
    EXPECT_EQ("Alpha", m_page->GetNextField()->GetValue());
    click(m_page->GetRecentList(), wxEVT_LISTBOX_DCLICK);
    EXPECT_EQ("Alpha", Label(m_page->GetTaskText()));
    EXPECT_EQ((std::vector<wxString>{"Beta", "Alpha"}), list_items(m_page->GetRecentList()));
    EXPECT_EQ("1.5h - (2 items)", Label(m_page->GetTotalText()));
    EXPECT_EQ(2u, Hours().size());

    // Logout updates status and total, not the list.
    m_clock.advance(1800);
    click(m_page->GetLogoutButton());
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
    EXPECT_EQ(red, m_page->GetStatusText()->GetForegroundColour());
    EXPECT_EQ("Alpha", Label(m_page->GetTaskText()));
    EXPECT_EQ("2.0h - (2 items)", Label(m_page->GetTotalText()));
    EXPECT_EQ((std::vector<wxString>{"Beta", "Alpha"}), list_items(m_page->GetRecentList()));
    EXPECT_EQ("Alpha - Sleeping", App().GetIcon()->GetTooltip());
    EXPECT_FALSE(App().GetIcon()->ShowsWorking());
    EXPECT_EQ(3u, Hours().size());
    EXPECT_EQ(2u, zovgui::data_lines(m_home->data_dir() + "LOGINOUT.TSK").size());

    // Apply Next with an empty field changes nothing.
    Type("");
    const std::string state = zovtest::read_file(m_home->data_dir() + "CURRENT.TSK");
    click(m_page->GetApplyNextButton());
    EXPECT_EQ(state, zovtest::read_file(m_home->data_dir() + "CURRENT.TSK"));
}

TEST_F(CurrentTaskTest, refused_names_and_failed_writes_are_reported_in_error_boxes)
{
    struct Case
    {
        const char* name;
        bool login;  // else Apply Next
    };
    static const std::string too_long(zovKernel::max_task_name + 1, 'x');
    const Case refused[] = {
        {"two words", true}, {"tab\there", false}, {"%comment", true}, {"%x", false}, {too_long.c_str(), true}};
    for (const Case& c : refused) {
        Type(wxString::FromUTF8(c.name));
        click(c.login ? m_page->GetLoginButton() : m_page->GetApplyNextButton());
        const std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
        ASSERT_EQ(1u, boxes.size()) << c.name;
        EXPECT_TRUE(boxes[0].message.Contains("one word of at most 200 bytes, without blanks or tabs"))
            << boxes[0].message;
        EXPECT_TRUE(boxes[0].message.Contains("not beginning with \"%\"")) << boxes[0].message;
        EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
        EXPECT_EQ("Sleeping", Label(m_page->GetStatusText())) << c.name;
        EXPECT_EQ("DEFAULT", Label(m_page->GetTaskText())) << c.name;
    }

    // A log-in whose LOGINOUT.TSK line cannot be written (a folder stands in its way).
    const std::string dir = m_home->data_dir();
    ASSERT_TRUE(MakeDirs(dir + "LOGINOUT.TSK"));
    Type("Alpha");
    click(m_page->GetLoginButton());
    std::vector<zovgui::recorded_box> boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(boxes[0].message.Contains(wxString::FromUTF8(dir))) << boxes[0].message;
    EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText())) << "a log-in not stamped did not happen";
    ASSERT_EQ(0, ::rmdir((dir + "LOGINOUT.TSK").c_str()));
    click(m_page->GetLoginButton());
    ASSERT_TRUE(zovgui::take_boxes().empty());

    // A log-out whose session cannot be appended to HOURS.TSK.
    std::remove((dir + "HOURS.TSK").c_str());
    ASSERT_TRUE(MakeDirs(dir + "HOURS.TSK"));
    click(m_page->GetLogoutButton());
    boxes = zovgui::take_boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(boxes[0].message.Contains(wxString::FromUTF8(dir))) << boxes[0].message;
    EXPECT_EQ("Working 0.0h", Label(m_page->GetStatusText())) << "the session keeps running";

    // Valid actions show no box.
    Type("");
    click(m_page->GetApplyNextButton());
    EXPECT_TRUE(zovgui::take_boxes().empty());
}

TEST_F(CurrentTaskTest, the_recent_list_orders_by_last_end_within_88_days)
{
    // Today is Friday 2026-03-13; 88 days before is 2025-12-15, 89 days 2025-12-14.
    History(session_line("Old", "2025-12-14T22:00:00", "2025-12-14T23:59:00")
            + session_line("Edge", "2025-12-15T00:00:00", "2025-12-15T00:30:00")
            + session_line("Delta", "2026-03-12T09:00:00", "2026-03-12T17:00:00")
            + session_line("Gamma", "2026-03-12T16:00:00", "2026-03-12T17:00:00")
            + session_line("Alpha", "2026-03-13T07:00:00", "2026-03-13T07:30:00")
            + session_line("alpha", "2026-03-10T07:00:00", "2026-03-10T07:30:00")
            + session_line("Alpha", "2026-02-13T07:00:00", "2026-02-13T07:30:00")
            // A correction of Gamma's later time: reversed pieces do not count.
            + session_line("Gamma", "2026-03-13T07:50:00", "2026-03-13T07:40:00"));
    const std::vector<wxString> expected = {"Alpha", "Gamma", "Delta", "alpha", "Edge"};
    EXPECT_EQ(expected, list_items(m_page->GetRecentList()));
    EXPECT_EQ(std::list<wxString>(expected.begin(), expected.end()), App().GetRecentTasks());
    // Today: Alpha 0.5h, Gamma -1/6 h; two names.
    EXPECT_EQ("0.3h - (2 items)", Label(m_page->GetTotalText()));

    // The minute timer leaves the list alone.
    History(session_line("New", "2026-03-13T07:00:00", "2026-03-13T07:45:00"));
    ASSERT_EQ(std::vector<wxString>{"New"}, list_items(m_page->GetRecentList()));
    zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n");
    Tick();
    EXPECT_EQ(std::vector<wxString>{"New"}, list_items(m_page->GetRecentList()));
    EXPECT_EQ("0.0h - (0 items)", Label(m_page->GetTotalText()));
}

TEST_F(CurrentTaskTest, today_counts_the_calendar_day_on_a_25_hour_day)
{
    // 2026-10-25 in Berlin has 25 hours: midnight + 24 h is 23:00 the same day.
    m_clock.set("2026-10-25T23:55:00");
    History(session_line("Early", "2026-10-24T23:00:00", "2026-10-25T01:00:00")
            + session_line("Late", "2026-10-25T23:10:00", "2026-10-25T23:40:00"));
    EXPECT_EQ("1.5h - (2 items)", Label(m_page->GetTotalText()));
}

TEST_F(CurrentTaskTest, today_ends_at_the_next_midnight_on_a_23_hour_day)
{
    // 2026-03-29 in Berlin has 23 hours: midnight + 24 h would reach 01:00 next day.
    m_clock.set("2026-03-29T23:30:00");
    History(session_line("Today", "2026-03-29T22:00:00", "2026-03-29T23:00:00")
            + session_line("Tomorrow", "2026-03-30T00:10:00", "2026-03-30T00:50:00"));
    EXPECT_EQ("1.0h - (1 items)", Label(m_page->GetTotalText()));
}

TEST_F(CurrentTaskTest, todays_total_counts_only_todays_part_of_a_session_running_since_yesterday)
{
    // Yesterday 17:00 to today 09:00: the status and the icon tell the
    // session's length, the total only what lies after midnight, by the
    // local calendar (23- and 25-hour nights, a half-hour shift, a year end).
    struct Case
    {
        const char* zone;
        const char* begin;
        const char* now;
        const char* total;
        const char* working;
    };
    const Case cases[] = {
        {"UTC", "2026-03-12T17:00:00", "2026-03-13T09:00:00", "9.0h - (0 items)", "16.0h"},
        {"Europe/Berlin", "2026-03-12T17:00:00", "2026-03-13T09:00:00", "9.0h - (0 items)", "16.0h"},
        {"Europe/Berlin", "2026-03-28T17:00:00", "2026-03-29T09:00:00", "8.0h - (0 items)", "15.0h"},
        {"America/New_York", "2026-10-31T17:00:00", "2026-11-01T09:00:00", "10.0h - (0 items)", "17.0h"},
        {"Australia/Lord_Howe", "2026-04-04T17:00:00", "2026-04-05T09:00:00", "9.5h - (0 items)", "16.5h"},
        {"UTC", "2026-12-31T17:00:00", "2027-01-01T09:00:00", "9.0h - (0 items)", "16.0h"},
        // Begun today: all of it.
        {"Australia/Lord_Howe", "2026-03-13T06:30:00", "2026-03-13T09:00:00", "2.5h - (0 items)", "2.5h"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.now);
        TzGuard tz(c.zone);
        zovtest::write_file(m_home->data_dir() + "CURRENT.TSK",
                            "Night " + at(c.begin).to_readable_datetime_string() + " ACTIVE\n");
        m_clock.set(c.now);
        History("");
        EXPECT_EQ(c.total, Label(m_page->GetTotalText()));
        EXPECT_EQ(std::string("Working ") + c.working, Label(m_page->GetStatusText()));
        EXPECT_EQ(std::string("Night - Working ") + c.working, App().GetIcon()->GetTooltip());
        m_clock.advance(60);
        Tick();
        EXPECT_EQ(c.total, Label(m_page->GetTotalText())) << "the minute timer counts alike";
    }

    // A closed session across midnight counts its part after midnight, too.
    zovtest::write_file(m_home->data_dir() + "CURRENT.TSK",
                        "Night " + at("2026-03-12T23:00:00").to_readable_datetime_string()
                            + " ACTIVE\n");
    m_clock.set("2026-03-13T01:00:00");
    History(session_line("Closed", "2026-03-12T22:00:00", "2026-03-13T00:30:00"));
    EXPECT_EQ("1.5h - (1 items)", Label(m_page->GetTotalText()));
    EXPECT_EQ("Working 2.0h", Label(m_page->GetStatusText()));
}

TEST_F(CurrentTaskTest, a_log_in_after_the_log_out_time_stays_and_page_and_icon_agree)
{
    App().SetAutoLogout(17 * 3600);
    m_clock.set("2026-03-13T16:00:00");
    Type("Alpha");
    click(m_page->GetLoginButton());

    // The icon's minute timer logs out; the page on screen follows at once.
    m_clock.set("2026-03-13T17:00:40");
    IconTick();
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
    EXPECT_EQ(red, m_page->GetStatusText()->GetForegroundColour());
    EXPECT_EQ("Alpha - Sleeping", App().GetIcon()->GetTooltip());

    // Overtime, logged in after 17:00: the user's decision, left alone.
    m_clock.set("2026-03-13T17:01:30");
    Type("Overtime");
    click(m_page->GetLoginButton());
    for (const char* time : {"2026-03-13T17:01:59", "2026-03-13T17:02:30", "2026-03-14T16:59:00"}) {
        SCOPED_TRACE(time);
        m_clock.set(time);
        IconTick();
        Tick();
        EXPECT_TRUE(App().GetKernel()->current().active());
        EXPECT_EQ(dark_green, m_page->GetStatusText()->GetForegroundColour());
        EXPECT_TRUE(App().GetIcon()->ShowsWorking());
        EXPECT_TRUE(App().GetIcon()->GetTooltip().StartsWith("Overtime - Working"));
        EXPECT_EQ(Label(m_page->GetStatusText()),
                  App().GetIcon()->GetTooltip().AfterFirst('-').Trim(false));
    }
    EXPECT_EQ(std::vector<std::string>{zovSession("Alpha", at("2026-03-13T16:00:00"),
                                                  at("2026-03-13T17:00:00"))
                                           .to_file_string()},
              Hours());
    const std::vector<std::string> stamps = zovgui::data_lines(m_home->data_dir() + "LOGINOUT.TSK");
    ASSERT_EQ(3u, stamps.size());
    EXPECT_EQ("LOGOUT " + at("2026-03-13T17:00:00").to_readable_datetime_string(), stamps[1]);
    EXPECT_EQ("LOGIN " + at("2026-03-13T17:01:30").to_readable_datetime_string(), stamps[2]);

    // The next day's 17:00 ends the overtime session.
    m_clock.set("2026-03-14T17:00:05");
    IconTick();
    EXPECT_FALSE(App().GetKernel()->current().active());
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
}

TEST_F(CurrentTaskTest, after_sleeping_through_the_log_out_time_every_check_closes_at_that_time)
{
    // Running since 16:00 yesterday; the computer slept through 17:00 and
    // wakes at 08:30. Whatever comes first closes the session at 17:00.
    struct Case
    {
        const char* what;
        std::function<void()> act;
        bool beta_runs;  // whether the action then started Beta
    };
    const Case cases[] = {
        {"the icon's minute timer", [this] { IconTick(); }, false},
        {"the page's minute timer", [this] { Tick(); }, false},
        {"showing the page", [this] { App().ShowDialog(false); Open(); }, false},
        {"Logout", [this] { click(m_page->GetLogoutButton()); }, false},
        {"Login", [this] { Type("Beta"); click(m_page->GetLoginButton()); }, true},
        {"Apply Next", [this] { Type("Beta"); click(m_page->GetApplyNextButton()); }, false},
    };
    m_clock.set("2026-03-12T08:00:00");  // switched on long before
    App().SetAutoLogout(17 * 3600);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zovtest::write_file(m_home->data_dir() + "CURRENT.TSK",
                            "Alpha " + at("2026-03-12T16:00:00").to_readable_datetime_string()
                                + " ACTIVE\n");
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n");
        m_clock.set("2026-03-13T08:30:00");
        c.act();
        const std::vector<std::string> hours = Hours();
        ASSERT_FALSE(hours.empty());
        EXPECT_EQ(zovSession("Alpha", at("2026-03-12T16:00:00"), at("2026-03-12T17:00:00"))
                      .to_file_string(),
                  hours[0]);
        EXPECT_EQ(1u, hours.size());
        EXPECT_EQ(c.beta_runs, App().GetKernel()->current().active());
        EXPECT_EQ(App().GetKernel()->current().active(), App().GetIcon()->ShowsWorking());
    }
}

TEST_F(CurrentTaskTest, blanks_and_tabs_around_a_typed_name_are_trimmed)
{
    Type("Delta ");
    click(m_page->GetLoginButton());
    EXPECT_EQ("Delta", App().GetKernel()->current().task());
    EXPECT_EQ("Working 0.0h", Label(m_page->GetStatusText()));

    m_clock.advance(600);
    Type("\tEcho \t");
    click(m_page->GetApplyNextButton());
    EXPECT_EQ("Echo", App().GetKernel()->current().task());
    EXPECT_EQ("Echo", Label(m_page->GetTaskText()));
    EXPECT_EQ(std::vector<wxString>{"Delta"}, list_items(m_page->GetRecentList()));

    // Blanks only: as empty as an empty field, nothing happens.
    Type("  ");
    click(m_page->GetApplyNextButton());
    EXPECT_EQ("Echo", App().GetKernel()->current().task());
    EXPECT_TRUE(zovgui::take_boxes().empty());
}

// The tray and zov on one data folder, with the daily log-out at 17:00
// falling between a log-in at 08:00 and a switch at 18:00: whichever program
// does which step, the records are those of zov alone.
TEST_F(CurrentTaskTest, the_tray_and_zov_give_the_same_records_around_a_daily_log_out)
{
    App().SetAutoLogout(17 * 3600);
    const auto zov = [&](const std::string& dir, std::vector<std::string> args, const char* clock) {
        args.insert(args.begin(), {ZOV_PROGRAM, "--data", dir});
        return zovtest::run_process(args, {std::string("LD_PRELOAD=") + ZOV_FAKETIME_LIB,
                                           std::string("FAKETIME=") + clock,
                                           // faketime comes before the sanitizer's runtime; that order is fine
                                           "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
    };
    const auto records = [](const std::string& dir) {
        std::vector<std::string> all;
        for (const char* name : {"CURRENT.TSK", "HOURS.TSK", "LOGINOUT.TSK"})
            all.push_back(zovtest::read_file(dir + name));
        return all;
    };

    // zov alone, in a folder of its own.
    zovtest::TempDir alone;
    ASSERT_EQ(0, zov(alone.path(), {"login", "Alpha"}, "2026-03-13 08:00:00").status);
    ASSERT_EQ(0, zov(alone.path(), {"next", "Beta"}, "2026-03-13 18:00:00").status);
    const std::vector<std::string> expected = records(alone.path());
    EXPECT_EQ(expected[0], "Beta " + at("2026-03-13T18:00:00").to_readable_datetime_string() + " INACTIVE\n");

    // The tray logs in, zov switches.
    const std::string dir = m_home->data_dir();
    Type("Alpha");
    click(m_page->GetLoginButton());
    ASSERT_EQ(0, zov(dir, {"next", "Beta"}, "2026-03-13 18:00:00").status);
    m_clock.set("2026-03-13T18:00:00");
    IconTick();
    EXPECT_EQ(expected, records(dir));
    EXPECT_EQ("Beta - Sleeping", App().GetIcon()->GetTooltip());

    // zov logs in, the tray switches (the next day, same times).
    ASSERT_EQ(0, zov(dir, {"login", "Alpha"}, "2026-03-14 08:00:00").status);
    m_clock.set("2026-03-14T18:00:00");
    Type("Beta");
    click(m_page->GetApplyNextButton());
    const std::vector<std::string> both = records(dir);
    ASSERT_EQ(0, zov(alone.path(), {"login", "Alpha"}, "2026-03-14 08:00:00").status);
    ASSERT_EQ(0, zov(alone.path(), {"next", "Beta"}, "2026-03-14 18:00:00").status);
    EXPECT_EQ(records(alone.path()), both);
    EXPECT_EQ("Beta", Label(m_page->GetTaskText()));
    EXPECT_EQ("Sleeping", Label(m_page->GetStatusText()));
}
