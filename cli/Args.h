#pragma once
// Times, days and ranges as typed on the command line, read once for every
// sub-command, with one message per wrong field.

#include <string>

#include "Commands.h"
#include "Output.h"

namespace zovcli {

// FROM and UNTIL: FROM counts from its begin, UNTIL until its end (a date
// alone takes in its day); an empty UNTIL makes FROM the whole range
// ("yesterday", "lastweek", "2026-12-10"). An UNTIL before FROM is refused.
int read_range(context& c, const std::string& from, const std::string& until, range& r);

// One instant (WHEN): a time, or the begin of a day.
int read_instant(context& c, const char* field, const std::string& text, vu_datetime& out);

}  // namespace zovcli
