#include "zovIndex.h"

#include "zovFd.h"
#include "zovLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <zov/zovSession.h>
#include <zov/zovSink.h>
#include <zov/zovSinkHours.h>

namespace zov_detail {

using zov_detail::is_blank;
using zov_detail::offer;

namespace {

constexpr std::size_t block_bytes = 32 * 1024;
constexpr std::size_t check_bytes = 4096;
constexpr char magic[8] = {'Z', 'O', 'V', 'I', 'D', 'X', '0', '2'};
constexpr std::int64_t no_time_lo = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t no_time_hi = std::numeric_limits<std::int64_t>::min();

struct block
{
    std::uint64_t offset;
    std::uint64_t length;
    std::int64_t lo;  // earliest instant of its session lines
    std::int64_t hi;  // latest instant
    std::uint64_t hash;  // of its bytes: an edit anywhere shows before the index is extended
};

struct header
{
    char magic[8];
    std::uint64_t dev;
    std::uint64_t ino;
    std::uint64_t covered;  // bytes indexed: whole lines from the start
    std::int64_t mtime_sec;
    std::int64_t mtime_nsec;
    std::int64_t ctime_sec;
    std::int64_t ctime_nsec;
    std::uint64_t head_hash;  // of the first check_bytes of the covered part
    std::uint64_t tail_hash;  // of the last check_bytes of the covered part
    std::uint64_t blocks;
    std::uint64_t checksum;   // of this header (with 0 here) and the blocks
};

struct index
{
    std::string path;
    header head{};
    std::vector<block> blocks;
};

std::uint64_t fnv(const void* data, std::size_t size, std::uint64_t h = 1469598103934665603ULL)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 1099511628211ULL;
    }
    return h;
}

std::uint64_t checksum_of(header h, const std::vector<block>& blocks)
{
    h.checksum = 0;
    const std::uint64_t x = fnv(&h, sizeof h);
    return blocks.empty() ? x : fnv(blocks.data(), blocks.size() * sizeof(block), x);
}


bool read_at(int fd, char* data, std::size_t size, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool hash_span(int fd, std::uint64_t from, std::uint64_t to, std::uint64_t& hash)
{
    std::vector<char> data(static_cast<std::size_t>(to - from));
    if (!data.empty() && !read_at(fd, data.data(), data.size(), from))
        return false;
    hash = fnv(data.data(), data.size());
    return true;
}

// A fast hash of a block's bytes, eight at a time.
std::uint64_t quick_hash(const char* data, std::size_t size)
{
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdULL;
        h ^= h >> 32;
    }
    std::uint64_t w = 0;
    std::memcpy(&w, data + i, size - i);
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 29);
}

bool block_hash(int fd, const block& b, std::vector<char>& buffer, std::uint64_t& hash)
{
    buffer.resize(static_cast<std::size_t>(b.length));
    if (!read_at(fd, buffer.data(), buffer.size(), b.offset))
        return false;
    hash = quick_hash(buffer.data(), buffer.size());
    return true;
}

