// What a user sees of the windows: every label, button and field shows whole
// and inside its box, at the default font size and (run again with
// GDK_DPI_SCALE=1.5) at 1.5 times; the main dialog opens large enough for a
// busy week and keeps the size the user gave it.

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/datectrl.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <zovkernel.h>

#include "CurrentTaskPanel.h"
#include "SessionDialog.h"
#include "TimeSheetPanel.h"
#include "gui_support.h"
#include "wxEasyGrid.h"
#include "wxNotebookAuto.h"
#include "zovTaskBarDialog.h"

using zovgui::AppTest;
using zovtest::at;
using zovtest::FixedClock;
using zovtest::TzGuard;

namespace {

struct rect
{
    int x, y, w, h;
    bool contains(const rect& r) const
    {
        return r.x >= x && r.y >= y && r.x + r.w <= x + w && r.y + r.h <= y + h;
    }
};

// The widget's allocation in the coordinates of its toplevel window.
rect in_toplevel(GtkWidget* widget)
{
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y);
    return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
}

std::string text(const rect& r)
{
    return std::to_string(r.w) + "x" + std::to_string(r.h) + "+" + std::to_string(r.x) + "+"
           + std::to_string(r.y);
}

std::string describe(GtkWidget* widget)
{
    std::string text = G_OBJECT_TYPE_NAME(widget);
    if (GTK_IS_LABEL(widget))
        text += " \"" + std::string(gtk_label_get_text(GTK_LABEL(widget))) + "\"";
    else if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)))
        text += " \"" + std::string(gtk_button_get_label(GTK_BUTTON(widget))) + "\"";
    else if (GTK_IS_ENTRY(widget))
        text += " \"" + std::string(gtk_entry_get_text(GTK_ENTRY(widget))) + "\"";
    return text;
}

// Whatever a user cannot see whole: a label narrower or lower than its text,
// or a label, button or field that reaches out of one of its containers.
void find_clipped(GtkWidget* widget, std::vector<std::string>& faults)
{
    if (!gtk_widget_get_mapped(widget))
        return;
    const bool seen = GTK_IS_LABEL(widget) || GTK_IS_BUTTON(widget) || GTK_IS_ENTRY(widget);
    if (seen) {
        const rect r = in_toplevel(widget);
        if (GTK_IS_LABEL(widget) && *gtk_label_get_text(GTK_LABEL(widget))) {
            int min_w = 0, nat_w = 0, min_h = 0, nat_h = 0;
            gtk_widget_get_preferred_width(widget, &min_w, &nat_w);
            gtk_widget_get_preferred_height_for_width(widget, r.w, &min_h, &nat_h);
            if (r.w < min_w || r.h < min_h)
                faults.push_back(describe(widget) + " is " + std::to_string(r.w) + "x"
                                 + std::to_string(r.h) + " for a text of " + std::to_string(min_w)
                                 + "x" + std::to_string(min_h));
        }
        for (GtkWidget* up = gtk_widget_get_parent(widget); up; up = gtk_widget_get_parent(up)) {
            if (!gtk_widget_get_has_window(up) && !GTK_IS_FRAME(up) && !GTK_IS_WINDOW(up))
                continue;  // only what draws a border or clips
            const rect outer = in_toplevel(up);
            if (!outer.contains(r)) {
                faults.push_back(describe(widget) + " at " + text(r) + " reaches out of "
                                 + describe(up) + " at " + text(outer));
                break;
            }
        }
    }
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            find_clipped(GTK_WIDGET(child->data), faults);
        g_list_free(children);
        // A frame's label is not among its children.
        if (GTK_IS_FRAME(widget))
            if (GtkWidget* label = gtk_frame_get_label_widget(GTK_FRAME(widget)))
                find_clipped(label, faults);
    }
}

// Lets the toolkit map, allocate and draw what was shown.
void settle()
{
    // Through the toolkit's own loop, which keeps its idle source in order.
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    for (int i = 0; i < 20; ++i) {
        loop.YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(5);
    }
}

std::vector<std::string> clipped(wxWindow* top)
{
    settle();
    std::vector<std::string> faults;
    find_clipped(GTK_WIDGET(top->GetHandle()), faults);
    return faults;
}

std::string session_line(const std::string& task, const char* begin, const char* end)
{
    return zovSession(task, at(begin), at(end)).to_file_string() + "\n";
}

}  // namespace

// Wednesday 11 March 2026 in Berlin.
class LayoutTest : public AppTest
{
protected:
    LayoutTest() : m_tz("Europe/Berlin"), m_clock("2026-03-11T10:00:00") {}

