#include "base/FileAccess.h"

#include "base/FileSystemDetail.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw
{

using detail::Descriptor;
using detail::flagsRefused;
using detail::FolderTurn;
using detail::placeWithoutReplacing;
using detail::renameWithFlags;

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

// Why the run fails that found this (seen: anything) where the file it looked at should stand: a
// folder, device or pipe is named as such; a file, a link or nothing is another program's change.
std::string foundInstead(bool seen, const struct stat &found)
{
    return seen && !S_ISREG(found.st_mode) && !S_ISLNK(found.st_mode) ? detail::notAFileReason(found.st_mode)
                                                                      : std::string(kChangedMeanwhile);
}

// A scratch name of this run's that is no longer its to remove: it stays as it is, also at an
// interrupt.
void forget(std::string &name, ScratchEntry &entry)
{
    name.clear();
    entry.release();
}

// A scratch name of this run's removed, and forgotten.
void removeScratch(int folder, std::string &name, ScratchEntry &entry)
{
    if (!name.empty())
        ::unlinkat(folder, name.c_str(), 0);
    forget(name, entry);
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

// Whether a rename in the folder keeps a file's modification time. Where it does not (fusefat gives
// the file the time of the rename), a file moved aside is known by what a rename keeps: its device,
// inode number and size. Asked once per open folder, with a file of our own dated in the past.
bool renameKeepsTimes(const ScratchFolder &folder)
{
    std::atomic<int> &known = folder.steps().renameKeepsTimes;
    if (const int answer = known.load())
        return answer == 1;
    std::string name = folder.scratchName("time-");
    ScratchEntry entry(folder, name);
    Descriptor fd(::openat(folder.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid())
        return true;                                           // unknown: the stricter check stands
    const timespec past[2] = {{946684800, 0}, {946684800, 0}}; // 2000-01-01, an even second for FAT
    struct stat before;
    const bool dated = ::futimens(fd.get(), past) == 0 && ::fstat(fd.get(), &before) == 0;
    fd.close();
    std::string moved = folder.scratchName("time-");
    ScratchEntry movedEntry(folder, moved);
    bool keeps = true;
    struct stat after;
    if (dated && ::renameat(folder.fd(), name.c_str(), folder.fd(), moved.c_str()) == 0) {
        forget(name, entry); // the probe now stands under the second name
        keeps = ::fstatat(folder.fd(), moved.c_str(), &after, AT_SYMLINK_NOFOLLOW) != 0 ||
                detail::fileStateFrom(after).modified == detail::fileStateFrom(before).modified;
        known.store(keeps ? 1 : 2);
    }
    removeScratch(folder.fd(), name, entry);
    removeScratch(folder.fd(), moved, movedEntry);
    return keeps;
}

constexpr int kNameChanged = -2;

// The file at name in the folder opened (to read where the user may and the file system serves two
// opens of one file rightly, else as a path alone), while
// it is still the one looked at; kNameChanged when another stands there now, -1 when it cannot be
// opened (the checks then go by the look alone).
int holdOpen(int folder, const std::string &name, const struct stat &looked, bool byPathOnly)
{
    int fd = byPathOnly
                 ? -1
                 : ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (byPathOnly || (fd < 0 && (errno == EACCES || errno == EPERM)))
        fd = ::openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ELOOP ? kNameChanged : -1;
    struct stat opened;
    if (::fstat(fd, &opened) == 0 && opened.st_dev == looked.st_dev && opened.st_ino == looked.st_ino)
        return fd;
    ::close(fd);
    return kNameChanged;
}

// The journal of a move aside: the name whose old file waits under the kept name, so that the next
// run in the folder puts it back should this run be killed while the name stands empty. Its name
// is the kept name's with "put-" for "old-". 0, or the error.
int writeJournal(int folder, const std::string &journal, const std::string &name)
{
    Descriptor fd(::openat(folder, journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid())
        return errno;
    int error = detail::writeAll(fd.get(), std::string_view(name.c_str(), name.size() + 1));
    if (error == 0)
        error = fd.close();
    if (error != 0)
        ::unlinkat(folder, journal.c_str(), 0);
    return error;
}

} // namespace

void setReplaceStepHook(ReplaceStepHook hook)
{
    g_stepHook = hook;
}

StagedFile::~StagedFile()
{
    discard();
    dropKept();
}

void StagedFile::discard()
{
    removeScratch(m_folder.fd(), m_temporary, m_temporaryEntry);
}

void StagedFile::dropKept()
{
    removeScratch(m_folder.fd(), m_kept, m_keptEntry);
    dropJournal();
}

void StagedFile::dropJournal()
{
    removeScratch(m_folder.fd(), m_journal, m_journalEntry);
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
    // An ended run's old file that waited off the name is back before anything is looked at.
    m_putBack.reset();
    for (const PutBack &putBack : sweepEndedScratch(m_folder))
        if (putBack.name == m_name)
            m_putBack =
                std::make_pair(detail::fileStateFrom(putBack.aside), detail::fileStateFrom(putBack.back));
    struct stat existing;
    const bool existed = ::fstatat(m_folder.fd(), m_name.c_str(), &existing, 0) == 0;
    if (existed && !S_ISREG(existing.st_mode))
        return outputRefusal(m_target);
    // Until the caller says what it was asked to replace, it is what stands there now.
    m_expected = existed ? detail::fileStateFrom(existing) : FileState();
    std::string temporary;
    Descriptor fd(openTemporary(m_folder, temporary, m_temporaryEntry));
    if (!fd.valid())
        return systemErrorText(errno);
    m_temporary = temporary;
    // Named now, so that a record of several outputs can list where the old file will wait.
    m_plannedKept = m_folder.scratchName("old-");
    auto fail = [&](int error) {
        discard();
        return systemErrorText(error);
    };
    if (existed) {
        // The replacement lets in whom the old file let in: its owner, mode, ACL and attributes.
        std::string reason;
        const int folder = m_folder.fd();
        if (detail::carryAccessRights(folder, m_name, existing, -1, fd.get(), temporary, reason,
                                      !byPathOnly()) != 0) {
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
    if (::fstat(fd.get(), &staged) != 0)
        return fail(errno);
    m_size = staged.st_size;
    if (const int error = fd.close())
        return fail(error);
    reachStep(ReplaceStep::Staged);
    return std::string();
}

void StagedFile::expect(const FileState &state)
{
    // The old file this run put back is the one that stood at the name: what the caller knew of it
    // there stands for it as it is back.
    if (m_putBack && state.exists && sameFileMoved(m_putBack->first, state))
        m_expected = m_putBack->second;
    else
        m_expected = state;
}

bool StagedFile::byPathOnly() const
{
    return detail::secondOpenTearsReads(m_folder.fd(), m_folder.steps());
}

bool StagedFile::sameFileMoved(const FileState &moved, const FileState &asked)
{
    if (sameDataAs(moved, asked))
        return true;
    return moved.device == asked.device && moved.inode == asked.inode && moved.size == asked.size &&
           !renameKeepsTimes(m_folder);
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
    // An interrupt meanwhile waits until the name holds the old file or the new one again.
    const InterruptDelay settling;
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
            const int error = placeWithoutReplacing(m_folder.fd(), m_temporary, m_name, &m_folder.steps());
            if (error == EEXIST)
                continue;
            return settle(error);
        }
        if (std::string reason = refuseFound(now.st_mode, detail::fileStateFrom(now)); !reason.empty())
            return reason;
        // The file looked at is held open until it has left the name and been checked, so that its
        // inode number cannot pass meanwhile to a file another program makes there of the same size
        // and time (file systems hand a freed number out again at once).
        const Descriptor held(holdOpen(m_folder.fd(), m_name, now, byPathOnly()));
        if (held.get() == kNameChanged)
            continue;
        reachStep(ReplaceStep::Looked);
        int error = swapWithOldFile();
        if (flagsRefused(error))
            error = replaceWithoutSwap();
        if (error == ENOENT)
            continue;
        if (error == EAGAIN) // another program's file came in between the look and the swap
            return m_meanwhile;
        if (error != 0) {
            discard();
            return systemErrorText(error);
        }
        reachStep(ReplaceStep::Renamed);
        return std::string();
    }
    // A name that another program keeps filling and emptying is given up on, and said so.
    return changed(kChangedMeanwhile);
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

int StagedFile::swapWithOldFile()
{
    const int folder = m_folder.fd();
    // One step swaps the names: the new file takes the name, the old one the staged file's name,
    // where it stays as the second name until the run is over.
    const int error = renameWithFlags(folder, m_temporary, m_name, RENAME_EXCHANGE, &m_folder.steps());
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
    changed(foundInstead(looked, kept));
    return EAGAIN;
}

int StagedFile::replaceWithoutSwap()
{
    // Without the swap no single step can replace only the file looked at: a plain rename over the
    // name would destroy whatever another program put there after the look. So the old file moves
    // aside (a rename keeps the file, so it can be checked, also where a hard link would get an
    // inode number of its own), and the new one takes the name only where it stands empty. A
    // journal names the old file's place meanwhile, for the next run should this one be killed.
    const int folder = m_folder.fd();
    std::string kept = m_plannedKept;
    std::string journal = journalNameOf(kept);
    if (const int error = writeJournal(folder, journal, m_name))
        return error;
    if (::renameat(folder, m_name.c_str(), folder, kept.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(folder, journal.c_str(), 0);
        return error; // ENOENT: the name was emptied since the look; look again
    }
    m_kept = std::move(kept);
    m_journal = std::move(journal);
    reachStep(ReplaceStep::MovedAside);
    struct stat moved;
    const bool looked = ::fstatat(folder, m_kept.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0;
    if (!looked || !S_ISREG(moved.st_mode) || !sameFileMoved(detail::fileStateFrom(moved), m_expected)) {
        // Not the file looked at: another program put it there in between. It goes back where a
        // call can place it only at an empty name; else a file (or link) is kept beside the name,
        // which keeps whatever another program saves there meanwhile. A folder goes back by a
        // plain rename, which replaces no file; so does what could not be looked at, most likely
        // the old file after all.
        m_keptAside = putKeptBack(!looked || S_ISDIR(moved.st_mode));
        changed(foundInstead(looked, moved));
        return EAGAIN;
    }
    const int error = placeWithoutReplacing(folder, m_temporary, m_name, &m_folder.steps());
    if (error == EEXIST) {
        // Another program put something at the emptied name: it stays, and the old file, which
        // the user agreed to have replaced by this run's, is kept for the user all the same.
        m_keptAside = keepAside();
        struct stat found;
        const bool seen = ::fstatat(folder, m_name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0;
        changed(foundInstead(seen, found));
        return EAGAIN;
    }
    if (error != 0) {
        m_keptAside = putKeptBack();
        return error;
    }
    forget(m_temporary, m_temporaryEntry);
    m_committed = true;
    adoptWritten();
    // From here a kill or an interrupt leaves the new file under the name; the old one may go.
    m_keptEntry = ScratchEntry(m_folder, m_kept);
    m_journalEntry = ScratchEntry(m_folder, m_journal);
    return 0;
}

std::string StagedFile::putKeptBack(bool lookThenRename)
{
    if (placeWithoutReplacing(m_folder.fd(), m_kept, m_name, &m_folder.steps(), lookThenRename) != 0)
        return keepAside();
    forget(m_kept, m_keptEntry);
    dropJournal();
    return std::string();
}

void StagedFile::adoptWritten()
{
    // A file put under the name by a hard link may have an inode number of its own there (sshfs
    // numbers names): the file is known by what the name shows now.
    struct stat now;
    if (::fstatat(m_folder.fd(), m_name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == m_device &&
        S_ISREG(now.st_mode) && now.st_size == m_size)
        m_inode = now.st_ino;
}

std::string StagedFile::settle(int error)
{
    if (error != 0) {
        discard();
        return systemErrorText(error);
    }
    forget(m_temporary, m_temporaryEntry);
    m_committed = true;
    adoptWritten();
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
    const InterruptDelay settling;
    return undo(true);
}

std::string StagedFile::undo(bool keptIsOld)
{
    m_committed = false;
    const int folder = m_folder.fd();
    // Only this run's own file is undone: a file another program saved here meanwhile stays. The
    // old file it replaced was the user's to replace; anything else under the second name is not.
    // Ours is held open meanwhile, so that no other file can come to have its inode number.
    struct stat atName;
    const bool stillOurs = holdsOwnFile(m_name, &atName);
    const Descriptor held(stillOurs ? holdOpen(folder, m_name, atName, byPathOnly()) : -1);
    if (!stillOurs || held.get() == kNameChanged) {
        if (!keptIsOld)
            return keepAside();
        dropKept();
        return std::string();
    }
    // Swapped back in one step, whatever the old name holds; the new file then leaves with the
    // second name.
    if (!m_kept.empty() && renameWithFlags(folder, m_kept, m_name, RENAME_EXCHANGE, &m_folder.steps()) == 0) {
        if (holdsOwnFile(m_kept)) {
            dropKept();
            return std::string();
        }
        // Another program's file came to the name in between: it is kept for the user.
        return keepAside();
    }
    // Else this run's file moves aside first, so that what another program saves at the name in
    // the meantime is never removed, and the old file returns where the name stands empty.
    const std::string ours = m_folder.scratchName("new-");
    ScratchEntry oursEntry(m_folder, ours);
    if (::renameat(folder, m_name.c_str(), folder, ours.c_str()) != 0)
        return m_kept.empty() ? std::string() : keepAside();
    if (!holdsOwnFile(ours)) {
        // Another program's file came in between: back it goes, and it stays (beside the name
        // where no call places it only at an empty one).
        if (placeWithoutReplacing(folder, ours, m_name, &m_folder.steps(), false) != 0)
            keepAsideFrom(ours);
        return m_kept.empty() ? std::string() : keepAside();
    }
    ::unlinkat(folder, ours.c_str(), 0);
    return m_kept.empty() ? std::string() : putKeptBack();
}

bool StagedFile::holdsOwnFile(const std::string &name, struct stat *found) const
{
    struct stat now;
    struct stat &seen = found ? *found : now;
    return ::fstatat(m_folder.fd(), name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0 &&
           seen.st_dev == m_device && seen.st_ino == m_inode;
}

std::string StagedFile::keepAside()
{
    std::string kept = keepAsideFrom(m_kept);
    // Where it found no name of its own, the journal still brings it back to an empty name.
    if (kept != m_folder.path() + m_kept)
        dropJournal();
    forget(m_kept, m_keptEntry);
    forget(m_journal, m_journalEntry);
    return kept;
}

std::string StagedFile::keepAsideFrom(const std::string &hidden)
{
    // A file that could not go back leaves the scratch names, which sweeps remove, for a name
    // beside the target that the user sees and knows.
    const int folder = m_folder.fd();
    for (int number = 1; number < 100; ++number) {
        const std::string aside = m_name + ".old" + (number > 1 ? std::to_string(number) : std::string());
        const int error = placeWithoutReplacing(folder, hidden, aside, &m_folder.steps());
        if (error == 0)
            return m_folder.path() + aside;
        if (error != EEXIST)
            break;
    }
    // Nowhere else to go: it stays under the scratch name, which this process no longer removes.
    return m_folder.path() + hidden;
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
