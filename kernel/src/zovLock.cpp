#include "zovLock.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

zovLock::zovLock(const std::string& dir, int wait_ms) : m_fd(-1)
{
    const std::string path = (dir.empty() ? std::string("./") : dir) + file_name;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // flock needs no write access
    if (fd < 0)
        return;
    // Poll rather than block: a blocking flock cannot be given a time limit.
    constexpr long step_ms = 5;
    for (long waited = 0;; waited += step_ms) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= wait_ms)
            break;
        const timespec pause{0, step_ms * 1000000L};
        ::nanosleep(&pause, nullptr);
    }
    ::close(fd);
}

zovLock::~zovLock()
{
    if (m_fd >= 0)
        ::close(m_fd);  // releases the lock
}
