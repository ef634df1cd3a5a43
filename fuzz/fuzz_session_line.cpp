// The session line reader of HOURS.TSK. Any line gives a session or none,
// without a crash; a session that was read survives being written and read
// back (a correction writes recorded pieces again, and a piece that no longer
// parsed would drop out of every sum); the consumers of the queries keep what
// belongs to them and nothing else.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include <zovkernel.h>

#include "fuzz_support.h"

using zovfuzz::fail;

namespace {

vu_datetime from_time_t(std::int64_t t)
{
    vu_datetime v;
    v.set_time_t(t);
    return v;
}

void expect_reads_back(const zovSession& s, const std::string& line, const char* what)
{
    const std::string written = s.to_file_string();
    const zovSession back(written);
    if (!back.is_valid() || back.task() != s.task() || back.tbeg() != s.tbeg() || back.tend() != s.tend())
        fail(what, line + "  ->  " + written);
}

void check_range(const zovSession& s, const std::string& line, const vu_datetime& lo, const vu_datetime& hi)
{
    zovSinkHours sink(lo, hi);
    if (!sink(line))
        fail("range consumer stopped the reading", line);
    for (const zovSession& piece : sink) {
        if (!s.is_valid())
            fail("piece from a line that does not parse", line);
        if (piece.task() != s.task())
            fail("piece under another name", line);
        if (min(piece.tbeg(), piece.tend()) < min(lo, hi) || max(lo, hi) < max(piece.tbeg(), piece.tend()))
            fail("piece outside the range", line + "  ->  " + piece.to_file_string());
        if (!(std::fabs(piece.hours()) > 0) || (piece.hours() > 0) != (s.hours() > 0))
            fail("piece of no length or of the other orientation", line + "  ->  " + piece.to_file_string());
        expect_reads_back(piece, line, "piece does not read back");
    }
}

void check_line(const std::string& line)
{
    const zovSession s(line);
    zovSession p;
    const bool parsed = p.from_file_string(line.data(), line.size());
    if (parsed != s.is_valid())
        fail("the two readers disagree", line);
    if (s.is_valid()) {
        if (s.task().find_first_of(" \t\r") != std::string::npos)
            fail("task name with a separator", line);
        expect_reads_back(s, line, "session line does not read back");
        zovSession reversed = s;
        expect_reads_back(reversed.reverse(), line, "reversed session line does not read back");
    }

    // A fixed day, and a range starting at the line's own begin.
    check_range(s, line, from_time_t(1363132800), from_time_t(1363219200));
    if (s.is_valid())
        check_range(s, line, from_time_t(s.tbeg().to_time_t() + 1800), s.tbeg());

    // The week of its begin collects it whole.
    zovSinkWeek week(s.tbeg().to_week_number(), s.tbeg().to_year_number());
    week(line);
    std::size_t n = 0;
    for (const zovSession& w : week) {
        ++n;
        if (w.task() != s.task() || w.tbeg() != s.tbeg() || w.tend() != s.tend())
            fail("week consumer changed the session", line);
    }
    // Unless it only touches the week at its start: a reversed line whose
    // later end (its begin) is Monday 00:00 has no time inside that week.
    const bool touches_only = s.is_valid() && !week.first().is_not_a_date_time()
                              && !(week.first() < std::max(s.tbeg(), s.tend()));
    if (n != (s.is_valid() && !touches_only ? 1u : 0u))
        fail("week consumer missed or invented a session", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zovfuzz::pick_zone(data, size);
    // The file reader hands over one line at a time, without its line feed.
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        check_line(text.substr(start, lf == std::string::npos ? std::string::npos : lf - start));
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return 0;
}
