#include <zov/zovTimeSheet.h>

#include <algorithm>
#include <vector>

#include <zov/zovText.h>

#include "zovFormat.h"

namespace {

constexpr std::size_t width = 83;
const std::string blank_line(width, ' ');
const std::string rule_line = std::string(4, ' ') + std::string(79, '-');

// Writes text over line from column col on, lengthening the line if needed.
void put(std::string& line, std::size_t col, const std::string& text)
{
    if (line.size() < col + text.size())
        line.resize(col + text.size(), ' ');
    line.replace(col, text.size(), text);
}

std::string right5(const std::string& text)
{
    return text.size() >= 5 ? text : std::string(5 - text.size(), ' ') + text;
}

std::string value(std::int64_t seconds)
{
    return right5(zovWeekFigures::text(seconds));
}

std::size_t column(int i)
{
    return static_cast<std::size_t>(29 + 7 * i);
}

// Task names take columns 4 to 27: column 28 stays blank, so that no figure
// ever continues a name, nor a name a figure.
constexpr std::size_t name_column = 4;
constexpr std::size_t name_columns = 24;

// The names as the report shows them: whole when they fit, else shortened
// with "…". Names that would then look the same are cut one place further
// and numbered in report order ("Infrastructure-Upgra…1", "…2"), so that two
// tasks never look the same.
std::vector<std::string> shown_names(const std::vector<std::string>& names)
{
    std::vector<std::string> shown;
    for (const std::string& name : names)
        shown.push_back(zov::shorten(name, name_columns));
    std::vector<std::string> result = shown;
    std::vector<std::string> used;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (std::count(shown.begin(), shown.end(), shown[i]) == 1)
            used.push_back(shown[i]);
    int n = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::count(shown.begin(), shown.end(), shown[i]) == 1)
            continue;
        std::string candidate;
        do {
            const std::string number = std::to_string(++n);
            candidate = zov::shorten(names[i], name_columns - number.size()) + number;
        } while (std::find(used.begin(), used.end(), candidate) != used.end());
        used.push_back(candidate);
        result[i] = candidate;
    }
    return result;
}

}  // namespace

zovTimeSheet::zovTimeSheet(int week, int year) : m_sink(week, year) {}

zovTimeSheet::~zovTimeSheet() = default;

double zovTimeSheet::compute_time_sheet()
{
    m_tasks.clear();
    m_seconds.clear();
    if (m_sink.first().is_not_a_date_time())
        return 0.0;
    // The first instant of each day of the week and of the next Monday.
    // Noon of the n-th day lies within that day whatever its length.
    std::int64_t start[8];
    for (int d = 0; d < 7; ++d) {
        vu_datetime noon;
        noon.set_time_t(m_sink.first().to_time_t() + d * 86400 + 43200);
        start[d] = noon.date().to_time_t();
    }
    start[7] = m_sink.next().to_time_t();

    std::int64_t total = 0;
    for (const zovSession& s : m_sink) {
        const std::int64_t a = s.tbeg().to_time_t();
        const std::int64_t b = s.tend().to_time_t();
        const std::int64_t sign = b < a ? -1 : 1;
        const std::int64_t lo = std::min(a, b);
        const std::int64_t hi = std::max(a, b);
        auto& days = m_seconds[s.task()];
        for (int d = 0; d < 7; ++d) {
            const std::int64_t from = std::max(lo, start[d]);
            const std::int64_t to = std::min(hi, start[d + 1]);
            if (from < to) {
                days[d] += sign * (to - from);
                total += sign * (to - from);
            } else if (lo == hi && lo >= start[d] && lo < start[d + 1]) {
                days[d];  // an entry without time, e.g. a session just begun
            }
        }
        if (days.empty())
            m_seconds.erase(s.task());
    }
    for (const auto& task : m_seconds)
        for (const auto& day : task.second)
            m_tasks[task.first][day.first] = static_cast<double>(day.second) / 3600.0;
    return static_cast<double>(total) / 3600.0;
}

zovWeekFigures zovTimeSheet::figures() const
{
    zovWeekFigures f;
    for (const auto& task : m_seconds) {
        zovWeekFigures::row r;
        r.task = task.first;
        r.active = task.first == m_active_task;
        bool any = false;
        for (const auto& day : task.second) {
            r.days[day.first] = {true, day.second};
            r.sum.present = true;
            r.sum.seconds += day.second;
            f.days[day.first].present = true;
            f.days[day.first].seconds += day.second;
            f.total.present = true;
            f.total.seconds += day.second;
            any = any || zovWeekFigures::shown(day.second);
        }
        if (any || zovWeekFigures::shown(r.sum.seconds))
            f.rows.push_back(r);
    }
    return f;
}

void zovTimeSheet::show_time_sheet(std::ostream& out)
{
    const int week = m_sink.week();
    const int year = m_sink.year();
    vu_datetime now;
    now.set_local_time();
    out << std::endl;
    out << "    ZOV - Zovaro" << std::endl;
    out << "    Timesheet week " << std::to_string(week) << ", " << std::to_string(year)
        << std::string(34, ' ') << "(" << now.to_format_string("%d-%b-%Y %H:%M:%S") << ")" << std::endl;

    const vu_datetime monday = vu_datetime::year_week_monday(year, week);
    vu_datetime friday;
    friday.set_jdn(monday.to_jdn() + 4);
    std::string line = rule_line;
    put(line, column(0), monday.to_format_string("%d-%b"));
    put(line, column(4), friday.to_format_string("%d-%b"));
    out << line << std::endl;

    static const char* const titles[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "SUM"};
    line = blank_line;
    put(line, 4, "Tasks");
    for (int i = 0; i < 8; ++i)
        put(line, column(i), right5(titles[i]));
    out << line << std::endl;
    out << rule_line << std::endl;

    // Every sum is the exact sum of what it covers, shown amounts or not,
    // rounded once: the report adds up to the recorded time.
    const zovWeekFigures f = figures();
    std::vector<std::string> names;
    for (const zovWeekFigures::row& r : f.rows)
        names.push_back(r.task);
    const std::vector<std::string> shown = shown_names(names);
    for (std::size_t k = 0; k < f.rows.size(); ++k) {
        const zovWeekFigures::row& r = f.rows[k];
        line = blank_line;
        if (r.active)
            put(line, 1, "-->");
        for (int i = 0; i < 7; ++i) {
            const std::string text = zovWeekFigures::shown_text(r.days[i]);
            if (!text.empty())
                put(line, column(i), right5(text));
        }
        put(line, 77, ":" + value(r.sum.seconds));
        // Last, padded by display width: the name's bytes may outnumber its
        // columns, and everything after it is plain ASCII.
        line.replace(name_column, name_columns, zov::pad_right(shown[k], name_columns));
        out << line << std::endl;
    }
    out << rule_line << std::endl;

    line = blank_line;
    put(line, 4, "SUM");
    for (int i = 0; i < 7; ++i) {
        const std::string text = zovWeekFigures::shown_text(f.days[i]);
        if (!text.empty())
            put(line, column(i), right5(text));
    }
    const std::string total = zovWeekFigures::shown_text(f.total);
    if (!total.empty())
        put(line, column(7), right5(total));
    out << line << std::endl;
    out << rule_line << std::endl;
}
