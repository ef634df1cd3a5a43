#include <zov/zovHours.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zov/zovSession.h>

zovHours::zovHours() : zovFile("HOURS.TSK") {}

bool zovHours::init()
{
    zovHours hours;
    std::string line;
    if (hours.read_first(line))
        return true;
    // Only a missing file or one without sessions gets the header; a file
    // that exists but cannot be read may hold years of records.
    struct stat st;
    if (::stat(hours.path().c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        const int fd = ::open(hours.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        ::close(fd);
    } else if (errno != ENOENT) {
        return false;
    }
    return hours.write_clear("% task hours t1 t2");
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

bool zovHours::write(const std::vector<zovSession>& sessions) const
{
    if (sessions.empty())
        return false;
    std::string lines;
    for (const zovSession& s : sessions) {
        if (!s.is_valid())
            return false;
        if (!lines.empty())
            lines += '\n';
        lines += s.to_file_string();
    }
    return write_append(lines);
}
