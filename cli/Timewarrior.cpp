#include "Timewarrior.h"

#include "Ics.h"

#include <zov/zovTimeText.h>

namespace zovcli {

namespace {

struct token
{
    std::string text;
    bool quoted;
};

// Words separated by blanks; a word in double quotes may hold blanks and
// backslash-escaped quotes.
bool tokens_of(const std::string& line, std::size_t pos, std::vector<token>& out)
{
    while (pos < line.size()) {
        if (line[pos] == ' ') {
            ++pos;
            continue;
        }
        token t{std::string(), line[pos] == '"'};
        if (t.quoted) {
            ++pos;
            for (; pos < line.size() && line[pos] != '"'; ++pos) {
                if (line[pos] == '\\' && pos + 1 < line.size())
                    ++pos;
                t.text += line[pos];
            }
            if (pos >= line.size())
                return false;  // unterminated
            ++pos;
        } else {
            for (; pos < line.size() && line[pos] != ' '; ++pos)
                t.text += line[pos];
        }
        out.push_back(t);
    }
    return true;
}

}  // namespace

bool timew_time(const std::string& text, std::int64_t& seconds)
{
    if (text.size() != 16 || text[8] != 'T' || text[15] != 'Z')
        return false;
    int f[6];
    const int at[6] = {0, 4, 6, 9, 11, 13};
    const int len[6] = {4, 2, 2, 2, 2, 2};
    for (int i = 0; i < 6; ++i) {
        int v = 0;
        for (int k = 0; k < len[i]; ++k) {
            const char c = text[static_cast<std::size_t>(at[i] + k)];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        f[i] = v;
    }
    if (f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > 31 || f[3] > 23 || f[4] > 59 || f[5] > 60)
        return false;
    seconds = zov::days_from_civil(f[0], static_cast<unsigned>(f[1]), static_cast<unsigned>(f[2])) * 86400
              + f[3] * 3600 + f[4] * 60 + f[5];
    return true;
}

bool timew_parse(const std::string& line, timew_interval& out)
{
    std::string text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.compare(0, 4, "inc ") != 0)
        return false;
    std::vector<token> t;
    if (!tokens_of(text, 4, t) || t.empty() || !timew_time(t[0].text, out.begin))
        return false;
    std::size_t i = 1;
    out.open = true;
    out.tags.clear();
    if (i < t.size() && !t[i].quoted && t[i].text == "-") {
        if (i + 1 >= t.size() || !timew_time(t[i + 1].text, out.end))
            return false;
        out.open = false;
        i += 2;
    }
    if (i < t.size()) {
        if (t[i].quoted || t[i].text != "#")
            return false;
        for (++i; i < t.size(); ++i) {
            if (!t[i].quoted && t[i].text == "#")
                break;  // the annotation follows
            out.tags.push_back(t[i].text);
        }
    }
    return true;
}

std::string timew_line(std::int64_t begin, std::int64_t end, const std::string& tag)
{
    std::string quoted = tag;
    if (tag.find_first_of(" \"-+/()<^!=~_%#") != std::string::npos) {
        quoted = "\"";
        for (const char c : tag) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    return "inc " + utc_stamp(begin) + " - " + utc_stamp(end) + " # " + quoted;
}

}  // namespace zovcli
