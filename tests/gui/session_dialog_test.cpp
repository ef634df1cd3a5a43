// The "Timesheet Correction" dialog on a temporary data folder: its checks,
// its confirmation and what it leaves in HOURS.TSK. Message boxes are
// answered through the toolkit's modal-dialog testing support.

#include <cstdio>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <zovkernel.h>

#include "SessionDialog.h"
#include "TimeEditPanel.h"
#include "gui_support.h"
#include "zovTaskBarApp.h"
#include "zovTaskBarDialog.h"
#include "zovTrayRules.h"

using zovgui::AppTest;
using zovgui::click;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

const wxColour white(255, 255, 255);
const wxColour red(255, 0, 0);
const wxColour blue(0, 0, 255);

const char* const no_task = "No task specified";
const char* const invalid_name = "Invalid task name";
const char* const negative = "Negative time specified";
const char* const confirm = "Please confirm or reject correction";
const char* const apply_failed = "Error applying changes, please check input";

// A message box that must come next: its caption, text, icon and buttons
// are checked, and the given button answers it.
class ExpectBox : public wxExpectModalBase<wxMessageDialog, ExpectBox>
{
public:
    ExpectBox(const wxString& caption, const wxString& message, long icon, long buttons,
              int answer = wxID_OK)
        : m_caption(caption), m_message(message), m_icon(icon), m_buttons(buttons),
          m_answer(answer)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* box) const override
    {
        EXPECT_EQ(m_caption, box->GetTitle());
        EXPECT_EQ(m_message, box->GetMessage());
        const long style = box->GetMessageDialogStyle();
        EXPECT_EQ(m_icon, style & wxICON_MASK) << m_caption;
        EXPECT_EQ(m_buttons, style & (wxOK | wxCANCEL | wxYES_NO)) << m_caption;
        return m_answer;
    }
    wxString GetDefaultDescription() const override
    {
        return "message box \"" + m_caption + "\"";
    }

private:
    wxString m_caption;
    wxString m_message;
    long m_icon;
    long m_buttons;
    int m_answer;
};

ExpectBox Error(const wxString& caption, const wxString& message)
{
    return ExpectBox(caption, message, wxICON_ERROR, wxOK);
}

ExpectBox Confirm(const wxString& summary, int answer = wxID_OK)
{
    return ExpectBox(confirm, summary, wxICON_INFORMATION, wxOK | wxCANCEL, answer);
}

// ShowModal of the correction dialog: the script fills it in and presses its
// buttons; what the dialog ends with is what ShowModal returns.
class ExpectCorrection : public wxExpectModalBase<SessionDialog, ExpectCorrection>
{
public:
    explicit ExpectCorrection(std::function<void(SessionDialog&)> script)
        : m_script(std::move(script))
    {
    }

protected:
    int OnInvoked(SessionDialog* dialog) const override
    {
        dialog->Show();
        dialog->SetReturnCode(0);
        m_script(*dialog);
        EXPECT_FALSE(dialog->IsShown()) << "the script left the dialog open";
        return dialog->GetReturnCode();
    }

private:
    std::function<void(SessionDialog&)> m_script;
};

std::string line(const std::string& task, const std::string& begin, const std::string& end)
{
    return zovSession(task, at(begin), at(end)).to_file_string();
}

void enter(SessionDialog& dialog, const wxString& task, const wxString& from,
           const wxString& until)
{
    dialog.GetTaskBox()->SetValue(task);
    dialog.GetFromPanel()->GetTextControl()->SetValue(from);
    dialog.GetUntilPanel()->GetTextControl()->SetValue(until);
}

}  // namespace

// Friday 13 March 2026, 10:07 in Berlin; the application runs on a fresh home.
class SessionDialogTest : public AppTest
{
protected:
    SessionDialogTest() : m_tz("Europe/Berlin"), m_clock("2026-03-13T10:07:00") {}

    void TearDown() override
    {
        m_dialog.reset();
        AppTest::TearDown();
    }

