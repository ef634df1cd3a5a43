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
