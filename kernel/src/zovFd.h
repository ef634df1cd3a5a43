#pragma once
// A file descriptor closed at the end of its scope.

#include <unistd.h>

class zovFd
{
public:
    explicit zovFd(int fd) : m_fd(fd) {}
    ~zovFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    zovFd(const zovFd&) = delete;
    zovFd& operator=(const zovFd&) = delete;
    int get() const { return m_fd; }
    // Closes and reports whether the close succeeded.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};