    // The dialog as the time-sheet page opens it, shown without a modal loop.
    SessionDialog& Open(const std::string& date, std::list<wxString> recent = {})
    {
        App().GetRecentTasks() = std::move(recent);
        m_dialog = std::make_unique<SessionDialog>(nullptr);
        m_dialog->SetDate(at(date + "T00:00:00"));
        m_dialog->Show();
        return *m_dialog;
    }
    void Enter(const wxString& task, const wxString& from, const wxString& until)
    {
        enter(*m_dialog, task, from, until);
    }
    void Ok() { click(m_dialog->GetOkButton()); }
    void TickActive(bool on)
    {
        m_dialog->GetActiveBox()->SetValue(on);
        click(m_dialog->GetActiveBox(), wxEVT_CHECKBOX);
    }
    wxTextCtrl* FromText() const { return m_dialog->GetFromPanel()->GetTextControl(); }
    wxTextCtrl* UntilText() const { return m_dialog->GetUntilPanel()->GetTextControl(); }

    std::string HoursFile() const { return m_home->data_dir() + "HOURS.TSK"; }
    std::vector<std::string> Hours() const { return zovgui::data_lines(HoursFile()); }
    void Record(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& l : lines)
            text += l + "\n";
        zovtest::write_file(HoursFile(), text);
    }

    TzGuard m_tz;
    FixedClock m_clock;
    std::unique_ptr<SessionDialog> m_dialog;
};

TEST_F(SessionDialogTest, opens_over_the_main_dialog_with_its_controls_and_the_recent_tasks)
{
    App().GetDialog()->Move(40, 30);
    SessionDialog& dialog = Open("2026-03-11", {"Gamma", "alpha", "Beta"});
    EXPECT_EQ("Timesheet Correction", dialog.GetTitle());
    EXPECT_EQ("wxID_ANY", dialog.GetName());
    EXPECT_EQ(App().GetDialog()->GetPosition(), dialog.GetPosition());
    EXPECT_EQ("Add work session in the past (check 'Active' for a work session that is still "
              "active). Any existing \noverlapping work sessions will be adjusted "
              "automatically. Use 24 hour time format HH:MM",
              dialog.GetTextLabel()->GetLabel());

    wxComboBox* task = dialog.GetTaskBox();
    ASSERT_EQ(3u, task->GetCount());
    EXPECT_EQ("Gamma", task->GetString(0));
    EXPECT_EQ("alpha", task->GetString(1));
    EXPECT_EQ("Beta", task->GetString(2));
    EXPECT_EQ("", task->GetValue());

    EXPECT_EQ("Wednesday", dialog.GetWeekdayLabel()->GetLabel());
    EXPECT_EQ(at("2026-03-11T00:00:00"), dialog.GetDate());
    EXPECT_GE(dialog.GetTodayButton()->GetSize().GetWidth(), 50) << "50 or what its label needs";
    EXPECT_EQ("Today", dialog.GetTodayButton()->GetLabel());
    EXPECT_EQ("Active", dialog.GetActiveBox()->GetLabel());
    EXPECT_FALSE(dialog.GetActiveBox()->GetValue());
    EXPECT_EQ("Ok", dialog.GetOkButton()->GetLabel());
    EXPECT_EQ("Cancel", dialog.GetCancelButton()->GetLabel());
    for (const char* name : {"ID_STATICTEXT1", "ID_COMBOBOX1", "ID_BUTTON3", "ID_STATICTEXT2",
                             "ID_DATEPICKERCTRL1", "ID_CHECKBOX1", "ID_BUTTON1", "ID_BUTTON2"})
        EXPECT_NE(nullptr, dialog.FindWindow(name)) << name;
    EXPECT_EQ("", FromText()->GetValue());
    EXPECT_EQ("", UntilText()->GetValue());
}

TEST_F(SessionDialogTest, set_task_presets_exactly_the_task_given_in_the_list_or_not)
{
    SessionDialog& dialog = Open("2026-03-11", {"Gamma", "Alpha", "alpha", "Beta"});
    struct Case
    {
        const char* task;
        int selection;  // the list item chosen, or wxNOT_FOUND: typed in
    };
    const Case cases[] = {
        {"alpha", 2}, {"Alpha", 1}, {"Beta", 3},
        // Another letter case is another task: never an item that merely looks alike.
        {"ALPHA", wxNOT_FOUND}, {"beta", wxNOT_FOUND},
        // Not in the recent list (older than 90 days, or just logged out).
        {"Delta", wxNOT_FOUND}, {"Bet", wxNOT_FOUND},
    };
    for (const Case& c : cases) {
        dialog.SetTask(c.task);
        EXPECT_EQ(c.task, dialog.GetTaskBox()->GetValue()) << c.task;
        if (c.selection != wxNOT_FOUND) {
            EXPECT_EQ(c.selection, dialog.GetTaskBox()->GetSelection()) << c.task;
        }
    }

    SessionDialog& fresh = Open("2026-03-11", {});
    fresh.SetTask("Delta");
    EXPECT_EQ("Delta", fresh.GetTaskBox()->GetValue());
}

