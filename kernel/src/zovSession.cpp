#include <zov/zovSession.h>

#include <cstdint>
#include <cstring>

#include "zovFormat.h"

namespace {

// Blank, tab and carriage return separate the fields of a line.
struct separator_table
{
    bool is[256] = {};
    constexpr separator_table() : is()
    {
        is[static_cast<unsigned char>(' ')] = true;
        is[static_cast<unsigned char>('\t')] = true;
        is[static_cast<unsigned char>('\r')] = true;
    }
};
constexpr separator_table separators;

inline bool is_separator(char c)
{
    return separators.is[static_cast<unsigned char>(c)];
}

// The first separator in [p, end), or end. Reading HOURS.TSK spends most of
// its time here, so eight bytes are tested at a time.
const char* find_separator(const char* p, const char* end)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    while (end - p >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        const std::uint64_t b = v ^ (ones * ' ');
        const std::uint64_t t = v ^ (ones * '\t');
        const std::uint64_t r = v ^ (ones * '\r');
        // The lowest flagged byte is a true match; higher ones may not be.
        const std::uint64_t hit = (((b - ones) & ~b) | ((t - ones) & ~t) | ((r - ones) & ~r)) & highs;
        if (hit)
            return p + __builtin_ctzll(hit) / 8;
        p += 8;
    }
    while (p != end && !is_separator(*p))
        ++p;
    return p;
}

}  // namespace

zovSession::zovSession() = default;

zovSession::zovSession(const std::string& task, const vu_datetime& tbeg, const vu_datetime& tend)
    : m_task(task), m_tbeg(tbeg), m_tend(tend)
{
}

zovSession::zovSession(const std::string& line)
{
    from_file_string(line);
}

zovSession::~zovSession() = default;

double zovSession::hours() const
{
    if (m_tbeg.is_not_a_date_time() || m_tend.is_not_a_date_time())
        return 0.0;
    return m_tend.diff_hours(m_tbeg);
}

bool zovSession::is_valid() const
{
    return !m_task.empty() && !m_tbeg.is_not_a_date_time() && !m_tend.is_not_a_date_time();
}

zovSession& zovSession::reverse()
{
    std::swap(m_tbeg, m_tend);
    return *this;
}

bool zovSession::intersection(const zovSession& other, zovSession& out) const
{
    // A span with an unset end has no extent; min/max would take the unset
    // value as the earliest time and make up an overlap.
    if (m_tbeg.is_not_a_date_time() || m_tend.is_not_a_date_time() || other.m_tbeg.is_not_a_date_time()
        || other.m_tend.is_not_a_date_time())
        return false;
    const vu_datetime lo = max(min(m_tbeg, m_tend), min(other.m_tbeg, other.m_tend));
    const vu_datetime hi = min(max(m_tbeg, m_tend), max(other.m_tbeg, other.m_tend));
    if (!(hi.diff_hours(lo) > 0.0))
        return false;
    const bool forward = m_tend.diff_hours(m_tbeg) > 0.0;
    out = forward ? zovSession(m_task, lo, hi) : zovSession(m_task, hi, lo);
    return true;
}

std::string zovSession::to_file_string() const
{
    if (m_tbeg.is_not_a_date_time() || m_tend.is_not_a_date_time())
        return std::string();
    // A reversed session shows its sign even when it rounds to zero: a
    // reader of the line must see that it cancels time.
    std::string text = zov_detail::fixed(hours(), 2);
    if (m_tend < m_tbeg && text[0] != '-')
        text.insert(0, 1, '-');
    return m_task + "   " + text + "     " + m_tbeg.to_readable_datetime_string() + "     "
        + m_tend.to_readable_datetime_string();
}

bool zovSession::from_file_string(const std::string& line)
{
    return from_file_string(line.data(), line.size());
}

bool zovSession::from_file_string(const char* line, std::size_t length)
{
    // The first four tokens; the hours (token 2) and anything after the
    // fourth are not read.
    const char* begin[4];
    std::size_t size[4];
    const char* p = line;
    const char* end = line + length;
    int found = 0;
    while (found < 4) {
        while (p != end && is_separator(*p))
            ++p;
        if (p == end)
            break;
        begin[found] = p;
        p = find_separator(p, end);
        size[found] = static_cast<std::size_t>(p - begin[found]);
        ++found;
    }
    if (found < 4)
        return false;
    m_task.assign(begin[0], size[0]);
    return m_tbeg.parse_readable_datetime_string(begin[2], size[2])
        && m_tend.parse_readable_datetime_string(begin[3], size[3]);
}
