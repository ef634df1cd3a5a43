#pragma once
// An index of HOURS.TSK by time, so that a question about a few days reads a
// few blocks of the file instead of all of it.
//
// The file is cut at line ends into blocks of about 32 KiB; for each block the
// index keeps its byte span and the earliest and latest instant of the session
// lines in it. A range query reads the blocks whose instants reach into the
// range, in file order, and every byte after the indexed part.
//
// The index is derived data and HOURS.TSK stays the only truth. It is kept in
// the data folder as ".HOURS.TSK.index" (written to a temporary file and
// renamed; it carries its own checksum) and in memory for the life of the
// process. It serves only the file it was built from: same device and inode,
// the same size, change time and modification time; a file that grew is taken
// as an extension only when the last 4 KiB and the first 4 KiB it was built
// from are still there unchanged, and just the new lines are indexed. Anything
// else (a hand edit, a truncation, another file, a missing, stale or damaged
// index) rebuilds it from the whole file first.

#include <cstdint>
#include <string>

#include <zov/zovFile.h>

class zovSink;

namespace zov_detail {

// Offers to the sink, in file order, each line of `path` that is neither blank
// nor a comment nor longer than zovFile::max_line and that may hold a session
// overlapping [lo, hi] (seconds since the epoch); lines that cannot overlap may
// be left out. The result is that of zovFile::read_lines.
zovFile::read_status read_range(const std::string& path, zovSink& sink, std::int64_t lo, std::int64_t hi);

// The index file of a data file: "dir/.NAME.index".
std::string index_path(const std::string& path);

// Forgets the copy held in memory (tests use it to make the next query load
// the file's index again).
void forget_index();

}  // namespace zov_detail
