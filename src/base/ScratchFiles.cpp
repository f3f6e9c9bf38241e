#include "base/ScratchFiles.h"

#include "base/FileSystemDetail.h"
#include "base/PlacementRecord.h"
#include "base/RunLock.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw
{

namespace
{

constexpr std::string_view kPrefix = ".tw-";
constexpr std::string_view kLockEnding = ".lock";
constexpr std::size_t kTokenLength = 16;

// The live scratch names, readable from a signal handler: fixed buffers, each published by its
// state only once it is complete. A forked child inherits them, so each names its process.
enum SlotState { Free, Filling, Ready };
struct Slot {
    std::atomic<int> state{Free};
    pid_t owner = 0;
    int folder = -1;
    bool lock = false;
    char name[NAME_MAX + 1];
};
constexpr int kSlotCount = 256;
Slot g_slots[kSlotCount];

std::atomic<InterruptCleanup> g_cleanups[8];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kSignals)];

void removeSlots(bool locks)
{
    const pid_t self = ::getpid();
    for (Slot &slot : g_slots)
        if (slot.state.load() == Ready && slot.owner == self && slot.lock == locks)
            ::unlinkat(slot.folder, slot.name, 0);
}

// While a step that leaves files between two states runs (an old file off its name, a lock being
// made), an interrupt only notes its signal; the last such step to end does the interrupt's work.
// The count of those steps, and kEnding once an interrupt is doing its work: no step starts then.
constexpr unsigned kEnding = 1u << 31;
std::atomic<unsigned> g_steps{0};
std::atomic<int> g_pendingSignal{0};

// Removes the scratch files and goes on with the signal; the caller has set kEnding.
void endWithSignal(int signal)
{
    // The scratch files first, the locks that guard them last.
    removeSlots(false);
    removeSlots(true);
    for (std::atomic<InterruptCleanup> &cleanup : g_cleanups)
        if (const InterruptCleanup call = cleanup.load())
            call();
    // The signal then does what it did before: end the process, or reach the program's own handler.
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (kSignals[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    ::raise(signal);
}

extern "C" void removeScratchAndGoOn(int signal)
{
    const int savedErrno = errno; // for an earlier handler that returns to interrupted code
    unsigned steps = g_steps.load();
    for (;;) {
        if (steps & kEnding)
            break; // another thread does the work
        if (steps != 0) {
            int none = 0;
            g_pendingSignal.compare_exchange_strong(none, signal);
            break;
        }
        if (g_steps.compare_exchange_weak(steps, kEnding)) {
            endWithSignal(signal);
            break;
        }
    }
    errno = savedErrno;
}

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            struct sigaction current;
            // A signal the process ignores (nohup) stays ignored.
            if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
                continue;
            struct sigaction ours = {};
            ours.sa_handler = removeScratchAndGoOn;
            sigemptyset(&ours.sa_mask);
            for (const int other : kSignals)
                sigaddset(&ours.sa_mask, other);
            ours.sa_flags = SA_RESTART;
            ::sigaction(kSignals[i], &ours, &g_previous[i]);
        }
    });
}

int claimSlot(int folder, const std::string &name, bool lock)
{
    if (name.size() > NAME_MAX)
        return -1;
    installHandlers();
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Filling)) {
            g_slots[i].owner = ::getpid();
            g_slots[i].folder = folder;
            g_slots[i].lock = lock;
            std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
            g_slots[i].state.store(Ready);
            return i;
        }
    }
    return -1;
}

void freeSlot(int slot)
{
    if (slot >= 0)
        g_slots[slot].state.store(Free);
}

std::string randomHex(std::size_t digits)
{
    return detail::randomText(digits, "0123456789abcdef");
}

// This process's token and its open folders. A forked child starts afresh: what it inherited
// belongs to its parent.
struct Registry {
    std::mutex mutex;
    pid_t pid = 0;
    std::string token;
    // The folders open now. An entry whose object has gone is one being closed: its lock file goes
    // while the mutex is held, and the folder is not opened anew before, so that two objects never
    // hold, or wait on, the process's one lock file in a folder.
    std::map<std::pair<dev_t, ino_t>, std::weak_ptr<ScratchFolderState>> folders;

    // With the mutex held.
    void renewAfterFork()
    {
        if (pid == ::getpid())
            return;
        pid = ::getpid();
        token = randomHex(kTokenLength);
        folders.clear();
    }
};

Registry &registry()
{
    static Registry *theRegistry = new Registry; // never destroyed: scratch files may outlive main()
    return *theRegistry;
}

