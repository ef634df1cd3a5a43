#include <zov/zovJournal.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "zovFd.h"

zovJournal::zovJournal(const std::string& dir) : zovFile(dir, "JOURNAL.TSK") {}

std::int64_t zovJournal::size_of(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool zovJournal::hash_of(const std::string& path, std::int64_t from, std::int64_t to, std::uint64_t& hash,
                         std::string* bytes)
{
    hash = 14695981039346656037ull;
    if (from == to)
        return true;
    zovFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || to < from)
        return false;
    std::string data(static_cast<std::size_t>(to - from), '\0');
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pread(fd.get(), &data[done], data.size() - done, static_cast<off_t>(from) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    for (const char c : data) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    if (bytes)
        *bytes = std::move(data);
    return true;
}

namespace {

std::string state_text(const zovJournal::state& s)
{
    return s.task + " " + s.time.to_readable_datetime_string() + (s.active ? " ACTIVE" : " INACTIVE");
}

}  // namespace

std::string zovJournal::line_of(const entry& e)
{
    char numbers[256];
    std::snprintf(numbers, sizeof numbers, "%" PRId64 " %" PRId64 " %016" PRIx64 " %" PRId64 " %" PRId64, e.hours_from,
                  e.hours_to, e.hours_hash, e.loginout_from, e.loginout_to);
    return std::string(e.undo ? "UNDO " : "CHANGE ") + std::to_string(e.id) + " "
           + (e.undo ? std::to_string(e.target) : std::string("-")) + " " + e.stamp.to_readable_datetime_string()
           + " " + numbers + " " + state_text(e.before) + " " + state_text(e.after) + " " + e.what;
}

bool zovJournal::parse(const std::string& line, entry& e)
{
    std::istringstream in(line);
    std::string kind, id, target, stamp, hfrom, hto, hash, lfrom, lto, bt, btime, bact, at, atime, aact;
    if (!(in >> kind >> id >> target >> stamp >> hfrom >> hto >> hash >> lfrom >> lto >> bt >> btime >> bact >> at
          >> atime >> aact))
        return false;
    if (kind != "CHANGE" && kind != "UNDO")
        return false;
    e.undo = kind == "UNDO";
    std::getline(in >> std::ws, e.what);
    try {
        e.id = std::stoll(id);
        e.target = e.undo ? std::stoll(target) : -1;
        e.hours_from = std::stoll(hfrom);
        e.hours_to = std::stoll(hto);
        e.hours_hash = std::stoull(hash, nullptr, 16);
        e.loginout_from = std::stoll(lfrom);
        e.loginout_to = std::stoll(lto);
    } catch (const std::exception&) {
        return false;
    }
    e.before.task = bt;
    e.after.task = at;
    e.before.active = bact == "ACTIVE";
    e.after.active = aact == "ACTIVE";
    return e.stamp.parse_readable_datetime_string(stamp) && e.before.time.parse_readable_datetime_string(btime)
           && e.after.time.parse_readable_datetime_string(atime) && (bact == "ACTIVE" || bact == "INACTIVE")
           && (aact == "ACTIVE" || aact == "INACTIVE");
}

bool zovJournal::append(entry& e) const
{
    // One write, not flushed: the change it records is on disk already, and
    // a record lost or torn in a crash only makes undo refuse (the files no
    // longer match the newest record), never take back the wrong change.
    zovFd fd(::open(path().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return false;
    e.id = static_cast<std::int64_t>(st.st_size);
    const std::string line = line_of(e) + "\n";
    return ::write(fd.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size()) && fd.close();
}

bool zovJournal::newest_first(const std::function<bool(const entry&)>& each) const
{
    zovFd fd(::open(path().c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return false;
    // Blocks from the end; a line cut by a block's start waits for the next.
    constexpr off_t block = 64 * 1024;
    off_t end = st.st_size;
    std::string carry;
    while (end > 0) {
        const off_t start = end > block ? end - block : 0;
        std::string data(static_cast<std::size_t>(end - start), '\0');
        if (::pread(fd.get(), &data[0], data.size(), start) != static_cast<ssize_t>(data.size()))
            return false;
        data += carry;
        std::size_t stop = data.size();
        while (true) {
            const std::size_t nl = stop == 0 ? std::string::npos : data.rfind('\n', stop - 1);
            if (nl == std::string::npos && start > 0)
                break;  // the first line of the block may begin before it
            const std::size_t first = nl == std::string::npos ? 0 : nl + 1;
            const std::string line = data.substr(first, stop - first);
            entry e;
            if (!line.empty() && parse(line, e) && !each(e))
                return true;
            if (nl == std::string::npos)
                break;
            stop = nl;
        }
        carry = data.substr(0, stop);
        end = start;
    }
    return true;
}
