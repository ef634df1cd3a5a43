#include "TimelineSvg.h"

#include <algorithm>
#include <cstdio>

#include <zov/zovTimeline.h>

namespace zovcli {

namespace {

// The page's proportions, in SVG user units (pixels).
constexpr double margin = 10;
constexpr double label_width = 90;
constexpr double per_hour = 30;
constexpr double header = 24;
constexpr double row_height = 22;
constexpr double bar_inset = 4;
constexpr double legend_gap = 24;
constexpr double legend_line = 18;
constexpr double legend_width = 200;

std::string num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string s = buffer;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

// Length of the UTF-8 sequence at text[i], 0 when it is not one.
std::size_t utf8_length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF)
        return 0;
    return n;
}

}  // namespace

std::string xml_text(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8_length(text, i);
        if (n == 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
            out += "\xEF\xBF\xBD";
            i += n == 0 ? 1 : n;
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out.append(text, i, n);
        }
        i += n;
    }
    return out;
}

void write_timeline_svg(std::ostream& out, const zovTimeline& t, const std::string& title)
{
    const double across = t.hours_across();
    const double left = margin + label_width;
    const double top = margin + header;
    const double rows = static_cast<double>(t.rows().size());
    const double legend_x = left + across * per_hour + legend_gap;
    const double legend_lines = static_cast<double>(t.legend().size()) + (t.grey_tasks() ? 1 : 0) + 1;
    const double width = legend_x + legend_width + margin;
    const double height = top + std::max(rows * row_height, legend_lines * legend_line) + margin;

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << num(width)
        << "\" height=\"" << num(height) << "\" viewBox=\"0 0 " << num(width) << ' ' << num(height)
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<title>" << xml_text(title) << "</title>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

    // Each day as long as it really is, behind the hourly grid.
    out << "<g fill=\"#f2f2f2\">\n";
    for (std::size_t r = 0; r < t.rows().size(); ++r)
        out << "<rect class=\"day\" x=\"" << num(left) << "\" y=\"" << num(top + r * row_height + 1)
            << "\" width=\"" << num(t.rows()[r].hours * per_hour) << "\" height=\"" << num(row_height - 2)
            << "\"/>\n";
    out << "</g>\n<g stroke=\"#d8d8d8\" stroke-width=\"1\">\n";
    for (int h = 0; h <= static_cast<int>(across); ++h)
        out << "<line class=\"hour\" x1=\"" << num(left + h * per_hour) << "\" y1=\"" << num(top)
            << "\" x2=\"" << num(left + h * per_hour) << "\" y2=\"" << num(top + rows * row_height) << "\"/>\n";
    out << "</g>\n<g fill=\"#333333\" text-anchor=\"middle\">\n";
    for (int h = 0; h <= static_cast<int>(across); h += 3)
        out << "<text x=\"" << num(left + h * per_hour) << "\" y=\"" << num(top - 8) << "\">" << h << "</text>\n";
    out << "</g>\n<g fill=\"#333333\">\n";
    for (std::size_t r = 0; r < t.rows().size(); ++r)
        out << "<text x=\"" << num(margin) << "\" y=\"" << num(top + r * row_height + row_height - 7) << "\">"
            << xml_text(t.rows()[r].label) << "</text>\n";
    out << "</g>\n<g>\n";
    for (const zovTimeline::bar& b : t.bars())
        out << "<rect class=\"bar\" x=\"" << num(left + b.from * per_hour) << "\" y=\""
            << num(top + b.row * row_height + bar_inset) << "\" width=\"" << num((b.until - b.from) * per_hour)
            << "\" height=\"" << num(row_height - 2 * bar_inset) << "\" fill=\"" << zovTimeline::colour_text(b.colour)
            << "\"><title>" << xml_text(b.text) << "</title></rect>\n";
    out << "</g>\n<g fill=\"#333333\">\n";
    double y = top;
    for (const zovTimeline::legend_entry& e : t.legend()) {
        out << "<rect class=\"swatch\" x=\"" << num(legend_x) << "\" y=\"" << num(y + 3) << "\" width=\"12\" height=\"12\" fill=\""
            << zovTimeline::colour_text(e.colour) << "\"/>\n"
            << "<text x=\"" << num(legend_x + 18) << "\" y=\"" << num(y + 13) << "\">" << xml_text(e.task) << "</text>\n"
            << "<text x=\"" << num(legend_x + legend_width) << "\" y=\"" << num(y + 13) << "\" text-anchor=\"end\">"
            << e.hours << "</text>\n";
        y += legend_line;
    }
    if (t.grey_tasks())
        out << "<text x=\"" << num(legend_x) << "\" y=\"" << num(y + 13) << "\">" << xml_text(t.grey_note())
            << "</text>\n";
    out << "</g>\n</svg>\n";
}

}  // namespace zovcli
