// The "Timeline" page on a temporary data folder, with clock and zone fixed:
// the picture drawn into a memory bitmap and read back at known times, the
// week shared with the time sheet, tooltips, the keyboard, the correction a
// bar opens, and the bars as accessible objects.

#include <atk/atk.h>
#include <gtk/gtk.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/spinctrl.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/utils.h>

#include <zovkernel.h>

#include "SessionDialog.h"
#include "TimeEditPanel.h"
#include "TimeSheetPanel.h"
#include "TimelineCanvas.h"
#include "TimelinePanel.h"
#include "gui_support.h"
#include "wxNotebookAuto.h"
#include "zovAccessibleBars.h"
#include "zovTaskBarDialog.h"

using zovgui::AppTest;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

std::string session_line(const std::string& task, const std::string& begin, const std::string& end)
{
    return zovSession(task, at(begin), at(end)).to_file_string() + "\n";
}

void spin(wxSpinCtrl* control, int value)
{
    control->SetValue(value);
    wxSpinEvent event(wxEVT_SPINCTRL, control->GetId());
    event.SetEventObject(control);
    event.SetPosition(value);
    control->GetEventHandler()->ProcessEvent(event);
}

void key(wxWindow* window, int code)
{
    wxKeyEvent event(wxEVT_KEY_DOWN);
    event.m_keyCode = code;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

void mouse(wxWindow* window, wxEventType type, const wxPoint& at)
{
    wxMouseEvent event(type);
    event.m_x = at.x;
    event.m_y = at.y;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// The picture as the page draws it, in a bitmap of the canvas's size.
class Picture
{
public:
    explicit Picture(const TimelineCanvas& canvas)
        : m_canvas(canvas), m_size(canvas.GetClientSize()), m_geometry(canvas.Geometry(m_size))
    {
        wxBitmap bitmap(m_size, 24);
        {
            wxMemoryDC dc(bitmap);
            std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
            canvas.Draw(*gc, m_size);
        }
        m_image = bitmap.ConvertToImage();
    }

    // The colour in the middle of a row at a time: hours after its midnight.
    wxColour At(int row, double hours) const
    {
        const int x = static_cast<int>(std::floor(m_geometry.x_of(hours)));
        const int y = static_cast<int>(m_geometry.y_of(row) + m_geometry.row_height / 2);
        return wxColour(m_image.GetRed(x, y), m_image.GetGreen(x, y), m_image.GetBlue(x, y));
    }
    // The hours after the row's midnight of a local wall time.
    double Hours(int row, const std::string& local) const
    {
        return at(local).diff_hours(m_canvas.GetTimeline().rows()[static_cast<std::size_t>(row)].begin);
    }
    wxColour Of(const std::string& task) const
    {
        for (const zovTimeline::legend_entry& e : m_canvas.GetTimeline().legend())
            if (e.task == task)
                return wxColour(zovTimeline::colour_text(e.colour));
        ADD_FAILURE() << "no legend entry for " << task;
        return wxColour();
    }

private:
    const TimelineCanvas& m_canvas;
    wxSize m_size;
    TimelineCanvas::geometry m_geometry;
    wxImage m_image;
};

struct probe
{
    int row;
    std::string local;  // a wall time on that row's day
    std::string task;   // the colour expected there; "" for no bar
};

struct week_case
{
    const char* name;
    int year;
    int week;
    std::string lines;
    const char* running_since;  // CURRENT.TSK's ACTIVE time, "" for none
    const char* now;
    std::vector<probe> probes;
};

// What the correction dialog was opened with.
struct Preset
{
    std::string date, task, from, until;
    bool shown = false;
};

class ExpectCorrection : public wxExpectModalBase<SessionDialog, ExpectCorrection>
{
public:
    explicit ExpectCorrection(Preset& seen) : m_seen(seen) {}

protected:
    int OnInvoked(SessionDialog* dialog) const override
    {
        m_seen.date = dialog->GetDate().to_format_string("%Y-%m-%d");
        m_seen.task = dialog->GetTaskBox()->GetValue().ToStdString();
        m_seen.from = dialog->GetFromPanel()->GetTextControl()->GetValue().ToStdString();
        m_seen.until = dialog->GetUntilPanel()->GetTextControl()->GetValue().ToStdString();
        m_seen.shown = true;
        return wxID_CANCEL;
    }

private:
    Preset& m_seen;
};

}  // namespace

class TimelinePageTest : public AppTest, public ::testing::WithParamInterface<const char*>
{
protected:
    TimelinePageTest() : m_tz(GetParam()), m_clock("2026-12-11T10:00:00") {}

    void SetUp() override
    {
        AppTest::SetUp();
        m_notebook = App().GetDialog()->GetNotebook();
        m_sheet = static_cast<TimeSheetPanel*>(m_notebook->GetPage(1));
        m_page = static_cast<TimelinePanel*>(m_notebook->GetPage(2));
        m_canvas = m_page->GetCanvas();
    }

    void Record(const std::string& lines, const std::string& running_since = "")
    {
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n" + lines);
        if (!running_since.empty())
            zovtest::write_file(m_home->data_dir() + "CURRENT.TSK",
                                "Run " + at(running_since).to_readable_datetime_string() + " ACTIVE\n");
    }
    void ShowPage()
    {
        App().ShowDialog(true);
        m_notebook->SetSelection(2);
        m_canvas->SetSize(wxSize(900, 300));
    }
    void ChooseWeek(int year, int week)
    {
        const zovWeekControls& controls = m_page->GetWeekControls();
        spin(controls.GetYearSpin(), year);
        spin(controls.GetWeekSpin(), week);
    }

    TzGuard m_tz;
    FixedClock m_clock;
    wxNotebook* m_notebook = nullptr;
    TimeSheetPanel* m_sheet = nullptr;
    TimelinePanel* m_page = nullptr;
    TimelineCanvas* m_canvas = nullptr;
};

TEST_P(TimelinePageTest, the_page_follows_the_time_sheet_and_has_its_own_tab)
{
    EXPECT_EQ("Timeline", m_notebook->GetPageText(2));
    EXPECT_EQ("Options", m_notebook->GetPageText(3));
}

// Pixel columns at known times: the task's colour inside each piece of net
// work, none outside it.
TEST_P(TimelinePageTest, bars_sit_at_their_times_in_their_colours)
{
    // Each zone's own spring change: a 23-hour Sunday.
    const bool new_york = std::string(GetParam()) == "America/New_York";
    const char* const dst_sunday = new_york ? "2026-03-08" : "2026-03-29";
    const std::vector<week_case> cases = {
        {"across_midnight", 2026, 50, session_line("A", "2026-12-08T22:00:00", "2026-12-09T02:00:00"), "",
         "2026-12-11T10:00:00",
         {{1, "2026-12-08T21:45:00", ""}, {1, "2026-12-08T22:15:00", "A"}, {1, "2026-12-08T23:50:00", "A"},
          {2, "2026-12-09T00:10:00", "A"}, {2, "2026-12-09T01:45:00", "A"}, {2, "2026-12-09T02:15:00", ""}}},
        {"clock_change_day", 2026, new_york ? 10 : 13,
         session_line("A", std::string(dst_sunday) + "T01:00:00", std::string(dst_sunday) + "T06:00:00"), "",
         "2026-12-11T10:00:00",
         {{6, std::string(dst_sunday) + "T00:45:00", ""},
          {6, std::string(dst_sunday) + "T01:15:00", "A"},
          {6, std::string(dst_sunday) + "T05:45:00", "A"},
          {6, std::string(dst_sunday) + "T06:15:00", ""}}},
        {"correction_in_the_middle", 2026, 50,
         session_line("A", "2026-12-07T08:00:00", "2026-12-07T12:00:00")
             + session_line("A", "2026-12-07T11:00:00", "2026-12-07T09:00:00")
             + session_line("B", "2026-12-07T09:00:00", "2026-12-07T11:00:00"),
         "", "2026-12-11T10:00:00",
         {{0, "2026-12-07T07:45:00", ""}, {0, "2026-12-07T08:30:00", "A"}, {0, "2026-12-07T09:15:00", "B"},
          {0, "2026-12-07T10:45:00", "B"}, {0, "2026-12-07T11:30:00", "A"}, {0, "2026-12-07T12:15:00", ""}}},
        {"running_session", 2026, 50, session_line("A", "2026-12-11T06:00:00", "2026-12-11T07:00:00"),
         "2026-12-11T08:00:00", "2026-12-11T10:00:00",
         {{4, "2026-12-11T07:45:00", ""}, {4, "2026-12-11T08:15:00", "Run"}, {4, "2026-12-11T09:45:00", "Run"},
          {4, "2026-12-11T10:15:00", ""}}},
    };
    ShowPage();
    for (const week_case& c : cases) {
        SCOPED_TRACE(c.name);
        Record(c.lines, c.running_since);
        m_clock.set(c.now);
        ChooseWeek(c.year, c.week);
        Picture picture(*m_canvas);
        for (const probe& p : c.probes) {
            SCOPED_TRACE(p.local);
            const wxColour seen = picture.At(p.row, picture.Hours(p.row, p.local));
            if (!p.task.empty())
                EXPECT_EQ(picture.Of(p.task).GetAsString(wxC2S_HTML_SYNTAX), seen.GetAsString(wxC2S_HTML_SYNTAX));
            else {
                for (const zovTimeline::legend_entry& e : m_canvas->GetTimeline().legend()) {
                    EXPECT_NE(wxColour(zovTimeline::colour_text(e.colour)).GetAsString(wxC2S_HTML_SYNTAX),
                              seen.GetAsString(wxC2S_HTML_SYNTAX)) << e.task;
                }
            }
        }
        zovtest::write_file(m_home->data_dir() + "CURRENT.TSK", "");
    }
}

// Sharp at 1x and 2x: along a row through its bars every pixel is a colour
// of the picture (a task's, the day band's, the grid's), none a blend of two
// that smoothed edges would leave, and the bars begin and end where their
// times say, in device pixels.
TEST_P(TimelinePageTest, bars_have_sharp_edges_at_1x_and_2x)
{
    Record(session_line("A", "2026-12-07T08:10:00", "2026-12-07T09:20:00")
           + session_line("B", "2026-12-07T09:20:00", "2026-12-07T13:37:00")
           + session_line("C", "2026-12-07T15:05:00", "2026-12-07T15:50:00"));
    ShowPage();
    m_canvas->Select(-1);  // no focus frame around a bar
    const wxSize size = m_canvas->GetClientSize();
    const TimelineCanvas::geometry g = m_canvas->Geometry(size);
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        wxBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateWithDIPSize(size, scale, 24));
        {
            wxMemoryDC dc(bitmap);
            std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
            m_canvas->Draw(*gc, size);
        }
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_EQ(static_cast<int>(size.GetWidth() * scale), image.GetWidth());
        std::vector<wxColour> allowed = {wxColour(242, 242, 242), wxColour(216, 216, 216)};
        for (const zovTimeline::legend_entry& e : m_canvas->GetTimeline().legend())
            allowed.push_back(wxColour(zovTimeline::colour_text(e.colour)));
        const int y = static_cast<int>((g.y_of(0) + g.row_height / 2) * scale);
        for (int x = static_cast<int>(g.x_of(0) * scale) + 2; x < static_cast<int>(g.x_of(24) * scale) - 2; ++x) {
            const wxColour seen(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
            bool known = false;
            for (const wxColour& c : allowed)
                known = known || c == seen;
            EXPECT_TRUE(known) << "x " << x << ": " << seen.GetAsString(wxC2S_HTML_SYNTAX);
        }
        for (std::size_t i = 0; i < m_canvas->GetTimeline().bars().size(); ++i) {
            const wxRect r = m_canvas->BarRect(g, i);
            const wxColour c(zovTimeline::colour_text(m_canvas->GetTimeline().bars()[i].colour));
            const int first = static_cast<int>(r.x * scale);
            const int last = static_cast<int>((r.x + r.width) * scale) - 1;
            EXPECT_EQ(c, wxColour(image.GetRed(first, y), image.GetGreen(first, y), image.GetBlue(first, y))) << i;
            EXPECT_EQ(c, wxColour(image.GetRed(last, y), image.GetGreen(last, y), image.GetBlue(last, y))) << i;
            EXPECT_NEAR(r.x, g.x_of(m_canvas->GetTimeline().bars()[i].from), 0.5) << i;
        }
    }
    App().ShowDialog(false);
}

