#include "zovIndex.h"

#include "zovFd.h"
#include "zovLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <zov/zovSession.h>

namespace zov_detail {

namespace {

constexpr std::size_t block_bytes = 32 * 1024;
// Every read goes through a buffer of this size, whatever the file holds: a
// line longer than zovFile::max_line is skipped, never collected.
constexpr std::size_t piece_bytes = 4 * zovFile::max_line;
constexpr char magic[8] = {'Z', 'O', 'V', 'I', 'D', 'X', '0', '3'};
constexpr std::int64_t no_time_lo = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t no_time_hi = std::numeric_limits<std::int64_t>::min();
// A line without a UTC offset is local time: its instant moves with the zone
// of whoever reads it, by at most the spread of zone offsets (-12 h to +14 h).
// Its block's span is widened by more than that.
constexpr std::int64_t local_slack = 36 * 3600;
// An index file larger than this is not loaded (it would describe some 10 GB).
constexpr std::uint64_t max_index_bytes = 16 << 20;

// All members are 8 bytes wide: no padding, so the checksum covers only data.
struct block
{
    std::uint64_t offset;
    std::uint64_t length;
    std::int64_t lo;        // earliest instant of its session lines
    std::int64_t hi;        // latest instant
    std::uint64_t hash;     // of its bytes
    std::uint64_t local;    // 1 when it holds a line in local time
};

struct header
{
    char magic[8];
    std::uint64_t dev;
    std::uint64_t ino;
    std::uint64_t size;     // the file's size when its bytes were last read
    std::uint64_t covered;  // bytes indexed: whole lines from the start
    std::int64_t mtime_sec;
    std::int64_t mtime_nsec;
    std::int64_t ctime_sec;
    std::int64_t ctime_nsec;
    std::int64_t stamp_sec;   // when the bytes were last read (taken before
    std::int64_t stamp_nsec;  // the file's times were)
    std::uint64_t blocks;
    std::uint64_t checksum;   // of this header (with 0 here) and the blocks
};

struct index
{
    std::string path;
    header head{};
    std::vector<block> blocks;

    bool built() const { return std::memcmp(head.magic, magic, sizeof magic) == 0; }
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

// A fast hash of a block's bytes, eight at a time, read piece by piece.
bool block_hash(int fd, std::uint64_t offset, std::uint64_t length, std::vector<char>& buffer, std::uint64_t& hash)
{
    buffer.resize(piece_bytes);  // a multiple of 8: words never straddle pieces
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ length;
    std::uint64_t done = 0;
    std::uint64_t w = 0;  // the last bytes that do not fill a word
    while (done < length) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
        if (!read_at(fd, buffer.data(), n, offset + done))
            return false;
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, buffer.data() + i, 8);
            h = (h ^ w) * 0xff51afd7ed558ccdULL;
            h ^= h >> 32;
        }
        if (i < n)
            std::memcpy(&w, buffer.data() + i, n - i);  // only in the last piece
        done += n;
    }
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ULL;
    hash = h ^ (h >> 29);
    return true;
}

// Calls line(begin, end, length) for each line of [from, to), without its
// line feed; a line longer than zovFile::max_line comes with begin and end
// null, its bytes never held. With `unfinished`, a last line without its
// line feed comes too. The result: the end of the last line with a line
// feed, or -1 on a read error.
template <class F>
std::int64_t scan(int fd, std::uint64_t from, std::uint64_t to, bool unfinished, std::vector<char>& buffer, F&& line)
{
    buffer.resize(piece_bytes);
    std::uint64_t pos = from;  // file offset of buffer[0]
    std::uint64_t last_end = from;
    std::size_t held = 0;
    bool skipping = false;  // inside an overlong line
    std::uint64_t skip_from = 0;
    while (pos + held < to) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - held, to - pos - held));
        if (!read_at(fd, buffer.data() + held, want, pos + held))
            return -1;
        held += want;
        const char* start = buffer.data();
        const char* end = start + held;
        while (const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)))) {
            const std::uint64_t at = pos + static_cast<std::uint64_t>(start - buffer.data());
            const std::uint64_t stop = pos + static_cast<std::uint64_t>(lf - buffer.data());
            if (skipping) {
                line(static_cast<const char*>(nullptr), static_cast<const char*>(nullptr), stop - skip_from);
                skipping = false;
            } else {
                line(start, lf, stop - at);
            }
            last_end = stop + 1;
            start = lf + 1;
        }
        std::size_t used = static_cast<std::size_t>(start - buffer.data());
        if (!skipping && held - used > zovFile::max_line) {
            skipping = true;
            skip_from = pos + used;
        }
        if (skipping)
            used = held;
        std::memmove(buffer.data(), buffer.data() + used, held - used);
        held -= used;
        pos += used;
    }
    if (unfinished && !skipping && held > 0)
        line(static_cast<const char*>(buffer.data()), static_cast<const char*>(buffer.data() + held), held);
    return static_cast<std::int64_t>(last_end);
}

