#include "Importers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include <zov/zovDataDir.h>
#include <zov/zovKernel.h>

#include "Timewarrior.h"

namespace zovcli {

namespace {

bool read_whole(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

vu_datetime from_epoch(std::int64_t seconds)
{
    vu_datetime t;
    t.set_time_t(seconds);
    return t;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return std::string();
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The length of the UTF-8 sequence that begins with byte c (1 for others).
std::size_t sequence_length(unsigned char c)
{
    if (c >= 0xf0 && c < 0xf8)
        return 4;
    if (c >= 0xe0)
        return c < 0xf0 ? 3 : 1;
    if (c >= 0xc0)
        return 2;
    return 1;
}

// RFC 4180 records.
std::vector<std::vector<std::string>> csv_records(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r')
                field.pop_back();
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any) {
        record.push_back(field);
        records.push_back(record);
    }
    return records;
}

bool csv_date(const std::string& text, int& y, int& m, int& d)
{
    char sep = 0;
    int a = 0, b = 0, c = 0, used = 0;
    const std::string t = trim(text);
    if (std::sscanf(t.c_str(), "%d-%d-%d%n", &a, &b, &c, &used) == 3 && used == static_cast<int>(t.size())) {
        if (a > 31) {
            y = a, m = b, d = c;  // 2026-12-07
        } else {
            d = a, m = b, y = c;  // 07-12-2026
        }
        return true;
    }
    for (const char s : {'/', '.'}) {
        const std::string format = std::string("%d") + s + "%d" + s + "%d%n";
        if (std::sscanf(t.c_str(), format.c_str(), &a, &b, &c, &used) == 3 && used == static_cast<int>(t.size())) {
            sep = s;
            break;
        }
    }
    if (!sep)
        return false;
    if (sep == '/')
        m = a, d = b, y = c;  // Clockify's and Toggl's US form
    else
        d = a, m = b, y = c;
    return true;
}

bool csv_time(const std::string& text, int& h, int& min, int& sec)
{
    std::string t = lower(trim(text));
    bool pm = false, am = false;
    if (t.size() > 2 && (t.compare(t.size() - 2, 2, "pm") == 0 || t.compare(t.size() - 2, 2, "am") == 0)) {
        pm = t[t.size() - 2] == 'p';
        am = !pm;
        t = trim(t.substr(0, t.size() - 2));
    }
    sec = 0;
    int used = 0;
    if (!(std::sscanf(t.c_str(), "%d:%d:%d%n", &h, &min, &sec, &used) == 3 && used == static_cast<int>(t.size()))
        && !(std::sscanf(t.c_str(), "%d:%d%n", &h, &min, &used) == 2 && used == static_cast<int>(t.size())))
        return false;
    if (am || pm) {
        if (h < 1 || h > 12)
            return false;
        h = (h % 12) + (pm ? 12 : 0);
    }
    return h >= 0 && h <= 23 && min >= 0 && min <= 59 && sec >= 0 && sec <= 59;
}

std::vector<std::string> split_tags(const std::string& cell)
{
    std::vector<std::string> tags;
    std::istringstream in(cell);
    for (std::string t; std::getline(in, t, ',');)
        if (!trim(t).empty())
            tags.push_back(trim(t));
    return tags;
}

std::string home_file(const char* variable, const std::string& fallback)
{
    const char* value = std::getenv(variable);
    if (value && *value)
        return value;
    return zov::home_dir() + "/" + fallback;
}

}  // namespace

std::string task_name(const std::vector<std::string>& parts)
{
    std::string name;
    for (const std::string& part : parts) {
        std::string word;
        bool blank = false;
        for (std::size_t i = 0; i < part.size();) {
            const std::size_t n = std::min(sequence_length(static_cast<unsigned char>(part[i])), part.size() - i);
            const std::string seq = part.substr(i, n);
            i += n;
            // A blank by the kernel's rule: ASCII or Unicode spaces, controls.
            if (!zovKernel::is_valid_task_name("a" + seq)) {
                blank = true;
                continue;
            }
            if (blank && !word.empty())
                word += '_';
            blank = false;
            word += seq;
        }
        if (word.empty())
            continue;
        if (!name.empty())
            name += '+';
        name += word;
    }
    if (name.empty())
        return "DEFAULT";
    if (name[0] == '%')
        name = "_" + name;
    return name;
}

std::string default_timewarrior_dir()
{
    if (const char* db = std::getenv("TIMEWARRIORDB"))
        if (*db)
            return db;
    const std::string old = zov::home_dir() + "/.timewarrior";
    std::error_code ec;
    if (std::filesystem::is_directory(old, ec))
        return old;
    return zov::xdg_base("XDG_DATA_HOME", ".local/share") + "/timewarrior";
}

std::string default_watson_file()
{
    if (const char* dir = std::getenv("WATSON_DIR"))
        if (*dir)
            return std::string(dir) + "/frames";
    return zov::xdg_base("XDG_CONFIG_HOME", ".config") + "/watson/frames";
}

std::string default_gtimelog_file()
{
    const std::string old = home_file("GTIMELOG_HOME", ".gtimelog") + "/timelog.txt";
    std::error_code ec;
    if (std::filesystem::exists(old, ec))
        return old;
    return zov::xdg_base("XDG_DATA_HOME", ".local/share") + "/gtimelog/timelog.txt";
}

bool read_timewarrior(const std::string& dir, imported& out, std::string& error)
{
    const std::string data = dir + "/data";
    std::error_code ec;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(data, ec)) {
        const std::string name = entry.path().filename().string();
        // YYYY-MM.data; tags.data and undo.data are not intervals.
        if (name.size() == 12 && name.compare(7, 5, ".data") == 0 && name[4] == '-')
            files.push_back(entry.path().string());
    }
    if (ec) {
        error = "cannot read the Timewarrior folder " + data;
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        std::string text;
        if (!read_whole(file, text, error))
            return false;
        std::size_t number = 0;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            ++number;
            const std::string line = text.substr(pos, end - pos);
            pos = end + 1;
            if (line.empty())
                continue;
            timew_interval i;
            if (!timew_parse(line, i))
                out.notes.push_back(file + ":" + std::to_string(number) + ": not an interval line");
            else if (i.open)
                out.notes.push_back(file + ":" + std::to_string(number) + ": still running, left out");
            else
                out.sessions.emplace_back(task_name(i.tags), from_epoch(i.begin), from_epoch(i.end));
        }
    }
    return true;
}

