#include "WeekCells.h"

namespace zovcli {

std::vector<week_row> week_rows(const zovWeekFigures& f)
{
    std::vector<week_row> rows;
    for (const zovWeekFigures::row& r : f.rows) {
        week_row row;
        row.label = r.task;
        for (int day = 0; day < 7; ++day) {
            row.cells[day] = zovWeekFigures::shown_text(r.days[day]);
            row.values[day] = r.days[day];
        }
        row.cells[7] = zovWeekFigures::text(r.sum.seconds);
        row.values[7] = r.sum;
        rows.push_back(row);
    }
    const std::string total = zovWeekFigures::shown_text(f.total);
    if (rows.empty() && total.empty())
        return rows;
    week_row sums;
    sums.label = "Total";
    for (int day = 0; day < 7; ++day) {
        sums.cells[day] = zovWeekFigures::shown_text(f.days[day]);
        sums.values[day] = f.days[day];
    }
    sums.cells[7] = total;
    sums.values[7] = f.total;
    rows.push_back(sums);
    return rows;
}

std::string week_tsv(const std::vector<week_row>& rows)
{
    // As the grid's copy does: a line end only between rows of text.
    std::string text;
    for (const week_row& row : rows) {
        for (int col = 0; col < 8; ++col) {
            if (col > 0)
                text += '\t';
            else if (!text.empty())
                text += '\n';
            text += row.cells[col];
        }
    }
    return text;
}

}  // namespace zovcli