// The running bar grows with the page's minute timer.
TEST_P(TimelinePageTest, the_running_bar_grows_each_minute)
{
    Record("", "2026-12-11T08:00:00");
    ShowPage();
    ASSERT_TRUE(m_page->GetTimer().IsRunning());
    EXPECT_EQ(60000, m_page->GetTimer().GetInterval());
    ASSERT_EQ(1u, m_canvas->GetTimeline().bars().size());
    EXPECT_DOUBLE_EQ(2.0, m_canvas->GetTimeline().bars()[0].until - m_canvas->GetTimeline().bars()[0].from);
    m_clock.advance(30 * 60);
    wxTimerEvent tick(const_cast<wxTimer&>(m_page->GetTimer()));
    m_page->GetEventHandler()->ProcessEvent(tick);
    ASSERT_EQ(1u, m_canvas->GetTimeline().bars().size());
    EXPECT_DOUBLE_EQ(2.5, m_canvas->GetTimeline().bars()[0].until - m_canvas->GetTimeline().bars()[0].from);
    EXPECT_TRUE(m_canvas->GetTimeline().bars()[0].running);
    Picture picture(*m_canvas);
    EXPECT_EQ(picture.Of("Run"), picture.At(4, 10.25 + picture.Hours(4, "2026-12-11T00:00:00")));
    m_notebook->SetSelection(0);
    EXPECT_FALSE(m_page->GetTimer().IsRunning());
    App().ShowDialog(false);
}

