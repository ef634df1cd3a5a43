#include "WeekCells.h"

namespace zovcli {

std::string week_tsv(const std::vector<week_row>& rows)
{
    // As the grid's copy does: a line end only between rows of text.
    std::string text;
    for (const week_row& row : rows) {
        if (!text.empty())
            text += '\n';
        // The sums' row has no task: a task named "Total" stays a task.
        text += &row == &rows.back() ? std::string() : row.label;
        for (int col = 0; col < 8; ++col)
            text += '\t' + row.cells[col];
    }
    return text;
}

}  // namespace zovcli
