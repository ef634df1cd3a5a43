#pragma once
// Runs the zov program as a real process: its own clock (faketime), zone,
// environment and data folder; returns its exit status and both streams.

#include <map>
#include <string>
#include <vector>

namespace zovtest {

struct zov_result
{
    int status = -1;  // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

struct zov_run
{
    std::vector<std::string> args;
    std::string tz = "UTC";
    // Local wall time "YYYY-MM-DD HH:MM:SS" at which the clock stands still
    // for the whole run; empty: the real clock.
    std::string clock;
    // Extra variables ("NAME=value"); HOME, XDG_DATA_HOME and XDG_CONFIG_HOME
    // are cleared unless given here.
    std::vector<std::string> env;
    // A user id to switch to before the program starts (root only); -1: none.
    int uid = -1;
    // Largest file the program may write (RLIMIT_FSIZE, SIGXFSZ ignored), as
    // on a full disk; -1: no limit.
    long file_size_limit = -1;
};

zov_result run_zov(const zov_run& run);

// Runs a bash script in the environment run_zov would give; returns its stdout.
std::string run_bash(const zov_run& run, const std::string& script);

// All files under a folder, by path relative to it, with their content;
// the kernel's lock file and the derived index left out.
std::map<std::string, std::string> snapshot(const std::string& dir);

// RFC 4180 fields of a CSV text, one vector per record.
std::vector<std::vector<std::string>> parse_csv(const std::string& text);

}  // namespace zovtest
