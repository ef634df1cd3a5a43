#pragma once
// A timeline as a standalone SVG 1.1 document: the rows, bars, colours and
// legend the window's "Timeline" page draws, each bar titled with its tooltip.

#include <ostream>
#include <string>

class zovTimeline;

namespace zovcli {

void write_timeline_svg(std::ostream& out, const zovTimeline& timeline, const std::string& title);

// Text for XML character data and attributes: markup characters escaped,
// bytes that are not UTF-8 (and control characters XML forbids) as U+FFFD.
std::string xml_text(const std::string& text);

}  // namespace zovcli
