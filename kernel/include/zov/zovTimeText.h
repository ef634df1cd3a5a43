#pragma once
// Times as people type them on a command line.

#include <string>

#include <vu_utils/vu_datetime.h>

namespace zov {

// Reads one of:
//   2026-12-10T08:30[:15]Z, ...+01:00, ...+0100, ...-05   an instant with its offset
//   2026-12-10T08:30[:15], 2026-12-10 08:30[:15]          local wall-clock time
//   2026-12-10                                            local midnight of that date
//   08:30[:15]                                            that wall-clock time today
// Wall-clock times are local by the calendar and resolved on their own date,
// so a date across a clock change gets that date's offset, not today's. A time
// in a spring gap moves forward by the gap; a repeated autumn hour takes its
// first occurrence. `now` gives "today". date_only, when given, tells whether
// the text was a date alone. On false, out is unchanged.
bool parse_time(const std::string& text, const vu_datetime& now, vu_datetime& out,
                bool* date_only = nullptr);

}  // namespace zov
