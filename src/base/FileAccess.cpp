#include "base/FileAccess.h"

#include "base/ScratchFiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
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

// A folder as the user knows it: without the closing slash; the working folder by its path.
std::string folderName(const std::string &folder)
{
    if (folder.size() > 1)
        return folder.substr(0, folder.size() - 1);
    if (!folder.empty())
        return folder;
    char *here = ::getcwd(nullptr, 0);
    std::string name = here ? here : ".";
    std::free(here);
    return name;
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

// A new file of ours in folder; the mode 0666 lets the process's umask decide, as for any new
// file. The name is held for the interrupt handlers before the file exists, so that no moment
// leaves it unlisted. Returns -1 with errno set when none can be made.
int openTemporary(const std::string &folder, std::string &name, ScratchEntry &entry)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = scratchName(folder, "");
        entry = ScratchEntry(name);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        const int error = errno;
        entry.release();
        if (error != EEXIST) {
            errno = error;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

// A second name for the file at target under kept, made by a hard link, or by a copy where the
// file system has none. 0 on success, else the error (ENOENT: there is no file to keep).
int keepOldFile(const std::string &target, const std::string &kept)
{
    if (::link(target.c_str(), kept.c_str()) == 0)
        return 0;
    if (errno == ENOENT || errno == EEXIST)
        return errno;
    // Only a regular file is copied; whatever else stands there is the rename's to refuse.
    struct stat info;
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return ENOENT;
    Descriptor from(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!from.valid() || ::fstat(from.get(), &info) != 0)
        return errno;
    Descriptor to(::open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!to.valid())
        return errno;
    char buffer[64 * 1024];
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(from.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        if ((error = writeAll(to.get(), std::string_view(buffer, static_cast<std::size_t>(got)))) != 0)
            break;
    }
    if (error == 0 && ::fchmod(to.get(), info.st_mode & 07777) != 0)
        error = errno;
    if (error == 0)
        error = to.close();
    if (error != 0)
        ::unlink(kept.c_str());
    return error;
}

ReplaceStepHook g_stepHook = nullptr;

void reachStep(ReplaceStep step)
{
    if (g_stepHook)
        g_stepHook(step);
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
        return "磁盘空间已满";
    case EDQUOT:
        return "磁盘配额已用完";
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
    case EBUSY:
        return "文件或设备正忙";
    case EAGAIN:
        return "资源暂时不可用，请稍后再试";
    case EXDEV:
        return "不能跨文件系统移动文件";
    case ETXTBSY:
        return "文件正被执行，不能写入";
    case EEXIST:
        return "文件已存在";
    case ENOTEMPTY:
        return "文件夹不是空的";
    case EMLINK:
        return "文件的链接数过多";
    case EINVAL:
        return "参数无效";
    case ENOMEM:
    case ENOBUFS:
        return "内存不足";
    case EINTR:
        return "操作被中断";
    case ENXIO:
    case ENODEV:
        return "设备不存在";
    case EOVERFLOW:
        return "文件过大，无法处理";
    case EBADF:
        return "文件描述符无效";
    case EFAULT:
        return "地址无效";
    case ESTALE:
        return "网络文件已失效";
    case ETIMEDOUT:
        return "操作超时";
    case ENOLCK:
        return "没有可用的文件锁";
    case EDEADLK:
        return "文件锁会造成死锁";
    case EOPNOTSUPP:
        return "文件系统不支持此操作";
    case ENOSYS:
        return "系统不支持此操作";
    case EPIPE:
        return "管道已断开";
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
        return "网络连接已断开";
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
        return "网络不可用";
    case ENOMEDIUM:
        return "设备中没有介质";
    case EUCLEAN:
    case EBADMSG:
        return "文件系统已损坏";
    case ENOTBLK:
        return "不是块设备";
    case ESPIPE:
        return "不能在此文件中定位";
    default:
        return "系统错误（错误号 " + std::to_string(errorNumber) + "）";
    }
}

std::string writeFailureText(std::string_view path, std::string_view reason)
{
    return fileFaultText("文件写入失败：", path, reason);
}

std::string putBackFailureText(std::string_view path, std::string_view kept)
{
    return "原有文件 " + std::string(path) + " 未能恢复，现保存为 " + std::string(kept);
}

std::string readFailureText(std::string_view path, std::string_view reason)
{
    return fileFaultText("文件读取失败：", path, reason);
}

void removeStaleOutputPlain(const std::string &path)
{
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return;
    // A link goes as a link: the file it names may be the user's own (a release copy, read-only).
    if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))
        ::unlink(path.c_str());
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
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ELOOP)
            return systemErrorText(ELOOP);
    } else if (S_ISDIR(info.st_mode)) {
        return "已有同名的文件夹";
    } else if (!S_ISREG(info.st_mode)) {
        return notAFileReason(info.st_mode);
    } else if (::access(path.c_str(), W_OK) != 0) {
        // As a shell's ">" would: a file the user may not write is not replaced behind its back.
        return errno == EACCES || errno == EPERM ? "文件是只读的，没有写入权限" : systemErrorText(errno);
    }
    // The new file is made in the folder of the file the name leads to.
    const std::string folder = folderOf(followLinks(path));
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) {
        if (errno != EACCES && errno != EPERM)
            return systemErrorText(errno);
        return "文件夹不允许新建文件：" + folderName(folder);
    }
    return std::string();
}

