#include "Table.h"

#include <algorithm>
#include <iomanip>

#include <zov/zovText.h>

namespace zovcli {

void write_table(std::ostream& out, const hours_table& given, bool csv, bool json)
{
    // A key whose time was all corrected away shows no "0.00" row; the
    // total still holds whatever it had.
    hours_table table = given;
    table.rows.erase(std::remove_if(table.rows.begin(), table.rows.end(),
                                    [&given](const auto& row) {
                                        return hours_value(row.second) == 0.0 && row.first != given.running;
                                    }),
                     table.rows.end());
    if (json) {
        nlohmann::json rows = nlohmann::json::array();
        for (const auto& row : table.rows)
            rows.push_back({{table.by, row.first}, {"hours", hours_value(row.second)}});
        const nlohmann::json j = {{"from", iso(table.span.lo)},
                                  {"until", iso(table.span.hi)},
                                  {"by", table.by},
                                  {"rows", rows},
                                  {"total", hours_value(table.total)}};
        out << json_line(j) << '\n';
        return;
    }
    if (csv) {
        out << table.by << ",hours\n";
        for (const auto& row : table.rows)
            out << csv_field(row.first) << ',' << hours_text(row.second) << "\n";
        return;
    }
    // Padded by display width, so that rows with non-ASCII names line up.
    std::size_t width = 5;  // "Total"
    for (const auto& row : table.rows)
        width = std::max(width, zov::display_width(row.first));
    for (const auto& row : table.rows)
        out << zov::pad_right(row.first, width) << "  " << std::right << std::setw(8) << hours_text(row.second)
            << '\n';
    // The rule sets the sum apart from a key that is itself named "Total".
    if (!table.rows.empty())
        out << std::string(width + 10, '-') << '\n';
    out << zov::pad_right("Total", width) << "  " << std::right << std::setw(8) << hours_text(table.total) << '\n';
}

}  // namespace zovcli
