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
    // Lines from the last one backwards, each found by the line feed before
    // it, read in blocks from the end. A line longer than max_line is passed
    // over as the forward reader passes over it: only its ends are looked at.
    constexpr off_t block = 4096;
    std::string chunk;
    off_t end = st.st_size;  // end of the line looked at (its line feed excluded)
    while (end >= 0) {
        off_t begin = 0;  // found by searching back from end for a line feed
        for (off_t pos = end; pos > 0;) {
            const off_t from = pos > block ? pos - block : 0;
            chunk.resize(static_cast<std::size_t>(pos - from));
            if (::pread(fd.get(), &chunk[0], chunk.size(), from) != static_cast<ssize_t>(chunk.size()))
                return read_status::failed;
            const std::size_t lf = chunk.rfind('\n');
            if (lf != std::string::npos) {
                begin = from + static_cast<off_t>(lf) + 1;
                break;
            }
            pos = from;
        }
        const std::size_t length = static_cast<std::size_t>(end - begin);
        if (length <= max_line) {
            std::string text(length, '\0');
            if (length > 0 && ::pread(fd.get(), &text[0], length, begin) != static_cast<ssize_t>(length))
                return read_status::failed;
            if (zov_detail::counts(text.data(), text.data() + text.size())) {
                line = std::move(text);
                return read_status::lines;
            }
        }
        end = begin - 1;  // before the line feed that ends the previous line
    }
    return read_status::empty;
}

zovFile::read_status zovFile::read_tail(std::size_t max, std::string& tail, std::uint64_t& from) const
{
    read_status failure = read_status::failed;
    zovFd fd(open_regular(path(), failure));
    if (fd.get() < 0)
        return failure;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return read_status::failed;
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    from = size > max ? size - max : 0;
    tail.assign(static_cast<std::size_t>(size - from), '\0');
    if (!tail.empty() && ::pread(fd.get(), &tail[0], tail.size(), static_cast<off_t>(from)) != static_cast<ssize_t>(tail.size()))
        return read_status::failed;
    return tail.empty() ? read_status::empty : read_status::lines;
}

bool zovFile::cut_at(std::uint64_t size) const
{
    zovFd fd(::open(path().c_str(), O_RDWR | O_CLOEXEC));
    return fd.get() >= 0 && ::ftruncate(fd.get(), static_cast<off_t>(size)) == 0 && ::fdatasync(fd.get()) == 0
           && fd.close();
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
