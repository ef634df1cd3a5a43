#pragma once
// An index of HOURS.TSK by time, so that a question about a few days reads a
// few blocks of the file instead of all of it.
//
// The file is cut at line ends into blocks of about 32 KiB; for each block the
// index keeps its byte span, a checksum of its bytes and the earliest and
// latest instant of the session lines in it. A range query reads the blocks
// whose instants reach into the range, in file order, and every byte after
// the indexed part.
//
// The index is derived data and HOURS.TSK stays the only truth. It is kept in
// the data folder as ".HOURS.TSK.index" (written to a temporary file and
// renamed; it carries its own checksum) and in memory for the life of the
// process. One function, `verdict_on`, decides whether it still serves the
// file; see there.

#include <cstdint>
#include <functional>
#include <string>

#include <zov/zovFile.h>

class zovSession;

namespace zov_detail {

// Gives `take`, in file order, the valid session of each line of `path` that
// is neither blank nor a comment nor longer than zovFile::max_line and that
// may overlap [lo, hi] (seconds since the epoch); sessions that cannot
// overlap may be left out. The result is that of zovFile::read_lines.
zovFile::read_status read_range(const std::string& path, const std::function<void(const zovSession&)>& take,
                                 std::int64_t lo, std::int64_t hi);

// The index file of a data file: "dir/.NAME.index".
std::string index_path(const std::string& path);

// Forgets the copy held in memory (tests use it to make the next query load
// the file's index again).
void forget_index();

}  // namespace zov_detail
