#include "zovCli.h"

#include <cerrno>
#include <cstring>
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
    bool dry_run = false;
    std::string task;
    std::string from;
    std::string until;
    std::string by = "task";
    std::vector<std::string> when;
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

    CLI::App* login = app.add_subcommand("login", "begin recording, with TASK or the remembered task");
    login->add_option("TASK", o.task, "task name");
    CLI::App* next = app.add_subcommand("next", "switch to TASK (remembered when not recording)");
    next->add_option("TASK", o.task, "task name")->required();
    CLI::App* logout = app.add_subcommand("logout", "stop recording");

    CLI::App* today = app.add_subcommand("today", "today's hours per task");
    add_formats(today, o, false);
    CLI::App* week = app.add_subcommand("week", "the weekly time sheet [YEAR WEEK | DATE]");
    week->add_option("WHEN", o.when, "YEAR WEEK, or a date in the week (default: this week)")
        ->expected(0, 2);
    add_formats(week, o, true);
    add_svg(week, o);

    CLI::App* report = app.add_subcommand("report", "net hours from FROM until UNTIL");
    report->add_option("FROM", o.from, "begin: 2026-12-01, 2026-12-01T08:00[+01:00] or 08:00")->required();
    report->add_option("UNTIL", o.until, "end; a date alone means the end of that day")->required();
    report->add_option("--by", o.by, "group by task, day, week or month")
        ->check(CLI::IsMember({"task", "day", "week", "month"}));
    add_formats(report, o, false);
    add_svg(report, o);

    CLI::App* sessions = app.add_subcommand("sessions", "the net recorded sessions from FROM until UNTIL");
    sessions->add_option("FROM", o.from, "begin")->required();
    sessions->add_option("UNTIL", o.until, "end; a date alone means the end of that day")->required();
    add_formats(sessions, o, false);

    CLI::App* correct = app.add_subcommand("correct", "enter TASK from FROM until UNTIL, cancelling what it overlaps");
    correct->add_option("TASK", o.task, "task name")->required();
    correct->add_option("FROM", o.from, "begin")->required();
    correct->add_option("UNTIL", o.until, "end; a date alone means the end of that day")->required();
    correct->add_flag("--dry-run", o.dry_run, "print the lines without writing them");

    CLI::App* tasks = app.add_subcommand("tasks", "the recent tasks, newest first");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? ok : usage;
    }

    std::string dir = o.data;
    if (dir.empty()) {
        dir = zov::data_dir();
        if (dir.empty()) {
            err << "zov: no home folder: HOME is not an absolute path and the password database "
                   "has no entry for this user\n";
            return refused;
        }
    }
    if (dir.back() != '/')
        dir += '/';
    // A command that only reads creates, renames and writes nothing.
    const bool changes = app.got_subcommand(login) || app.got_subcommand(next) || app.got_subcommand(logout)
                         || app.got_subcommand(correct);
    if (changes && !zov::make_dirs(dir)) {
        err << "zov: cannot create the data folder " << dir << ": " << std::strerror(errno) << '\n';
        return refused;
    }

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
        return cmd_login(c, o.task);
    if (app.got_subcommand(next))
        return cmd_next(c, o.task);
    if (app.got_subcommand(logout))
        return cmd_logout(c);
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
    if (app.got_subcommand(correct))
        return cmd_correct(c, o.task, o.from, o.until, o.dry_run);
    return cmd_status(c, f);
}

}  // namespace zovcli
