#include "base/PrivateFolder.h"

#include "base/FileSystemDetail.h"
#include "base/ScratchFiles.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tw
{

namespace
{

constexpr std::string_view kLockEnding = ".lock";
constexpr std::size_t kRandomLength = 10;

// The live folders, readable from a signal handler: fixed buffers, each published by its state
// only once it is complete.
enum SlotState { Free, Filling, Ready };
struct Slot {
    std::atomic<int> state{Free};
    // A child forked (or vforked, sharing this memory) runs the inherited handler until it starts
    // its program: only the process that made the folder removes it on an interrupt.
    pid_t owner = 0;
    std::atomic<pid_t> workers{0};
    int parentFd = -1;
    char name[256];
    char lockName[256];
};
constexpr int kSlotCount = 8;
Slot g_slots[kSlotCount];

// The record getdents64 fills, as the kernel lays it out.
struct KernelDirEntry {
    std::uint64_t inode;
    std::int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool removeTree(int parentFd, const char *name, int passes, int depth);

// Removes what the folder holds, subfolders included up to a few levels.
void emptyFolder(int folderFd, int depth)
{
    alignas(8) char buffer[4096];
    long count = 0;
    while ((count = ::syscall(SYS_getdents64, folderFd, buffer, sizeof buffer)) > 0) {
        for (long at = 0; at < count;) {
            const auto *entry = reinterpret_cast<const KernelDirEntry *>(buffer + at);
            at += entry->length;
            if (isDotOrDotDot(entry->name))
                continue;
            if (::unlinkat(folderFd, entry->name, 0) != 0 && errno == EISDIR && depth < 4)
                removeTree(folderFd, entry->name, 1, depth + 1);
        }
    }
}

// Removes name in the folder open as parentFd with everything in it, never following a link;
// false when something stays. A worker still dying may make a file after a listing: the folder is
// emptied again, up to passes times, with a short wait from the third pass on. Only calls a signal
// handler may make.
bool removeTree(int parentFd, const char *name, int passes, int depth)
{
    for (int pass = 0; pass <= passes; ++pass) {
        if (::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT)
            return true;
        if (errno == ENOTDIR)
            return ::unlinkat(parentFd, name, 0) == 0;
        if ((errno != ENOTEMPTY && errno != EEXIST) || pass == passes)
            return false;
        if (pass >= 2) {
            const timespec pause = {0, 10 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
        const int folderFd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            return false;
        emptyFolder(folderFd, depth);
        ::close(folderFd);
    }
    return false;
}

// Ends the workers of every live folder, then removes the folders and their locks. It runs inside
// the interrupt handler. A lock stays wherever its folder does, for the next sweep to find.
void endLiveFolders()
{
    const int savedErrno = errno;
    const pid_t self = ::getpid();
    const auto live = [self](const Slot &slot) { return slot.state.load() == Ready && slot.owner == self; };
    for (Slot &slot : g_slots)
        if (live(slot))
            if (const pid_t group = slot.workers.load(); group > 0 && ::kill(-group, SIGKILL) != 0)
                ::kill(group, SIGKILL); // forked, but not yet the leader of its group
    for (Slot &slot : g_slots) {
        if (!live(slot))
            continue;
        // The killed workers may take a moment to end: up to a second.
        if (removeTree(slot.parentFd, slot.name, 100, 0))
            ::unlinkat(slot.parentFd, slot.lockName, 0);
    }
    errno = savedErrno;
}

// A slot held for a folder about to be made, unseen by the handler until published; -1 when
// every slot is taken, or the lock's name would not fit.
int reserveSlot(std::size_t lockNameLength)
{
    static std::once_flag once;
    std::call_once(once, [] { addInterruptCleanup(endLiveFolders); });
    if (lockNameLength >= sizeof g_slots[0].lockName)
        return -1;
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Filling))
            return i;
    }
    return -1;
}

void publishSlot(int slot, int parentFd, const std::string &name, const std::string &lockName)
{
    g_slots[slot].owner = ::getpid();
    g_slots[slot].parentFd = parentFd;
    g_slots[slot].workers.store(0);
    std::memcpy(g_slots[slot].name, name.c_str(), name.size() + 1);
    std::memcpy(g_slots[slot].lockName, lockName.c_str(), lockName.size() + 1);
    g_slots[slot].state.store(Ready);
}

bool isFolderName(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() != prefix.size() + kRandomLength)
        return false;
    for (const char c : name.substr(prefix.size()))
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

std::string randomName(std::string_view prefix)
{
    return std::string(prefix) +
           detail::randomText(kRandomLength,
                              "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}

// What stands under name in the folder, if it is this user's and of the given kind.
bool ownEntry(int parentFd, const std::string &name, mode_t kind, bool &present)
{
    struct stat info;
    present = ::fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    return present && (info.st_mode & S_IFMT) == kind && info.st_uid == ::geteuid();
}

// Removes, in the folder, this user's private folders of ended runs and their locks. No run of ours
// lets its folder stand without a lock, so one whose lock file is gone (removed by a cleaner of
// old files) has ended too: it is taken with a new lock, so that no two sweeps work on it at once.
void sweepEnded(int parentFd, std::string_view prefix)
{
    const int listFd = ::openat(parentFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    std::set<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        RunLock::isDraft(name, name);
        if (name.ends_with(kLockEnding))
            name.remove_suffix(kLockEnding.size());
        if (isFolderName(name, prefix))
            names.emplace(name);
    }
    ::closedir(dir);
    for (const std::string &name : names) {
        // An interrupt waits until the ended folder and its lock are gone, or stand as they were:
        // no lock or draft of this sweep's is left.
        const InterruptDelay removing;
        const std::string lockName = name + std::string(kLockEnding);
        const std::string draft = RunLock::draftName(lockName);
        bool folderPresent = false;
        bool lockPresent = false;
        bool draftPresent = false;
        const bool ownFolder = ownEntry(parentFd, name, S_IFDIR, folderPresent);
        const bool ownLock = ownEntry(parentFd, lockName, S_IFREG, lockPresent);
        // A lock file that a killed run was making; a live run making one now has no folder yet.
        if (!lockPresent && ownEntry(parentFd, draft, S_IFREG, draftPresent)) {
            if (RunLock::draftInUse(parentFd, draft))
                continue;
            ::unlinkat(parentFd, draft.c_str(), 0);
        }
        if ((lockPresent && !ownLock) || (!lockPresent && !ownFolder))
            continue;
        RunLock lock;
        if (lockPresent ? !lock.takeEnded(parentFd, lockName) : lock.hold(parentFd, lockName) != 0)
            continue;
        if (!ownFolder || removeTree(parentFd, name.c_str(), 2, 0))
            lock.removeAndRelease(parentFd, lockName);
    }
}

} // namespace

PrivateFolder::PrivateFolder(const std::string &parent, std::string_view prefix)
{
    m_parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_parentFd < 0) {
        m_error = errno;
        return;
    }
    sweepEnded(m_parentFd, prefix);
    // An interrupt waits until the folder and its lock are made and known to the handler, or gone:
    // the lock's draft, the lock without its folder and the folder before it is known are never
    // left.
    const InterruptDelay making;
    // A folder the handler could not know is never made.
    m_slot = reserveSlot(prefix.size() + kRandomLength + kLockEnding.size());
    if (m_slot < 0) {
        m_error = EMFILE;
        return;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = randomName(prefix);
        const std::string lockName = name + std::string(kLockEnding);
        // EEXIST: a file under the name, where the file system keeps no locks, that is not ours.
        m_error = m_lock.hold(m_parentFd, lockName);
        if (m_error == EEXIST)
            continue;
        if (m_error != 0)
            break;
        // Another user's file under the name could be unlinked by that user, and our folder would
        // then stand without its lock.
        bool present = false;
        if (!ownEntry(m_parentFd, lockName, S_IFREG, present)) {
            m_lock.release();
            m_error = EEXIST;
            continue;
        }
        // Published only once made, so that an interrupt never removes a folder of the same name
        // that was there before.
        if (::mkdirat(m_parentFd, name.c_str(), 0700) == 0) {
            publishSlot(m_slot, m_parentFd, name, lockName);
            m_name = name;
            m_path = parent + (parent.ends_with('/') ? "" : "/") + name;
            m_error = 0;
            return;
        }
        m_error = errno;
        m_lock.removeAndRelease(m_parentFd, lockName);
        if (m_error != EEXIST)
            break;
    }
    g_slots[m_slot].state.store(Free);
    m_slot = -1;
}

PrivateFolder::~PrivateFolder()
{
    // The handler forgets the folder before an interrupt's work is done, so that it never removes
    // a later folder of the same name.
    const InterruptDelay removing;
    // A folder that will not go keeps its lock file, so that a later sweep tries again.
    if (valid() && removeTree(m_parentFd, m_name.c_str(), 20, 0))
        m_lock.removeAndRelease(m_parentFd, m_name + std::string(kLockEnding));
    if (m_slot >= 0)
        g_slots[m_slot].state.store(Free);
    if (m_parentFd >= 0)
        ::close(m_parentFd);
}

void PrivateFolder::setWorkers(pid_t group)
{
    if (m_slot >= 0)
        g_slots[m_slot].workers.store(group);
}

} // namespace tw
