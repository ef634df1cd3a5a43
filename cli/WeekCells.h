#pragma once
// The grid's clipboard text of a whole week.

#include <string>
#include <vector>

#include <zov/zovWeekFigures.h>

namespace zovcli {

using week_row = zovWeekFigures::grid_row;

// The text the grid copies when all its cells are selected: one line per row,
// cells separated by tabs; no line end after the last line.
std::string week_tsv(const std::vector<week_row>& rows);

}  // namespace zovcli
