// today and week: the day's hours per task and the weekly time sheet.
#include <map>
#include <sstream>

#include <zov/zovDays.h>
#include <zov/zovKernel.h>
#include <zov/zovTimeSheet.h>
#include <zov/zovTimeText.h>
#include <zov/zovTimeline.h>

#include "Args.h"
#include "Commands.h"
#include "Output.h"
#include "Table.h"
#include "TimelineSvg.h"
#include "WeekCells.h"

namespace zovcli {

namespace {

bool to_int(const std::string& text, long lo, long hi, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    long v = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        v = v * 10 + (ch - '0');
    }
    if (v < lo || v > hi)
        return false;
    value = static_cast<int>(v);
    return true;
}

void write_week_csv(std::ostream& out, const std::vector<week_row>& rows)
{
    out << "task,Mon,Tue,Wed,Thu,Fri,Sat,Sun,total\n";
    for (const week_row& row : rows) {
        // The sums' row has no task: a task named "Total" stays a task.
        out << (&row == &rows.back() ? std::string() : csv_field(row.label));
        for (int col = 0; col < 8; ++col) {
            out << ',';
            if (row.values[col].present)
                out << hours_text(row.values[col].hours());
        }
        out << '\n';
    }
}

void write_week_json(std::ostream& out, zovTimeSheet& sheet, const std::vector<week_row>& rows)
{
    const vu_datetime monday = vu_datetime::year_week_monday(sheet.hours().year(), sheet.hours().week());
    nlohmann::json tasks = nlohmann::json::array();
    nlohmann::json sums = nlohmann::json::array();
    for (int col = 0; col < 7; ++col)
        sums.push_back(nullptr);  // an empty week has its seven days too
    double total = 0.0;
    for (const week_row& row : rows) {
        nlohmann::json days = nlohmann::json::array();
        for (int col = 0; col < 7; ++col)
            days.push_back(row.values[col].present ? nlohmann::json(hours_value(row.values[col].hours()))
                                                   : nlohmann::json());
        if (&row == &rows.back()) {
            sums = days;
            total = row.values[7].hours();
        } else {
            tasks.push_back({{"task", row.label}, {"days", days}, {"total", hours_value(row.values[7].hours())}});
        }
    }
    const std::string active = sheet.active_task();
    const nlohmann::json j = {{"year", sheet.hours().year()},
                              {"week", sheet.hours().week()},
                              {"monday", monday.to_format_string("%Y-%m-%d")},
                              {"active_task", active.empty() ? nlohmann::json() : nlohmann::json(active)},
                              {"tasks", tasks},
                              {"days", sums},
                              {"total", hours_value(total)}};
    out << json_line(j) << '\n';
}

}  // namespace

int cmd_today(context& c, format f)
{
    const zov::day_range today = zov::today_range(c.now);
    // State and log of one moment, after a due daily log-out.
    const zovSnapshot snap = c.kernel.snapshot(today.lo, today.hi);
    if (!snap.read_ok)
        return c.read_failed();
    const zovCurrent& current = snap.current;
    const zovSinkHours& pieces = snap.hours;
    hours_table table;
    table.by = "task";
    table.span = {today.lo, today.hi};
    if (current.active())
        table.running = current.task();
    // Rows and total from one computation: the running session with its part of today.
    const zov::day_total total = zov::today_total(pieces, current, c.now);
    table.total = total.hours;
    table.rows.assign(total.tasks.begin(), total.tasks.end());
    std::ostringstream text;
    write_table(text, table, f == format::csv, f == format::json);
    c.out << text.str() << std::flush;
    return ok;
}

int cmd_week(context& c, const std::vector<std::string>& when, format f)
{
    int week = c.now.to_week_number();
    int year = c.now.to_year_number();
    if (when.size() == 1) {
        vu_datetime t;
        if (const int rc = read_instant(c, "DATE", when[0], t))
            return rc;
        week = t.to_week_number();
        year = t.to_year_number();
    } else if (when.size() == 2) {
        if (!to_int(when[0], 1, 9999, year))
            return c.fail(refused, "YEAR \"" + when[0] + "\" is not a year (use YEAR WEEK, e.g. 2026 50)");
        if (!to_int(when[1], 1, 53, week))
            return c.fail(refused, "WEEK \"" + when[1] + "\" is not a week: weeks run from 1 to 52 or 53");
        const vu_datetime monday = vu_datetime::year_week_monday(year, week);
        if (monday.to_week_number() != week || monday.to_year_number() != year)
            return c.fail(refused, "WEEK " + when[1] + ": the year " + when[0] + " has no week " + when[1]);
    }
    zovTimeSheet sheet(week, year);
    c.kernel.tsheet(sheet);
    if (!c.kernel.read_ok())
        return c.read_failed();
    std::ostringstream text;
    if (f == format::text) {
        sheet.show_time_sheet(text);
    } else if (f == format::svg) {
        write_timeline_svg(text, zovTimeline::of_week(sheet),
                           "ZOV - week " + std::to_string(week) + ", " + std::to_string(year));
    } else {
        const std::vector<week_row> rows = sheet.figures().grid();
        if (f == format::tsv) {
            const std::string tsv = week_tsv(rows);
            text << tsv;
            if (!tsv.empty())
                text << '\n';
        } else if (f == format::csv) {
            write_week_csv(text, rows);
        } else {
            write_week_json(text, sheet, rows);
        }
    }
    c.out << text.str() << std::flush;
    return ok;
}

}  // namespace zovcli
