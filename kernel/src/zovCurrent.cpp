#include <zov/zovCurrent.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include <zov/zovSink.h>

zovCurrent::zovCurrent(const std::string& dir) : zovFile(dir, "CURRENT.TSK"), m_task("DEFAULT"), m_active(false) {}

namespace {

// Keeps an unreadable state file for the user instead of overwriting it;
// returns its new name, or an empty string when there was nothing to keep.
std::string move_aside(const std::string& file)
{
    struct stat st;
    if (::stat(file.c_str(), &st) != 0 || st.st_size == 0)
        return std::string();
    vu_datetime now;
    now.set_local_time();
    const std::string base = file + ".unreadable-" + now.to_format_string("%Y%m%d-%H%M%S");
    std::string target = base;
    for (int i = 1; i < 1000 && ::access(target.c_str(), F_OK) == 0; ++i)
        target = base + "-" + std::to_string(i);
    if (std::rename(file.c_str(), target.c_str()) != 0)
        return std::string();
    return target.substr(target.rfind('/') + 1);
}

// "2026-12-07T10:30+01:00" (no seconds) as "2026-12-07T10:30:00+01:00".
std::string with_seconds(const std::string& time)
{
    if (time.size() >= 16 && time[10] == 'T' && time[13] == ':'
        && (time.size() == 16 || time[16] == '+' || time[16] == '-' || time[16] == 'Z'))
        return time.substr(0, 16) + ":00" + time.substr(16);
    return time;
}

}  // namespace

bool zovCurrent::init(const std::string& dir, std::string* kept_aside)
{
    zovCurrent current(dir);
    if (current.read())
        return true;
    const std::string kept = move_aside(current.path());
    if (kept_aside)
        *kept_aside = kept;
    vu_datetime now;
    now.set_local_time();
    return current.write(current.task(), now, current.active());
}

bool zovCurrent::read()
{
    std::string line;
    if (!read_first(line))
        return false;
    std::vector<std::string> tokens;
    if (!get_tokens(line, tokens) || tokens.size() < 3)
        return false;
    if (!m_time.parse_readable_datetime_string(tokens[1])
        && !m_time.parse_readable_datetime_string(with_seconds(tokens[1])))
        return false;
    m_task = tokens[0];
    m_active = tokens[2] == "ACTIVE";
    return true;
}

bool zovCurrent::is_blank() const
{
    zovSink1 sink;
    const read_status found = read_lines(sink);
    return found == read_status::missing || found == read_status::empty;
}

bool zovCurrent::write(const std::string& task, const vu_datetime& time, bool active)
{
    zovCurrent next(*this);
    next.m_task = task;
    next.m_time = time;
    next.m_active = active;
    if (!next.write())
        return false;
    *this = next;
    return true;
}

bool zovCurrent::write() const
{
    // A state line without a time could not be read back.
    if (m_task.empty() || m_time.is_not_a_date_time())
        return false;
    return write_clear(message());
}

std::string zovCurrent::message() const
{
    return m_task + " " + m_time.to_readable_datetime_string() + (m_active ? " ACTIVE" : " INACTIVE");
}