TEST_F(SessionDialogTest, active_is_offered_only_for_today_which_then_locks_the_date)
{
    SessionDialog& today = Open("2026-03-13");
    EXPECT_FALSE(today.GetDatePicker()->IsEnabled());
    EXPECT_TRUE(today.GetActiveBox()->IsEnabled());
    EXPECT_EQ("Friday", today.GetWeekdayLabel()->GetLabel());

    SessionDialog& other = Open("2026-03-12");
    EXPECT_TRUE(other.GetDatePicker()->IsEnabled());
    EXPECT_FALSE(other.GetActiveBox()->IsEnabled());
    EXPECT_EQ("Thursday", other.GetWeekdayLabel()->GetLabel());

    // A date picked by hand only renames the weekday: today so picked is
    // still not offered as active.
    other.GetDatePicker()->SetValue(wxDateTime(13, wxDateTime::Mar, 2026));
    wxDateEvent picked(other.GetDatePicker(), other.GetDatePicker()->GetValue(),
                       wxEVT_DATE_CHANGED);
    other.GetDatePicker()->GetEventHandler()->ProcessEvent(picked);
    EXPECT_EQ("Friday", other.GetWeekdayLabel()->GetLabel());
    EXPECT_FALSE(other.GetActiveBox()->IsEnabled());
    EXPECT_TRUE(other.GetDatePicker()->IsEnabled());

    other.SetDate(at("2026-03-12T00:00:00"));
    click(other.GetTodayButton());
    EXPECT_EQ(at("2026-03-13T00:00:00"), other.GetDate());
    EXPECT_EQ("Friday", other.GetWeekdayLabel()->GetLabel());
    EXPECT_FALSE(other.GetDatePicker()->IsEnabled());
    EXPECT_TRUE(other.GetActiveBox()->IsEnabled());

    // Tomorrow is not today either, also when the clock is just before midnight.
    m_clock.set("2026-03-13T23:59:00");
    EXPECT_FALSE(Open("2026-03-14").GetActiveBox()->IsEnabled());
    EXPECT_TRUE(Open("2026-03-13").GetActiveBox()->IsEnabled());
}

TEST_F(SessionDialogTest, ok_with_an_empty_task_shows_only_no_task_specified)
{
    Record({line("K", "2026-03-13T08:00:00", "2026-03-13T12:00:00")});
    SessionDialog& dialog = Open("2026-03-13", {"K"});
    Enter("", "25:00", "09:00");
    FromText()->SetBackgroundColour(blue);  // not parsed again: keeps its colour
    wxTEST_DIALOG(Ok(), Error(no_task, "Please select or type a task name"));
    EXPECT_EQ(blue, FromText()->GetBackgroundColour());
    EXPECT_EQ(white, UntilText()->GetBackgroundColour());
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ(std::vector<std::string>{line("K", "2026-03-13T08:00:00", "2026-03-13T12:00:00")},
              Hours());
}

TEST_F(SessionDialogTest, a_name_the_kernel_would_refuse_is_refused_before_anything_is_parsed)
{
    const std::string recorded = line("K", "2026-03-13T08:00:00", "2026-03-13T12:00:00");
    Record({recorded});
    for (const char* name : {"Alpha Beta", "%Alpha", "Al\tpha", " Al pha\t"}) {
        SCOPED_TRACE(name);
        SessionDialog& dialog = Open("2026-03-13");
        dialog.GetTaskBox()->SetValue(name);
        wxTEST_DIALOG(Ok(), Error(invalid_name,
                                  zovtray::bad_name_message(zovtray::typed_name(name))));
        EXPECT_FALSE(FromText()->UseBackgroundColour()) << "the time fields were parsed";
        EXPECT_FALSE(UntilText()->UseBackgroundColour());
        EXPECT_TRUE(dialog.IsShown());
        EXPECT_EQ(name, dialog.GetTaskBox()->GetValue());
        EXPECT_EQ(std::vector<std::string>{recorded}, Hours()) << "no cancelling lines";
    }
}

