#pragma once
// The week's grid as the tray shows it, from the kernel's week figures: one
// row per task that shows anything, then the "Total" row; and the grid's
// clipboard text.

#include <string>
#include <vector>

#include <zov/zovWeekFigures.h>

namespace zovcli {

struct week_row
{
    std::string label;              // task name, or "Total"
    std::string cells[8];           // Monday ... Sunday, then the sum: the grid's texts
    zovWeekFigures::cell values[8]; // the amounts behind them
};

// No rows at all for a week with nothing to show.
std::vector<week_row> week_rows(const zovWeekFigures& figures);

// The text the grid copies when all its cells are selected: one line per row,
// cells separated by tabs; no line end after the last line.
std::string week_tsv(const std::vector<week_row>& rows);

}  // namespace zovcli
