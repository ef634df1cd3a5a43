#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The figures of one week as every view shows them (the window's grid, its
// clipboard text, the archived report, the command line): amounts are kept
// in whole seconds, summed exactly, and rounded once, for display.
class zovWeekFigures
{
public:
    // One amount: seconds, and whether there is any entry behind it.
    struct cell
    {
        bool present = false;
        std::int64_t seconds = 0;
        double hours() const { return static_cast<double>(seconds) / 3600.0; }
    };

    struct row
    {
        std::string task;
        bool active = false;  // the running session's task
        cell days[7];         // Monday ... Sunday
        cell sum;             // the row's exact sum
    };

    zovWeekFigures() = default;
    zovWeekFigures(const zovWeekFigures&) = default;
    zovWeekFigures& operator=(const zovWeekFigures&) = default;
    virtual ~zovWeekFigures();

    // The rows that show anything (a cell or the row sum rounds to 0.1 or
    // more either way), in task order.
    std::vector<row> rows;
    // Sums over every task, shown or not, so that they add up to the
    // recorded time: each weekday, and the week.
    cell days[7];
    cell total;

    // Whether an amount shows: it rounds to at least 0.1 hours (3 minutes),
    // either sign. Decided on whole seconds, so that no sum of small pieces
    // can slip under the boundary by rounding.
    static bool shown(std::int64_t seconds);
    // One decimal, rounded half away from zero, "-" for negative amounts:
    // 5400 s -> "1.5", -180 s -> "-0.1", 179 s -> "0.0".
    static std::string text(std::int64_t seconds);
    // The text when shown, else empty.
    static std::string shown_text(const cell& c);

    // The week as a grid shows it: one row per shown task, then a "Total"
    // row with the sums; no rows at all when nothing shows.
    struct grid_row
    {
        std::string label;     // task name, or "Total"
        std::string cells[8];  // Monday ... Sunday, then the sum: their texts
        cell values[8];        // the amounts behind them
    };
    std::vector<grid_row> grid() const;
};
