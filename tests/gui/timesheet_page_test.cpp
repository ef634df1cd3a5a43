// The "Time Sheet" page on a temporary data folder, with the clock and time
// zone fixed: what the grid shows, how the week is chosen, the corrections a
// double click opens, and the archive and view buttons.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dir.h>
#include <wx/dateevt.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>
#include <wx/testing.h>
#include <wx/utils.h>

#include <zovkernel.h>

#include "SessionDialog.h"
#include "TimeSheetPanel.h"
#include "TimeSheetRules.h"
#include "gui_support.h"
#include "wxEasyGrid.h"
#include "wxNotebookAuto.h"
#include "zovTaskBarDialog.h"
#include "zovTaskBarIcon.h"

using zovgui::AppTest;
using zovgui::click;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

const wxColour grey(192, 192, 192);

std::string session_line(const std::string& task, const char* begin, const char* end)
{
    return zovSession(task, at(begin), at(end)).to_file_string() + "\n";
}

wxDateTime date(int year, int month, int day)
{
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day),
                      static_cast<wxDateTime::Month>(month - 1), year);
}

std::string ymd(const wxDateTime& d)
{
    return d.Format("%Y-%m-%d").ToStdString();
}

void spin(wxSpinCtrl* control, int value)
{
    control->SetValue(value);
    wxSpinEvent event(wxEVT_SPINCTRL, control->GetId());
    event.SetEventObject(control);
    event.SetPosition(value);
    control->GetEventHandler()->ProcessEvent(event);
}

void pick(wxDatePickerCtrl* picker, const wxDateTime& value)
{
    picker->SetValue(value);
    wxDateEvent event(picker, value, wxEVT_DATE_CHANGED);
    picker->GetEventHandler()->ProcessEvent(event);
}

void double_click(wxEasyGrid* grid, int row, int col)
{
    const wxEventType type = row < 0 || col < 0 ? wxEVT_GRID_LABEL_LEFT_DCLICK
                                                : wxEVT_GRID_CELL_LEFT_DCLICK;
    wxGridEvent event(grid->GetId(), type, grid, row, col);
    grid->GetEventHandler()->ProcessEvent(event);
}

// What the correction dialog was opened with.
struct Preset
{
    std::string date;
    std::string task;
    bool shown = false;
};

// Answers the correction dialog: notes its preset, runs the action (standing
// for the user's entry) and returns the given result.
class ExpectCorrection : public wxExpectModalBase<SessionDialog, ExpectCorrection>
{
public:
    ExpectCorrection(Preset& seen, int result, std::function<void()> action = {})
        : m_seen(seen), m_result(result), m_action(std::move(action))
    {
    }

protected:
    int OnInvoked(SessionDialog* dialog) const override
    {
        m_seen.date = dialog->GetDate().to_format_string("%Y-%m-%d");
        m_seen.task = dialog->GetTaskBox()->GetValue().ToStdString();
        m_seen.shown = true;
        if (m_action)
            m_action();
        return m_result;
    }

private:
    Preset& m_seen;
    int m_result;
    std::function<void()> m_action;
};

// What a file dialog proposed.
struct FileDialogSeen
{
    wxString message;
    wxString directory;
    wxString file_name;
    wxString wildcard;
    long style = 0;
    bool had_parent = false;
};

// Answers a file dialog as a user would: choose the path (or cancel).
class ExpectFile : public wxExpectModalBase<wxFileDialog, ExpectFile>
{
public:
    ExpectFile(FileDialogSeen& seen, const wxString& path, int result)
        : m_seen(seen), m_path(path), m_result(result)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dialog) const override
    {
        m_seen.message = dialog->GetMessage();
        m_seen.directory = dialog->GetDirectory();
        m_seen.file_name = dialog->GetFilename();
        m_seen.wildcard = dialog->GetWildcard();
        m_seen.style = dialog->GetWindowStyle();
        m_seen.had_parent = dialog->GetParent() != nullptr;
        if (!m_path.empty())
            dialog->SetPath(m_path);
        return m_result;
    }

private:
    FileDialogSeen& m_seen;
    wxString m_path;
    int m_result;
};

// An error box that must come next: what it said is kept.
class ExpectError : public wxExpectModalBase<wxMessageDialog, ExpectError>
{
public:
    explicit ExpectError(zovgui::recorded_box& seen) : m_seen(seen) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override
    {
        m_seen.message = box->GetMessage();
        m_seen.caption = box->GetTitle();
        m_seen.style = box->GetMessageDialogStyle();
        m_seen.had_parent = box->GetParent() != nullptr;
        return wxID_OK;
    }

private:
    zovgui::recorded_box& m_seen;
};

