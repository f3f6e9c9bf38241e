// twpassfs: a FUSE file system that hands every call to a folder, for tests of how programs replace
// files on mounts made from servers and devices. Switches make it answer as those mounts do:
//   twpassfs SOURCE MOUNTPOINT [--inode-per-name] [--no-rename-flags] [--no-links] [--no-locks]
//            [--renamed-new-time] [--stall-rename FILE] [FUSE options such as -o hard_remove]
// It runs in the foreground until the mount point is unmounted.
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Settings {
    std::string source;
    bool inodePerName = false;
    bool noRenameFlags = false;
    bool noLinks = false;
    bool noLocks = false;
    bool renamedNewTime = false;
    std::string stallFile;
};
Settings settings;

std::string real(const char *path)
{
    return settings.source + path;
}

int result(int rc)
{
    return rc < 0 ? -errno : rc;
}

int count(ssize_t bytes)
{
    return bytes < 0 ? -errno : static_cast<int>(bytes);
}

void *init(fuse_conn_info *, fuse_config *cfg)
{
    // Without the folder's inode numbers libfuse numbers the names itself, as sshfs does.
    cfg->use_ino = settings.inodePerName ? 0 : 1;
    // Another program's change in the folder shows at the next look, not a second later.
    cfg->attr_timeout = 0;
    cfg->entry_timeout = 0;
    cfg->negative_timeout = 0;
    return nullptr;
}

int getattr(const char *path, struct stat *st, fuse_file_info *fi)
{
    if (fi)
        return result(fstat(static_cast<int>(fi->fh), st));
    return result(lstat(real(path).c_str(), st));
}

int readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags)
{
    DIR *dir = opendir(real(path).c_str());
    if (!dir)
        return -errno;
    while (const dirent *entry = ::readdir(dir)) {
        struct stat st = {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buf, entry->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)))
            break;
    }
    closedir(dir);
    return 0;
}

