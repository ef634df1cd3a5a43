#pragma once
// The grid's clipboard text of a whole week.

#include <string>
#include <vector>

#include <zov/zovWeekFigures.h>

namespace zovcli {

using week_row = zovWeekFigures::grid_row;

// The grid's text with the task names: one line per row, the task name then
// the cells, separated by tabs; the sums' row has an empty name. No line end
// after the last line.
std::string week_tsv(const std::vector<week_row>& rows);

}  // namespace zovcli
