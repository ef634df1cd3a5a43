#include <zov/zovTimeline.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <zov/zovDays.h>
#include <zov/zovNetSessions.h>
#include <zov/zovTimeSheet.h>
#include <zov/zovWeekFigures.h>

const char* const zovTimeline::palette[zovTimeline::palette_size] = {
    "#e69f00",  // orange
    "#56b4e9",  // sky blue
    "#009e73",  // bluish green
    "#f0e442",  // yellow
    "#0072b2",  // blue
    "#d55e00",  // vermillion
    "#cc79a7",  // reddish purple
    "#000000",  // black
};
const char* const zovTimeline::grey = "#b0b0b0";

namespace {

// "08:00"; the row's end reads "24:00", not the next day's "00:00".
std::string clock_text(const vu_datetime& t, const zovTimeline::row& r)
{
    if (t == r.end)
        return "24:00";
    return t.to_format_string("%H:%M");
}

}  // namespace

zovTimeline::zovTimeline() = default;

zovTimeline::zovTimeline(const vu_datetime& first, int days)
{
    days = std::max(0, std::min(days, max_days));
    const vu_datetime day0 = first.date();
    for (int d = 0; d < days; ++d) {
        row r;
        r.begin = zov::midnight_after(day0, d);
        r.end = zov::midnight_after(day0, d + 1);
        r.hours = r.end.diff_hours(r.begin);
        r.label = r.begin.to_format_string("%a %d-%b");
        m_rows.push_back(r);
    }
    if (!m_rows.empty()) {
        m_lo = m_rows.front().begin;
        m_hi = m_rows.back().end;
    }
}

zovTimeline::~zovTimeline() = default;

zovTimeline zovTimeline::of_week(zovTimeSheet& sheet)
{
    const zovSinkWeek& week = sheet.hours();
    if (week.first().is_not_a_date_time())
        return zovTimeline();
    zovTimeline t(week.first(), 7);
    std::vector<zovSession> lines(week.begin(), week.end());
    // zovKernel::tsheet adds the running session last.
    if (!sheet.active_task().empty() && !lines.empty() && lines.back().task() == sheet.active_task()) {
        t.set_running(lines.back().task(), lines.back().tbeg(), lines.back().tend());
        lines.pop_back();
    }
    for (const zovSession& line : lines)
        t.add(line);
    t.compute();
    return t;
}

void zovTimeline::set_span(const vu_datetime& lo, const vu_datetime& hi)
{
    m_lo = lo;
    m_hi = hi;
}

void zovTimeline::add(const zovSession& line)
{
    m_lines.push_back(line);
}

void zovTimeline::set_running(const std::string& task, const vu_datetime& begin, const vu_datetime& now)
{
    m_running_task = task;
    m_running_end = now;
    m_lines.push_back(zovSession(task, begin, now));
}

void zovTimeline::compute()
{
    m_bars.clear();
    m_legend.clear();
    m_grey_tasks = 0;
    if (m_rows.empty() || !(m_lo < m_hi))
        return;

    // Each line's part within the span, with its sign.
    const zovSession span("%DUMMY", m_lo, m_hi);
    std::vector<zovSession> pieces;
    std::map<std::string, std::int64_t> seconds;
    for (const zovSession& line : m_lines) {
        zovSession piece;
        if (!line.intersection(span, piece))
            continue;
        pieces.push_back(piece);
        seconds[piece.task()] += piece.tend().to_time_t() - piece.tbeg().to_time_t();
    }

    // Bars: the net record, cut at every local midnight.
    std::vector<std::size_t> row_of;
    for (const zov::net_session& s : zov::net_sessions(pieces)) {
        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            const row& day = m_rows[r];
            const std::int64_t lo = std::max(s.begin, day.begin.to_time_t());
            const std::int64_t hi = std::min(s.end, day.end.to_time_t());
            if (lo >= hi)
                continue;
            bar b;
            b.row = static_cast<int>(r);
            b.task = s.task;
            b.begin.set_time_t(lo);
            b.end.set_time_t(hi);
            b.from = static_cast<double>(lo - day.begin.to_time_t()) / 3600.0;
            b.until = static_cast<double>(hi - day.begin.to_time_t()) / 3600.0;
            b.colour = -1;
            b.running = !m_running_task.empty() && s.task == m_running_task
                        && s.end == std::min(m_running_end, m_hi).to_time_t();
            m_bars.push_back(b);
        }
    }
    std::stable_sort(m_bars.begin(), m_bars.end(), [](const bar& x, const bar& y) {
        return x.row != y.row ? x.row < y.row : x.from < y.from;
    });

    // The legend: every task drawn or with a total that shows, the largest
    // total first, ties by name; colours go out in that order, so the same
    // week gets the same colours wherever it is drawn.
    std::map<std::string, bool> drawn;
    for (const bar& b : m_bars)
        drawn[b.task] = true;
    for (const auto& [task, secs] : seconds)
        if (drawn.count(task) || zovWeekFigures::shown(secs))
            m_legend.push_back({task, secs, -1, zovWeekFigures::text(secs)});
    std::sort(m_legend.begin(), m_legend.end(), [](const legend_entry& x, const legend_entry& y) {
        return x.seconds != y.seconds ? x.seconds > y.seconds : x.task < y.task;
    });
    std::map<std::string, int> colour;
    for (std::size_t i = 0; i < m_legend.size(); ++i) {
        if (i < palette_size)
            m_legend[i].colour = static_cast<int>(i);
        else
            ++m_grey_tasks;
        colour[m_legend[i].task] = m_legend[i].colour;
    }

    for (bar& b : m_bars) {
        b.colour = colour.count(b.task) ? colour[b.task] : -1;
        const row& day = m_rows[static_cast<std::size_t>(b.row)];
        b.text = b.task + ", " + day.label + " " + clock_text(b.begin, day) + "-" + clock_text(b.end, day)
                 + ", " + zovWeekFigures::text(b.end.to_time_t() - b.begin.to_time_t()) + " h"
                 + (b.running ? ", running" : "");
    }
}

double zovTimeline::hours_across() const
{
    double hours = 24.0;
    for (const row& r : m_rows)
        hours = std::max(hours, std::ceil(r.hours));
    return hours;
}

std::string zovTimeline::grey_note() const
{
    if (m_grey_tasks == 0)
        return std::string();
    return "Grey: the " + std::to_string(m_grey_tasks) + " smallest task" + (m_grey_tasks == 1 ? "" : "s");
}

const char* zovTimeline::colour_text(int colour)
{
    return colour >= 0 && colour < palette_size ? palette[colour] : grey;
}