std::string lockName(std::string_view token)
{
    return std::string(kPrefix) + std::string(token) + std::string(kLockEnding);
}

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The token of a scratch name, and whether it is the run's lock; false for every other name. The
// lock's draft (the lock file while it is being made) counts as one of the run's other files.
bool parseScratch(std::string_view name, std::string &token, bool &lock)
{
    std::string_view lockOfDraft;
    if (RunLock::isDraft(name, lockOfDraft)) {
        const bool ofALock = parseScratch(lockOfDraft, token, lock) && lock;
        lock = false;
        return ofALock;
    }
    if (!name.starts_with(kPrefix))
        return false;
    name.remove_prefix(kPrefix.size());
    if (name.size() <= kTokenLength)
        return false;
    for (std::size_t i = 0; i < kTokenLength; ++i)
        if (!isTokenChar(name[i]))
            return false;
    token = std::string(name.substr(0, kTokenLength));
    const std::string_view rest = name.substr(kTokenLength);
    lock = rest == kLockEnding;
    return lock || rest.front() == '-';
}

} // namespace

struct ScratchFolderState {
    pid_t owner = ::getpid();
    int fd = -1;
    std::pair<dev_t, ino_t> key;
    FolderSteps steps;
    RunLock lock;
    std::string lockName;
    int lockSlot = -1;

    ~ScratchFolderState()
    {
        if (owner == ::getpid()) {
            const InterruptDelay closing; // the lock file goes before its name is forgotten
            freeSlot(lockSlot);
            lock.removeAndRelease(fd, lockName);
        }
        lock.release();
        ::close(fd);
    }
};

namespace
{

// The end of a folder's object: its lock file goes, and its entry, under the registry's mutex.
void closeFolderState(ScratchFolderState *state)
{
    Registry &all = registry();
    const std::lock_guard<std::mutex> guard(all.mutex);
    const auto entry = all.folders.find(state->key);
    if (entry != all.folders.end() && entry->second.expired())
        all.folders.erase(entry);
    delete state;
}

} // namespace

int ScratchFolder::open(const std::string &folder)
{
    m_state.reset();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    const auto key = std::make_pair(info.st_dev, info.st_ino);
    Registry &all = registry();
    for (;;) {
        std::unique_lock<std::mutex> guard(all.mutex);
        all.renewAfterFork();
        if (const auto entry = all.folders.find(key); entry != all.folders.end()) {
            if (auto known = entry->second.lock()) {
                ::close(fd);
                m_state = std::move(known);
                m_path = folder;
                return 0;
            }
            // The folder's last object is being closed in another thread: a moment.
            guard.unlock();
            ::sched_yield();
            continue;
        }
        // The lock and its draft are the interrupt handler's to remove from before they exist.
        const std::string lock = lockName(all.token);
        const InterruptDelay making; // a lock file half made is never left
        const int lockSlot = claimSlot(fd, lock, true);
        const int draftSlot = claimSlot(fd, RunLock::draftName(lock), false);
        RunLock held;
        const int error = held.hold(fd, lock);
        freeSlot(draftSlot);
        if (error != 0) {
            freeSlot(lockSlot);
            ::close(fd);
            return error;
        }
        auto *state = new ScratchFolderState;
        state->fd = fd;
        state->key = key;
        state->lock = std::move(held);
        state->lockName = lock;
        state->lockSlot = lockSlot;
        std::shared_ptr<ScratchFolderState> shared(state, closeFolderState);
        all.folders.emplace(key, shared);
        m_state = std::move(shared);
        m_path = folder;
        return 0;
    }
}

int ScratchFolder::fd() const
{
    return m_state ? m_state->fd : AT_FDCWD;
}

const std::string &ScratchFolder::path() const
{
    return m_path;
}

FolderSteps &ScratchFolder::steps() const
{
    static FolderSteps unknown; // no folder open: nothing learnt is kept
    return m_state ? m_state->steps : unknown;
}

std::string ScratchFolder::scratchName(std::string_view tag) const
{
    std::string token;
    {
        Registry &all = registry();
        std::lock_guard<std::mutex> guard(all.mutex);
        all.renewAfterFork();
        token = all.token;
    }
    return std::string(kPrefix) + token + '-' + std::string(tag) + randomHex(8);
}

ScratchEntry::ScratchEntry(const ScratchFolder &folder, const std::string &name)
    : m_slot(claimSlot(folder.fd(), name, false))
{
}

ScratchEntry::~ScratchEntry()
{
    release();
}

ScratchEntry::ScratchEntry(ScratchEntry &&other) noexcept : m_slot(other.m_slot)
{
    other.m_slot = -1;
}

ScratchEntry &ScratchEntry::operator=(ScratchEntry &&other) noexcept
{
    if (this != &other) {
        release();
        m_slot = other.m_slot;
        other.m_slot = -1;
    }
    return *this;
}

void ScratchEntry::release()
{
    freeSlot(m_slot);
    m_slot = -1;
}