bool is_dir(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// Friday 13 March 2026, 10:00 in Berlin: week 11 of 2026, Monday 9 March.
class TimeSheetPageTest : public AppTest
{
protected:
    TimeSheetPageTest() : m_tz("Europe/Berlin"), m_clock("2026-03-13T10:00:00") {}

    void SetUp() override
    {
        AppTest::SetUp();
        m_page = static_cast<TimeSheetPanel*>(App().GetDialog()->GetNotebook()->GetPage(1));
        m_grid = m_page->GetGrid();
    }

    void Record(const std::string& lines)
    {
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n" + lines);
    }
    zovKernel& Kernel() const { return *App().GetKernel(); }

    std::vector<std::string> RowLabels() const
    {
        std::vector<std::string> labels;
        for (int r = 0; r < m_grid->GetNumberRows(); ++r)
            labels.push_back(m_grid->GetRowLabelValue(r).ToStdString());
        return labels;
    }
    std::vector<std::string> Row(int r) const
    {
        std::vector<std::string> cells;
        for (int c = 0; c < m_grid->GetNumberCols(); ++c)
            cells.push_back(m_grid->GetCellValue(r, c).ToStdString());
        return cells;
    }
    bool Bold(int r, int c) const
    {
        return m_grid->GetCellFont(r, c).GetWeight() == wxFONTWEIGHT_BOLD;
    }
    bool Grey(int r, int c) const { return m_grid->GetCellBackgroundColour(r, c) == grey; }
    std::string PickerDate() const { return ymd(m_page->GetDatePicker()->GetValue()); }
    std::pair<int, int> YearWeek() const
    {
        return {m_page->GetYearSpin()->GetValue(), m_page->GetWeekSpin()->GetValue()};
    }

    TzGuard m_tz;
    FixedClock m_clock;
    TimeSheetPanel* m_page = nullptr;
    wxEasyGrid* m_grid = nullptr;
};

TEST_F(TimeSheetPageTest, starts_on_the_week_of_today_with_the_grid_set_up_and_not_filled)
{
    EXPECT_EQ("2026-03-13", PickerDate());
    EXPECT_EQ(std::make_pair(2026, 11), YearWeek());
    EXPECT_EQ(3, m_grid->GetNumberRows());
    ASSERT_EQ(8, m_grid->GetNumberCols());
    const char* const labels[8] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "Total"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(labels[c], m_grid->GetColLabelValue(c));
        EXPECT_EQ(50, m_grid->GetColSize(c));
    }
    EXPECT_EQ(150, m_grid->GetRowLabelSize());
    EXPECT_FALSE(m_grid->IsEditable());
    EXPECT_EQ(2000, m_page->GetYearSpin()->GetMin());
    EXPECT_EQ(2100, m_page->GetYearSpin()->GetMax());
    EXPECT_EQ(1, m_page->GetWeekSpin()->GetMin());
    EXPECT_EQ(53, m_page->GetWeekSpin()->GetMax());
    EXPECT_EQ("Today", m_page->GetTodayButton()->GetLabel());
    EXPECT_EQ("Archive...", m_page->GetArchiveButton()->GetLabel());
    EXPECT_EQ("View...", m_page->GetViewButton()->GetLabel());
    // A page larger than the grid's first size would be cut off.
    EXPECT_GE(m_page->GetMinSize().GetWidth(), m_grid->GetMinSize().GetWidth());
}

TEST_F(TimeSheetPageTest, an_empty_week_shows_the_column_labels_and_no_rows)
{
    Record(session_line("K", "2026-03-06T08:00:00", "2026-03-06T12:00:00"));  // week 10
    m_page->FillGrid();
    EXPECT_EQ(0, m_grid->GetNumberRows());
    EXPECT_EQ(8, m_grid->GetNumberCols());
    EXPECT_EQ("Total", m_grid->GetColLabelValue(7));
    EXPECT_FALSE(m_grid->IsEditable());
}

