#include "base/FileSystemDetail.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace tw::detail
{

int Descriptor::close()
{
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

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

std::string notAFileReason(mode_t mode)
{
    return S_ISDIR(mode) ? "这是一个文件夹，不是文件" : "这是设备或管道，不是普通文件";
}

std::string randomText(std::size_t length, std::string_view alphabet)
{
    static std::atomic<std::uint64_t> counter{0};
    unsigned char bytes[64] = {};
    length = std::min(length, sizeof bytes);
    if (::getrandom(bytes, length, GRND_NONBLOCK) != static_cast<ssize_t>(length)) {
        // No entropy yet (early boot): the time, the process and a count still tell runs apart.
        std::uint64_t seed = static_cast<std::uint64_t>(::time(nullptr)) ^
                             (counter.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ull ^
                             static_cast<std::uint64_t>(::getpid()) << 32;
        for (std::size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<unsigned char>(
                (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 56);
    }
    std::string text(length, '0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = alphabet[bytes[i] % alphabet.size()];
    return text;
}

int renameWithFlags(int folder, const std::string &from, const std::string &to, unsigned flags,
                    FolderSteps *steps)
{
    if (fileSystemSeams().noRenameFlags || (steps && steps->noRenameFlags))
        return EINVAL;
    const int error = ::renameat2(folder, from.c_str(), folder, to.c_str(), flags) == 0 ? 0 : errno;
    if (steps && flagsRefused(error))
        steps->noRenameFlags = true;
    return error;
}

bool flagsRefused(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

bool noHardLinks(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

namespace
{

// The last step where nothing else keeps a taken name: a look, then a plain rename.
int renameWhereFree(int folder, const std::string &from, const std::string &to)
{
    struct stat info;
    if (::fstatat(folder, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0 ? 0 : errno;
}

} // namespace

int renameOwnName(int folder, const std::string &from, const std::string &to)
{
    const int error = renameWithFlags(folder, from, to, RENAME_NOREPLACE);
    return flagsRefused(error) ? renameWhereFree(folder, from, to) : error;
}

int placeWithoutReplacing(int folder, const std::string &from, const std::string &to, FolderSteps *steps,
                          bool lookThenRename)
{
    const int error = renameWithFlags(folder, from, to, RENAME_NOREPLACE, steps);
    if (!flagsRefused(error))
        return error;
    const bool linksRefused = fileSystemSeams().noHardLinks || (steps && steps->noHardLinks);
    if (!linksRefused && ::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
        ::unlinkat(folder, from.c_str(), 0);
        return 0;
    }
    const int linkError = linksRefused ? EPERM : errno;
    if (linkError == EEXIST || linkError == ENOENT || !noHardLinks(linkError) || !lookThenRename)
        return linkError;
    // sshfs answers EPERM also where the server refused the link because the name is taken: the
    // look below tells, and only a file system that refused with the name free has no links.
    const int placed = renameWhereFree(folder, from, to);
    if (steps && !linksRefused && placed == 0)
        steps->noHardLinks = true;
    return placed;
}

FolderTurn::FolderTurn(int folder) : m_fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    for (int waited = 0; m_fd.valid() && ::flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || ++waited > 2000) {
            m_fd.reset(-1);
            break;
        }
        const timespec pause = {0, 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

bool secondOpenTearsReads(int folder, FolderSteps &steps)
{
    if (const int known = steps.secondOpenTearsReads.load())
        return known == 1;
    constexpr long kFuseMagic = 0x65735546;
    struct statfs system;
    struct stat info;
    bool tears = false;
    if (::fstatfs(folder, &system) == 0 && system.f_type == kFuseMagic && ::fstat(folder, &info) == 0) {
        // A FUSE mount names its daemon in its type ("fuse.fusefat"); its line in mountinfo is the
        // one with the folder's device: "ID PARENT MAJOR:MINOR ROOT POINT OPTIONS ... - TYPE ...".
        const std::string device =
            std::to_string(major(info.st_dev)) + ':' + std::to_string(minor(info.st_dev));
        std::ifstream mounts("/proc/self/mountinfo");
        for (std::string line; !tears && std::getline(mounts, line);) {
            std::istringstream fields(line);
            std::string id, parent, numbers, field;
            fields >> id >> parent >> numbers;
            if (numbers != device)
                continue;
            while (fields >> field && field != "-") {
            }
            fields >> field;
            tears = field == "fuse.fusefat" || field == "fuseblk.fusefat";
        }
    }
    steps.secondOpenTearsReads = tears ? 1 : 2;
    return tears;
}

FileState fileStateFrom(const struct stat &info)
{
    const auto nanoseconds = [](const struct timespec &time) {
        return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
    };
    FileState state;
    state.exists = true;
    state.device = info.st_dev;
    state.inode = info.st_ino;
    state.size = info.st_size;
    state.modified = nanoseconds(info.st_mtim);
    state.changed = nanoseconds(info.st_ctim);
    return state;
}

} // namespace tw::detail
