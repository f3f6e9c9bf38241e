#include "base/RunLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

namespace
{

int lockWithoutWaiting(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Whether the open file is still the one under name: a sweep removes a lock file only while it
// holds the lock, so a lock taken on a file that has since lost its name guards nothing.
bool stillNamed(int fd, int folderFd, const std::string &name)
{
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

RunLock::~RunLock()
{
    release();
}

RunLock::RunLock(RunLock &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

RunLock &RunLock::operator=(RunLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

int RunLock::hold(int folderFd, const std::string &name)
{
    release();
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Opened for writing, since a lock on a network share is a write lock there.
        const int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno;
        const int error = lockWithoutWaiting(fd);
        if (error == 0 && stillNamed(fd, folderFd, name)) {
            m_fd = fd;
            return 0;
        }
        ::close(fd);
        // EWOULDBLOCK: a sweep holds it while it removes it; any other fault is final.
        if (error != 0 && error != EWOULDBLOCK)
            return error;
    }
    return EAGAIN;
}

void RunLock::removeAndRelease(int folderFd, const std::string &name)
{
    if (m_fd >= 0 && stillNamed(m_fd, folderFd, name))
        ::unlinkat(folderFd, name.c_str(), 0);
    release();
}

void RunLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RunLock::takeEnded(int folderFd, const std::string &name)
{
    release();
    const int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (lockWithoutWaiting(fd) != 0 || !stillNamed(fd, folderFd, name)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace tw
