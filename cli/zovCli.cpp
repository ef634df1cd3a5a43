#include "zovCli.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <zov/zovDataDir.h>
#include <zov/zovDays.h>
#include <zov/zovKernel.h>
#include <zov/zovVersion.h>

#include "Commands.h"

namespace zovcli {

namespace {

struct options
{
    std::string data;
    bool json = false;
    bool csv = false;
    bool tsv = false;
    bool waybar = false;
    bool svg = false;
    bool ics = false;
    bool dry_run = false;
    std::string task;
    std::string from;
    std::string until;
    std::string by = "task";
    std::vector<std::string> when;
    std::string target;
    std::string at;
    bool active = false;
};

// The output form asked for; each sub-command offers only its own flags.
format chosen(const options& o)
{
    if (o.json)
        return format::json;
    if (o.csv)
        return format::csv;
    if (o.tsv)
        return format::tsv;
    if (o.waybar)
        return format::waybar;
    if (o.svg)
        return format::svg;
    if (o.ics)
        return format::ics;
    return format::text;
}

void add_formats(CLI::App* sub, options& o, bool tsv)
{
    CLI::Option* json = sub->add_flag("--json", o.json, "JSON for scripts");
    CLI::Option* csv = sub->add_flag("--csv", o.csv, "comma-separated values for a spreadsheet");
    csv->excludes(json);
    if (tsv) {
        CLI::Option* t = sub->add_flag("--tsv", o.tsv, "the time-sheet grid's clipboard text");
        t->excludes(json)->excludes(csv);
    }
}

// The picture instead of figures; the grouping of a report does not apply.
void add_svg(CLI::App* sub, options& o)
{
    CLI::Option* svg = sub->add_flag("--svg", o.svg, "the timeline picture as an SVG document");
    for (const char* other : {"--json", "--csv", "--tsv", "--by"})
        if (CLI::Option* opt = sub->get_option_no_throw(other))
            svg->excludes(opt);
}

// An empty folder that stands for one not made yet, removed at the end.
std::string empty_folder()
{
    std::error_code ec;
    std::string templ = (std::filesystem::temp_directory_path(ec) / "zov-empty-XXXXXX").string();
    if (ec || !::mkdtemp(&templ[0]))
        return std::string();
    return templ + "/";
}

struct scratch_guard
{
    std::string dir;
    ~scratch_guard()
    {
        std::error_code ec;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ec);
    }
};

}  // namespace

int context::fail(int status, const std::string& message) const
{
    err << "zov: " << message << '\n';
    return status;
}

int context::read_failed() const
{
    return fail(refused, "could not read " + kernel.dir() + "HOURS.TSK");
}

int context::change_failed() const
{
    if (kernel.last_error() == zovKernel::error::busy)
        return fail(refused, "another ZOV program is changing the records; try again");
    if (!kernel.message().empty())
        return fail(refused, kernel.message());
    return fail(refused, zov::write_failed_message(kernel.dir()));
}

