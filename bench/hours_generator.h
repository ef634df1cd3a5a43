#pragma once
// Writes a realistic HOURS.TSK for benchmarks: working days of several years,
// 5-60 minute sessions over a few hundred tasks, a few corrections.

#include <cstdint>
#include <string>

#include <vu_utils/vu_datetime.h>

namespace zovbench {

struct history
{
    std::string dir;       // data folder with trailing "/"
    std::size_t sessions;  // session lines written
    vu_datetime first;     // begin of the first session
    vu_datetime last;      // end of the last session
};

// Fills dir (which must exist) with HOURS.TSK and CURRENT.TSK. The history
// ends on the day before `end`.
history generate_history(const std::string& dir, const vu_datetime& end, int years = 10,
                         int tasks = 200, std::uint32_t seed = 42);

// Writes the same work for Timewarrior into tw_dir (which must exist):
// tw_dir/data/YYYY-MM.data per local month of the begin, one line per session,
// "inc 20180101T070000Z - 20180101T071254Z # Task", and an empty
// timewarrior.cfg. Sessions that a later reversed line cancels are left out,
// as Timewarrior has no cancelling lines. Returns the number of intervals.
std::size_t write_timewarrior(const std::string& hours_file, const std::string& tw_dir);

}  // namespace zovbench