// Indexes the whole lines of [from, size) and appends their blocks; returns
// the end of the last whole line (the new covered size), or -1 on a read error.
std::int64_t add_blocks(int fd, std::uint64_t from, std::uint64_t size, std::vector<block>& blocks)
{
    std::vector<char> data(1 << 20);
    std::uint64_t pos = from;      // file offset of data[0]
    std::size_t held = 0;          // bytes in data
    block current{from, 0, no_time_lo, no_time_hi, 0};
    zovSession session;
    while (pos + held < size) {
        if (held == data.size())
            data.resize(data.size() * 2);
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(data.size() - held, size - pos - held));
        const ssize_t n = ::pread(fd, data.data() + held, want, static_cast<off_t>(pos + held));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        held += static_cast<std::size_t>(n);
        const char* start = data.data();
        const char* end = data.data() + held;
        for (;;) {
            const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
            if (!lf)
                break;
            const std::size_t length = static_cast<std::size_t>(lf - start);
            if (length <= zovFile::max_line && session.from_file_string(start, length) && session.is_valid()) {
                const std::int64_t a = session.tbeg().to_time_t();
                const std::int64_t b = session.tend().to_time_t();
                current.lo = std::min(current.lo, std::min(a, b));
                current.hi = std::max(current.hi, std::max(a, b));
            }
            current.length += length + 1;
            if (current.length >= block_bytes) {
                blocks.push_back(current);
                current = {current.offset + current.length, 0, no_time_lo, no_time_hi, 0};
            }
            start = lf + 1;
        }
        const std::size_t used = static_cast<std::size_t>(start - data.data());
        std::memmove(data.data(), start, held - used);
        held -= used;
        pos += used;
    }
    if (current.length > 0)
        blocks.push_back(current);
    return static_cast<std::int64_t>(pos);
}

bool load(const std::string& file, index& idx)
{
    zovFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)
        || static_cast<std::size_t>(st.st_size) < sizeof(header))
        return false;
    header h;
    if (!read_at(fd.get(), reinterpret_cast<char*>(&h), sizeof h, 0) || std::memcmp(h.magic, magic, sizeof magic) != 0
        || static_cast<std::uint64_t>(st.st_size) != sizeof h + h.blocks * sizeof(block))
        return false;
    std::vector<block> blocks(static_cast<std::size_t>(h.blocks));
    if (!blocks.empty() && !read_at(fd.get(), reinterpret_cast<char*>(blocks.data()), blocks.size() * sizeof(block), sizeof h))
        return false;
    if (checksum_of(h, blocks) != h.checksum)
        return false;
    // The blocks must tile the covered part exactly.
    std::uint64_t at = 0;
    for (const block& b : blocks) {
        if (b.offset != at || b.length == 0)
            return false;
        at += b.length;
    }
    if (at != h.covered)
        return false;
    idx.head = h;
    idx.blocks = std::move(blocks);
    return true;
}

// Replaces the index file; a failure only costs the next process a rebuild.
void save(const std::string& file, const index& idx)
{
    std::string temp = file + ".XXXXXX";
    const int fd = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0)
        return;
    std::string data(reinterpret_cast<const char*>(&idx.head), sizeof idx.head);
    data.append(reinterpret_cast<const char*>(idx.blocks.data()), idx.blocks.size() * sizeof(block));
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0)
        ::unlink(temp.c_str());
}

// The session lines of blocks read before, parsed, for range queries: a
// second question about the same days parses nothing. Valid while `cache`
// serves the same file; emptied whenever the index is loaded or rebuilt.
struct parsed_block
{
    std::uint64_t length = 0;
    bool offered = false;  // whether the block has a line that is not blank or a comment
    std::vector<zovSession> sessions;
};

// Keeps the valid sessions of the lines offered to it.
class collect : public zovSink
{
public:
    explicit collect(parsed_block& into) : m_into(into) {}
    bool operator()(const std::string& line) override
    {
        zovSession session(line);
        if (session.is_valid())
            m_into.sessions.push_back(std::move(session));
        return true;
    }

private:
    parsed_block& m_into;
};

bool same_state(const header& h, const struct stat& st)
{
    return h.dev == static_cast<std::uint64_t>(st.st_dev) && h.ino == static_cast<std::uint64_t>(st.st_ino)
           && h.covered <= static_cast<std::uint64_t>(st.st_size) && h.mtime_sec == st.st_mtim.tv_sec
           && h.mtime_nsec == st.st_mtim.tv_nsec && h.ctime_sec == st.st_ctim.tv_sec
           && h.ctime_nsec == st.st_ctim.tv_nsec;
}

