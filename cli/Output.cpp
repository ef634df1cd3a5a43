#include "Output.h"

#include <cmath>
#include <cstdio>

namespace zovcli {

std::string hours_text(double hours, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, hours);
    return buffer;
}

double hours_value(double hours)
{
    const double rounded = std::round(hours * 100.0) / 100.0;
    return rounded == 0.0 ? 0.0 : rounded;  // no "-0" in the output
}

std::string iso(const vu_datetime& t)
{
    return t.to_readable_datetime_string();
}

std::string csv_field(const std::string& text)
{
    // A cell that a spreadsheet would take for a formula is kept text by a
    // leading apostrophe, as OWASP's advice on CSV injection has it.
    const bool formula = !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos;
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = formula ? "\"'" : "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string trimmed(const std::string& name)
{
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = name.find_last_not_of(" \t");
    return name.substr(first, last - first + 1);
}

std::string json_line(const nlohmann::json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace zovcli
