#include "base/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <climits>
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
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Hands the descriptor over to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
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

// The folder part of a path, with its slash; empty for a bare name.
std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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
        if (target.front() != '/')
            target = folderOf(path) + target;
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

// A new file beside the target; the mode 0666 lets the process's umask decide, as for any new
// file. Returns -1 with errno set when none can be made.
// A hidden name of ours in folder, different at every attempt: a staged file ("") or the old file
// kept aside during a replacement ("old-").
std::string scratchName(const std::string &folder, std::string_view tag, int attempt)
{
    std::uint32_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
        random ^= static_cast<std::uint32_t>(attempt) * 2654435761u;
    return folder + ".tw-" + std::to_string(::getpid()) + '-' + std::string(tag) + std::to_string(random);
}

int openTemporary(const std::string &folder, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = scratchName(folder, "", attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// "文件写入失败：PATH（REASON）" and its kin.
std::string fileFaultText(std::string_view what, std::string_view path, std::string_view reason)
{
    std::string text(what);
    text.append(path);
    text += "（";
    text.append(reason);
    text += "）";
    return text;
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

std::string tooLargeReason(std::int64_t maxBytes)
{
    return "文件超过 " + std::to_string(maxBytes) + " 字节";
}

// Opens an input under the checked read's rules; info receives what fstat found.
ReadFault openInput(const std::string &path, std::int64_t maxBytes, Descriptor &fd, struct stat &info,
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
    fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    if (::fstat(fd.get(), &info) != 0)
        return refuse(ReadFault::CannotOpen, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(ReadFault::NotAFile, notAFileReason(info.st_mode));
    if (info.st_size > maxBytes)
        return refuse(ReadFault::TooLarge, tooLargeReason(maxBytes));
    return ReadFault::None;
}

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
    return fileFaultText("文件写入失败：", path, reason);
}

std::string readFailureText(std::string_view path, std::string_view reason)
{
    return fileFaultText("文件读取失败：", path, reason);
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
    struct stat info;
    Descriptor fd(-1);
    if (const ReadFault fault = openInput(path, maxBytes, fd, info, reason); fault != ReadFault::None)
        return fault;
    const auto tooLarge = [&] { return tooLargeReason(maxBytes); };
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

CheckedInput::~CheckedInput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ReadFault CheckedInput::open(const std::string &path, std::int64_t maxBytes, std::string &reason)
{
    Descriptor fd(-1);
    struct stat info;
    const ReadFault fault = openInput(path, maxBytes, fd, info, reason);
    if (fault != ReadFault::None)
        return fault;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd.release();
    m_size = info.st_size;
    return ReadFault::None;
}

std::int64_t CheckedInput::read(char *data, std::size_t size, std::string &reason)
{
    std::size_t used = 0;
    while (used < size) {
        const ssize_t got = ::read(m_fd, data + used, size - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            reason = systemErrorText(errno);
            return -1;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(used);
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

std::string outputRefusal(const std::string &path)
{
    if (path.empty())
        return systemErrorText(ENOENT);
    std::size_t begin = 0;
    while (begin <= path.size()) {
        const std::size_t slash = std::min(path.find('/', begin), path.size());
        if (slash - begin > NAME_MAX)
            return systemErrorText(ENAMETOOLONG);
        begin = slash + 1;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return errno == ELOOP ? systemErrorText(ELOOP) : std::string();
    if (S_ISDIR(info.st_mode))
        return "已有同名的文件夹";
    if (!S_ISREG(info.st_mode))
        return notAFileReason(info.st_mode);
    return std::string();
}

StagedFile::~StagedFile()
{
    discard();
    if (!m_kept.empty())
        ::unlink(m_kept.c_str());
}

StagedFile::StagedFile(StagedFile &&other) noexcept
    : m_target(std::move(other.m_target)), m_temporary(std::move(other.m_temporary)),
      m_kept(std::move(other.m_kept)), m_existed(other.m_existed), m_committed(other.m_committed)
{
    other.m_temporary.clear();
    other.m_kept.clear();
    other.m_committed = false;
}

void StagedFile::discard()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

std::string StagedFile::stage(const std::string &path, const ContentWriter &content, WriteSync sync)
{
    discard();
    if (std::string refusal = outputRefusal(path); !refusal.empty())
        return refusal;
    m_target = followLinks(path);
    struct stat existing;
    m_existed = ::stat(m_target.c_str(), &existing) == 0;
    if (m_existed && !S_ISREG(existing.st_mode))
        return outputRefusal(m_target);
    std::string temporary;
    Descriptor fd(openTemporary(folderOf(m_target), temporary));
    if (!fd.valid())
        return systemErrorText(errno);
    m_temporary = temporary;
    auto fail = [&](int error) {
        discard();
        return systemErrorText(error);
    };
    if (m_existed) {
        // The replacement keeps the file's permissions, and its owner where we may set it; when
        // we may not, the file becomes ours, as with any editor's save.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            return fail(errno);
    }
    const std::string reason = content([&](std::string_view piece) {
        const int error = writeAll(fd.get(), piece);
        return error ? systemErrorText(error) : std::string();
    });
    if (!reason.empty()) {
        discard();
        return reason;
    }
    if (sync == WriteSync::Durable && ::fsync(fd.get()) != 0)
        return fail(errno);
    if (const int error = fd.close())
        return fail(error);
    return std::string();
}

std::string StagedFile::commit()
{
    if (m_temporary.empty())
        return systemErrorText(ENOENT);
    // The old file steps aside under a name of its own instead of being renamed over: a roll-back
    // can put it back, and ext4 (like others that allocate late) does not push the new file's
    // data to the disk at once, as it does for a rename over a file.
    if (m_existed) {
        std::string kept;
        for (int attempt = 0; attempt < 100 && kept.empty(); ++attempt) {
            std::string name = scratchName(folderOf(m_target), "old-", attempt);
            struct stat info;
            if (::lstat(name.c_str(), &info) != 0 && errno == ENOENT)
                kept = std::move(name);
        }
        if (kept.empty() || ::rename(m_target.c_str(), kept.c_str()) != 0) {
            const int error = kept.empty() ? EEXIST : errno;
            discard();
            return systemErrorText(error);
        }
        m_kept = kept;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        if (!m_kept.empty() && ::rename(m_kept.c_str(), m_target.c_str()) == 0)
            m_kept.clear();
        discard();
        return systemErrorText(error);
    }
    m_temporary.clear();
    m_committed = true;
    return std::string();
}

void StagedFile::rollBack()
{
    if (!m_committed) {
        discard();
        return;
    }
    if (!m_kept.empty()) {
        if (::rename(m_kept.c_str(), m_target.c_str()) == 0)
            m_kept.clear();
    } else {
        ::unlink(m_target.c_str());
    }
    m_committed = false;
}

std::string replaceFilePlain(const std::string &path, std::span<const std::string_view> pieces,
                             WriteSync sync)
{
    StagedFile file;
    std::string reason = file.stage(
        path,
        [&](const PieceSink &put) {
            for (const std::string_view piece : pieces)
                if (std::string error = put(piece); !error.empty())
                    return error;
            return std::string();
        },
        sync);
    return reason.empty() ? file.commit() : reason;
}

} // namespace tw
