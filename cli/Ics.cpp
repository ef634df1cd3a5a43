#include "Ics.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <tuple>

namespace zovcli {

namespace {

// TEXT value escapes: backslash, semicolon, comma and line ends.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == ';' || c == ',')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\r')
            continue;
        out += c;
    }
    return out;
}

// A content line folded after at most 75 octets, never inside a UTF-8
// sequence; each continuation begins with a blank.
std::string folded(const std::string& line)
{
    std::string out;
    std::size_t start = 0;
    std::size_t limit = 75;
    while (line.size() - start > limit) {
        std::size_t cut = start + limit;
        // A UTF-8 sequence has at most three continuation bytes; more in a
        // row are no UTF-8, and are cut where the octets end.
        while (cut > start + limit - 3 && (static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80)
            --cut;
        if ((static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80)
            cut = start + limit;
        out += line.substr(start, cut - start) + "\r\n ";
        start = cut;
        limit = 74;  // the leading blank counts
    }
    return out + line.substr(start) + "\r\n";
}

std::uint64_t fnv1a(const std::string& text)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

std::string utc_stamp(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

std::string ics_calendar(const std::vector<zov::net_session>& sessions)
{
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//ZOV//zov//EN\r\nCALSCALE:GREGORIAN\r\n";
    // A span recorded twice is two events: the second gets its own UID.
    std::map<std::tuple<std::string, std::int64_t, std::int64_t>, int> seen;
    for (const zov::net_session& s : sessions) {
        const int n = ++seen[std::make_tuple(s.task, s.begin, s.end)];
        char uid[96];
        std::snprintf(uid, sizeof uid, "%lld-%lld-%016llx%s@zov", static_cast<long long>(s.begin),
                      static_cast<long long>(s.end), static_cast<unsigned long long>(fnv1a(s.task)),
                      n > 1 ? ("-" + std::to_string(n)).c_str() : "");
        out += "BEGIN:VEVENT\r\n";
        out += folded(std::string("UID:") + uid);
        // The stamp is the session's end, not the export's moment, so that
        // two exports of the same records are the same bytes.
        out += "DTSTAMP:" + utc_stamp(s.end) + "\r\n";
        out += "DTSTART:" + utc_stamp(s.begin) + "\r\n";
        out += "DTEND:" + utc_stamp(s.end) + "\r\n";
        out += folded("SUMMARY:" + escaped(s.task));
        out += "END:VEVENT\r\n";
    }
    return out + "END:VCALENDAR\r\n";
}

}  // namespace zovcli