TEST_F(SessionDialogTest, an_invalid_time_turns_its_field_red_the_other_white_and_nothing_else)
{
    struct Case
    {
        const char* from;
        const char* until;
    };
    const Case cases[] = {
        {"25:00", "09:00"}, {"08:00", "9"}, {"", ""}, {"8:00 ", "09:60"}, {"08:00", "noon"},
    };
    vu_datetime check;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " - " + c.until);
        SessionDialog& dialog = Open("2026-03-13");
        Enter("Alpha", c.from, c.until);
        // Ok parses both fields again, whatever they showed before.
        FromText()->SetBackgroundColour(blue);
        UntilText()->SetBackgroundColour(blue);
        Ok();
        EXPECT_EQ(check.parse_datetime(c.from, "%H:%M") ? white : red,
                  FromText()->GetBackgroundColour());
        EXPECT_EQ(check.parse_datetime(c.until, "%H:%M") ? white : red,
                  UntilText()->GetBackgroundColour());
        EXPECT_TRUE(dialog.IsShown());
        EXPECT_TRUE(zovgui::take_boxes().empty());
    }
    EXPECT_TRUE(Hours().empty());
}

TEST_F(SessionDialogTest, an_end_before_the_begin_is_negative_time_and_shows_no_summary)
{
    SessionDialog& dialog = Open("2026-03-13");
    Enter("Alpha", "10:00", "09:59");
    wxTEST_DIALOG(Ok(), Error(negative, "A work session cannot end before it started."));
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_TRUE(Hours().empty());
}

TEST_F(SessionDialogTest, a_zero_length_session_is_confirmed_with_0_00_and_applied)
{
    SessionDialog& dialog = Open("2026-03-13");
    Enter("Alpha", "09:00", "9:00");
    wxTEST_DIALOG(Ok(), Confirm("Task    : Alpha\n"
                                "Hours  :   0.00 \n"
                                "From   : 2026-03-13T09:00:00+01:00\n"
                                "Until    : 2026-03-13T09:00:00+01:00\n"));
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(wxID_OK, dialog.GetReturnCode());
    EXPECT_EQ(std::vector<std::string>{line("Alpha", "2026-03-13T09:00:00", "2026-03-13T09:00:00")},
              Hours());
}

TEST_F(SessionDialogTest, show_modal_applies_a_correction_over_recorded_time_and_returns_ok)
{
    const std::string recorded = line("K", "2026-03-13T08:00:00", "2026-03-13T12:00:00");
    Record({recorded});
    App().GetRecentTasks() = {"K", "Alpha"};
    SessionDialog dialog(nullptr);
    dialog.SetDate(at("2026-03-13T00:00:00"));
    dialog.SetTask("Alpha");
    int result = 0;
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  ExpectCorrection([](SessionDialog& d) {
                      enter(d, d.GetTaskBox()->GetValue(), "08:00", "09:30");
                      click(d.GetOkButton());
                  }),
                  Confirm("Task    : Alpha\n"
                          "Hours  :   1.50 \n"
                          "From   : 2026-03-13T08:00:00+01:00\n"
                          "Until    : 2026-03-13T09:30:00+01:00\n"));
    EXPECT_EQ(wxID_OK, result);
    EXPECT_EQ((std::vector<std::string>{
                  recorded,
                  line("K", "2026-03-13T09:30:00", "2026-03-13T08:00:00"),
                  line("Alpha", "2026-03-13T08:00:00", "2026-03-13T09:30:00"),
              }),
              Hours());
}