TEST_F(TimeSheetPageTest, one_task_shows_its_days_and_bold_grey_sums_and_a_total_row)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00") +
           session_line("K", "2026-03-11T10:00:00", "2026-03-11T12:00:00"));
    m_page->FillGrid();
    ASSERT_EQ((std::vector<std::string>{"K", "Total"}), RowLabels());
    const std::vector<std::string> values{"1.5", "", "2.0", "", "", "", "", "3.5"};
    EXPECT_EQ(values, Row(0));
    EXPECT_EQ(values, Row(1));
    for (int c = 0; c < 7; ++c) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(Grey(0, c));
        EXPECT_FALSE(Bold(0, c));
        EXPECT_TRUE(Grey(1, c));  // empty days of the "Total" row are grey too
    }
    EXPECT_TRUE(Grey(0, 7));
    EXPECT_TRUE(Bold(0, 7));
    EXPECT_TRUE(Grey(1, 7));
    EXPECT_TRUE(Bold(1, 7));
    EXPECT_TRUE(Bold(1, 0));
    EXPECT_TRUE(Bold(1, 2));
    EXPECT_FALSE(m_grid->IsEditable());
    int horizontal = 0;
    int vertical = 0;
    m_grid->GetRowLabelAlignment(&horizontal, &vertical);
    EXPECT_EQ(wxALIGN_LEFT, horizontal);
    EXPECT_EQ(wxALIGN_CENTRE, vertical);

    // A fill of another week leaves nothing of this one behind.
    spin(m_page->GetWeekSpin(), 12);
    EXPECT_EQ(0, m_grid->GetNumberRows());
    spin(m_page->GetWeekSpin(), 11);
    EXPECT_EQ(values, Row(0));
}

TEST_F(TimeSheetPageTest, tasks_in_byte_order_and_sums_over_all_of_them)
{
    Record(session_line("alpha", "2026-03-09T08:00:00", "2026-03-09T08:30:00") +
           session_line("Zeta", "2026-03-09T09:00:00", "2026-03-09T10:00:00") +
           session_line("alpha", "2026-03-15T20:00:00", "2026-03-15T21:00:00"));
    m_page->FillGrid();
    ASSERT_EQ((std::vector<std::string>{"Zeta", "alpha", "Total"}), RowLabels());
    EXPECT_EQ((std::vector<std::string>{"1.0", "", "", "", "", "", "", "1.0"}), Row(0));
    EXPECT_EQ((std::vector<std::string>{"0.5", "", "", "", "", "", "1.0", "1.5"}), Row(1));
    EXPECT_EQ((std::vector<std::string>{"1.5", "", "", "", "", "", "1.0", "2.5"}), Row(2));
}

TEST_F(TimeSheetPageTest, negative_entries_show_and_tiny_ones_count_in_the_sums)
{
    // Tuesday: 2 h, then half an hour cancelled by a reversed session;
    // Thursday: only a cancellation; Friday: two minutes.
    Record(session_line("K", "2026-03-10T08:00:00", "2026-03-10T10:00:00") +
           session_line("K", "2026-03-10T09:30:00", "2026-03-10T09:00:00") +
           session_line("K", "2026-03-12T10:00:00", "2026-03-12T09:00:00") +
           session_line("K", "2026-03-13T07:00:00", "2026-03-13T07:02:00"));
    m_page->FillGrid();
    ASSERT_EQ((std::vector<std::string>{"K", "Total"}), RowLabels());
    // The two minutes show nowhere on their own, as in the archived report,
    // but the sums hold them: 0.533 h.
    const std::vector<std::string> values{"", "1.5", "", "-1.0", "", "", "", "0.5"};
    EXPECT_EQ(values, Row(0));
    EXPECT_EQ(values, Row(1));
}

TEST_F(TimeSheetPageTest, a_running_session_counts_up_to_each_fill)
{
    m_clock.set("2026-03-13T08:00:00");
    ASSERT_TRUE(Kernel().login("Run"));
    m_clock.set("2026-03-13T10:30:00");
    m_page->FillGrid();
    EXPECT_EQ((std::vector<std::string>{"", "", "", "", "2.5", "", "", "2.5"}), Row(0));

    // Showing the dialog on this page fills it again.
    m_clock.advance(30 * 60);
    App().GetDialog()->GetNotebook()->ChangeSelection(1);
    App().ShowDialog(true);
    EXPECT_EQ("3.0", m_grid->GetCellValue(0, 4).ToStdString());

    // So does coming back to the page from another.
    m_clock.advance(30 * 60);
    App().GetDialog()->GetNotebook()->SetSelection(0);
    App().GetDialog()->GetNotebook()->SetSelection(1);
    EXPECT_EQ("3.5", m_grid->GetCellValue(0, 4).ToStdString());
    App().ShowDialog(false);
}

