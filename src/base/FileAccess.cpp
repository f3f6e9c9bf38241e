#include "base/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
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

std::string notAFileReason(mode_t mode)
{
    return S_ISDIR(mode) ? "这是一个文件夹，不是文件" : "这是设备或管道，不是普通文件";
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

int writeAll(int fd, std::string_view bytes)
{
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

int writeAll(int fd, std::span<const std::string_view> pieces)
{
    for (const std::string_view piece : pieces)
        if (const int error = writeAll(fd, piece))
            return error;
    return 0;
}

// A device or pipe named as the output (/dev/null, a terminal) cannot be renamed over: it is
// written straight, as a user naming it expects.
std::string writeInPlace(const std::string &target, std::span<const std::string_view> pieces)
{
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return systemErrorText(errno);
    if (const int error = writeAll(fd.get(), pieces))
        return systemErrorText(error);
    if (const int error = fd.close())
        return systemErrorText(error);
    return std::string();
}

// A new file beside the target; the mode 0666 lets the process's umask decide, as for any new
// file. Returns -1 with errno set when none can be made.
int openTemporary(const std::string &folder, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint32_t random = 0;
        if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
            random ^= static_cast<std::uint32_t>(attempt) * 2654435761u;
        name = folder + ".tw-" + std::to_string(::getpid()) + '-' + std::to_string(random);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

class StringBuffer final : public ReadBuffer
{
  public:
    explicit StringBuffer(std::string &bytes) : m_bytes(bytes) {}
    char *resize(std::size_t size) override
    {
        m_bytes.resize(size);
        return m_bytes.data();
    }

  private:
    std::string &m_bytes;
};

} // namespace

std::string systemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case EROFS:
        return "文件系统是只读的";
    case ENOSPC:
    case EDQUOT:
        return "磁盘空间已满";
    case EFBIG:
        return "文件过大";
    case EISDIR:
        return "这是一个文件夹，不是文件";
    case ENAMETOOLONG:
        return "文件名太长";
    case ENOENT:
        return "文件或文件夹不存在";
    case ENOTDIR:
        return "路径中有一项不是文件夹";
    case ELOOP:
        return "符号链接层数过多";
    case EIO:
        return "设备读写出错";
    case EMFILE:
    case ENFILE:
        return "打开的文件过多";
    default:
        return std::strerror(errorNumber);
    }
}

std::string writeFailureText(std::string_view path, std::string_view reason)
{
    std::string text = "文件写入失败：";
    text.append(path);
    text += "（";
    text.append(reason);
    text += "）";
    return text;
}

void removeStaleOutputPlain(const std::string &path)
{
    if (path.empty())
        return;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISREG(info.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    const std::string target = followLinks(path);
    if (S_ISLNK(info.st_mode) && ::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        [[maybe_unused]] const int emptied = ::truncate(target.c_str(), 0);
    }
}

ReadFault readFileInto(const std::string &path, std::int64_t maxBytes, ReadBuffer &buffer,
                       std::string &reason)
{
    auto refuse = [&](ReadFault fault, std::string why) {
        reason = std::move(why);
        return fault;
    };
    if (path.empty())
        return refuse(ReadFault::CannotOpen, systemErrorText(ENOENT));
    // Non-blocking, so that opening a pipe with no writer cannot hang; the type is checked on
    // the open descriptor, so a name swapped after a check cannot slip through.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    struct stat info;
    if (::fstat(fd.get(), &info) != 0)
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(ReadFault::NotAFile, notAFileReason(info.st_mode));
    const auto tooLarge = [&] { return "文件超过 " + std::to_string(maxBytes) + " 字节"; };
    if (info.st_size > maxBytes)
        return refuse(ReadFault::TooLarge, tooLarge());
    // One byte more than allowed tells a file that grew since fstat (or a /proc file that reports
    // no size) from one that fits.
    std::size_t size = static_cast<std::size_t>(info.st_size) + 1;
    char *data = buffer.resize(size);
    std::size_t used = 0;
    for (;;) {
        if (used == size) {
            if (static_cast<std::int64_t>(used) > maxBytes)
                return refuse(ReadFault::TooLarge, tooLarge());
            size = static_cast<std::size_t>(
                std::min<std::int64_t>(maxBytes + 1, static_cast<std::int64_t>(used) * 2 + 4096));
            data = buffer.resize(size);
        }
        const ssize_t got = ::read(fd.get(), data + used, size - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return refuse(ReadFault::ReadError, systemErrorText(errno));
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    if (static_cast<std::int64_t>(used) > maxBytes)
        return refuse(ReadFault::TooLarge, tooLarge());
    buffer.resize(used);
    return ReadFault::None;
}

PlainRead readFilePlain(const std::string &path, std::int64_t maxBytes)
{
    PlainRead result;
    StringBuffer buffer(result.bytes);
    result.fault = readFileInto(path, maxBytes, buffer, result.reason);
    if (!result.ok())
        result.bytes.clear();
    return result;
}

std::string replaceFilePlain(const std::string &path, std::span<const std::string_view> pieces,
                             WriteSync sync)
{
    if (path.empty())
        return systemErrorText(ENOENT);
    const std::string target = followLinks(path);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return "已有同名的文件夹";
    if (exists && !S_ISREG(existing.st_mode))
        return writeInPlace(target, pieces);

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string temporary;
    Descriptor fd(openTemporary(folder, temporary));
    if (!fd.valid())
        return systemErrorText(errno);
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return systemErrorText(error);
    };
    if (exists) {
        // The replacement keeps the file's permissions, and its owner where we may set it; when
        // we may not, the file becomes ours, as with any editor's save.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (const int error = writeAll(fd.get(), pieces))
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
    return std::string();
}

} // namespace tw
