#pragma once
// Whether a run is still alive, told by an advisory lock that the run holds on a file while it
// lives. The kernel drops the lock however the process ends (SIGKILL included), and every process
// that sees the file sees the lock: one in another PID namespace, or on another machine sharing the
// folder, where a process id would name some other process, or none.
#include <string>

namespace tw
{

class RunLock
{
  public:
    RunLock() = default;
    ~RunLock();
    RunLock(RunLock &&other) noexcept;
    RunLock &operator=(RunLock &&other) noexcept;
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    // Makes the file name in the folder open as folderFd (AT_FDCWD: name is a path) and holds its
    // lock; returns 0, or the error. A lock file that a sweep removed between the open and the
    // lock is made again, so a held lock is always on the file under that name.
    int hold(int folderFd, const std::string &name);
    // Takes the lock of an ended run's file, so that no other sweep works on its files at once;
    // false when the run is live, the file is missing or the lock cannot be asked.
    bool takeEnded(int folderFd, const std::string &name);
    // Removes the file while the lock still holds it off from sweeps, then lets the lock go.
    void removeAndRelease(int folderFd, const std::string &name);
    // Lets the lock go, leaving the file.
    void release();
    bool held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

} // namespace tw