TEST_F(TimeSheetPageTest, paste_is_not_offered_in_the_filled_grid)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00"));
    m_page->FillGrid();
    m_grid->SetGridCursor(0, 0);
    std::unique_ptr<wxMenu> menu(m_grid->CreateContextMenu());
    EXPECT_TRUE(menu->IsEnabled(wxID_COPY));
    EXPECT_FALSE(menu->IsEnabled(wxID_PASTE));
}

TEST_F(TimeSheetPageTest, the_week_spin_moves_the_date_to_the_monday_of_that_week)
{
    struct Case
    {
        int year;
        int week;
        const char* monday;
    };
    const Case cases[] = {
        {2013, 5, "2013-01-28"},  {2014, 1, "2013-12-30"}, {2015, 53, "2015-12-28"},
        {2016, 1, "2016-01-04"},  {2020, 53, "2020-12-28"}, {2021, 1, "2021-01-04"},
        {2026, 11, "2026-03-09"},
    };
    Record(session_line("K", "2013-01-30T08:00:00", "2013-01-30T09:00:00"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.monday);
        m_page->GetYearSpin()->SetValue(c.year);
        spin(m_page->GetWeekSpin(), c.week);
        EXPECT_EQ(c.monday, PickerDate());
        EXPECT_EQ(std::make_pair(c.year, c.week), YearWeek());
    }
    // The grid follows the spins.
    m_page->GetYearSpin()->SetValue(2013);
    spin(m_page->GetWeekSpin(), 5);
    EXPECT_EQ((std::vector<std::string>{"", "", "1.0", "", "", "", "", "1.0"}), Row(0));
}

TEST_F(TimeSheetPageTest, a_new_year_keeps_day_and_month_and_the_week_number)
{
    Record(session_line("K", "2014-03-12T08:00:00", "2014-03-12T09:00:00"));
    pick(m_page->GetDatePicker(), date(2013, 3, 13));
    EXPECT_EQ(std::make_pair(2013, 11), YearWeek());
    EXPECT_EQ(0, m_grid->GetNumberRows());

    spin(m_page->GetYearSpin(), 2014);
    EXPECT_EQ("2014-03-13", PickerDate());
    EXPECT_EQ(std::make_pair(2014, 11), YearWeek());
    EXPECT_EQ((std::vector<std::string>{"", "", "1.0", "", "", "", "", "1.0"}), Row(0));

    // 29 February in a year without it: the day before.
    pick(m_page->GetDatePicker(), date(2016, 2, 29));
    spin(m_page->GetYearSpin(), 2015);
    EXPECT_EQ("2015-02-28", PickerDate());
    spin(m_page->GetYearSpin(), 2020);
    EXPECT_EQ("2020-02-28", PickerDate());
}

// The year control names the year that owns the date's week, in every zone,
// whether the date comes from the picker or from "Today".
TEST_F(TimeSheetPageTest, dates_around_new_year_select_the_week_that_holds_them)
{
    struct Case
    {
        int y, m, d;
        int year;
        int week;
    };
    const Case cases[] = {
        {2012, 1, 1, 2011, 52},   // the toolkit's week-based year says 2012
        {2013, 12, 29, 2013, 52}, {2013, 12, 30, 2014, 1},  {2013, 12, 31, 2014, 1},
        {2014, 1, 1, 2014, 1},    {2015, 12, 27, 2015, 52}, {2015, 12, 28, 2015, 53},
        {2016, 1, 1, 2015, 53},   {2016, 1, 3, 2015, 53},   {2016, 1, 4, 2016, 1},
        {2020, 12, 31, 2020, 53}, {2021, 1, 1, 2020, 53},   {2021, 1, 3, 2020, 53},
        {2021, 1, 4, 2021, 1},
    };
    for (const char* zone : zovtest::test_zones) {
        TzGuard tz(zone);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(zone) + " " + ymd(date(c.y, c.m, c.d)));
            pick(m_page->GetDatePicker(), date(c.y, c.m, c.d));
            EXPECT_EQ(std::make_pair(c.year, c.week), YearWeek());

            m_clock.set(wxString::Format("%04d-%02d-%02dT23:30:00", c.y, c.m, c.d).ToStdString());
            click(m_page->GetTodayButton());
            EXPECT_EQ(ymd(date(c.y, c.m, c.d)), PickerDate());
            EXPECT_EQ(std::make_pair(c.year, c.week), YearWeek());
        }
    }
}

