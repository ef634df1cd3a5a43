#include <zov/zovWeekFigures.h>

namespace {

// Tenths of an hour, rounded half away from zero (360 s a tenth).
std::int64_t tenths(std::int64_t seconds)
{
    const std::int64_t magnitude = seconds < 0 ? -seconds : seconds;
    return (magnitude + 180) / 360;
}

}  // namespace

zovWeekFigures::~zovWeekFigures() = default;

bool zovWeekFigures::shown(std::int64_t seconds)
{
    return tenths(seconds) >= 1;
}

std::string zovWeekFigures::text(std::int64_t seconds)
{
    const std::int64_t t = tenths(seconds);
    std::string out = seconds < 0 && t > 0 ? "-" : "";
    out += std::to_string(t / 10) + "." + std::to_string(t % 10);
    return out;
}

std::string zovWeekFigures::shown_text(const cell& c)
{
    return c.present && shown(c.seconds) ? text(c.seconds) : std::string();
}

std::vector<zovWeekFigures::grid_row> zovWeekFigures::grid() const
{
    std::vector<grid_row> out;
    for (const row& r : rows) {
        grid_row g;
        g.label = r.task;
        for (int day = 0; day < 7; ++day) {
            g.cells[day] = shown_text(r.days[day]);
            g.values[day] = r.days[day];
        }
        // A shown row always has its sum written, zero included.
        g.cells[7] = text(r.sum.seconds);
        g.values[7] = r.sum;
        out.push_back(g);
    }
    const std::string all = shown_text(total);
    if (out.empty() && all.empty())
        return out;
    grid_row sums;
    sums.label = "Total";
    for (int day = 0; day < 7; ++day) {
        sums.cells[day] = shown_text(days[day]);
        sums.values[day] = days[day];
    }
    sums.cells[7] = all;
    sums.values[7] = total;
    out.push_back(sums);
    return out;
}