int run(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    options o;
    CLI::App app("zov: record working time and report it, beside the tray program.", "zov");
    app.fallthrough();
    app.require_subcommand(0, 1);
    app.add_option("--data", o.data, "data folder (default: $XDG_DATA_HOME/Zovaro)");
    app.set_version_flag("--version", std::string("zov ") + zov::version_text(),
                         "print the version and exit");
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("zov: ") + e.what() + " (see zov --help)\n";
    });

    CLI::App* status = app.add_subcommand("status", "the state in one line (the default)");
    status->add_flag("--json", o.json, "JSON for scripts");
    status->add_flag("--waybar", o.waybar, "JSON for a waybar custom module")->excludes("--json");

    const char* at_help = "as of WHEN (9:00, \"10 min ago\", -1h...): not after now, not before the last change";
    CLI::App* login = app.add_subcommand("login", "begin recording, with TASK or the remembered task");
    login->add_option("TASK", o.task, "task name");
    login->add_option("--at", o.at, at_help);
    CLI::App* next = app.add_subcommand("next", "switch to TASK (remembered when not recording)");
    next->add_option("TASK", o.task, "task name")->required();
    next->add_option("--at", o.at, at_help);
    CLI::App* logout = app.add_subcommand("logout", "stop recording");
    logout->add_option("--at", o.at, at_help);

    CLI::App* today = app.add_subcommand("today", "today's hours per task");
    add_formats(today, o, false);
    CLI::App* week = app.add_subcommand("week", "the weekly time sheet [YEAR WEEK | DATE]");
    week->add_option("WHEN", o.when, "YEAR WEEK, or a day in the week: 2026-12-10, lastweek, monday, -7d (default: this week)")
        ->expected(0, 2);
    add_formats(week, o, true);
    add_svg(week, o);

    CLI::App* report = app.add_subcommand("report", "net hours from FROM until UNTIL");
    report->add_option("FROM", o.from, "begin: 2026-12-01, 2026-12-01T08:00[+01:00], 08:00, yesterday, -3d, "
                       "or a whole range: thisweek, lastmonth, ...")->required();
    report->add_option("UNTIL", o.until, "end; a day means the end of that day");
    report->add_option("--by", o.by, "group by task, day, week or month")
        ->check(CLI::IsMember({"task", "day", "week", "month"}));
    add_formats(report, o, false);
    add_svg(report, o);

    CLI::App* sessions = app.add_subcommand("sessions", "the net recorded sessions from FROM until UNTIL");
    sessions->add_option("FROM", o.from, "begin, or a whole day or range")->required();
    sessions->add_option("UNTIL", o.until, "end; a day means the end of that day");
    add_formats(sessions, o, false);
    sessions->add_flag("--ics", o.ics, "an iCalendar file (RFC 5545) for calendar programs")
        ->excludes("--json")
        ->excludes("--csv");

    CLI::App* export_ = app.add_subcommand("export", "write the records in another program's format");
    std::string export_format;
    export_->add_option("FORMAT", export_format, "timewarrior")->required()->check(CLI::IsMember({"timewarrior"}));
    export_->add_option("DIR", o.target, "the Timewarrior folder to write (its data/ files)")->required();

    CLI::App* correct = app.add_subcommand("correct", "enter TASK from FROM until UNTIL, cancelling what it overlaps");
    correct->add_option("TASK", o.task, "task name")->required();
    correct->add_option("FROM", o.from, "begin, or a whole day or range")->required();
    correct->add_option("UNTIL", o.until, "end; a day means the end of that day");
    correct->add_flag("--active", o.active, "keep TASK running from UNTIL on");
    correct->add_flag("--dry-run", o.dry_run, "print the lines without writing them");

    CLI::App* cancel = app.add_subcommand("cancel", "take the time from FROM until UNTIL out of the record");
    cancel->add_option("FROM", o.from, "begin, or a whole day or range")->required();
    cancel->add_option("UNTIL", o.until, "end; a day means the end of that day");
    cancel->add_flag("--dry-run", o.dry_run, "print the lines without writing them");

    CLI::App* undo = app.add_subcommand("undo", "take back the last change, made by any program");
    undo->add_flag("--dry-run", o.dry_run, "say what would be taken back");

    CLI::App* import = app.add_subcommand("import", "add the records of Timewarrior, Watson, GTimeLog, Toggl or Clockify");
    std::string import_source;
    bool replace = false;
    import->add_option("SOURCE", import_source, "timewarrior, watson, gtimelog or csv")
        ->required()
        ->check(CLI::IsMember({"timewarrior", "watson", "gtimelog", "csv"}));
    import->add_option("FROM", o.target, "the folder or file to read (default: where the program keeps it)");
    import->add_flag("--replace", replace, "correct in what overlaps recorded time, instead of leaving it out");
    import->add_flag("--dry-run", o.dry_run, "print what would be added, change nothing");

    CLI::App* tasks = app.add_subcommand("tasks", "the recent tasks, newest first");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? ok : usage;
    }

    // A command that only reads creates, renames and writes nothing. Only a
    // change makes the default folder (a dry run makes none); a question
    // about a folder that is not there yet answers from no records at all.
    const bool changes = app.got_subcommand(login) || app.got_subcommand(next) || app.got_subcommand(logout)
                         || app.got_subcommand(correct) || app.got_subcommand(import) || app.got_subcommand(cancel)
                         || app.got_subcommand(undo);
    const bool creates = changes && !o.dry_run;
    std::string dir = o.data;
    std::string scratch;
    if (!dir.empty()) {
        struct stat st;
        if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            err << "zov: no data folder " << dir << " (--data names a folder that exists)\n";
            return refused;
        }
    } else {
        dir = zov::data_dir();
        if (dir.empty()) {
            err << "zov: no home folder: HOME is not an absolute path and the password database "
                   "has no entry for this user\n";
            return refused;
        }
    }
    if (dir.back() != '/')
        dir += '/';
    if (o.data.empty() && !creates && ::access(dir.c_str(), F_OK) != 0 && errno == ENOENT) {
        scratch = empty_folder();
        if (scratch.empty()) {
            err << "zov: cannot make a temporary folder: " << std::strerror(errno) << '\n';
            return refused;
        }
        dir = scratch;
    } else if (changes && !zov::make_dirs(dir)) {
        err << "zov: cannot create the data folder " << dir << ": " << std::strerror(errno) << '\n';
        return refused;
    }
    const scratch_guard remove_scratch{scratch};

    zovKernel kernel(dir, changes ? zovKernel::access::change : zovKernel::access::read_only);
    // A state that cannot be read is never guessed at, nor reset unnoticed.
    if (!kernel.kept_aside().empty()) {
        err << "zov: " << zov::state_kept_aside_message(dir, kernel.kept_aside()) << '\n';
        return refused;
    }
    if (!changes && !kernel.state_readable()) {
        err << "zov: " << zov::state_unreadable_message(dir) << '\n';
        return refused;
    }
    context c{out, err, kernel, {}};
    c.now.set_local_time();
    const format f = chosen(o);

    if (app.got_subcommand(login))
        return cmd_login(c, o.task, o.at);
    if (app.got_subcommand(next))
        return cmd_next(c, o.task, o.at);
    if (app.got_subcommand(logout))
        return cmd_logout(c, o.at);
    if (app.got_subcommand(cancel))
        return cmd_cancel(c, o.from, o.until, o.dry_run);
    if (app.got_subcommand(undo))
        return cmd_undo(c, o.dry_run);
    if (app.got_subcommand(tasks))
        return cmd_tasks(c);
    if (app.got_subcommand(today))
        return cmd_today(c, f);
    if (app.got_subcommand(week))
        return cmd_week(c, o.when, f);
    if (app.got_subcommand(report))
        return cmd_report(c, o.from, o.until, o.by, f);
    if (app.got_subcommand(sessions))
        return cmd_sessions(c, o.from, o.until, f);
    if (app.got_subcommand(import))
        return cmd_import(c, import_source, o.target, replace, o.dry_run);
    if (app.got_subcommand(export_))
        return cmd_export(c, o.target);
    if (app.got_subcommand(correct))
        return cmd_correct(c, o.task, o.from, o.until, o.active, o.dry_run);
    return cmd_status(c, f);
}

}  // namespace zovcli
