#include "CheckedFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

namespace
{

// Closes a descriptor on every way out of a function.
class Descriptor
{
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports a late write error (some file systems only report one here).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int m_fd;
};

std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QString notAFileReason(mode_t mode)
{
    return S_ISDIR(mode) ? QStringLiteral(u"这是一个文件夹，不是文件")
                         : QStringLiteral(u"这是设备或管道，不是普通文件");
}

// Follows symbolic links to the name the data lives under; a dangling link gives the name it
// points to, so the write creates that file and the link starts to work.
std::string followLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return path;
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/') {
            const std::size_t slash = path.rfind('/');
            target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
        }
        path = std::move(target);
    }
    return path;
}

int writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= written;
    }
    return 0;
}

int writeAll(int fd, std::span<const QByteArrayView> pieces)
{
    for (const QByteArrayView piece : pieces)
        if (const int error = writeAll(fd, piece))
            return error;
    return 0;
}

// A device or pipe named as the output (/dev/null, a terminal) cannot be renamed over: it is
// written straight, as a user naming it expects.
QString writeInPlace(const std::string &target, std::span<const QByteArrayView> bytes)
{
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return systemErrorReason(errno);
    if (const int error = writeAll(fd.get(), bytes))
        return systemErrorReason(error);
    if (const int error = fd.close())
        return systemErrorReason(error);
    return QString();
}

// A new file beside the target; the mode 0666 lets the process's umask decide, as for any new
// file. Returns -1 with errno set when none can be made.
int openTemporary(const std::string &folder, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + ".tw-" + std::to_string(::getpid()) + '-' +
               std::to_string(QRandomGenerator::global()->generate());
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

QString systemErrorReason(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return QStringLiteral(u"没有访问权限");
    case EROFS:
        return QStringLiteral(u"文件系统是只读的");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral(u"磁盘空间已满");
    case EFBIG:
        return QStringLiteral(u"文件过大");
    case EISDIR:
        return QStringLiteral(u"这是一个文件夹，不是文件");
    case ENAMETOOLONG:
        return QStringLiteral(u"文件名太长");
    case ENOENT:
        return QStringLiteral(u"文件或文件夹不存在");
    case ENOTDIR:
        return QStringLiteral(u"路径中有一项不是文件夹");
    case ELOOP:
        return QStringLiteral(u"符号链接层数过多");
    case EIO:
        return QStringLiteral(u"设备读写出错");
    case EMFILE:
    case ENFILE:
        return QStringLiteral(u"打开的文件过多");
    default:
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

QString writeFailureMessage(const QString &path, const QString &reason)
{
    return QStringLiteral(u"文件写入失败：") + path + QStringLiteral(u"（") + reason + QStringLiteral(u"）");
}

QString replaceFileOrMessage(const QString &path, QByteArrayView bytes, WriteSync sync)
{
    const QString reason = replaceFileChecked(path, bytes, sync);
    return reason.isEmpty() ? reason : writeFailureMessage(path, reason);
}

void removeStaleOutput(const QString &path)
{
    if (path.isEmpty())
        return;
    const std::string name = nativePath(path);
    struct stat info;
    if (::lstat(name.c_str(), &info) != 0)
        return;
    if (S_ISREG(info.st_mode)) {
        ::unlink(name.c_str());
        return;
    }
    const std::string target = followLinks(name);
    if (S_ISLNK(info.st_mode) && ::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        [[maybe_unused]] const int emptied = ::truncate(target.c_str(), 0);
    }
}

CheckedRead readFileChecked(const QString &path, qint64 maxBytes)
{
    CheckedRead result;
    auto refuse = [&](ReadFault fault, const QString &reason) {
        result.bytes.clear();
        result.fault = fault;
        result.reason = reason;
        return result;
    };
    if (path.isEmpty())
        return refuse(ReadFault::CannotOpen, systemErrorReason(ENOENT));
    // Non-blocking, so that opening a pipe with no writer cannot hang; the type is checked on
    // the open descriptor, so a name swapped after a check cannot slip through.
    Descriptor fd(::open(nativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return refuse(ReadFault::CannotOpen, systemErrorReason(errno));
    struct stat info;
    if (::fstat(fd.get(), &info) != 0)
        return refuse(ReadFault::CannotOpen, systemErrorReason(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(ReadFault::NotAFile, notAFileReason(info.st_mode));
    const QString tooLarge = QStringLiteral(u"文件超过 %1 字节").arg(maxBytes);
    if (info.st_size > maxBytes)
        return refuse(ReadFault::TooLarge, tooLarge);
    // One byte more than allowed tells a file that grew since fstat (or a /proc file that reports
    // no size) from one that fits.
    result.bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == result.bytes.size()) {
            if (used > maxBytes)
                return refuse(ReadFault::TooLarge, tooLarge);
            result.bytes.resize(static_cast<qsizetype>(std::min<qint64>(maxBytes + 1, used * 2 + 4096)));
        }
        const ssize_t got = ::read(fd.get(), result.bytes.data() + used,
                                   static_cast<std::size_t>(result.bytes.size() - used));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return refuse(ReadFault::ReadError, systemErrorReason(errno));
        }
        if (got == 0)
            break;
        used += got;
    }
    if (used > maxBytes)
        return refuse(ReadFault::TooLarge, tooLarge);
    result.bytes.truncate(used);
    return result;
}

QString replaceFileChecked(const QString &path, QByteArrayView bytes, WriteSync sync)
{
    return replaceFileChecked(path, std::span<const QByteArrayView>(&bytes, 1), sync);
}

QString replaceFileChecked(const QString &path, std::span<const QByteArrayView> bytes, WriteSync sync)
{
    if (path.isEmpty())
        return systemErrorReason(ENOENT);
    const std::string target = followLinks(nativePath(path));
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return QStringLiteral(u"已有同名的文件夹");
    if (exists && !S_ISREG(existing.st_mode))
        return writeInPlace(target, bytes);

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string temporary;
    Descriptor fd(openTemporary(folder, temporary));
    if (!fd.valid())
        return systemErrorReason(errno);
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return systemErrorReason(error);
    };
    if (exists) {
        // The replacement keeps the file's permissions, and its owner where we may set it; when
        // we may not, the file becomes ours, as with any editor's save.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (const int error = writeAll(fd.get(), bytes))
        return fail(error);
    if (sync == WriteSync::Durable && ::fsync(fd.get()) != 0)
        return fail(errno);
    if (const int error = fd.close())
        return fail(error);
    // A generated file's old copy goes just before the rename: renaming over a file makes ext4
    // (and others that allocate late) push the new file's data to the disk at once.
    if (sync == WriteSync::Generated && exists)
        ::unlink(target.c_str());
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    return QString();
}

} // namespace tw