    void Record(const std::string& lines)
    {
        zovtest::write_file(m_home->data_dir() + "HOURS.TSK", "% task hours t1 t2\n" + lines);
    }
    zovTaskBarDialog& Dialog() const { return *App().GetDialog(); }
    void Select(int page)
    {
        Dialog().GetNotebook()->SetSelection(static_cast<size_t>(page));
        settle();
    }
    TimeSheetPanel* SheetPage() const
    {
        return static_cast<TimeSheetPanel*>(Dialog().GetNotebook()->GetPage(1));
    }

    TzGuard m_tz;
    FixedClock m_clock;
};

TEST_F(LayoutTest, every_page_of_the_main_dialog_shows_its_labels_and_buttons_whole)
{
    Record(session_line("Design", "2026-03-09T08:00:00", "2026-03-09T11:30:00")
           + session_line("Coding", "2026-03-10T08:30:00", "2026-03-10T12:00:00"));
    ASSERT_TRUE(App().GetKernel()->login("A_rather_long_task_name_for_the_page"));
    m_clock.advance(10 * 3600);
    App().ShowDialog(true);
    for (int page = 0; page < static_cast<int>(Dialog().GetNotebook()->GetPageCount()); ++page) {
        SCOPED_TRACE(page);
        Select(page);
        EXPECT_EQ(std::vector<std::string>{}, clipped(&Dialog()));
    }
    App().ShowDialog(false);
}

TEST_F(LayoutTest, the_correction_dialog_shows_its_labels_and_the_weekday_whole)
{
    App().GetRecentTasks() = {"Design"};
    SessionDialog dialog(nullptr);
    dialog.SetDate(at("2026-03-11T00:00:00"));  // a Wednesday, the longest name
    ASSERT_EQ("Wednesday", dialog.GetWeekdayLabel()->GetLabel());
    dialog.SetTask("Design");
    dialog.Show();
    EXPECT_EQ(std::vector<std::string>{}, clipped(&dialog));
    dialog.Hide();
}

TEST_F(LayoutTest, the_main_dialog_opens_large_enough_for_a_busy_week_with_its_total_row)
{
    std::string lines;
    for (int task = 0; task < 20; ++task) {
        const std::string name = "Task" + std::to_string(100 + task);
        lines += session_line(name, "2026-03-09T08:00:00", "2026-03-09T08:30:00");
    }
    Record(lines);
    Select(1);
    App().ShowDialog(true);
    settle();
    wxEasyGrid* grid = SheetPage()->GetGrid();
    ASSERT_EQ(21, grid->GetNumberRows());
    EXPECT_EQ("Total", grid->GetRowLabelValue(20));
    for (int col = 0; col < 8; ++col)
        EXPECT_TRUE(grid->IsVisible(20, col, true)) << "column " << col;
    const wxRect work = wxDisplay(&Dialog()).GetClientArea();
    EXPECT_LE(Dialog().GetSize().GetHeight(), work.GetHeight());
    App().ShowDialog(false);
}

TEST_F(LayoutTest, the_main_dialog_keeps_the_size_the_user_gave_it_across_a_restart)
{
    App().ShowDialog(true);
    settle();
    const wxSize bigger = Dialog().GetSize() + wxSize(60, 40);
    Dialog().SetSize(bigger);
    settle();
    App().ShowDialog(false);
    Restart();
    App().ShowDialog(true);
    settle();
    EXPECT_EQ(bigger, Dialog().GetSize());

    // Also when the program ends with the dialog on screen.
    const wxSize smaller = bigger - wxSize(30, 20);
    Dialog().SetSize(smaller);
    settle();
    Restart();
    App().ShowDialog(true);
    settle();
    EXPECT_EQ(smaller, Dialog().GetSize());
    App().ShowDialog(false);
}

TEST_F(LayoutTest, opening_the_time_sheet_page_leaves_the_year_unselected)
{
    App().ShowDialog(true);
    settle();
    Select(1);
    Select(0);
    Select(1);
    GtkEditable* year = GTK_EDITABLE(SheetPage()->GetYearSpin()->GetHandle());
    int start = 0, end = 0;
    EXPECT_FALSE(gtk_editable_get_selection_bounds(year, &start, &end))
        << "typing would replace the year; selected " << start << " to " << end;
    App().ShowDialog(false);
}

TEST_F(LayoutTest, exiting_from_any_page_leaves_the_toolkit_nothing_to_complain_about)
{
    // Any GTK critical or warning on the way out fails this test (gui_main).
    for (int page = 0; page < static_cast<int>(Dialog().GetNotebook()->GetPageCount()); ++page) {
        SCOPED_TRACE(page);
        App().ShowDialog(true);
        Select(page);
        Restart();  // the program's own exit path, with the dialog shown
        settle();
    }
    App().ShowDialog(true);
    settle();
    App().ShowDialog(false);  // and once hidden
}
