#include "zovFormat.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace zov_detail {

std::string fixed(double value, int decimals)
{
    static const double scale[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    if (decimals < 0)
        decimals = 0;
    if (decimals > 6)
        decimals = 6;
    if (!std::isfinite(value) || std::fabs(value) * scale[decimals] > 9e18)
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    const long long units = std::llround(value * scale[decimals]);
    const unsigned long long magnitude =
        units < 0 ? 0ULL - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
    const unsigned long long divisor = static_cast<unsigned long long>(scale[decimals]);
    char buf[48];
    if (decimals == 0)
        std::snprintf(buf, sizeof buf, "%s%llu", units < 0 ? "-" : "", magnitude);
    else
        std::snprintf(buf, sizeof buf, "%s%llu.%0*llu", units < 0 ? "-" : "", magnitude / divisor,
                      decimals, magnitude % divisor);
    return buf;
}

}  // namespace zov_detail
