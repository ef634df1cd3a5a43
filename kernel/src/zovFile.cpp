#include <zov/zovFile.h>

#include "zovFd.h"
#include "zovLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vu_utils/vu_utils.h>
#include <zov/zovSink.h>

using zov_detail::is_blank;
using zov_detail::offer;

namespace {

bool write_all(int fd, const std::string& data)
{
    // One write() call, so that two processes appending at once do not
    // interleave within a line; a short write is a failure.
    ssize_t n;
    do {
        n = ::write(fd, data.data(), data.size());
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(data.size());
}


// Opens a file for reading. Only a regular file counts: a device such as
// /dev/zero would never end nor give a line end. On failure: -1, and whether
// the file was missing or could not be read.
int open_regular(const std::string& path, zovFile::read_status& failure)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = errno == ENOENT ? zovFile::read_status::missing : zovFile::read_status::failed;
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failure = zovFile::read_status::failed;
        return -1;
    }
    return fd;
}

// Makes a rename or link in the folder durable.
void sync_folder(const std::string& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

zovFile::zovFile(const std::string& dir, const std::string& file) : m_dir(dir), m_file(file) {}

zovFile::~zovFile() = default;

std::string zovFile::path() const
{
    return m_dir + m_file;
}

bool zovFile::get_tokens(const std::string& line, std::vector<std::string>& tokens) const
{
    tokenize(line, " \t\r", tokens);
    return !tokens.empty();
}

bool zovFile::read(zovSink& sink) const
{
    return read_lines(sink) == read_status::lines;
}

zovFile::read_status zovFile::read_lines(zovSink& sink) const
{
    read_status failure = read_status::failed;
    zovFd fd(open_regular(path(), failure));
    if (fd.get() < 0)
        return failure;
    std::string buffer(1 << 16, '\0');
    std::string line;
    std::size_t held = 0;   // bytes of an unfinished line at the buffer's start
    bool skipping = false;  // inside a line longer than max_line
    bool offered = false;
    bool go_on = true;
    for (;;) {
        if (held == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(fd.get(), &buffer[held], buffer.size() - held);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return read_status::failed;
        if (n == 0)
            break;
        const char* data = buffer.data();
        const char* end = data + held + static_cast<std::size_t>(n);
        const char* start = data;
        while (go_on) {
            const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
            if (!lf)
                break;
            if (skipping)
                skipping = false;
            else
                offered |= offer(start, lf, line, sink, go_on);
            start = lf + 1;
        }
        if (!go_on)
            return read_status::lines;
        held = static_cast<std::size_t>(end - start);
        if (skipping || held > max_line) {
            skipping = true;
            held = 0;
        }
        std::memmove(&buffer[0], start, held);
    }
    // The last line may lack its line feed.
    if (go_on && held > 0 && !skipping)
        offered |= offer(buffer.data(), buffer.data() + held, line, sink, go_on);
    return offered ? read_status::lines : read_status::empty;
}

bool zovFile::read_first(std::string& line) const
{
    zovSink1 sink;
    if (!read(sink))
        return false;
    line = sink.line();
    return true;
}

zovFile::read_status zovFile::read_last(std::string& line) const
{
    read_status failure = read_status::failed;
    zovFd fd(open_regular(path(), failure));
    if (fd.get() < 0)
        return failure;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return read_status::failed;
    // Blocks from the end; a line is whole once a line feed precedes it.
    constexpr off_t block = 4096;
    std::string tail;  // the file's last bytes, from a line start or the file's start
    off_t pos = st.st_size;
    while (pos > 0) {
        const off_t from = pos > block ? pos - block : 0;
        std::string chunk(static_cast<std::size_t>(pos - from), '\0');
        if (::pread(fd.get(), &chunk[0], chunk.size(), from) != static_cast<ssize_t>(chunk.size()))
            return read_status::failed;
        tail.insert(0, chunk);
        pos = from;
        // Look at each whole line of the tail, the last one first.
        std::size_t stop = tail.size();
        for (;;) {
            const std::size_t lf = stop == 0 ? std::string::npos : tail.rfind('\n', stop - 1);
            if (lf == std::string::npos && pos > 0)
                break;  // the line may begin in an earlier block
            const std::size_t first = lf == std::string::npos ? 0 : lf + 1;
            const char* p = tail.data() + first;
            const char* end = tail.data() + stop;
            while (p != end && is_blank(*p))
                ++p;
            if (p != end && *p != '%' && stop - first <= max_line) {
                line.assign(tail, first, stop - first);
                return read_status::lines;
            }
            if (lf == std::string::npos)
                return read_status::empty;
            stop = lf;
        }
        // Keep only what is not yet a whole line; give up on an overlong one.
        tail.erase(stop);
        if (tail.size() > max_line)
            return read_status::empty;
    }
    return read_status::empty;
}

bool zovFile::write_append(const std::string& line) const
{
    const std::string file = path();
    zovFd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    std::string data;
    data.reserve(line.size() + 2);
    // Never join a line that an interrupted write left without its end.
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd.get(), &last, 1, st.st_size - 1) != 1)
        return false;
    if (last != '\n')
        data += '\n';
    data += line;
    data += '\n';
    if (!write_all(fd.get(), data) || ::fdatasync(fd.get()) != 0) {
        // Take back a partial line rather than leave it to be read.
        if (::ftruncate(fd.get(), st.st_size) == 0)
            ::fdatasync(fd.get());
        return false;
    }
    return fd.close();
}

bool zovFile::take_back(const std::string& line) const
{
    zovFd fd(::open(path().c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat st;
    const std::string tail = line + '\n';
    const off_t size = static_cast<off_t>(tail.size());
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < size)
        return false;
    std::string found(tail.size(), '\0');
    if (::pread(fd.get(), &found[0], found.size(), st.st_size - size) != static_cast<ssize_t>(found.size())
        || found != tail)
        return false;
    return ::ftruncate(fd.get(), st.st_size - size) == 0 && ::fdatasync(fd.get()) == 0 && fd.close();
}

bool zovFile::write_clear(const std::string& line) const
{
    const std::string file = path();
    std::string temp = m_dir + "." + m_file + ".XXXXXX";
    zovFd fd(::mkostemp(&temp[0], O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    const std::string data = line + '\n';
    if (!write_all(fd.get(), data) || ::fsync(fd.get()) != 0 || !fd.close()
        || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    sync_folder(m_dir);
    return true;
}

bool zovFile::write_new(const std::string& line) const
{
    // Written aside and linked into place: link() never replaces a file, and
    // the name appears only with its whole content.
    const std::string file = path();
    struct stat st;
    if (::stat(file.c_str(), &st) == 0)
        return S_ISREG(st.st_mode);  // the usual case at start-up: nothing to write
    std::string temp = m_dir + "." + m_file + ".XXXXXX";
    zovFd fd(::mkostemp(&temp[0], O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    const std::string data = line + '\n';
    bool ok = write_all(fd.get(), data) && ::fsync(fd.get()) == 0 && fd.close();
    if (ok && ::link(temp.c_str(), file.c_str()) != 0) {
        ok = errno == EEXIST && ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    ::unlink(temp.c_str());
    if (!ok)
        return false;
    sync_folder(m_dir);
    return true;
}