// The picker carries a week's Monday to the toolkit and back unchanged, in
// every zone. From 2037 on the toolkit converts local time with the zone it
// met first in the process, which a change of zone inside this test process
// leaves stale; the program runs in one zone.
TEST(TimeSheetRules, a_week_monday_survives_the_way_through_the_picker)
{
    for (const char* zone : zovtest::test_zones) {
        TzGuard tz(zone);
        for (int year = 2000; year <= 2036; ++year) {
            for (int week = 1; week <= 53; ++week) {
                const vu_datetime monday = zovtray::week_monday(year, week);
                const wxDateTime picker = zovtray::to_picker(monday);
                ASSERT_EQ(monday.to_format_string("%Y-%m-%d"), ymd(picker))
                    << zone << " " << year << " w" << week;
                const zovtray::iso_week back = zovtray::week_of(picker);
                ASSERT_EQ(monday.to_week_number(), back.week) << zone << " " << year << " w" << week;
                ASSERT_EQ(monday.to_year_number(), back.year) << zone << " " << year << " w" << week;
            }
        }
    }
}

TEST_F(TimeSheetPageTest, double_clicks_open_the_correction_on_the_day_and_task_clicked)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00"));
    App().GetRecentTasks() = {"Other", "K"};
    m_page->FillGrid();
    ASSERT_EQ((std::vector<std::string>{"K", "Total"}), RowLabels());
    struct Case
    {
        const char* where;
        int row;
        int col;
        const char* date;
        const char* task;
    };
    const Case cases[] = {
        {"cell Wed", 0, 2, "2026-03-11", "K"},
        {"cell Sun", 0, 6, "2026-03-15", "K"},
        {"row label", 0, -1, "2026-03-09", "K"},
        {"column label Fri", -1, 4, "2026-03-13", ""},
        {"corner", -1, -1, "2026-03-09", ""},
        {"Total row", 1, 1, "2026-03-10", ""},  // the sum row is no task
        {"Total row label", 1, -1, "2026-03-09", ""},
        {"Total column", 0, 7, "2026-03-09", "K"},
        {"Total column label", -1, 7, "2026-03-09", ""},
        {"Total corner cell", 1, 7, "2026-03-09", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Preset seen;
        wxTEST_DIALOG(double_click(m_grid, c.row, c.col), ExpectCorrection(seen, wxID_CANCEL));
        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(c.date, seen.date);
        EXPECT_EQ(c.task, seen.task);
    }
    // Any date of the week gives the same days.
    pick(m_page->GetDatePicker(), date(2026, 3, 15));
    Preset seen;
    wxTEST_DIALOG(double_click(m_grid, 0, 0), ExpectCorrection(seen, wxID_CANCEL));
    EXPECT_EQ("2026-03-09", seen.date);
    EXPECT_EQ("K", seen.task);
    // The sum row presets no task, even when a task is called "Total".
    App().GetRecentTasks() = {"K", "Total"};
    wxTEST_DIALOG(double_click(m_grid, 1, 2), ExpectCorrection(seen, wxID_CANCEL));
    EXPECT_EQ("2026-03-11", seen.date);
    EXPECT_EQ("", seen.task);
}

TEST_F(TimeSheetPageTest, the_correction_opens_on_exactly_the_rows_task_and_the_shown_weeks_day)
{
    // "Alpha" and "alpha" are two tasks; "Old" is older than the recent list.
    Record(session_line("Alpha", "2013-12-30T08:00:00", "2013-12-30T09:00:00")
           + session_line("Old", "2013-12-31T08:00:00", "2013-12-31T09:00:00")
           + session_line("alpha", "2014-01-02T08:00:00", "2014-01-02T10:00:00"));
    App().GetRecentTasks() = {"Alpha", "alpha"};
    // Week 1 of 2013, then the year changed to 2014: week 1 of 2014 is shown,
    // Monday 30 December 2013, while the picker moved on to 6 January 2014,
    // a Monday of week 2.
    pick(m_page->GetDatePicker(), date(2013, 1, 6));  // Sunday of week 1
    ASSERT_EQ(std::make_pair(2013, 1), YearWeek());
    spin(m_page->GetYearSpin(), 2014);
    ASSERT_EQ(std::make_pair(2014, 1), YearWeek());
    ASSERT_EQ((std::vector<std::string>{"Alpha", "Old", "alpha", "Total"}), RowLabels());
    struct Case
    {
        int row;
        int col;
        const char* date;
        const char* task;
    };
    const Case cases[] = {
        {0, 0, "2013-12-30", "Alpha"},
        {2, 0, "2013-12-30", "alpha"},  // not the first match ignoring case
        {2, 3, "2014-01-02", "alpha"},
        {1, 1, "2013-12-31", "Old"},    // not in the recent list: typed in
        {1, -1, "2013-12-30", "Old"},
        {2, 6, "2014-01-05", "alpha"},
    };
    for (const Case& c : cases) {
        Preset seen;
        wxTEST_DIALOG(double_click(m_grid, c.row, c.col), ExpectCorrection(seen, wxID_CANCEL));
        EXPECT_EQ(c.date, seen.date) << c.row << "," << c.col;
        EXPECT_EQ(c.task, seen.task) << c.row << "," << c.col;
    }
}

