#pragma once
// The picture of a span of days, worked out once for every view that draws
// it (the window's "Timeline" page, the SVG of the command line): one row a
// day, a bar for each piece of net recorded work, each task's colour, and a
// legend with the span's totals.

#include <cstdint>
#include <string>
#include <vector>

#include <vu_utils/vu_datetime.h>
#include <zov/zovSession.h>

class zovTimeSheet;

class zovTimeline
{
public:
    // Okabe-Ito's eight colours, told apart with any colour vision, in the
    // order tasks receive them; tasks beyond eight share `grey`.
    static constexpr int palette_size = 8;
    static const char* const palette[palette_size];
    static const char* const grey;
    static constexpr int max_days = 62;

    struct row
    {
        vu_datetime begin;  // local midnight
        vu_datetime end;    // the next local midnight
        double hours;       // its real length: 23 or 25 on a clock change day
        std::string label;  // "Mon 07-Dec"
    };

    struct bar
    {
        int row;
        std::string task;
        vu_datetime begin;
        vu_datetime end;
        double from;   // hours after the row's midnight
        double until;
        int colour;    // index into palette, -1 for grey
        bool running;  // the session that is running now
        std::string text;  // "Alpha, Mon 07-Dec 08:00-12:30, 4.5 h"
    };

    struct legend_entry
    {
        std::string task;
        std::int64_t seconds;  // net recorded time within the span
        int colour;            // as for bars
        std::string hours;     // the total as the time sheet shows it
    };

    zovTimeline();
    // `days` rows (1 to max_days) from the local date of `first` on.
    zovTimeline(const vu_datetime& first, int days);
    zovTimeline(const zovTimeline&) = default;
    zovTimeline& operator=(const zovTimeline&) = default;
    virtual ~zovTimeline();

    // The picture of a filled time sheet's week (the running session is the
    // one zovKernel::tsheet added), with the sheet's totals.
    static zovTimeline of_week(zovTimeSheet& sheet);

    // Only time within [lo, hi) is drawn and counted; by default the rows'.
    void set_span(const vu_datetime& lo, const vu_datetime& hi);
    // A recorded or cancelling line, whole or clipped.
    void add(const zovSession& line);
    // The running session, from its begin up to now.
    void set_running(const std::string& task, const vu_datetime& begin, const vu_datetime& now);
    // Works out bars, colours and legend from what was added.
    void compute();

    const std::vector<row>& rows() const { return m_rows; }
    const std::vector<bar>& bars() const { return m_bars; }
    const std::vector<legend_entry>& legend() const { return m_legend; }
    // The hours across the picture: the longest row, at least 24.
    double hours_across() const;
    // How many tasks share the grey, and the legend's line that says so
    // (empty when none does).
    int grey_tasks() const { return m_grey_tasks; }
    std::string grey_note() const;
    // "#e69f00" for a bar's or legend entry's colour.
    static const char* colour_text(int colour);

private:
    std::vector<row> m_rows;
    vu_datetime m_lo;
    vu_datetime m_hi;
    std::vector<zovSession> m_lines;
    std::string m_running_task;
    vu_datetime m_running_end;
    std::vector<bar> m_bars;
    std::vector<legend_entry> m_legend;
    int m_grey_tasks = 0;
};