int openFile(const char *path, fuse_file_info *fi, mode_t mode)
{
    const int fd = ::open(real(path).c_str(), fi->flags, mode);
    if (fd < 0)
        return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int open(const char *path, fuse_file_info *fi)
{
    return openFile(path, fi, 0);
}

int create(const char *path, mode_t mode, fuse_file_info *fi)
{
    return openFile(path, fi, mode);
}

int read(const char *, char *buf, size_t size, off_t offset, fuse_file_info *fi)
{
    return count(pread(static_cast<int>(fi->fh), buf, size, offset));
}

int write(const char *, const char *buf, size_t size, off_t offset, fuse_file_info *fi)
{
    return count(pwrite(static_cast<int>(fi->fh), buf, size, offset));
}

int release(const char *, fuse_file_info *fi)
{
    return result(close(static_cast<int>(fi->fh)));
}

int fsync(const char *, int datasync, fuse_file_info *fi)
{
    const int fd = static_cast<int>(fi->fh);
    return result(datasync ? fdatasync(fd) : ::fsync(fd));
}

int truncate(const char *path, off_t size, fuse_file_info *fi)
{
    if (fi)
        return result(ftruncate(static_cast<int>(fi->fh), size));
    return result(::truncate(real(path).c_str(), size));
}

int unlink(const char *path)
{
    return result(::unlink(real(path).c_str()));
}

int mkdir(const char *path, mode_t mode)
{
    return result(::mkdir(real(path).c_str(), mode));
}

int mknod(const char *path, mode_t mode, dev_t device)
{
    return result(::mknod(real(path).c_str(), mode, device));
}

int rmdir(const char *path)
{
    return result(::rmdir(real(path).c_str()));
}

// A test holds renames and links here to act between a program's last look and the call that puts
// a file at the name: while the stall file exists, a rename or link onto the name it holds (any
// name when it is empty) waits, and the file FILE-held says so. Bounded, so that a test that never
// lets go cannot hang the mount.
void stallRename(const char *to)
{
    if (settings.stallFile.empty())
        return;
    FILE *file = fopen(settings.stallFile.c_str(), "r");
    if (!file)
        return;
    char name[PATH_MAX] = {};
    const bool named = fgets(name, sizeof name, file) != nullptr;
    fclose(file);
    name[strcspn(name, "\n")] = '\0';
    const char *slash = strrchr(to, '/');
    if (named && name[0] != '\0' && strcmp(name, slash ? slash + 1 : to) != 0)
        return;
    const std::string held = settings.stallFile + "-held";
    if (FILE *mark = fopen(held.c_str(), "w"))
        fclose(mark);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (::access(settings.stallFile.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::unlink(held.c_str());
}

int rename(const char *from, const char *to, unsigned int flags)
{
    // sshfs and bindfs refuse every flag; the kernel asks no other way.
    if (flags && settings.noRenameFlags)
        return -EINVAL;
    stallRename(to);
    if (renameat2(AT_FDCWD, real(from).c_str(), AT_FDCWD, real(to).c_str(), flags) != 0)
        return -errno;
    // fusefat writes a renamed file's entry anew, with the time of the rename as its modification time.
    if (settings.renamedNewTime && !(flags & RENAME_EXCHANGE))
        ::utimensat(AT_FDCWD, real(to).c_str(), nullptr, AT_SYMLINK_NOFOLLOW);
    return 0;
}

int link(const char *from, const char *to)
{
    // exFAT keeps no hard links.
    if (settings.noLinks)
        return -EPERM;
    stallRename(to);
    return result(::link(real(from).c_str(), real(to).c_str()));
}

int symlink(const char *target, const char *path)
{
    return result(::symlink(target, real(path).c_str()));
}

int readlink(const char *path, char *buf, size_t size)
{
    const ssize_t length = ::readlink(real(path).c_str(), buf, size - 1);
    if (length < 0)
        return -errno;
    buf[length] = '\0';
    return 0;
}

int chmod(const char *path, mode_t mode, fuse_file_info *fi)
{
    if (fi)
        return result(fchmod(static_cast<int>(fi->fh), mode));
    return result(::chmod(real(path).c_str(), mode));
}

int chown(const char *path, uid_t uid, gid_t gid, fuse_file_info *fi)
{
    if (fi)
        return result(fchown(static_cast<int>(fi->fh), uid, gid));
    return result(lchown(real(path).c_str(), uid, gid));
}

int utimens(const char *path, const timespec times[2], fuse_file_info *fi)
{
    if (fi)
        return result(futimens(static_cast<int>(fi->fh), times));
    return result(utimensat(AT_FDCWD, real(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int statfs(const char *path, struct statvfs *st)
{
    return result(statvfs(real(path).c_str(), st));
}

int access(const char *path, int mask)
{
    return result(::access(real(path).c_str(), mask));
}

int setxattr(const char *path, const char *name, const char *value, size_t size, int flags)
{
    return result(lsetxattr(real(path).c_str(), name, value, size, flags));
}

int getxattr(const char *path, const char *name, char *value, size_t size)
{
    return count(lgetxattr(real(path).c_str(), name, value, size));
}

int listxattr(const char *path, char *list, size_t size)
{
    return count(llistxattr(real(path).c_str(), list, size));
}

int removexattr(const char *path, const char *name)
{
    return result(lremovexattr(real(path).c_str(), name));
}

// Having this call at all makes the kernel send flock(2) here instead of keeping the lock itself.
int flock(const char *, fuse_file_info *fi, int op)
{
    // Many servers' mounts keep no locks and say so.
    if (settings.noLocks)
        return -ENOLCK;
    return result(::flock(static_cast<int>(fi->fh), op));
}

fuse_operations operations()
{
    fuse_operations ops = {};
    ops.init = init;
    ops.getattr = getattr;
    ops.readdir = readdir;
    ops.open = open;
    ops.create = create;
    ops.read = read;
    ops.write = write;
    ops.release = release;
    ops.fsync = fsync;
    ops.truncate = truncate;
    ops.unlink = unlink;
    ops.mkdir = mkdir;
    ops.mknod = mknod;
    ops.rmdir = rmdir;
    ops.rename = rename;
    ops.link = link;
    ops.symlink = symlink;
    ops.readlink = readlink;
    ops.chmod = chmod;
    ops.chown = chown;
    ops.utimens = utimens;
    ops.statfs = statfs;
    ops.access = access;
    ops.setxattr = setxattr;
    ops.getxattr = getxattr;
    ops.listxattr = listxattr;
    ops.removexattr = removexattr;
    ops.flock = flock;
    return ops;
}

int usage(const char *program)
{
    fprintf(stderr,
            "usage: %s SOURCE MOUNTPOINT [--inode-per-name] [--no-rename-flags] [--no-links] [--no-locks]\n"
            "       [--renamed-new-time] [--stall-rename FILE] [FUSE options]\n",
            program);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return usage(argv[0]);
    char *source = realpath(argv[1], nullptr);
    if (!source) {
        fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], strerror(errno));
        return 1;
    }
    settings.source = source;
    free(source);
    if (settings.source == "/")
        settings.source.clear();

    std::vector<char *> fuseArgs = {argv[0], argv[2], const_cast<char *>("-f"), const_cast<char *>("-o"),
                                    const_cast<char *>("fsname=twpassfs,subtype=twpassfs")};
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--inode-per-name")
            settings.inodePerName = true;
        else if (arg == "--no-rename-flags")
            settings.noRenameFlags = true;
        else if (arg == "--renamed-new-time")
            settings.renamedNewTime = true;
        else if (arg == "--no-links")
            settings.noLinks = true;
        else if (arg == "--no-locks")
            settings.noLocks = true;
        else if (arg == "--stall-rename" && i + 1 < argc)
            settings.stallFile = argv[++i];
        else if (arg.starts_with("--"))
            return usage(argv[0]);
        else
            fuseArgs.push_back(argv[i]);
    }
    const fuse_operations ops = operations();
    return fuse_main(static_cast<int>(fuseArgs.size()), fuseArgs.data(), &ops, nullptr);
}
