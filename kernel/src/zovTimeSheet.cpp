#include <zov/zovTimeSheet.h>

#include <cmath>

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

// Amounts below 0.1 h, zero and negative ones are not shown in the report.
bool shown(double hours)
{
    return std::trunc(hours * 10.0) >= 1.0;
}

std::string value(double hours)
{
    return right5(zov_detail::fixed(hours, 1));
}

std::size_t column(int i)
{
    return static_cast<std::size_t>(29 + 7 * i);
}

}  // namespace

zovTimeSheet::zovTimeSheet(int week, int year) : m_sink(week, year) {}

zovTimeSheet::~zovTimeSheet() = default;

double zovTimeSheet::compute_time_sheet()
{
    m_tasks.clear();
    double total = 0.0;
    for (const zovSession& s : m_sink) {
        const double h = s.hours();
        m_tasks[s.task()][s.tbeg().to_day_of_week2()] += h;
        total += h;
    }
    return total;
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

    double sums[8] = {};
    for (const auto& task : m_tasks) {
        bool any = false;
        for (const auto& day : task.second)
            any = any || shown(day.second);
        if (!any)
            continue;
        line = blank_line;
        if (task.first == m_active_task)
            put(line, 1, "-->" + task.first);
        else
            put(line, 4, task.first);
        double row = 0.0;
        for (const auto& day : task.second) {
            if (day.first < 0 || day.first > 6 || !shown(day.second))
                continue;
            row += day.second;
            sums[day.first] += day.second;
            sums[7] += day.second;
            put(line, column(day.first), value(day.second));
        }
        put(line, 77, ":" + value(row));
        out << line << std::endl;
    }
    out << rule_line << std::endl;

    line = blank_line;
    put(line, 4, "SUM");
    for (int i = 0; i < 8; ++i)
        if (shown(sums[i]))
            put(line, column(i), value(sums[i]));
    out << line << std::endl;
    out << rule_line << std::endl;
}
