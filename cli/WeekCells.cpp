#include "WeekCells.h"

namespace zovcli {

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