// Whether the line's times (its third and fourth fields) lack a UTC offset.
bool has_local_time(const char* p, const char* end)
{
    for (int field = 1; field <= 4; ++field) {
        while (p != end && is_blank(*p))
            ++p;
        const char* b = p;
        while (p != end && !is_blank(*p))
            ++p;
        if (field >= 3 && p - b == 19)
            return true;
    }
    return false;
}

// The sessions of the lines of a span, parsed.
struct parsed_block
{
    std::uint64_t length = 0;
    std::uint64_t hash = 0;
    bool offered = false;  // whether a line of it counts (is offered to readers)
    std::vector<zovSession> sessions;
};

bool parse_span(int fd, std::uint64_t from, std::uint64_t to, bool unfinished, std::vector<char>& buffer,
                parsed_block& out)
{
    zovSession session;
    return scan(fd, from, to, unfinished, buffer, [&](const char* begin, const char* end, std::uint64_t) {
               if (!begin || !counts(begin, end))
                   return;
               out.offered = true;
               if (session.from_file_string(begin, static_cast<std::size_t>(end - begin)) && session.is_valid())
                   out.sessions.push_back(session);
           }) >= 0;
}

// Indexes the whole lines of [from, size) and appends their blocks; returns
// the end of the last whole line (the new covered size), or -1 on a read error.
std::int64_t add_blocks(int fd, std::uint64_t from, std::uint64_t size, std::vector<block>& blocks)
{
    std::vector<char> buffer;
    block current{from, 0, no_time_lo, no_time_hi, 0, 0};
    zovSession session;
    const std::size_t first_new = blocks.size();
    const std::int64_t covered = scan(fd, from, size, false, buffer, [&](const char* begin, const char* end, std::uint64_t length) {
        if (begin && counts(begin, end) && session.from_file_string(begin, length) && session.is_valid()) {
            std::int64_t a = session.tbeg().to_time_t();
            std::int64_t b = session.tend().to_time_t();
            if (a > b)
                std::swap(a, b);
            if (has_local_time(begin, end)) {
                current.local = 1;
                a -= local_slack;
                b += local_slack;
            }
            current.lo = std::min(current.lo, a);
            current.hi = std::max(current.hi, b);
        }
        current.length += length + 1;
        if (current.length >= block_bytes) {
            blocks.push_back(current);
            current = {current.offset + current.length, 0, no_time_lo, no_time_hi, 0, 0};
        }
    });
    if (covered < 0)
        return -1;
    if (current.length > 0)
        blocks.push_back(current);
    for (std::size_t i = first_new; i < blocks.size(); ++i)
        if (!block_hash(fd, blocks[i].offset, blocks[i].length, buffer, blocks[i].hash))
            return -1;
    return covered;
}