bool read_watson(const std::string& file, imported& out, std::string& error)
{
    std::string text;
    if (!read_whole(file, text, error))
        return false;
    const nlohmann::json frames = nlohmann::json::parse(text, nullptr, false);
    if (!frames.is_array()) {
        error = file + " is not a Watson frames file (a JSON array)";
        return false;
    }
    std::size_t number = 0;
    for (const nlohmann::json& f : frames) {
        ++number;
        if (!f.is_array() || f.size() < 3 || !f[0].is_number() || !f[1].is_number() || !f[2].is_string()) {
            out.notes.push_back(file + ": frame " + std::to_string(number) + ": not [start, stop, project, ...]");
            continue;
        }
        std::vector<std::string> parts = {f[2].get<std::string>()};
        if (f.size() > 4 && f[4].is_array())
            for (const nlohmann::json& tag : f[4])
                if (tag.is_string())
                    parts.push_back(tag.get<std::string>());
        out.sessions.emplace_back(task_name(parts), from_epoch(f[0].get<std::int64_t>()),
                                  from_epoch(f[1].get<std::int64_t>()));
    }
    return true;
}

bool read_gtimelog(const std::string& file, imported& out, std::string& error)
{
    std::string text;
    if (!read_whole(file, text, error))
        return false;
    vu_datetime last;
    std::int64_t last_day = 0;
    std::size_t number = 0;
    for (const std::string& line : lines_of(text)) {
        ++number;
        if (trim(line).empty() || line[0] == '#' || line[0] == ';')
            continue;
        int y = 0, m = 0, d = 0, h = 0, min = 0, used = 0;
        vu_datetime t;
        if (std::sscanf(line.c_str(), "%4d-%2d-%2d %2d:%2d:%n", &y, &m, &d, &h, &min, &used) != 5 || used == 0
            || !t.set_local(y, m, d, h, min)) {
            out.notes.push_back(file + ":" + std::to_string(number) + ": not \"YYYY-MM-DD HH:MM: text\"");
            continue;
        }
        const std::string what = trim(line.substr(static_cast<std::size_t>(used)));
        // The day an entry belongs to turns at 02:00.
        vu_datetime shifted;
        shifted.set_time_t(t.to_time_t() - 2 * 3600);
        const std::int64_t virtual_day = shifted.date().to_time_t();
        const bool continues = !last.is_not_a_date_time() && virtual_day == last_day && last < t;
        if (continues && what.find("**") == std::string::npos)
            out.sessions.emplace_back(task_name({what}), last, t);
        last = t;
        last_day = virtual_day;
    }
    return true;
}

bool read_csv(const std::string& file, imported& out, std::string& error)
{
    std::string text;
    if (!read_whole(file, text, error))
        return false;
    if (text.compare(0, 3, "\xef\xbb\xbf") == 0)
        text.erase(0, 3);  // a byte-order mark
    const std::vector<std::vector<std::string>> records = csv_records(text);
    if (records.empty()) {
        error = file + " is empty";
        return false;
    }
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < records[0].size(); ++i)
        column.emplace(lower(trim(records[0][i])), i);
    for (const char* needed : {"start date", "start time", "end date", "end time"}) {
        if (!column.count(needed)) {
            error = file + " has no column \"" + needed
                    + "\": not a detailed export of Toggl Track or Clockify";
            return false;
        }
    }
    auto cell = [&](const std::vector<std::string>& r, const char* name) {
        const auto found = column.find(name);
        return found != column.end() && found->second < r.size() ? trim(r[found->second]) : std::string();
    };
    for (std::size_t n = 1; n < records.size(); ++n) {
        const std::vector<std::string>& r = records[n];
        if (r.size() == 1 && trim(r[0]).empty())
            continue;
        int y1, m1, d1, h1, i1, s1, y2, m2, d2, h2, i2, s2;
        vu_datetime b, e;
        if (!csv_date(cell(r, "start date"), y1, m1, d1) || !csv_time(cell(r, "start time"), h1, i1, s1)
            || !csv_date(cell(r, "end date"), y2, m2, d2) || !csv_time(cell(r, "end time"), h2, i2, s2)
            || !b.set_local(y1, m1, d1, h1, i1, s1) || !e.set_local(y2, m2, d2, h2, i2, s2)) {
            out.notes.push_back(file + ":" + std::to_string(n + 1) + ": no start and end that can be read");
            continue;
        }
        std::vector<std::string> parts;
        if (!cell(r, "project").empty())
            parts.push_back(cell(r, "project"));
        for (const std::string& tag : split_tags(cell(r, "tags")))
            parts.push_back(tag);
        if (parts.empty())
            parts.push_back(cell(r, "description"));
        out.sessions.emplace_back(task_name(parts), b, e);
    }
    return true;
}

}  // namespace zovcli
