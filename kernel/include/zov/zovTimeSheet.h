#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include <zov/zovSinkWeek.h>
#include <zov/zovWeekFigures.h>

// Hours per task per weekday of one ISO week, and its fixed-width report.
class zovTimeSheet
{
public:
    using day_map = std::map<int, double>;  // Monday 0 ... Sunday 6 -> hours
    using task_map = std::map<std::string, day_map>;
    using iterator = task_map::iterator;

    zovTimeSheet(int week, int year);
    zovTimeSheet(const zovTimeSheet&) = default;
    zovTimeSheet& operator=(const zovTimeSheet&) = default;
    virtual ~zovTimeSheet();

    zovSinkWeek& hours() { return m_sink; }
    // Rebuilds the table from the sessions: each session's part within the
    // week, split at local midnights, counts on its own day (a cancelling
    // line thus always on the day of what it cancels). Returns the total
    // hours.
    double compute_time_sheet();
    // The figures every view of the week shows, from the table.
    zovWeekFigures figures() const;
    unsigned size_task() const { return static_cast<unsigned>(m_tasks.size()); }
    iterator begin() { return m_tasks.begin(); }
    iterator end() { return m_tasks.end(); }
    std::string active_task() const { return m_active_task; }
    void set_active_task(const std::string& task) { m_active_task = task; }
    void show_time_sheet(std::ostream& out);

private:
    zovSinkWeek m_sink;
    task_map m_tasks;
    std::map<std::string, std::map<int, std::int64_t>> m_seconds;  // the table in whole seconds
    std::string m_active_task;
};
