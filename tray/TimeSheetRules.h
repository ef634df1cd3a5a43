#pragma once
// The decisions of the time-sheet page and its grid, kept apart from the
// windows so that tests can call them directly: the clipboard text of a
// selection and how pasted text lands in cells, which ISO week a date picks,
// where a correction starts, what the grid shows, and the archive's names.

#include <functional>
#include <vector>

#include <wx/datetime.h>
#include <wx/string.h>

#include <vu_utils/vu_datetime.h>

class zovKernel;
class zovTimeSheet;

namespace zovtray {

// --- Grid text ---------------------------------------------------------------

// The selected cells of a rows x cols grid: one line per row that has a
// selected cell, its selected cells from left to right separated by tabs, no
// line feed after the last line. A row whose selected cells gave nothing so
// far (empty values at the very start) adds no line feed either.
wxString selection_text(int rows, int cols, const std::function<bool(int, int)>& selected,
                        const std::function<wxString(int, int)>& value);

struct pasted_cell
{
    int row;
    int col;
    wxString value;
};

// Where pasted text lands, starting at (row, col) of a rows x cols grid:
// lines go to successive rows, tab-separated fields to successive columns,
// each field without its trailing white space (so CR LF lines paste like LF
// lines). An empty line leaves its row alone; fields right of the last column
// and lines below the last row are dropped.
std::vector<pasted_cell> paste_cells(const wxString& text, int row, int col, int rows, int cols);

// --- Weeks -------------------------------------------------------------------

struct iso_week
{
    int week;
    int year;  // the year that owns the week, not always the date's calendar year
};

// The local date and time a picker value shows, and back.
vu_datetime from_picker(const wxDateTime& value);
wxDateTime to_picker(const vu_datetime& t);

// The ISO week that holds the date, named by the year of its Thursday, so that
// week and year always select the week the date lies in (30 December 2013 is
// week 1 of 2014). The toolkit's GetWeekBasedYear gets some early-January days
// wrong, so the kernel's numbering is used.
iso_week week_of(const wxDateTime& date);

// Monday 00:00 of the week: the Monday of the week that holds 4 January,
// moved on by week - 1 weeks. Computed as the kernel selects weeks; the
// toolkit's SetToWeekOfYear is a week early for 2038 in some zones.
vu_datetime week_monday(int year, int week);

// The same day and month in another year; 29 February becomes 28 February in
// a year without it.
wxDateTime same_day_in_year(const wxDateTime& date, int year);

// --- Corrections from the grid -----------------------------------------------

struct correction_preset
{
    vu_datetime date;  // 00:00 of the day the correction dialog starts on
    bool with_task;    // whether the row's label is offered as the task
};

// A double click at (row, col) of a grid of `rows` rows (the last one the
// "Total" row) showing week `week` of `year`: a weekday column (0 Monday ...
// 6 Sunday) gives that day of the shown week; a row label (col -1), the
// "Total" column (col 7) and the corner give its Monday. The shown week, not
// the date picker's, which a change of year moves off the week. A task row
// offers its label as the task; the "Total" row offers none, as it is no task.
correction_preset correction_for(int year, int week, int rows, int row, int col);

// --- What the grid shows -----------------------------------------------------

struct sheet_row
{
    wxString label;
    wxString cells[8];  // Monday ... Sunday, then the row's total; empty: no entry
};

// The grid's rows for a filled sheet, the same figures as the archived
// report: one per task that shows an amount (0.1 h or more either way), in
// the sheet's order, with its row sum; then the "Total" row with the exact
// column sums and grand total of every entry, rounded once. No rows at all
// when nothing shows.
std::vector<sheet_row> sheet_rows(zovTimeSheet& sheet);

// --- Archive -----------------------------------------------------------------

// "TimeSheet_2013_w05.txt"
wxString archive_file_name(int year, int week);
// The folder "Archive_2013" inside the data folder, without trailing separator.
wxString archive_folder(const wxString& data_dir, int year);
// Writes the week's report, computed now, to the file (replacing it). False
// when the file cannot be written.
bool write_time_sheet(zovKernel& kernel, const wxString& path, int week, int year);

}  // namespace zovtray
