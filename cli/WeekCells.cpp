#include "WeekCells.h"

#include <zov/zovTimeSheet.h>

#include "Output.h"

namespace zovcli {

std::vector<week_row> week_rows(zovTimeSheet& sheet)
{
    std::vector<week_row> rows;
    if (sheet.size_task() == 0)
        return rows;
    week_row sums{"Total", {}, {}};
    for (const auto& task : sheet) {
        week_row row{task.first, {}, {}};
        for (const auto& entry : task.second) {
            const int day = entry.first;
            if (day < 0 || day > 6)
                continue;
            row.hours[day] = entry.second;
            row.present[day] = true;
            row.hours[7] += entry.second;
            sums.hours[day] += entry.second;
            sums.present[day] = true;
            sums.hours[7] += entry.second;
        }
        row.present[7] = true;
        rows.push_back(row);
    }
    sums.present[7] = true;
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
            if (row.present[col])
                text += hours_text(row.hours[col], 1);
        }
    }
    return text;
}

}  // namespace zovcli