namespace
{

constexpr std::string_view kKeptTag = "-old-";
constexpr std::string_view kJournalTag = "-put-";
constexpr std::string_view kRecordTag = "-set-";

// Whether a scratch name carries the tag after its token.
bool hasTag(std::string_view name, std::string_view tag)
{
    return name.size() > kPrefix.size() + kTokenLength &&
           name.substr(kPrefix.size() + kTokenLength, tag.size()) == tag;
}

// The same scratch name with another tag: a kept file's journal, a journal's kept file.
std::string retagged(std::string name, std::string_view from, std::string_view to)
{
    if (hasTag(name, from))
        name.replace(kPrefix.size() + kTokenLength, from.size(), to);
    return name;
}

// The name a journal says its kept file belongs under; empty when it says none whole.
std::string journalledName(int folder, const std::string &journal)
{
    const detail::Descriptor fd(::openat(folder, journal.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    char text[NAME_MAX + 2];
    const ssize_t got = fd.valid() ? ::read(fd.get(), text, sizeof text) : -1;
    if (got < 2 || text[got - 1] != '\0')
        return {};
    const std::string name(text, static_cast<std::size_t>(got - 1));
    return name.find('\0') == std::string::npos && name.find('/') == std::string::npos ? name : std::string();
}

// An ended run's old file goes back under its name where that stands empty; then it is listed.
void putBackJournalled(int folder, const std::string &journal, FolderSteps &steps, std::vector<PutBack> &done)
{
    PutBack putBack;
    putBack.name = journalledName(folder, journal);
    const std::string kept = retagged(journal, kJournalTag, kKeptTag);
    struct stat &info = putBack.back;
    if (putBack.name.empty() || ::fstatat(folder, putBack.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 ||
        errno != ENOENT || ::fstatat(folder, kept.c_str(), &putBack.aside, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (detail::placeWithoutReplacing(folder, kept, putBack.name, &steps) == 0 &&
        ::fstatat(folder, putBack.name.c_str(), &putBack.back, AT_SYMLINK_NOFOLLOW) == 0)
        done.push_back(std::move(putBack));
}

} // namespace

InterruptDelay::InterruptDelay()
{
    installHandlers();
    unsigned steps = g_steps.load();
    for (;;) {
        // An interrupt is ending the process: this step does not start.
        while (steps & kEnding) {
            const timespec pause = {0, 1000 * 1000};
            ::nanosleep(&pause, nullptr);
            steps = g_steps.load();
        }
        if (g_steps.compare_exchange_weak(steps, steps + 1))
            return;
    }
}

InterruptDelay::~InterruptDelay()
{
    unsigned steps = g_steps.fetch_sub(1) - 1;
    while (steps == 0 && g_pendingSignal.load() != 0) {
        if (g_steps.compare_exchange_weak(steps, kEnding)) {
            // Raised here, outside any handler, the signal ends the process at once; a program
            // handler of its own that lets it go on finds the steps open again.
            endWithSignal(g_pendingSignal.exchange(0));
            g_steps.fetch_and(~kEnding);
            return;
        }
    }
}

std::string journalNameOf(const std::string &kept)
{
    return retagged(kept, kKeptTag, kJournalTag);
}

void addInterruptCleanup(InterruptCleanup cleanup)
{
    installHandlers();
    for (std::atomic<InterruptCleanup> &place : g_cleanups) {
        InterruptCleanup expected = nullptr;
        if (place.load() == cleanup || place.compare_exchange_strong(expected, cleanup))
            return;
    }
}

std::vector<PutBack> sweepEndedScratch(const ScratchFolder &folder)
{
    std::vector<PutBack> putBack;
    if (!folder.isOpen())
        return putBack;
    // An old file on its way back to its name, or a lock half removed, is never left so.
    const InterruptDelay sweeping;
    const int fd = folder.fd();
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return putBack;
    DIR *dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return putBack;
    }
    std::string own;
    {
        Registry &all = registry();
        std::lock_guard<std::mutex> guard(all.mutex);
        all.renewAfterFork();
        own = all.token;
    }
    std::map<std::string, std::vector<std::string>> runs;
    while (const dirent *entry = ::readdir(dir)) {
        std::string token;
        bool lock = false;
        if (!parseScratch(entry->d_name, token, lock) || token == own)
            continue;
        std::vector<std::string> &names = runs[token];
        if (!lock)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const auto &[token, names] : runs) {
        const std::string lockFile = lockName(token);
        RunLock lock;
        if (!lock.takeEnded(fd, lockFile)) {
            // Live, or not to be asked; only a run whose lock is gone has plainly ended, unless it
            // is making its lock now.
            struct stat info;
            if (::fstatat(fd, lockFile.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT ||
                RunLock::draftInUse(fd, RunLock::draftName(lockFile)))
                continue;
        }
        for (const std::string &name : names)
            if (hasTag(name, kJournalTag))
                putBackJournalled(fd, name, folder.steps(), putBack);
        // Outputs the run was putting in place together go back to the files that stood there.
        for (const std::string &name : names)
            if (hasTag(name, kRecordTag))
                PlacementRecord::rollBackEnded(folder, name);
        for (const std::string &name : names) {
            struct stat info;
            if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
                ::unlinkat(fd, name.c_str(), 0);
        }
        if (lock.held())
            lock.removeAndRelease(fd, lockFile);
    }
    return putBack;
}

} // namespace tw
