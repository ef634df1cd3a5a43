#pragma once
// A list of keys with hours (per task, day, week or month) and its total, in
// the three output forms.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Output.h"

namespace zovcli {

struct hours_table
{
    std::string by;  // "task", "day", "week" or "month": the key column's name
    range span;
    std::vector<std::pair<std::string, double>> rows;
    double total = 0.0;
    std::string running;  // the running task's key: its row shows even at 0.00
};

// text: one line per key, hours right-aligned with two decimals, a rule,
// then "Total". Keys whose hours round to 0.00 are left out, but for the
// running task's.
void write_table(std::ostream& out, const hours_table& table, bool csv, bool json);

}  // namespace zovcli
