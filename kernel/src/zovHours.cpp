#include <zov/zovHours.h>

#include <zov/zovSession.h>
#include <zov/zovSinkHours.h>
#include <zov/zovSinkWeek.h>

#include "zovIndex.h"

#include <cstdint>

zovHours::zovHours(const std::string& dir) : zovFile(dir, "HOURS.TSK") {}

bool zovHours::init(const std::string& dir)
{
    // The header goes only into a file that does not exist yet. Whatever an
    // existing file holds (comments only, or something unreadable just now)
    // is the user's.
    return zovHours(dir).write_new("% task hours t1 t2");
}

bool zovHours::read(zovSink& sink) const
{
    return zovFile::read(sink);
}

bool zovHours::write(const zovSession& session) const
{
    if (!session.is_valid())
        return false;
    return write_append(session.to_file_string());
}

bool zovHours::take_back(const zovSession& session) const
{
    return session.is_valid() && zovFile::take_back(session.to_file_string());
}

bool zovHours::take_back(const std::vector<zovSession>& sessions) const
{
    const std::string text = lines(sessions);
    return !text.empty() && zovFile::take_back(text);
}

zovFile::read_status zovHours::read_lines(zovSink& sink) const
{
    return zovFile::read_lines(sink);
}

namespace {

// Reads through the index when the range is known, else the whole file.
template <class Sink>
zovFile::read_status read_range(const std::string& path, Sink& sink, const vu_datetime& lo, const vu_datetime& hi,
                                const zovHours& hours)
{
    if (lo.is_not_a_date_time() || hi.is_not_a_date_time())
        return hours.read_lines(sink);
    const vu_datetime a = min(lo, hi);
    const vu_datetime b = max(lo, hi);
    return zov_detail::read_range(path, [&sink](const zovSession& s) { sink.offer(s); }, a.to_time_t(),
                                  b.to_time_t());
}

}  // namespace

zovFile::read_status zovHours::read_lines(zovSinkHours& sink, const vu_datetime& lo, const vu_datetime& hi) const
{
    return read_range(path(), sink, lo, hi, *this);
}

zovFile::read_status zovHours::read_lines(zovSinkWeek& sink, const vu_datetime& lo, const vu_datetime& hi) const
{
    return read_range(path(), sink, lo, hi, *this);
}

zovFile::read_status zovHours::read_last(std::string& line) const
{
    return zovFile::read_last(line);
}

namespace {

const char* const batch_begins = "% correction begins";
const char* const batch_ends = "% correction ends";

}  // namespace

std::string zovHours::lines(const std::vector<zovSession>& sessions)
{
    if (sessions.empty())
        return std::string();
    std::string text = batch_begins;
    for (const zovSession& s : sessions) {
        if (!s.is_valid())
            return std::string();
        text += '\n';
        text += s.to_file_string();
    }
    return text + '\n' + batch_ends;
}

bool zovHours::drop_unfinished_batch() const
{
    // A batch is the last write of a change; its lines are bounded by what
    // one correction can cancel, so the file's last few MiB hold all of it.
    std::string tail;
    std::uint64_t from = 0;
    if (read_tail(4 << 20, tail, from) != read_status::lines)
        return true;
    const std::string begins = std::string("\n") + batch_begins;
    std::size_t at = tail.rfind(begins);
    if (at == std::string::npos && from == 0 && tail.compare(0, begins.size() - 1, batch_begins) == 0)
        at = static_cast<std::size_t>(-1);  // at the very start of the file
    else if (at == std::string::npos)
        return true;
    const std::size_t start = at + 1;  // the comment's first byte
    if (tail.find(std::string("\n") + batch_ends, start) != std::string::npos)
        return true;
    return cut_at(from + start);
}

bool zovHours::write(const std::vector<zovSession>& sessions) const
{
    const std::string text = lines(sessions);
    return !text.empty() && write_append(text);
}