TEST_P(TimelinePageTest, switching_pages_keeps_the_chosen_week)
{
    spin(m_sheet->GetYearSpin(), 2025);
    spin(m_sheet->GetWeekSpin(), 7);
    m_notebook->SetSelection(1);
    m_notebook->SetSelection(2);
    const zovWeekControls& controls = m_page->GetWeekControls();
    EXPECT_EQ(2025, controls.GetYearSpin()->GetValue());
    EXPECT_EQ(7, controls.GetWeekSpin()->GetValue());
    EXPECT_EQ("2025-02-10", controls.GetDatePicker()->GetValue().Format("%Y-%m-%d").ToStdString());
    EXPECT_EQ(7u, m_canvas->GetTimeline().rows().size());
    EXPECT_EQ("Mon 10-Feb", m_canvas->GetTimeline().rows()[0].label);
    // Through another page, too.
    ChooseWeek(2024, 30);
    m_notebook->SetSelection(3);
    m_notebook->SetSelection(1);
    EXPECT_EQ(2024, m_sheet->GetYearSpin()->GetValue());
    EXPECT_EQ(30, m_sheet->GetWeekSpin()->GetValue());
}

// Tooltips, AT-SPI names, arrows, and the correction a bar opens.
TEST_P(TimelinePageTest, bars_are_reached_by_mouse_keyboard_and_screen_reader)
{
    App().GetRecentTasks() = {"A", "B"};
    Record(session_line("A", "2026-12-07T08:00:00", "2026-12-07T12:00:00")
           + session_line("A", "2026-12-07T11:00:00", "2026-12-07T09:00:00")
           + session_line("B", "2026-12-07T09:00:00", "2026-12-07T11:00:00")
           + session_line("B", "2026-12-09T22:00:00", "2026-12-10T01:30:00"));
    ShowPage();
    const std::vector<std::string> texts = {
        "A, Mon 07-Dec 08:00-09:00, 1.0 h", "B, Mon 07-Dec 09:00-11:00, 2.0 h", "A, Mon 07-Dec 11:00-12:00, 1.0 h",
        "B, Wed 09-Dec 22:00-24:00, 2.0 h", "B, Thu 10-Dec 00:00-01:30, 1.5 h"};
    const zovTimeline& t = m_canvas->GetTimeline();
    ASSERT_EQ(texts.size(), t.bars().size());
    const TimelineCanvas::geometry g = m_canvas->Geometry(m_canvas->GetClientSize());

    // A tooltip on each bar, none between bars. Nothing lies over the bars
    // that would take the mouse or the tooltip from the picture.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const wxRect r = m_canvas->BarRect(g, i);
        EXPECT_EQ(m_canvas, wxFindWindowAtPoint(m_canvas->ClientToScreen(wxPoint(r.x + 1, r.y + 1)))) << i;
        mouse(m_canvas, wxEVT_MOTION, wxPoint(r.x + r.width / 2, r.y + r.height / 2));
        ASSERT_NE(nullptr, m_canvas->GetToolTip()) << i;
        EXPECT_EQ(texts[i], m_canvas->GetToolTipText().ToStdString());
    }
    mouse(m_canvas, wxEVT_MOTION, wxPoint(static_cast<int>(g.x_of(15)), static_cast<int>(g.y_of(0) + 5)));
    EXPECT_EQ(nullptr, m_canvas->GetToolTip());

    // The bars as accessible objects, children of the canvas's own.
    AtkObject* canvas_atk = gtk_widget_get_accessible(static_cast<GtkWidget*>(m_canvas->GetHandle()));
    AtkObject* bars = m_canvas->GetAccessibleBars().Accessible();
    bool found = false;
    for (gint i = 0; i < atk_object_get_n_accessible_children(canvas_atk); ++i) {
        AtkObject* child = atk_object_ref_accessible_child(canvas_atk, i);
        found = found || child == bars;
        g_object_unref(child);
    }
    EXPECT_TRUE(found) << "the bars' holder is not among the canvas's accessible children";
    ASSERT_EQ(static_cast<gint>(texts.size()), atk_object_get_n_accessible_children(bars));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        AtkObject* child = atk_object_ref_accessible_child(bars, static_cast<gint>(i));
        EXPECT_EQ(texts[i], atk_object_get_name(child));
        EXPECT_EQ(ATK_ROLE_PUSH_BUTTON, atk_object_get_role(child));
        gint x = 0, y = 0, w = 0, h = 0, cx = 0, cy = 0;
        atk_component_get_extents(ATK_COMPONENT(child), &x, &y, &w, &h, ATK_XY_SCREEN);
        const wxRect r = m_canvas->BarRect(g, i);
        m_canvas->GetScreenPosition(&cx, &cy);
        EXPECT_EQ(wxRect(cx + r.x, cy + r.y, r.width, r.height), wxRect(x, y, w, h)) << i;
        g_object_unref(child);
    }

    // Arrows: along the row, then down to the nearest bar of the next rows.
    m_canvas->Select(0);
    key(m_canvas, WXK_RIGHT);
    EXPECT_EQ(1, m_canvas->GetSelection());
    key(m_canvas, WXK_RIGHT);
    key(m_canvas, WXK_RIGHT);
    key(m_canvas, WXK_RIGHT);
    key(m_canvas, WXK_RIGHT);
    EXPECT_EQ(4, m_canvas->GetSelection());
    key(m_canvas, WXK_LEFT);
    EXPECT_EQ(3, m_canvas->GetSelection());
    key(m_canvas, WXK_UP);
    EXPECT_EQ(2, m_canvas->GetSelection()) << "Monday's bar nearest to 23:00";
    key(m_canvas, WXK_DOWN);
    EXPECT_EQ(3, m_canvas->GetSelection());

    // Enter on Wednesday's piece up to midnight: the dialog on that day,
    // task and span (a span ends within its day).
    Preset seen;
    wxTEST_DIALOG(key(m_canvas, WXK_RETURN), ExpectCorrection(seen));
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ("2026-12-09", seen.date);
    EXPECT_EQ("B", seen.task);
    EXPECT_EQ("22:00", seen.from);
    EXPECT_EQ("23:59", seen.until);

    // A double click on the middle piece of Monday.
    Preset clicked;
    const wxRect r = m_canvas->BarRect(g, 1);
    wxTEST_DIALOG(mouse(m_canvas, wxEVT_LEFT_DCLICK, wxPoint(r.x + 2, r.y + 2)), ExpectCorrection(clicked));
    EXPECT_EQ("2026-12-07", clicked.date);
    EXPECT_EQ("B", clicked.task);
    EXPECT_EQ("09:00", clicked.from);
    EXPECT_EQ("11:00", clicked.until);
    EXPECT_EQ(1, m_canvas->GetSelection());
    App().ShowDialog(false);
}

INSTANTIATE_TEST_SUITE_P(Zones, TimelinePageTest, ::testing::Values("Europe/Berlin", "America/New_York"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return zovtest::zone_name(info);
                         });