TEST_F(TimeSheetPageTest, a_correction_refills_the_grid_only_when_the_dialog_says_ok)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00"));
    App().GetRecentTasks() = {"K"};
    m_page->FillGrid();
    const auto correct = [this](const char* begin, const char* end) {
        return [this, begin, end] {
            ASSERT_TRUE(SessionDialog::ApplyCorrection(Kernel(), "K", at(begin), at(end), false));
        };
    };

    Preset seen;
    wxTEST_DIALOG(double_click(m_grid, 0, 3),
                  ExpectCorrection(seen, wxID_CANCEL,
                                   correct("2026-03-12T08:00:00", "2026-03-12T09:00:00")));
    EXPECT_EQ("", m_grid->GetCellValue(0, 3).ToStdString()) << "refilled after a cancel";

    wxTEST_DIALOG(double_click(m_grid, 0, 3),
                  ExpectCorrection(seen, wxID_OK,
                                   correct("2026-03-12T10:00:00", "2026-03-12T12:00:00")));
    EXPECT_EQ((std::vector<std::string>{"1.5", "", "", "3.0", "", "", "", "4.5"}), Row(0));
}

TEST_F(TimeSheetPageTest, archive_proposes_the_week_file_and_makes_the_folder_even_on_cancel)
{
    m_page->GetYearSpin()->SetValue(2013);
    m_page->GetWeekSpin()->SetValue(5);
    const std::string folder = m_home->data_dir() + "Archive_2013";
    ASSERT_FALSE(is_dir(folder));
    FileDialogSeen seen;
    App().ShowDialog(true);  // a hidden window cannot own a dialog
    wxTEST_DIALOG(click(m_page->GetArchiveButton()), ExpectFile(seen, "", wxID_CANCEL));
    App().ShowDialog(false);
    EXPECT_TRUE(is_dir(folder));
    EXPECT_EQ("Archive Time Sheet", seen.message);
    EXPECT_EQ(folder, seen.directory);
    EXPECT_EQ("TimeSheet_2013_w05.txt", seen.file_name);
    EXPECT_EQ("TXT file (*.txt)|*.txt", seen.wildcard);
    EXPECT_TRUE(seen.style & wxFD_SAVE);
    EXPECT_TRUE(seen.style & wxFD_OVERWRITE_PROMPT);
    EXPECT_TRUE(seen.had_parent);
    wxArrayString files;
    EXPECT_EQ(0u, wxDir::GetAllFiles(folder, &files));
}

TEST_F(TimeSheetPageTest, archive_writes_the_report_of_the_week_computed_now)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00") +
           session_line("alpha", "2026-03-11T10:00:00", "2026-03-11T12:00:00"));
    m_clock.set("2026-03-13T08:00:00");
    ASSERT_TRUE(Kernel().login("Run"));
    m_clock.set("2026-03-13T10:00:00");
    const std::string path = m_home->data_dir() + "Archive_2026/TimeSheet_2026_w11.txt";
    // The user may have chosen an older archive: it is replaced, not added to.
    ASSERT_TRUE(MakeDirs(m_home->data_dir() + "Archive_2026"));
    zovtest::write_file(path, std::string(5000, 'x') + "\n");

    FileDialogSeen seen;
    wxTEST_DIALOG(click(m_page->GetArchiveButton()), ExpectFile(seen, path, wxID_OK));
    EXPECT_EQ("TimeSheet_2026_w11.txt", seen.file_name);

    zovTimeSheet sheet(11, 2026);
    Kernel().tsheet(sheet);
    std::ostringstream report;
    sheet.show_time_sheet(report);
    const std::string written = zovtest::read_file(path);
    EXPECT_EQ(report.str(), written);
    EXPECT_EQ(std::string::npos, written.find('\r'));
    EXPECT_NE(std::string::npos, written.find("-->Run")) << written;
}

