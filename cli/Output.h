#pragma once
// Texts shared by the sub-commands: numbers, times, CSV fields, JSON.

#include <string>

#include <nlohmann/json.hpp>

#include <vu_utils/vu_datetime.h>

namespace zovcli {

// Hours with two decimals, "." as the point whatever the locale.
std::string hours_text(double hours, int decimals = 2);
// Hours rounded to two decimals, as a JSON number.
double hours_value(double hours);
// "2026-12-10T08:00:00+01:00"
std::string iso(const vu_datetime& t);
// A CSV field, quoted when it holds a comma, a quote or a line end; one
// that begins with =, +, -, @, a tab or a carriage return gets a leading '.
std::string csv_field(const std::string& text);
// A typed task name without the blanks and tabs around it.
std::string trimmed(const std::string& name);
// Compact JSON on one line; bytes that are not UTF-8 become U+FFFD.
std::string json_line(const nlohmann::json& value);

struct range
{
    vu_datetime lo;
    vu_datetime hi;
};

}  // namespace zovcli