bool load(const std::string& file, index& idx)
{
    zovFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)
        || static_cast<std::uint64_t>(st.st_size) < sizeof(header)
        || static_cast<std::uint64_t>(st.st_size) > max_index_bytes)
        return false;
    header h;
    if (!read_at(fd.get(), reinterpret_cast<char*>(&h), sizeof h, 0) || std::memcmp(h.magic, magic, sizeof magic) != 0)
        return false;
    // The count is checked by division: a multiplication could wrap around.
    const std::uint64_t room = static_cast<std::uint64_t>(st.st_size) - sizeof h;
    if (room % sizeof(block) != 0 || h.blocks != room / sizeof(block))
        return false;
    std::vector<block> blocks(static_cast<std::size_t>(h.blocks));
    if (!blocks.empty() && !read_at(fd.get(), reinterpret_cast<char*>(blocks.data()), blocks.size() * sizeof(block), sizeof h))
        return false;
    if (checksum_of(h, blocks) != h.checksum || h.covered > h.size)
        return false;
    // The blocks must tile the covered part exactly.
    std::uint64_t at = 0;
    for (const block& b : blocks) {
        if (b.offset != at || b.length == 0 || b.length > h.covered - at)
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

std::int64_t nanoseconds(std::int64_t sec, std::int64_t nsec)
{
    return sec * 1000000000 + nsec;
}

// How far apart two changes must be for the file system to give them
// different times. Whole seconds in both times mean a coarse one (ext4 with
// small inodes, ext3, sshfs: 1 s; vfat: 2 s); otherwise the clock tick that
// the kernel stamps files with, a few milliseconds.
std::int64_t time_granularity(const struct stat& st)
{
    if (st.st_ctim.tv_nsec == 0 && st.st_mtim.tv_nsec == 0)
        return nanoseconds(2, 0);
    return nanoseconds(0, 20000000);
}

// The same size and times as when the bytes were last read, and that reading
// safely later than the file's change time.
bool trusted_on_times(const header& h, const struct stat& st)
{
    const bool same_times = h.size == static_cast<std::uint64_t>(st.st_size) && h.mtime_sec == st.st_mtim.tv_sec
                            && h.mtime_nsec == st.st_mtim.tv_nsec && h.ctime_sec == st.st_ctim.tv_sec
                            && h.ctime_nsec == st.st_ctim.tv_nsec;
    return same_times
           && nanoseconds(h.stamp_sec, h.stamp_nsec) - nanoseconds(st.st_ctim.tv_sec, st.st_ctim.tv_nsec)
                  >= time_granularity(st);
}

enum class verdict
{
    stale,     // describes other bytes, or cannot tell: rebuild
    trusted,   // the file's times prove nothing changed since its bytes were read
    verified,  // every indexed block still holds the bytes it was built from
};

// The one place that decides whether idx still describes the bytes of the
// file. It must be the same file (device and inode), at least as long as
// what the index covers. Then:
// - The same size and times as when its bytes were last read, with that
//   reading safely later than the file's change time: nothing can have
//   changed, since a later change would have moved the change time. This is
//   git's rule for a "racy" index: a change within the same tick of the
//   file system's clock leaves the times as they were (a same-size edit,
//   an edit with the modification time put back), so such an index is not
//   trusted on its times alone.
// - Otherwise every block's checksum is compared with what the file now
//   holds: an edit anywhere, even in a block no question reads (a line can
//   move from there into the days asked about), makes it stale; if all are
//   unchanged, the file only grew or was touched.
verdict verdict_on(const index& idx, int fd, const struct stat& st)
{
    const header& h = idx.head;
    if (!idx.built() || h.dev != static_cast<std::uint64_t>(st.st_dev)
        || h.ino != static_cast<std::uint64_t>(st.st_ino) || h.covered > static_cast<std::uint64_t>(st.st_size))
        return verdict::stale;
    if (trusted_on_times(h, st))
        return verdict::trusted;
    std::vector<char> buffer;
    for (const block& b : idx.blocks) {
        std::uint64_t hash = 0;
        if (!block_hash(fd, b.offset, b.length, buffer, hash) || hash != b.hash)
            return verdict::stale;
    }
    return verdict::verified;
}

// Brings a verified (or empty) index up to the file: indexes what was
// appended since and stamps it with the file's times and `read_at`, the
// moment before they were taken. False on a read error of the data file.
bool refresh(index& idx, int fd, const struct stat& st, const struct timespec& read_at)
{
    if (!idx.built()) {
        idx.blocks.clear();
        idx.head = header{};
        std::memcpy(idx.head.magic, magic, sizeof magic);
    }
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (idx.head.covered < size) {
        // A short last block takes the new lines in, so that appending one
        // line at a time does not leave a trail of tiny blocks. An unfinished
        // last line stays outside until its line feed comes.
        std::uint64_t from = idx.head.covered;
        if (!idx.blocks.empty() && idx.blocks.back().length < block_bytes) {
            from = idx.blocks.back().offset;
            idx.blocks.pop_back();
        }
        const std::int64_t covered = add_blocks(fd, from, size, idx.blocks);
        if (covered < 0)
            return false;
        idx.head.covered = static_cast<std::uint64_t>(covered);
    }
    header& h = idx.head;
    h.dev = static_cast<std::uint64_t>(st.st_dev);
    h.ino = static_cast<std::uint64_t>(st.st_ino);
    h.size = size;
    h.mtime_sec = st.st_mtim.tv_sec;
    h.mtime_nsec = st.st_mtim.tv_nsec;
    h.ctime_sec = st.st_ctim.tv_sec;
    h.ctime_nsec = st.st_ctim.tv_nsec;
    h.stamp_sec = read_at.tv_sec;
    h.stamp_nsec = read_at.tv_nsec;
    h.blocks = idx.blocks.size();
    h.checksum = checksum_of(h, idx.blocks);
    return true;
}

std::mutex cache_mutex;
index cache;  // the index of the last file asked about

// The parsed sessions of blocks read before: a second question about the
// same days parses nothing. Blocks with lines in local time are parsed
// afresh each time, since the zone may have changed. Emptied whenever the
// index is rebuilt.
std::map<std::uint64_t, parsed_block> parsed;  // by block offset
std::size_t parsed_sessions = 0;
constexpr std::size_t parsed_limit = 100000;

void forget_parsed()
{
    parsed.clear();
    parsed_sessions = 0;
}

// The index of `path` that serves the file as it is now, from memory, from
// its file or built afresh, and saved when it changed. False on a read error.
bool up_to_date(const std::string& path, int fd, const struct stat& st, const struct timespec& read_at)
{
    const std::string file = index_path(path);
    verdict v = verdict::stale;
    if (cache.path == path)
        v = verdict_on(cache, fd, st);
    if (v == verdict::stale) {
        // Another process may have brought the file's index up to date.
        forget_parsed();
        index idx;
        idx.path = path;
        if (load(file, idx))
            v = verdict_on(idx, fd, st);
        if (v == verdict::stale)
            idx = index{path, header{}, {}};
        cache = std::move(idx);
    }
    if (v == verdict::trusted)
        return true;
    const bool was_built = cache.built();
    const std::uint64_t covered = cache.head.covered;
    if (!refresh(cache, fd, st, read_at)) {
        cache = index{};
        forget_parsed();
        return false;
    }
    // A check that found nothing new is worth storing once it makes the
    // index trusted on the file's times alone.
    if (!was_built || cache.head.covered != covered || trusted_on_times(cache.head, st))
        save(file, cache);
    return true;
}

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
    forget_parsed();
}