TEST_F(TimeSheetPageTest, an_archive_file_that_cannot_be_written_is_reported_naming_the_file)
{
    Record(session_line("K", "2026-03-09T08:00:00", "2026-03-09T09:30:00"));
    const std::string path = m_home->data_dir() + "no such folder/TimeSheet_2026_w11.txt";
    FileDialogSeen seen;
    std::vector<zovgui::recorded_box> boxes(1);
    wxTEST_DIALOG(click(m_page->GetArchiveButton()), ExpectFile(seen, path, wxID_OK),
                  ExpectError(boxes[0]));
    EXPECT_FALSE(zovtest::exists(path));
    EXPECT_EQ("Could not write the time sheet to the file " + path + ". Nothing was archived.",
              boxes[0].message);
    EXPECT_EQ("Archive Time Sheet", boxes[0].caption);
    EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
    EXPECT_FALSE(boxes[0].had_parent);
    EXPECT_FALSE(zovtray::write_time_sheet(Kernel(), path, 11, 2026));
}

TEST_F(TimeSheetPageTest, view_without_an_opener_says_which_program_is_missing)
{
    const char* old_path = std::getenv("PATH");
    const std::string saved_path = old_path ? old_path : "";
    setenv("PATH", (m_home->home() + "empty").c_str(), 1);  // no xdg-open anywhere
    const std::string chosen = m_home->data_dir() + "Archive_2026/TimeSheet_2026_w11.txt";
    FileDialogSeen seen;
    std::vector<zovgui::recorded_box> boxes(1);
    wxTEST_DIALOG(click(m_page->GetViewButton()), ExpectFile(seen, chosen, wxID_OK),
                  ExpectError(boxes[0]));
    setenv("PATH", saved_path.c_str(), 1);
    EXPECT_EQ("Could not open " + chosen + ": the program xdg-open could not be started.",
              boxes[0].message);
    EXPECT_EQ("Open archived Time Sheet", boxes[0].caption);
    EXPECT_TRUE(boxes[0].style & wxICON_ERROR);
}