FileIdentity fileIdentity(const std::string &path)
{
    FileIdentity identity;
    const std::string target = followLinks(path);
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
        identity.exists = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    const std::string folder = folderOf(target);
    std::string name = target.substr(folder.size());
    char *real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (real) {
        identity.path = real;
        std::free(real);
        if (identity.path.back() != '/')
            identity.path += '/';
        identity.path += name;
    } else {
        // A folder still to be made: its path as written, made absolute and cleaned.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(target, error);
        identity.path = (error ? std::filesystem::path(target) : absolute).lexically_normal().string();
    }
    return identity;
}

bool FileIdentity::sameAs(const FileIdentity &other) const
{
    if (exists && other.exists && device == other.device && inode == other.inode)
        return true;
    return !path.empty() && path == other.path;
}

void setReplaceStepHook(ReplaceStepHook hook)
{
    g_stepHook = hook;
}

StagedFile::~StagedFile()
{
    discard();
    if (!m_kept.empty())
        ::unlink(m_kept.c_str());
}

StagedFile::StagedFile(StagedFile &&other) noexcept
    : m_target(std::move(other.m_target)), m_temporary(std::move(other.m_temporary)),
      m_kept(std::move(other.m_kept)), m_temporaryEntry(std::move(other.m_temporaryEntry)),
      m_keptEntry(std::move(other.m_keptEntry)), m_device(other.m_device), m_inode(other.m_inode),
      m_committed(other.m_committed)
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
    m_temporaryEntry.release();
}

std::string StagedFile::stage(const std::string &path, const ContentWriter &content, WriteSync sync)
{
    discard();
    if (std::string refusal = outputRefusal(path); !refusal.empty())
        return refusal;
    m_target = followLinks(path);
    struct stat existing;
    const bool existed = ::stat(m_target.c_str(), &existing) == 0;
    if (existed && !S_ISREG(existing.st_mode))
        return outputRefusal(m_target);
    const std::string folder = folderOf(m_target);
    sweepDeadScratch(folder);
    std::string temporary;
    Descriptor fd(openTemporary(folder, temporary, m_temporaryEntry));
    if (!fd.valid())
        return systemErrorText(errno);
    m_temporary = temporary;
    auto fail = [&](int error) {
        discard();
        return systemErrorText(error);
    };
    if (existed) {
        // The replacement keeps the file's permissions, and its owner where we may set it; when
        // we may not, the file becomes ours, as with any editor's save.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            return fail(errno);
    }
    struct stat staged;
    if (::fstat(fd.get(), &staged) != 0)
        return fail(errno);
    m_device = staged.st_dev;
    m_inode = staged.st_ino;
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
    reachStep(ReplaceStep::Staged);
    return std::string();
}

std::string StagedFile::commit()
{
    if (m_temporary.empty())
        return systemErrorText(ENOENT);
    // The old file gets a second name first, for a roll-back; then the new one is renamed over
    // the name, so that the name always holds one whole file, the old or the new.
    const std::string folder = folderOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string kept = scratchName(folder, "old-");
        m_keptEntry = ScratchEntry(kept);
        const int error = keepOldFile(m_target, kept);
        if (error == 0) {
            m_kept = std::move(kept);
            break;
        }
        m_keptEntry.release();
        if (error == ENOENT) // no old file (or it went meanwhile): nothing to keep
            break;
        if (error != EEXIST) {
            discard();
            return systemErrorText(error);
        }
    }
    reachStep(ReplaceStep::OldKept);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        dropKept();
        discard();
        return systemErrorText(error);
    }
    m_temporary.clear();
    m_temporaryEntry.release();
    m_committed = true;
    reachStep(ReplaceStep::Renamed);
    return std::string();
}

void StagedFile::dropKept()
{
    if (!m_kept.empty())
        ::unlink(m_kept.c_str());
    m_kept.clear();
    m_keptEntry.release();
}

std::string StagedFile::rollBack()
{
    if (!m_committed) {
        discard();
        return std::string();
    }
    m_committed = false;
    // Only this run's own file is undone: a file another program saved here meanwhile stays.
    struct stat now;
    if (::lstat(m_target.c_str(), &now) != 0 || now.st_dev != m_device || now.st_ino != m_inode) {
        dropKept();
        return std::string();
    }
    if (m_kept.empty()) {
        ::unlink(m_target.c_str());
        return std::string();
    }
    if (::rename(m_kept.c_str(), m_target.c_str()) == 0) {
        m_kept.clear();
        m_keptEntry.release();
        return std::string();
    }
    // The old file stays under the name it was kept by, which is now the user's to take.
    std::string kept = std::move(m_kept);
    m_kept.clear();
    m_keptEntry.release();
    return kept;
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