void stamp(header& h, const struct stat& st)
{
    h.dev = static_cast<std::uint64_t>(st.st_dev);
    h.ino = static_cast<std::uint64_t>(st.st_ino);
    h.mtime_sec = st.st_mtim.tv_sec;
    h.mtime_nsec = st.st_mtim.tv_nsec;
    h.ctime_sec = st.st_ctim.tv_sec;
    h.ctime_nsec = st.st_ctim.tv_nsec;
}

// Whether the file still begins with what the index covers: same identity,
// not shorter, and the first and last check_bytes of the covered part as they
// were. Unchanged times need no reading at all.
bool still_serves(const index& idx, int fd, const struct stat& st)
{
    const header& h = idx.head;
    if (h.dev != static_cast<std::uint64_t>(st.st_dev) || h.ino != static_cast<std::uint64_t>(st.st_ino)
        || h.covered > static_cast<std::uint64_t>(st.st_size))
        return false;
    if (same_state(h, st))
        return true;
    // Changed in place at the same size: a hand edit.
    if (h.covered == static_cast<std::uint64_t>(st.st_size))
        return false;
    const std::uint64_t head_end = std::min<std::uint64_t>(h.covered, check_bytes);
    const std::uint64_t tail_begin = h.covered > check_bytes ? h.covered - check_bytes : 0;
    std::uint64_t head = 0, tail = 0;
    if (!hash_span(fd, 0, head_end, head) || !hash_span(fd, tail_begin, h.covered, tail) || head != h.head_hash
        || tail != h.tail_hash)
        return false;
    // Grown: an extension only if every indexed byte is still as it was (an
    // old line may have been edited and a new one appended in one go).
    std::vector<char> buffer;
    for (const block& b : idx.blocks) {
        std::uint64_t hash = 0;
        if (!block_hash(fd, b, buffer, hash) || hash != b.hash)
            return false;
    }
    return true;
}

// Brings idx, which still serves the file (or is empty), up to it: indexes
// what was appended since. False on a read error of the data file.
bool refresh(index& idx, int fd, const struct stat& st, bool& changed)
{
    changed = false;
    if (idx.head.covered == 0) {
        // Built from nothing.
        idx.blocks.clear();
        idx.head = header{};
        std::memcpy(idx.head.magic, magic, sizeof magic);
        changed = true;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (idx.head.covered < size) {
        // An unfinished last line stays outside until its line feed comes.
        const std::uint64_t old = idx.head.covered;
        // A short last block takes the new lines in, so that appending one
        // line at a time does not leave a trail of tiny blocks.
        std::uint64_t from = old;
        if (!idx.blocks.empty() && idx.blocks.back().length < block_bytes) {
            from = idx.blocks.back().offset;
            idx.blocks.pop_back();
        }
        const std::size_t first_new = idx.blocks.size();
        const std::int64_t covered = add_blocks(fd, from, size, idx.blocks);
        if (covered < 0)
            return false;
        std::vector<char> buffer;
        for (std::size_t i = first_new; i < idx.blocks.size(); ++i)
            if (!block_hash(fd, idx.blocks[i], buffer, idx.blocks[i].hash))
                return false;
        if (static_cast<std::uint64_t>(covered) != old)
            changed = true;
        idx.head.covered = static_cast<std::uint64_t>(covered);
    }
    if (changed || !same_state(idx.head, st)) {
        stamp(idx.head, st);
        const std::uint64_t c = idx.head.covered;
        if (!hash_span(fd, 0, std::min<std::uint64_t>(c, check_bytes), idx.head.head_hash)
            || !hash_span(fd, c > check_bytes ? c - check_bytes : 0, c, idx.head.tail_hash))
            return false;
        idx.head.blocks = idx.blocks.size();
        idx.head.checksum = checksum_of(idx.head, idx.blocks);
        changed = true;
    }
    return true;
}

std::mutex cache_mutex;
index cache;  // the index of the last file asked about

std::map<std::uint64_t, parsed_block> parsed;  // by block offset
std::size_t parsed_sessions = 0;
constexpr std::size_t parsed_limit = 200000;

}  // namespace

