#include "TimeSheetRules.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <wx/filename.h>

#include <zov/zovKernel.h>
#include <zov/zovTimeSheet.h>

#include "zovTrayRules.h"

namespace zovtray {

wxString selection_text(int rows, int cols, const std::function<bool(int, int)>& selected,
                        const std::function<wxString(int, int)>& value)
{
    wxString text;
    for (int row = 0; row < rows; ++row) {
        bool first_in_row = true;
        for (int col = 0; col < cols; ++col) {
            if (!selected(row, col))
                continue;
            if (!first_in_row)
                text += '\t';
            else if (!text.empty())
                text += '\n';
            first_in_row = false;
            text += value(row, col);
        }
    }
    return text;
}

std::vector<pasted_cell> paste_cells(const wxString& text, int row, int col, int rows, int cols)
{
    std::vector<pasted_cell> cells;
    if (row < 0 || col < 0)
        return cells;  // no current cell to start from
    wxString rest = text;
    for (int r = row; r < rows; ++r) {
        wxString line = rest.BeforeFirst('\n');
        for (int c = col; !line.empty(); ++c) {
            wxString field = line.BeforeFirst('\t');
            field.Trim(true);
            if (c < cols)
                cells.push_back({r, c, field});
            line = line.AfterFirst('\t');
        }
        rest = rest.AfterFirst('\n');
        if (rest.empty())
            break;
    }
    return cells;
}

// By calendar fields, not by instant: from 19 January 2038 on the toolkit
// converts local time with a fixed offset of its own, so its instants drift
// from the C library's by that offset while its fields stay consistent.
vu_datetime from_picker(const wxDateTime& value)
{
    const wxDateTime::Tm tm = value.GetTm();
    vu_datetime t;
    t.set_local(tm.year, static_cast<int>(tm.mon) + 1, tm.mday, tm.hour, tm.min, tm.sec);
    return t;
}

wxDateTime to_picker(const vu_datetime& t)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(t.to_format_string("%Y-%m-%d %H:%M:%S").c_str(), "%d-%d-%d %d:%d:%d", &year,
                    &month, &day, &hour, &minute, &second) != 6)
        return wxDateTime();
    using short_field = wxDateTime::wxDateTime_t;
    return wxDateTime(static_cast<short_field>(day), static_cast<wxDateTime::Month>(month - 1),
                      year, static_cast<short_field>(hour), static_cast<short_field>(minute),
                      static_cast<short_field>(second));
}

iso_week week_of(const wxDateTime& date)
{
    const vu_datetime t = from_picker(date);
    return {t.to_week_number(), t.to_year_number()};
}

vu_datetime week_monday(int year, int week)
{
    return vu_datetime::year_week_monday(year, week);
}

wxDateTime same_day_in_year(const wxDateTime& date, int year)
{
    const wxDateTime::Tm tm = date.GetTm();
    const wxDateTime::wxDateTime_t last_day = wxDateTime::GetNumberOfDays(tm.mon, year);
    return wxDateTime(std::min(tm.mday, last_day), tm.mon, year, tm.hour, tm.min, tm.sec);
}

correction_preset correction_for(int year, int week, int rows, int row, int col)
{
    const vu_datetime monday = vu_datetime::year_week_monday(year, week);
    // Calendar days, so that a clock change inside the week cannot shift the
    // day off its midnight.
    const bool weekday = col >= 0 && col <= 6;
    return {weekday ? midnight_after(monday, col) : monday, row >= 0 && row < rows - 1};
}

std::vector<sheet_row> sheet_rows(zovTimeSheet& sheet)
{
    // The same figures as the archived report: cells that round to 0.1 h or
    // more, sums of everything.
    const zovWeekFigures f = sheet.figures();
    std::vector<sheet_row> rows;
    for (const zovWeekFigures::row& r : f.rows) {
        sheet_row row;
        row.label = from_bytes(r.task);
        for (int day = 0; day < 7; ++day)
            row.cells[day] = from_bytes(zovWeekFigures::shown_text(r.days[day]));
        row.cells[7] = from_bytes(zovWeekFigures::text(r.sum.seconds));
        rows.push_back(row);
    }
    const wxString total = from_bytes(zovWeekFigures::shown_text(f.total));
    if (rows.empty() && total.empty())
        return rows;
    sheet_row sums;
    sums.label = "Total";
    for (int day = 0; day < 7; ++day)
        sums.cells[day] = from_bytes(zovWeekFigures::shown_text(f.days[day]));
    sums.cells[7] = total;
    rows.push_back(sums);
    return rows;
}

wxString archive_file_name(int year, int week)
{
    return wxString::Format("TimeSheet_%4d_w%02d.txt", year, week);
}

wxString archive_folder(const wxString& data_dir, int year)
{
    wxFileName folder = wxFileName::DirName(data_dir);
    folder.AppendDir(wxString::Format("Archive_%4d", year));
    return folder.GetPath(wxPATH_GET_VOLUME);
}

bool write_time_sheet(zovKernel& kernel, const wxString& path, int week, int year)
{
    zovTimeSheet sheet(week, year);
    kernel.tsheet(sheet);
    std::ofstream out(static_cast<const char*>(path.fn_str()), std::ios::out | std::ios::trunc);
    if (!out)
        return false;
    sheet.show_time_sheet(out);
    out.close();
    return !out.fail();
}

}  // namespace zovtray
