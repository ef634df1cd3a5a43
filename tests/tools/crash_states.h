#pragma once
// A small replayer of recorded file-system calls, in the manner of the ALICE
// and CrashMonkey studies: from the calls an operation made in one folder
// (recorded with `strace -y -xx`), every state the folder may be found in
// after a power cut at any moment of them.
//
// The rules, those POSIX leaves to a file system at the least:
// - Data written to a file (write, pwrite, ftruncate, O_TRUNC) is durable once
//   fsync or fdatasync of that file returned. Until then any prefix of the
//   file's unflushed changes, in order, may have reached the disk, and the
//   last of them may be torn (only its first half there).
// - A change of the folder (a file created, renamed, linked or removed) is
//   durable once fsync of the folder returned. Until then any prefix of the
//   folder's unflushed changes may have reached the disk.
// - Files and the folder are independent of each other: every combination.

#include <map>
#include <string>
#include <vector>

namespace zovtest {

// One successful call, as strace printed it, its strings decoded.
struct fs_call
{
    std::string name;               // "openat", "write", "rename", ...
    std::vector<std::string> args;  // decoded; a descriptor is its path
    std::vector<int> fds;           // the descriptor numbers among the args, -1 elsewhere
    long result = 0;
    std::string result_path;        // the path of a returned descriptor
};

// The calls in `strace -y -xx` output that succeeded.
std::vector<fs_call> parse_strace(const std::string& text);

// A folder's files: name -> content.
using folder_state = std::map<std::string, std::string>;

// Every state the folder `dir` (with its trailing "/") may be left in by a
// power cut before, during or after the calls, starting from `before`. Calls
// on files outside the folder are ignored, and so are the names in `ignore`.
// Distinct states only.
std::vector<folder_state> crash_states(const folder_state& before, const std::vector<fs_call>& calls,
                                       const std::string& dir, const std::vector<std::string>& ignore = {});

}  // namespace zovtest