TEST_F(TimeSheetPageTest, view_hands_the_chosen_path_to_the_opener_as_one_argument)
{
    // A stand-in for the desktop's opener that records its arguments.
    const std::string bin = m_home->home() + "bin/";
    const std::string log = m_home->home() + "opened.log";
    ASSERT_TRUE(MakeDirs(bin));
    zovtest::write_file(bin + "xdg-open",
                        "#!/bin/sh\n"
                        "{ printf 'argc=%s\\n' \"$#\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; }"
                        " >> '" + log + "'\n");
    ASSERT_EQ(0, chmod((bin + "xdg-open").c_str(), 0755));
    const char* old_path = std::getenv("PATH");
    const std::string saved_path = old_path ? old_path : "";
    setenv("PATH", (bin + ":" + saved_path).c_str(), 1);

    const std::string folder = m_home->data_dir() + "Archive_2026";
    const std::string chosen =
        folder + "/it's a \"week\"; touch pwned; $(touch pwned2) `touch pwned3`.txt";
    const std::string cwd = wxGetCwd().ToStdString() + "/";

    FileDialogSeen seen;
    wxTEST_DIALOG(click(m_page->GetViewButton()), ExpectFile(seen, chosen, wxID_CANCEL));
    EXPECT_EQ("Open archived Time Sheet", seen.message);
    EXPECT_EQ(folder, seen.directory);
    EXPECT_EQ("TimeSheet_2026_w11.txt", seen.file_name);
    EXPECT_EQ("TXT file (*.txt)|*.txt", seen.wildcard);
    EXPECT_TRUE(seen.style & wxFD_OPEN);
    EXPECT_FALSE(is_dir(folder)) << "viewing makes no folder";

    wxTEST_DIALOG(click(m_page->GetViewButton()), ExpectFile(seen, chosen, wxID_OK));
    // The opener runs on its own; wait for its record.
    std::string record;
    for (int i = 0; i < 500 && record.find("]\n") == std::string::npos; ++i) {
        wxMilliSleep(20);
        record = zovtest::exists(log) ? zovtest::read_file(log) : "";
    }
    wxMilliSleep(200);  // a second opener, had there been one, would have written by now
    record = zovtest::exists(log) ? zovtest::read_file(log) : "";
    setenv("PATH", saved_path.c_str(), 1);

    EXPECT_EQ("argc=1\n[" + chosen + "]\n", record);
    for (const char* name : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(zovtest::exists(cwd + name)) << name;
}

TEST_F(TimeSheetPageTest, a_session_the_daily_log_out_should_have_ended_counts_up_to_that_time)
{
    // Switched on long ago; running since 16:00 yesterday; the computer
    // slept through 17:00.
    m_clock.set("2026-03-01T08:00:00");
    App().SetAutoLogout(17 * 3600);
    m_clock.set("2026-03-13T10:00:00");
    zovtest::write_file(m_home->data_dir() + "CURRENT.TSK",
                        "K " + at("2026-03-12T16:00:00").to_readable_datetime_string() + " ACTIVE\n");
    m_page->FillGrid();
    EXPECT_EQ((std::vector<std::string>{"", "", "", "1.0", "", "", "", "1.0"}), Row(0));
    EXPECT_FALSE(Kernel().current().active());
    EXPECT_EQ("K - Sleeping", App().GetIcon()->GetTooltip());
}

// The grid and the archived report of the same week show the same figures,
// and the grand total is the recorded time of the week.
TEST_F(TimeSheetPageTest, grid_and_report_agree_on_every_figure)
{
    struct Case
    {
        const char* name;
        std::string lines;
        const char* total;  // the recorded net of the week, rounded once
    };
    std::string many_small;
    for (int t = 0; t < 10; ++t)
        for (int i = 0; i < 10; ++i) {
            const std::string day = "2026-03-1" + std::to_string(i % 5);  // Tue 10 ... Sat 14
            const std::string b = day + "T0" + std::to_string(t % 10) + ":" + std::to_string(10 + 4 * i) + ":00";
            const std::string e = day + "T0" + std::to_string(t % 10) + ":" + std::to_string(14 + 4 * i) + ":00";
            many_small += session_line("task" + std::to_string(t), b.c_str(), e.c_str());
        }
    const Case cases[] = {
        {"many small amounts", many_small, "6.7"},
        {"just under and over 0.05 h",
         session_line("A", "2026-03-09T08:00:00", "2026-03-09T08:02:59")
             + session_line("B", "2026-03-10T08:00:00", "2026-03-10T08:03:00"),
         "0.1"},
        {"a negative day", session_line("K", "2026-03-11T10:00:00", "2026-03-11T09:00:00")
                               + session_line("K", "2026-03-12T09:00:00", "2026-03-12T11:30:00"),
         "1.5"},
        {"over midnight and a correction on the next day",
         session_line("K", "2026-03-09T20:00:00", "2026-03-10T09:00:00")
             + session_line("K", "2026-03-10T06:00:00", "2026-03-10T00:00:00")
             + session_line("Travel", "2026-03-10T00:00:00", "2026-03-10T06:00:00"),
         "13.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Record(c.lines);
        m_page->FillGrid();
        const std::string path = m_home->data_dir() + "report.txt";
        ASSERT_TRUE(zovtray::write_time_sheet(Kernel(), path, 11, 2026));
        // Task lines and the SUM line of the report, field by field.
        std::map<std::string, std::vector<std::string>> report;
        for (const std::string& line : zovtest::read_lines(path)) {
            const bool task_line = line.size() > 77 && line[77] == ':';
            const bool sum_line = line.compare(0, 7, "    SUM") == 0;
            if (line.size() < 29 || !(task_line || sum_line))
                continue;
            std::string name = line.substr(1, 28);
            name.erase(0, name.find_first_not_of(" ->"));
            name.erase(name.find_last_not_of(' ') + 1);
            std::vector<std::string> fields;
            for (int i = 0; i < 8; ++i) {
                std::string f = line.size() > std::size_t(29 + 7 * i) ? line.substr(29 + 7 * i, 5) : "";
                f.erase(0, f.find_first_not_of(' '));
                f.erase(f.find_last_not_of(' ') + 1);
                fields.push_back(f);
            }
            report[name == "SUM" ? "Total" : name] = fields;
        }
        const std::vector<std::string> labels = RowLabels();
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(labels.size(), report.size());
        for (std::size_t r = 0; r < labels.size(); ++r)
            EXPECT_EQ(Row(static_cast<int>(r)), report[labels[r]]) << labels[r];
        EXPECT_EQ(Row(static_cast<int>(labels.size()) - 1)[7], c.total);
    }
}
