#pragma once
// One function per sub-command, each taking what it uses. They write their
// whole answer into `out` only once it is complete, and one line per error
// into `err`.

#include <ostream>
#include <string>
#include <vector>

#include <vu_utils/vu_datetime.h>

class zovKernel;
class zovSinkHours;

namespace zovcli {

enum status { ok = 0, refused = 1, usage = 2 };

enum class format { text, json, csv, tsv, waybar, svg, ics };

struct context
{
    std::ostream& out;
    std::ostream& err;
    zovKernel& kernel;
    vu_datetime now;

    // "zov: <message>" on stderr; returns the status to exit with.
    int fail(int status, const std::string& message) const;
    // The error for a HOURS.TSK that could not be read to its end: a partial
    // answer would understate the hours.
    int read_failed() const;
    // The error for a change the kernel refused to make: another program
    // holding the lock, or the files that could not be written.
    int change_failed() const;
};

int cmd_status(context& c, format f);
// `at`: the instant as typed (--at), empty for now.
int cmd_login(context& c, const std::string& task, const std::string& at);
int cmd_next(context& c, const std::string& task, const std::string& at);
int cmd_logout(context& c, const std::string& at);
int cmd_cancel(context& c, const std::string& from, const std::string& until, bool dry_run);
int cmd_undo(context& c, bool dry_run);
int cmd_tasks(context& c);
int cmd_today(context& c, format f);
int cmd_week(context& c, const std::vector<std::string>& when, format f);
int cmd_report(context& c, const std::string& from, const std::string& until, const std::string& by,
               format f);
int cmd_sessions(context& c, const std::string& from, const std::string& until, format f);
int cmd_export(context& c, const std::string& dir);
int cmd_import(context& c, const std::string& source, const std::string& where, bool replace, bool dry_run);
int cmd_correct(context& c, const std::string& task, const std::string& from,
                const std::string& until, bool active, bool dry_run);

}  // namespace zovcli