TEST_F(SessionDialogTest, cancel_in_the_confirmation_keeps_every_entry_and_calls_nothing)
{
    const std::string recorded = line("K", "2026-03-13T08:00:00", "2026-03-13T12:00:00");
    Record({recorded});
    const std::string current = zovtest::read_file(m_home->data_dir() + "CURRENT.TSK");
    SessionDialog& dialog = Open("2026-03-13");
    Enter("Alpha", "08:00", "09:30");
    TickActive(true);
    const wxString until = UntilText()->GetValue();
    wxTEST_DIALOG(Ok(), ExpectBox(confirm,
                                  "Task    : Alpha\n"
                                  "Hours  :   2.12 \n"
                                  "From   : 2026-03-13T08:00:00+01:00\n"
                                  "Until    : 2026-03-13T10:07:00+01:00\n"
                                  "\nNote: As \"Active\" was checked, the task \"Alpha\" will "
                                  "continue as active.",
                                  wxICON_INFORMATION, wxOK | wxCANCEL, wxID_CANCEL));
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ("Alpha", dialog.GetTaskBox()->GetValue());
    EXPECT_EQ("08:00", FromText()->GetValue());
    EXPECT_EQ(until, UntilText()->GetValue());
    EXPECT_TRUE(dialog.GetActiveBox()->GetValue());
    EXPECT_EQ(at("2026-03-13T00:00:00"), dialog.GetDate());
    EXPECT_EQ(std::vector<std::string>{recorded}, Hours());
    EXPECT_EQ(current, zovtest::read_file(m_home->data_dir() + "CURRENT.TSK"));

    click(dialog.GetCancelButton());
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(wxID_CANCEL, dialog.GetReturnCode());
    EXPECT_EQ(std::vector<std::string>{recorded}, Hours());
}

TEST_F(SessionDialogTest, active_puts_now_into_until_and_switches_the_task_before_the_correction)
{
    m_clock.set("2026-03-13T08:00:00");
    ASSERT_TRUE(App().GetKernel()->login("Alpha"));
    m_clock.set("2026-03-13T10:07:42");
    SessionDialog& dialog = Open("2026-03-13", {"Alpha", "Beta"});
    Enter("Beta", "09:00", "");

    TickActive(true);
    EXPECT_EQ("10:07", UntilText()->GetValue());
    EXPECT_EQ(white, UntilText()->GetBackgroundColour());
    EXPECT_FALSE(dialog.GetUntilPanel()->IsEnabled());
    TickActive(false);
    EXPECT_TRUE(dialog.GetUntilPanel()->IsEnabled());
    EXPECT_EQ("10:07", UntilText()->GetValue()) << "unticking keeps the time";
    TickActive(true);

    wxTEST_DIALOG(Ok(), Confirm("Task    : Beta\n"
                                "Hours  :   1.12 \n"
                                "From   : 2026-03-13T09:00:00+01:00\n"
                                "Until    : 2026-03-13T10:07:00+01:00\n"
                                "\nNote: As \"Active\" was checked, the task \"Beta\" will "
                                "continue as active."));
    EXPECT_EQ(wxID_OK, dialog.GetReturnCode());
    // One kernel call: Alpha's running part within the span is cancelled,
    // Alpha is closed at the span's end, and Beta runs on from there.
    EXPECT_EQ((std::vector<std::string>{
                  line("Alpha", "2026-03-13T10:07:00", "2026-03-13T09:00:00"),
                  line("Beta", "2026-03-13T09:00:00", "2026-03-13T10:07:00"),
                  line("Alpha", "2026-03-13T08:00:00", "2026-03-13T10:07:00"),
              }),
              Hours());
    const zovCurrent& current = App().GetKernel()->current();
    EXPECT_EQ("Beta", current.task());
    EXPECT_TRUE(current.active());
    EXPECT_EQ(at("2026-03-13T10:07:00"), current.time());
}

TEST_F(SessionDialogTest, a_failing_correction_shows_the_summary_as_an_error_and_stays_open)
{
    // HOURS.TSK cannot be appended to when a folder stands in its place.
    std::remove(HoursFile().c_str());
    ASSERT_EQ(0, ::mkdir(HoursFile().c_str(), 0700));
    SessionDialog& dialog = Open("2026-03-12");
    Enter("Alpha", "08:00", "09:30");
    const wxString summary = "Task    : Alpha\n"
                             "Hours  :   1.50 \n"
                             "From   : 2026-03-12T08:00:00+01:00\n"
                             "Until    : 2026-03-12T09:30:00+01:00\n";
    wxTEST_DIALOG(Ok(), Confirm(summary),
                  ExpectBox(apply_failed, summary, wxICON_INFORMATION, wxOK));
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_NE(wxID_OK, dialog.GetReturnCode());
    EXPECT_EQ("Alpha", dialog.GetTaskBox()->GetValue());
    EXPECT_EQ("08:00", FromText()->GetValue());
}

