// report, sessions, correct: any range of the past, and its correction.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include <zov/zovDays.h>
#include <zov/zovKernel.h>
#include <zov/zovNetSessions.h>
#include <zov/zovTimeText.h>
#include <zov/zovTimeline.h>

#include "Args.h"
#include "Commands.h"
#include "Ics.h"
#include "Output.h"
#include "Table.h"
#include "TimelineSvg.h"

namespace zovcli {

namespace {

// The key of the day, ISO week or month that begins at `day` (a local midnight).
std::string bucket_key(const vu_datetime& day, const std::string& by)
{
    if (by == "day")
        return day.to_format_string("%Y-%m-%d");
    if (by == "month")
        return day.to_format_string("%Y-%m");
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-W%02d", day.to_year_number(), day.to_week_number());
    return buffer;
}

// Adds the piece's hours to the calendar days it covers, with its sign.
void add_by_day(const zovSession& piece, const std::string& by, std::map<std::string, double>& sums)
{
    const vu_datetime lo = min(piece.tbeg(), piece.tend());
    const vu_datetime hi = max(piece.tbeg(), piece.tend());
    const double sign = piece.hours() < 0.0 ? -1.0 : 1.0;
    for (vu_datetime day = lo.date(); day < hi;) {
        const vu_datetime next = zov::midnight_after(day, 1);
        const double part = min(hi, next).diff_hours(max(lo, day));
        if (part > 0.0)
            sums[bucket_key(day, by)] += sign * part;
        day = next;
    }
}

// The range as a picture: a row for each day it touches.
int report_svg(context& c, const range& span)
{
    int days = 0;
    for (vu_datetime day = span.lo.date(); day < span.hi && days <= zovTimeline::max_days; ++days)
        day = zov::midnight_after(day, 1);
    if (days > zovTimeline::max_days)
        return c.fail(usage, "the picture shows at most " + std::to_string(zovTimeline::max_days)
                                 + " days: " + iso(span.lo) + " to " + iso(span.hi));
    // State and log of one moment, after a due daily log-out.
    const zovSnapshot snap = c.kernel.snapshot(span.lo, span.hi);
    if (!snap.read_ok)
        return c.read_failed();
    zovTimeline timeline(span.lo, std::max(days, 1));
    timeline.set_span(span.lo, span.hi);
    for (const zovSession& piece : snap.hours)
        timeline.add(piece);
    if (snap.current.active() && snap.current.time() < snap.now)
        timeline.set_running(snap.current.task(), snap.current.time(), snap.now);
    timeline.compute();
    std::ostringstream text;
    write_timeline_svg(text, timeline, "ZOV - " + iso(span.lo) + " to " + iso(span.hi));
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace

int cmd_report(context& c, const std::string& from, const std::string& until, const std::string& by,
               format f)
{
    hours_table table;
    table.by = by;
    if (const int rc = read_range(c, from, until, table.span))
        return rc;
    if (f == format::svg)
        return report_svg(c, table.span);
    // State and log of one moment, after a due daily log-out.
    zovSnapshot snap = c.kernel.snapshot(table.span.lo, table.span.hi);
    if (!snap.read_ok)
        return c.read_failed();
    const zovCurrent& current = snap.current;
    zovSinkHours& pieces = snap.hours;
    // The running session counts up to now, as in the week sheet; a clock set
    // back below its begin counts nothing.
    zovSession running;
    if (current.active() && current.time() < c.now
        && zovSession(current.task(), current.time(), c.now)
               .intersection(zovSession("%DUMMY", table.span.lo, table.span.hi), running))
        pieces.push_back(running);
    if (current.active() && by == "task" && current.time() < table.span.hi && table.span.lo < c.now)
        table.running = current.task();
    std::map<std::string, double> sums;
    for (const zovSession& piece : pieces) {
        if (by == "task")
            sums[piece.task()] += piece.hours();
        else
            add_by_day(piece, by, sums);
        table.total += piece.hours();
    }
    table.rows.assign(sums.begin(), sums.end());
    std::ostringstream text;
    write_table(text, table, f == format::csv, f == format::json);
    c.out << text.str() << std::flush;
    return ok;
}

int cmd_sessions(context& c, const std::string& from, const std::string& until, format f)
{
    range r;
    if (const int rc = read_range(c, from, until, r))
        return rc;
    const zovSnapshot snap = c.kernel.snapshot(r.lo, r.hi);
    if (!snap.read_ok)
        return c.read_failed();
    const std::vector<zov::net_session> sessions =
        zov::net_sessions(std::vector<zovSession>(snap.hours.begin(), snap.hours.end()));
    if (f == format::ics) {
        c.out << ics_calendar(sessions) << std::flush;
        return ok;
    }
    std::ostringstream text;
    nlohmann::json list = nlohmann::json::array();
    if (f == format::csv)
        text << "task,begin,end,hours\n";
    for (const zov::net_session& s : sessions) {
        vu_datetime b, e;
        b.set_time_t(s.begin);
        e.set_time_t(s.end);
        const double hours = e.diff_hours(b);
        if (f == format::json)
            list.push_back({{"task", s.task}, {"begin", iso(b)}, {"end", iso(e)}, {"hours", hours_value(hours)}});
        else if (f == format::csv)
            text << csv_field(s.task) << ',' << iso(b) << ',' << iso(e) << ',' << hours_text(hours) << '\n';
        else
            text << iso(b) << "  " << iso(e) << "  " << hours_text(hours) << "  " << s.task << '\n';
    }
    if (f == format::json)
        text << json_line({{"from", iso(r.lo)}, {"until", iso(r.hi)}, {"sessions", list}}) << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

int cmd_correct(context& c, const std::string& typed, const std::string& from,
                const std::string& until, bool active, bool dry_run)
{
    const std::string task = trimmed(typed);
    if (!zovKernel::is_valid_task_name(task))
        return c.fail(refused, zov::bad_name_message(task));
    range r;
    if (const int status = read_range(c, from, until, r))
        return status;
    const zovSession session(task, r.lo, r.hi);
    // --active: the task runs on from UNTIL, as the correction dialog's
    // "Active" has it.
    zovSinkHours written;
    // A dry run is the same call, which then writes nothing.
    if (!c.kernel.correct(session, active, written, dry_run))
        return c.change_failed();
    std::ostringstream text;
    for (const zovSession& line : written)
        text << line.to_file_string() << '\n';
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
