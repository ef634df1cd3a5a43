#pragma once
// The cells of a filled week sheet as the tray's grid shows them, and the grid's
// clipboard text. Built here from the sheet's table until the kernel offers
// the week's cells itself.

#include <string>
#include <vector>

class zovTimeSheet;

namespace zovcli {

struct week_row
{
    std::string label;    // task name, or "Total"
    double hours[8];      // Monday ... Sunday, then the row's total
    bool present[8];      // whether the cell has an entry
};

// One row per task in the sheet's order, then the "Total" row; no rows for a
// sheet without tasks. Every entry counts, negative and tiny ones included.
std::vector<week_row> week_rows(zovTimeSheet& sheet);

// The text the grid copies when all its cells are selected: one line per row,
// cells separated by tabs, one decimal, empty for a cell without entry; no
// line end after the last line.
std::string week_tsv(const std::vector<week_row>& rows);

}  // namespace zovcli