// A correction ends at the latest now: one typed into the future is refused
// with the bound named, and nothing is written.
TEST_F(SessionDialogTest, a_correction_past_now_is_refused_with_the_bound_named)
{
    SessionDialog& dialog = Open("2026-03-13");
    Enter("Alpha", "09:00", "11:00");
    const wxString summary = "Task    : Alpha\n"
                             "Hours  :   2.00 \n"
                             "From   : 2026-03-13T09:00:00+01:00\n"
                             "Until    : 2026-03-13T11:00:00+01:00\n";
    wxTEST_DIALOG(Ok(), Confirm(summary),
                  ExpectBox(apply_failed,
                            summary + "\nA correction must end at the latest now (2026-03-13T10:07:00+01:00); "
                                      "it ends at 2026-03-13T11:00:00+01:00. Nothing was changed.",
                            wxICON_INFORMATION, wxOK));
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_TRUE(Hours().empty());
}

TEST_F(SessionDialogTest, on_a_daylight_saving_day_the_typed_wall_clock_times_are_recorded)
{
    m_clock.set("2013-04-01T10:00:00");
    // The day before has only 23 hours: it must still not count as today.
    EXPECT_FALSE(Open("2013-03-31").GetActiveBox()->IsEnabled());
    EXPECT_EQ("Sunday", m_dialog->GetWeekdayLabel()->GetLabel());

    struct Case
    {
        const char* date;
        const char* from;
        const char* until;
        const char* hours;  // real time between the two wall-clock times
        const char* begin;
        const char* end;
    };
    const Case cases[] = {
        {"2013-03-31", "08:00", "09:30", "1.50", "2013-03-31T08:00:00+02:00",
         "2013-03-31T09:30:00+02:00"},
        {"2013-03-31", "01:00", "04:00", "2.00", "2013-03-31T01:00:00+01:00",
         "2013-03-31T04:00:00+02:00"},
        {"2013-10-27", "01:00", "04:00", "4.00", "2013-10-27T01:00:00+02:00",
         "2013-10-27T04:00:00+01:00"},
    };
    std::vector<std::string> written;
    // A correction ends at the latest now: the autumn day is entered after it.
    m_clock.set("2013-11-01T10:00:00");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.from + "-" + c.until);
        Open(c.date);
        Enter("Alpha", c.from, c.until);
        wxTEST_DIALOG(Ok(), Confirm(std::string("Task    : Alpha\n")
                                    + "Hours  :   " + c.hours + " \n"
                                    + "From   : " + c.begin + "\n"
                                    + "Until    : " + c.end + "\n"));
        written.push_back(line("Alpha", c.begin, c.end));
        EXPECT_EQ(written, Hours());
    }
}

TEST_F(SessionDialogTest, the_picker_gives_back_the_local_midnight_it_was_set_to_in_every_zone)
{
    for (const char* zone : zovtest::test_zones) {
        TzGuard tz(zone);
        for (const char* date : {"2013-03-31", "2013-10-27", "2013-03-10", "2013-11-03",
                                 "2013-10-06", "2013-04-07", "2013-12-31", "2014-01-01"}) {
            SCOPED_TRACE(std::string(zone) + " " + date);
            const vu_datetime midnight = at(std::string(date) + "T00:00:00");
            SessionDialog& dialog = Open(date);
            EXPECT_EQ(midnight, dialog.GetDate());
            EXPECT_EQ(SessionDialog::WeekdayName(midnight.to_day_of_week2()),
                      dialog.GetWeekdayLabel()->GetLabel());
        }
    }
}

