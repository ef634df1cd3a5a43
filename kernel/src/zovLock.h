#pragma once

#include <string>

// An exclusive advisory lock (flock) on a lock file in the data folder, held
// for one read-modify-write of the task files, so that two programs on one
// folder never act on the same state. Readers take no lock: every append is
// a single write.
class zovLock
{
public:
    // Waits at most wait_ms for the lock.
    zovLock(const std::string& dir, int wait_ms);
    ~zovLock();
    zovLock(const zovLock&) = delete;
    zovLock& operator=(const zovLock&) = delete;

    bool held() const { return m_fd >= 0; }

    static constexpr const char* file_name = ".lock";

private:
    int m_fd;
};
