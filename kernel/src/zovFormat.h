#pragma once
// Number texts of the task files and reports. They never follow the process
// locale: a German desktop must still write "1.50".

#include <string>

namespace zov_detail {

// Fixed-point text with the given number of decimals (0 to 6), "." as the
// decimal point and a leading "-" for negative values.
std::string fixed(double value, int decimals);

}  // namespace zov_detail