TEST(SessionDialogRules, weekday_names_and_the_same_date_by_the_calendar)
{
    const char* names[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                           "Friday", "Saturday", "Sunday"};
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(names[day], SessionDialog::WeekdayName(day));
    EXPECT_EQ("???", SessionDialog::WeekdayName(-1));
    EXPECT_EQ("???", SessionDialog::WeekdayName(7));

    struct Case
    {
        const char* zone;
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Europe/Berlin", "2013-03-31T00:00:00", "2013-04-01T00:00:00", false},  // 23 h apart
        {"Europe/Berlin", "2013-03-30T00:00:00", "2013-03-31T00:00:00", false},
        {"Europe/Berlin", "2013-10-27T00:00:00", "2013-10-27T23:59:59", true},   // 25 h day
        {"Australia/Lord_Howe", "2013-10-06T00:00:00", "2013-10-07T00:00:00", false},
        {"America/New_York", "2013-12-31T23:59:59", "2014-01-01T00:00:00", false},
        {"UTC", "2013-12-31T00:00:00", "2013-12-31T12:00:00", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.a + " " + c.b);
        TzGuard tz(c.zone);
        EXPECT_EQ(c.same, SessionDialog::IsSameDate(at(c.a), at(c.b)));
        EXPECT_EQ(c.same, SessionDialog::IsSameDate(at(c.b), at(c.a)));
    }
}

TEST_F(SessionDialogTest, blanks_and_tabs_around_a_typed_name_are_trimmed)
{
    for (const char* typed : {"Delta ", "\tDelta", " Delta\t "}) {
        SCOPED_TRACE(typed);
        Record({});
        SessionDialog& dialog = Open("2026-03-12");
        Enter(typed, "08:00", "09:30");
        wxTEST_DIALOG(Ok(), Confirm("Task    : Delta\n"
                                    "Hours  :   1.50 \n"
                                    "From   : 2026-03-12T08:00:00+01:00\n"
                                    "Until    : 2026-03-12T09:30:00+01:00\n"));
        EXPECT_EQ(wxID_OK, dialog.GetReturnCode());
        EXPECT_EQ(std::vector<std::string>{line("Delta", "2026-03-12T08:00:00",
                                                "2026-03-12T09:30:00")},
                  Hours());
    }
    // Nothing but blanks is no name at all.
    SessionDialog& dialog = Open("2026-03-12");
    Enter(" \t ", "08:00", "09:30");
    wxTEST_DIALOG(Ok(), Error(no_task, "Please select or type a task name"));
    EXPECT_TRUE(dialog.IsShown());
}

TEST_F(SessionDialogTest, active_while_logged_out_logs_the_task_in_from_the_confirmation)
{
    m_clock.set("2026-03-13T08:00:00");
    ASSERT_TRUE(App().GetKernel()->login("Alpha"));
    m_clock.set("2026-03-13T08:30:00");
    ASSERT_TRUE(App().GetKernel()->logout());
    m_clock.set("2026-03-13T10:07:42");
    SessionDialog& dialog = Open("2026-03-13", {"Alpha", "Beta"});
    Enter("Beta", "09:00", "");
    TickActive(true);
    wxTEST_DIALOG(Ok(), Confirm("Task    : Beta\n"
                                "Hours  :   1.12 \n"
                                "From   : 2026-03-13T09:00:00+01:00\n"
                                "Until    : 2026-03-13T10:07:00+01:00\n"
                                "\nNote: As \"Active\" was checked, the task \"Beta\" will "
                                "continue as active."));
    EXPECT_EQ(wxID_OK, dialog.GetReturnCode());
    EXPECT_EQ((std::vector<std::string>{
                  line("Alpha", "2026-03-13T08:00:00", "2026-03-13T08:30:00"),
                  line("Beta", "2026-03-13T09:00:00", "2026-03-13T10:07:00"),
              }),
              Hours());
    // As the note promised: Beta runs on, from the moment of confirming.
    const zovCurrent& current = App().GetKernel()->current();
    EXPECT_EQ("Beta", current.task());
    EXPECT_TRUE(current.active());
    EXPECT_EQ(at("2026-03-13T10:07:42"), current.time());
    const std::vector<std::string> stamps =
        zovgui::data_lines(App().GetKernel()->dir() + "LOGINOUT.TSK");
    ASSERT_EQ(3u, stamps.size());
    EXPECT_EQ(0u, stamps.back().rfind("LOGIN ", 0)) << stamps.back();
}