zovFile::read_status read_range(const std::string& path, const std::function<void(const zovSession&)>& take,
                                 std::int64_t lo, std::int64_t hi)
{
    zovFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? zovFile::read_status::missing : zovFile::read_status::failed;
    // The moment of reading is taken before the file's times: a change after
    // it cannot carry the times seen here.
    struct timespec read_at;
    ::clock_gettime(CLOCK_REALTIME, &read_at);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return zovFile::read_status::failed;

    std::lock_guard<std::mutex> guard(cache_mutex);
    if (!up_to_date(path, fd.get(), st, read_at))
        return zovFile::read_status::failed;

    // The blocks whose instants reach into the range, then whatever lies
    // beyond the indexed part; each parsed once per process where it can be.
    std::vector<char> buffer;
    bool offered = false;
    for (const block& b : cache.blocks) {
        if (b.hi < lo || b.lo > hi)
            continue;
        auto found = parsed.find(b.offset);
        parsed_block fresh;
        const parsed_block* use = nullptr;
        if (found != parsed.end() && found->second.length == b.length && found->second.hash == b.hash) {
            use = &found->second;
        } else {
            fresh.length = b.length;
            fresh.hash = b.hash;
            if (!parse_span(fd.get(), b.offset, b.offset + b.length, false, buffer, fresh))
                return zovFile::read_status::failed;
            use = &fresh;
            if (!b.local) {
                if (parsed_sessions > parsed_limit)
                    forget_parsed();
                parsed_sessions += fresh.sessions.size();
                use = &parsed.insert_or_assign(b.offset, std::move(fresh)).first->second;
            }
        }
        offered |= use->offered;
        for (const zovSession& session : use->sessions)
            take(session);
    }
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (cache.head.covered < size) {
        parsed_block rest;
        if (!parse_span(fd.get(), cache.head.covered, size, true, buffer, rest))
            return zovFile::read_status::failed;
        offered |= rest.offered;
        for (const zovSession& session : rest.sessions)
            take(session);
    }
    return offered ? zovFile::read_status::lines : zovFile::read_status::empty;
}

}  // namespace zov_detail