std::string index_path(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".index";
}

void forget_index()
{
    std::lock_guard<std::mutex> guard(cache_mutex);
    cache = index{};
    parsed.clear();
    parsed_sessions = 0;
}

zovFile::read_status read_range(const std::string& path, zovSink& sink, std::int64_t lo, std::int64_t hi)
{
    zovFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? zovFile::read_status::missing : zovFile::read_status::failed;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return zovFile::read_status::failed;

    std::lock_guard<std::mutex> guard(cache_mutex);
    if (cache.path != path || !same_state(cache.head, st)) {
        const std::string file = index_path(path);
        index idx;
        idx.path = path;
        // The copy in memory, else the one on disk, when it still serves.
        const bool kept = cache.path == path && still_serves(cache, fd.get(), st);
        if (kept)
            idx = cache;
        else if (!load(file, idx) || !still_serves(idx, fd.get(), st))
            idx.head = header{};
        if (!kept) {
            parsed.clear();
            parsed_sessions = 0;
        }
        bool changed = false;
        if (!refresh(idx, fd.get(), st, changed)) {
            cache = index{};
            return zovFile::read_status::failed;
        }
        if (changed)
            save(file, idx);
        cache = std::move(idx);
    }
    const std::uint64_t covered = cache.head.covered;
    std::vector<block> selected;
    for (const block& b : cache.blocks)
        if (b.hi >= lo && b.lo <= hi)
            selected.push_back(b);

    // The selected blocks, then whatever lies beyond the indexed part. Blocks
    // next to each other are read in one go.
    std::vector<char> data;
    std::string line;
    bool offered = false;
    bool go_on = true;
    auto read_span = [&](std::uint64_t from, std::uint64_t to) {
        data.resize(static_cast<std::size_t>(to - from));
        if (!data.empty() && !read_at(fd.get(), data.data(), data.size(), from))
            return false;
        const char* start = data.data();
        const char* end = start + data.size();
        while (go_on && start < end) {
            const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
            const char* stop = lf ? lf : end;
            offered |= offer(start, stop, line, sink, go_on);
            start = stop + 1;
        }
        return true;
    };
    // A range sink takes parsed sessions: each block is parsed once per process.
    if (zovSinkHours* range = dynamic_cast<zovSinkHours*>(&sink)) {
        for (const block& b : selected) {
            auto found = parsed.find(b.offset);
            if (found == parsed.end() || found->second.length != b.length) {
                if (parsed_sessions > parsed_limit) {
                    parsed.clear();
                    parsed_sessions = 0;
                }
                parsed_block fresh;
                fresh.length = b.length;
                collect keep(fresh);
                bool more = true;
                data.resize(static_cast<std::size_t>(b.length));
                if (!read_at(fd.get(), data.data(), data.size(), b.offset))
                    return zovFile::read_status::failed;
                const char* start = data.data();
                const char* end = start + data.size();
                while (start < end) {
                    const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
                    const char* stop = lf ? lf : end;
                    fresh.offered |= offer(start, stop, line, keep, more);
                    start = stop + 1;
                }
                parsed_sessions += fresh.sessions.size();
                found = parsed.insert_or_assign(b.offset, std::move(fresh)).first;
            }
            offered |= found->second.offered;
            for (const zovSession& session : found->second.sessions)
                range->offer(session);
        }
        selected.clear();
    }
    for (std::size_t i = 0; i < selected.size() && go_on;) {
        std::uint64_t from = selected[i].offset;
        std::uint64_t to = from + selected[i].length;
        for (++i; i < selected.size() && selected[i].offset == to; ++i)
            to += selected[i].length;
        if (!read_span(from, to))
            return zovFile::read_status::failed;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (go_on && covered < size && !read_span(covered, size))
        return zovFile::read_status::failed;
    return offered ? zovFile::read_status::lines : zovFile::read_status::empty;
}

}  // namespace zov_detail
