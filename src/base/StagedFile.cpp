#include "base/FileAccess.h"

#include "base/FileSystemDetail.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

using detail::Descriptor;

namespace
{

ReplaceStepHook g_stepHook = nullptr;

void reachStep(ReplaceStep step)
{
    if (g_stepHook)
        g_stepHook(step);
}

constexpr const char *kChangedMeanwhile = "文件已被其他程序修改";
constexpr const char *kMadeMeanwhile = "其他程序已新建了同名文件";

int renameWithFlags(int folder, const std::string &from, const std::string &to, unsigned flags)
{
    if (fileSystemSeams().noRenameFlags)
        return EINVAL;
    return ::renameat2(folder, from.c_str(), folder, to.c_str(), flags) == 0 ? 0 : errno;
}

// renameat2's answer where the file system has no such flags.
bool flagsRefused(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// link()'s answer where the file system has no hard links.
bool noHardLinks(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

// Before anything is touched, the whole state must match what the user was asked about.
bool untouched(const FileState &now, const FileState &asked)
{
    return now.device == asked.device && now.inode == asked.inode && now.size == asked.size &&
           now.modified == asked.modified && now.changed == asked.changed;
}

// Once the old file has been moved or linked its entry's change time is ours; its data's is not.
bool sameDataAs(const FileState &kept, const FileState &asked)
{
    return kept.device == asked.device && kept.inode == asked.inode && kept.size == asked.size &&
           kept.modified == asked.modified;
}

// A new file of ours in the folder; the mode 0666 lets the process's umask decide, as for any new
// file. The name is held for the interrupt handlers before the file exists, so that no moment
// leaves it unlisted. Returns -1 with errno set when none can be made.
int openTemporary(const ScratchFolder &folder, std::string &name, ScratchEntry &entry)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder.scratchName("new-");
        entry = ScratchEntry(folder, name);
        const int fd = ::openat(folder.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

// Copies the regular file at target to a new file kept, for a file system without hard links;
// kept receives what the copy was made from. 0, or the error.
int copyOldFile(int folder, const std::string &target, const std::string &kept, FileState &copied)
{
    Descriptor from(
        ::openat(folder, target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info;
    if (!from.valid())
        return errno == ELOOP ? ENOENT : errno;
    // Only a regular file is copied; whatever else stands there is the rename's to refuse.
    if (::fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ENOENT;
    copied = detail::fileStateFrom(info);
    Descriptor to(::openat(folder, kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
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
        if ((error = detail::writeAll(to.get(), std::string_view(buffer, static_cast<std::size_t>(got)))) !=
            0)
            break;
    }
    // The copy that may be put back lets in whom the file let in.
    std::string reason;
    if (error == 0)
        error = detail::carryAccessRights(folder, target, info, from.get(), to.get(), kept, reason);
    if (error == 0)
        error = to.close();
    if (error != 0)
        ::unlinkat(folder, kept.c_str(), 0);
    return error;
}

// A second name for the file at target under kept: a hard link, or a copy where the file system
// has none. kept receives the file's state. 0 on success, else the error (ENOENT: no file to keep).
int keepOldFile(int folder, const std::string &target, const std::string &kept, FileState &state)
{
    if (::linkat(folder, target.c_str(), folder, kept.c_str(), 0) == 0) {
        struct stat info;
        if (::fstatat(folder, kept.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        state = detail::fileStateFrom(info);
        return 0;
    }
    if (!noHardLinks(errno))
        return errno;
    return copyOldFile(folder, target, kept, state);
}

// Our own runs replacing files in one folder take turns at the swap, so that none takes the file
// another has just swapped in, and is about to swap back, for the one it was to replace. Other
// programs take no part; a file system without locks, or a turn that does not come within two
// seconds (a run stopped in the middle), goes on without.
class FolderTurn
{
  public:
    explicit FolderTurn(int folder) : m_fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
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

  private:
    Descriptor m_fd;
};

} // namespace

void setReplaceStepHook(ReplaceStepHook hook)
{
    g_stepHook = hook;
}

StagedFile::~StagedFile()
{
    discard();
    if (!m_kept.empty())
        ::unlinkat(m_folder.fd(), m_kept.c_str(), 0);
}

void StagedFile::discard()
{
    if (!m_temporary.empty())
        ::unlinkat(m_folder.fd(), m_temporary.c_str(), 0);
    m_temporary.clear();
    m_temporaryEntry.release();
}

void StagedFile::dropKept()
{
    if (!m_kept.empty())
        ::unlinkat(m_folder.fd(), m_kept.c_str(), 0);
    m_kept.clear();
    m_keptEntry.release();
}

std::string StagedFile::stage(const std::string &path, const ContentWriter &content, WriteSync sync)
{
    discard();
    if (std::string refusal = outputRefusal(path); !refusal.empty())
        return refusal;
    m_target = detail::followLinks(path);
    const std::string folder = detail::folderOf(m_target);
    m_name = m_target.substr(folder.size());
    if (const int error = m_folder.open(folder))
        return systemErrorText(error);
    struct stat existing;
    const bool existed = ::fstatat(m_folder.fd(), m_name.c_str(), &existing, 0) == 0;
    if (existed && !S_ISREG(existing.st_mode))
        return outputRefusal(m_target);
    // Until the caller says what it was asked to replace, it is what stands there now.
    m_expected = existed ? detail::fileStateFrom(existing) : FileState();
    sweepEndedScratch(m_folder);
    std::string temporary;
    Descriptor fd(openTemporary(m_folder, temporary, m_temporaryEntry));
    if (!fd.valid())
        return systemErrorText(errno);
    m_temporary = temporary;
    auto fail = [&](int error) {
        discard();
        return systemErrorText(error);
    };
    if (existed) {
        // The replacement lets in whom the old file let in: its owner, mode, ACL and attributes.
        std::string reason;
        const int folder = m_folder.fd();
        if (detail::carryAccessRights(folder, m_name, existing, -1, fd.get(), temporary, reason) != 0) {
            discard();
            return reason;
        }
    }
    struct stat staged;
    if (::fstat(fd.get(), &staged) != 0)
        return fail(errno);
    m_device = staged.st_dev;
    m_inode = staged.st_ino;
    const std::string reason = content([&](std::string_view piece) {
        const int error = detail::writeAll(fd.get(), piece);
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

void StagedFile::expect(const FileState &state)
{
    m_expected = state;
}

std::string StagedFile::changed(std::string reason)
{
    m_changedMeanwhile = true;
    m_meanwhile = std::move(reason);
    discard();
    return m_meanwhile;
}

std::string StagedFile::commit()
{
    if (m_temporary.empty())
        return systemErrorText(ENOENT);
    m_changedMeanwhile = false;
    m_keptAside.clear();
    reachStep(ReplaceStep::OldKept);
    const FolderTurn turn(m_folder.fd());
    // Each pass looks at what stands at the name now; a step that finds the name changed under it
    // (filled, emptied) comes back here, so nothing is replaced that was not looked at first.
    for (int attempt = 0; attempt < 10; ++attempt) {
        struct stat now;
        if (::fstatat(m_folder.fd(), m_name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                const int error = errno;
                discard();
                return systemErrorText(error);
            }
            // Empty, or emptied since the question: writing where nothing is loses nothing.
            reachStep(ReplaceStep::Looked);
            const int error = putIntoEmptyName();
            if (error == EEXIST)
                continue;
            return settle(error);
        }
        if (std::string reason = refuseFound(now.st_mode, detail::fileStateFrom(now)); !reason.empty())
            return reason;
        reachStep(ReplaceStep::Looked);
        const int error = swapWithOldFile();
        if (error == ENOENT)
            continue;
        if (error == EAGAIN) // another program's file came in between the look and the swap
            return m_meanwhile;
        if (error != 0 && !flagsRefused(error)) {
            discard();
            return systemErrorText(error);
        }
        if (error == 0) {
            reachStep(ReplaceStep::Renamed);
            return std::string();
        }
        const int plain = replaceByPlainRename();
        if (plain == ENOENT || plain == EEXIST)
            continue;
        if (m_changedMeanwhile)
            return m_meanwhile;
        return settle(plain);
    }
    // A name that another program keeps filling and emptying is given up on.
    discard();
    return systemErrorText(EAGAIN);
}

std::string StagedFile::refuseFound(unsigned mode, const FileState &found)
{
    // A folder, device or pipe is never moved from the name, whenever it came.
    if (!S_ISREG(mode) && !S_ISLNK(mode))
        return changed(detail::notAFileReason(mode));
    if (!m_expected.exists)
        return changed(kMadeMeanwhile);
    if (!untouched(found, m_expected))
        return changed(kChangedMeanwhile);
    return std::string();
}

int StagedFile::putIntoEmptyName()
{
    const int folder = m_folder.fd();
    int error = renameWithFlags(folder, m_temporary, m_name, RENAME_NOREPLACE);
    if (!flagsRefused(error))
        return error;
    // A hard link is made only where no name is, as the flag would; the staged name then goes.
    if (::linkat(folder, m_temporary.c_str(), folder, m_name.c_str(), 0) == 0) {
        ::unlinkat(folder, m_temporary.c_str(), 0);
        return 0;
    }
    if (!noHardLinks(errno))
        return errno;
    // Neither: a plain rename, right after a last look that the name is still empty.
    struct stat info;
    if (::fstatat(folder, m_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(folder, m_temporary.c_str(), folder, m_name.c_str()) == 0 ? 0 : errno;
}

int StagedFile::swapWithOldFile()
{
    const int folder = m_folder.fd();
    // One step swaps the names: the new file takes the name, the old one the staged file's name,
    // where it stays as the second name until the run is over.
    const int error = renameWithFlags(folder, m_temporary, m_name, RENAME_EXCHANGE);
    if (error != 0)
        return error;
    m_kept = std::move(m_temporary);
    m_temporary.clear();
    m_keptEntry = std::move(m_temporaryEntry);
    m_committed = true;
    // What was swapped out must be what was looked at: a file saved, a folder made or a link put
    // there in between goes straight back to its name.
    struct stat kept;
    const bool looked = ::fstatat(folder, m_kept.c_str(), &kept, AT_SYMLINK_NOFOLLOW) == 0;
    if (looked && S_ISREG(kept.st_mode) && sameDataAs(detail::fileStateFrom(kept), m_expected))
        return 0;
    m_keptAside = undo(false);
    changed(looked && !S_ISREG(kept.st_mode) && !S_ISLNK(kept.st_mode) ? detail::notAFileReason(kept.st_mode)
                                                                       : kChangedMeanwhile);
    return EAGAIN;
}

int StagedFile::replaceByPlainRename()
{
    // Without the swap: the old file gets a second name first, then the new one is renamed over
    // the name, so that the name always holds one whole file, the old or the new.
    const int folder = m_folder.fd();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string kept = m_folder.scratchName("old-");
        m_keptEntry = ScratchEntry(m_folder, kept);
        FileState state;
        const int error = keepOldFile(folder, m_name, kept, state);
        if (error == 0) {
            m_kept = std::move(kept);
            if (!sameDataAs(state, m_expected)) {
                dropKept();
                changed(kChangedMeanwhile);
                return EAGAIN;
            }
            break;
        }
        m_keptEntry.release();
        if (error == ENOENT) // the old file went, or something else took its place: look again
            return ENOENT;
        if (error != EEXIST)
            return error;
    }
    return ::renameat(folder, m_temporary.c_str(), folder, m_name.c_str()) == 0 ? 0 : errno;
}

std::string StagedFile::settle(int error)
{
    if (error != 0) {
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

FileState StagedFile::written() const
{
    struct stat now;
    if (!m_committed || ::fstatat(m_folder.fd(), m_name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        now.st_dev != m_device || now.st_ino != m_inode)
        return FileState();
    return detail::fileStateFrom(now);
}

std::string StagedFile::rollBack()
{
    if (!m_committed) {
        discard();
        return std::string();
    }
    const FolderTurn turn(m_folder.fd());
    return undo(true);
}

std::string StagedFile::undo(bool keptIsOld)
{
    m_committed = false;
    const int folder = m_folder.fd();
    // Only this run's own file is undone: a file another program saved here meanwhile stays. The
    // old file it replaced was the user's to replace; anything else under the second name is not.
    if (!holdsOwnFile(m_name)) {
        if (!keptIsOld)
            return keepAside();
        dropKept();
        return std::string();
    }
    if (m_kept.empty()) {
        ::unlinkat(folder, m_name.c_str(), 0);
        return std::string();
    }
    // Swapped back in one step, whatever the old name holds; the new file then leaves with the
    // second name.
    if (renameWithFlags(folder, m_kept, m_name, RENAME_EXCHANGE) == 0) {
        if (holdsOwnFile(m_kept)) {
            dropKept();
            return std::string();
        }
        // Another program's file came to the name in between: it is kept for the user.
        return keepAside();
    }
    if (::renameat(folder, m_kept.c_str(), folder, m_name.c_str()) == 0) {
        m_kept.clear();
        m_keptEntry.release();
        return std::string();
    }
    return keepAside();
}

bool StagedFile::holdsOwnFile(const std::string &name) const
{
    struct stat now;
    return ::fstatat(m_folder.fd(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == m_device &&
           now.st_ino == m_inode;
}

std::string StagedFile::keepAside()
{
    // The old file could not go back: it leaves the scratch names, which sweeps remove, for a name
    // beside the target that the user sees and knows.
    const int folder = m_folder.fd();
    for (int number = 1; number < 100; ++number) {
        const std::string aside = m_name + ".old" + (number > 1 ? std::to_string(number) : std::string());
        int error = renameWithFlags(folder, m_kept, aside, RENAME_NOREPLACE);
        if (flagsRefused(error)) {
            error = ::linkat(folder, m_kept.c_str(), folder, aside.c_str(), 0) == 0 ? 0 : errno;
            if (error == 0)
                ::unlinkat(folder, m_kept.c_str(), 0);
        }
        if (error == 0) {
            m_kept.clear();
            m_keptEntry.release();
            return m_folder.path() + aside;
        }
        if (error != EEXIST)
            break;
    }
    // Nowhere else to go: it stays under the scratch name, which this process no longer removes.
    std::string kept = m_folder.path() + m_kept;
    m_kept.clear();
    m_keptEntry.release();
    return kept;
}

std::string replaceFilePlain(const std::string &path, std::span<const std::string_view> pieces,
                             WriteSync sync)
{
    return replaceFileExpecting(path, pieces, sync, std::nullopt).reason;
}

Replacement replaceFileExpecting(const std::string &path, std::span<const std::string_view> pieces,
                                 WriteSync sync, const std::optional<FileState> &expected)
{
    StagedFile file;
    Replacement result;
    result.reason = file.stage(
        path,
        [&](const PieceSink &put) {
            for (const std::string_view piece : pieces)
                if (std::string error = put(piece); !error.empty())
                    return error;
            return std::string();
        },
        sync);
    if (!result.reason.empty())
        return result;
    if (expected)
        file.expect(*expected);
    result.reason = file.commit();
    result.changedMeanwhile = file.changedMeanwhile();
    result.written = file.written();
    return result;
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

} // namespace tw
