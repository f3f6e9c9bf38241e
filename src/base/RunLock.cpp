#include "base/RunLock.h"

#include "base/FileAccess.h"
#include "base/FileSystemDetail.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw
{

namespace
{

// The record a run writes into its lock file, one "key value..." line each. The first line says
// how the file is held: by its lock, or by the file itself where the lock was refused, so that a
// sweep that can take the lock still goes by the record of a run that held the file without it (a
// lock service away for a moment). A record is complete only with its last line.
constexpr std::string_view kHeader = "tarnwick-run held-by ";
constexpr std::string_view kByFile = "file";
constexpr std::string_view kByLock = "lock";
constexpr std::string_view kEnd = "end\n";
constexpr std::size_t kMaxRecord = 1024;
// A lock file is made under its name and this ending, then renamed.
constexpr std::string_view kDraftEnding = ".draft";
// The initial PID namespace's inode, the same on every Linux system: a process there sees every
// process of the machine.
constexpr unsigned long long kInitialPidNamespace = 0xEFFFFFFCULL;

struct RunRecord {
    bool byFile = false;
    std::string machine; // empty: unknown, as 0 for every number
    std::string boot;
    unsigned long long pidNamespace = 0;
    unsigned long long timeNamespace = 0;
    unsigned long long userNamespace = 0;
    long long uid = -1;
    long long pid = 0;
    unsigned long long started = 0; // clock ticks after boot, as /proc/PID/stat gives them
};

bool isGone(int error)
{
    return error == ENOENT || error == ESRCH;
}

// Up to limit bytes from the start of an open file; 0 or the error.
int readStart(int fd, std::string &text, std::size_t limit)
{
    text.resize(limit);
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t count = ::pread(fd, text.data() + got, limit - got, static_cast<off_t>(got));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            break;
        got += static_cast<std::size_t>(count);
    }
    text.resize(got);
    return 0;
}

// Up to limit bytes of a small file (a /proc entry, an id); 0 or the error.
int readSmall(int folderFd, const char *path, std::string &text, std::size_t limit = 8192)
{
    text.clear();
    const detail::Descriptor file(::openat(folderFd, path, O_RDONLY | O_CLOEXEC));
    return file.valid() ? readStart(file.get(), text, limit) : errno;
}

std::vector<std::string_view> wordsOf(std::string_view line)
{
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        words.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
    return words;
}

template <typename Number> bool parseNumber(std::string_view word, Number &value)
{
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

// A machine or boot id: the file's first word, hex digits and dashes; empty when unreadable.
std::string idIn(const char *path)
{
    std::string text;
    if (readSmall(AT_FDCWD, path, text, 128) != 0)
        return {};
    const std::vector<std::string_view> words = wordsOf(std::string_view(text).substr(0, text.find('\n')));
    if (words.size() != 1)
        return {};
    for (const char c : words.front())
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '-'))
            return {};
    return std::string(words.front());
}

unsigned long long namespaceAt(int folderFd, const char *path)
{
    struct stat info;
    return ::fstatat(folderFd, path, &info, 0) == 0 ? info.st_ino : 0;
}

// The start time in the text of /proc/PID/stat: field 22, counted after the name's closing
// parenthesis (a name may hold spaces and parentheses); 0 when it is not there.
unsigned long long startTimeIn(std::string_view stat)
{
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos)
        return 0;
    const std::vector<std::string_view> fields =
        wordsOf(stat.substr(close + 1, stat.find('\n', close) - close - 1));
    unsigned long long started = 0;
    return fields.size() > 19 && parseNumber(fields[19], started) ? started : 0;
}

// The words of the status line that starts with key ("NSpid:"), without the key.
std::vector<std::string_view> statusLine(std::string_view status, std::string_view key)
{
    for (std::size_t at = 0; at < status.size();) {
        const std::size_t end = std::min(status.find('\n', at), status.size());
        const std::string_view line = status.substr(at, end - at);
        if (line.starts_with(key))
            return wordsOf(line.substr(key.size()));
        at = end + 1;
    }
    return {};
}

// This process as its record names it; the ids are read anew, since a forked child is another
// process, possibly in another namespace.
RunRecord thisRun()
{
    static const std::string machine = [] {
        const std::string id = idIn("/etc/machine-id");
        return id.empty() ? idIn("/var/lib/dbus/machine-id") : id;
    }();
    RunRecord self;
    self.machine = machine;
    self.boot = idIn("/proc/sys/kernel/random/boot_id");
    self.pidNamespace = namespaceAt(AT_FDCWD, "/proc/self/ns/pid");
    self.timeNamespace = namespaceAt(AT_FDCWD, "/proc/self/ns/time");
    self.userNamespace = namespaceAt(AT_FDCWD, "/proc/self/ns/user");
    self.uid = ::geteuid();
    self.pid = ::getpid();
    std::string stat;
    if (readSmall(AT_FDCWD, "/proc/self/stat", stat) == 0)
        self.started = startTimeIn(stat);
    return self;
}

std::string recordText(const RunRecord &run, bool byFile)
{
    const auto word = [](const std::string &id) { return id.empty() ? std::string("-") : id; };
    return std::string(kHeader) + std::string(byFile ? kByFile : kByLock) + "\nmachine " + word(run.machine) +
           "\nboot " + word(run.boot) + "\npid-namespace " + std::to_string(run.pidNamespace) +
           "\ntime-namespace " + std::to_string(run.timeNamespace) + "\nuser " +
           std::to_string(run.userNamespace) + ' ' + std::to_string(run.uid) + "\nprocess " +
           std::to_string(run.pid) + ' ' + std::to_string(run.started) + '\n' + std::string(kEnd);
}

// The complete record in the file, or nothing.
std::optional<RunRecord> readRecord(int fd)
{
    std::string text;
    if (readStart(fd, text, kMaxRecord + 1) != 0 || text.size() > kMaxRecord || !text.starts_with(kHeader) ||
        !text.ends_with(kEnd))
        return std::nullopt;
    std::vector<std::vector<std::string_view>> lines;
    for (std::string_view rest(text); !rest.empty();) {
        const std::size_t end = rest.find('\n');
        lines.push_back(wordsOf(rest.substr(0, end)));
        rest.remove_prefix(end + 1);
    }
    const auto is = [&lines](std::size_t index, std::string_view key, std::size_t values) {
        return lines.size() == 8 && lines[index].size() == values + 1 && lines[index][0] == key;
    };
    RunRecord run;
    if (!is(0, "tarnwick-run", 2) || !is(1, "machine", 1) || !is(2, "boot", 1) ||
        !is(3, "pid-namespace", 1) || !is(4, "time-namespace", 1) || !is(5, "user", 2) ||
        !is(6, "process", 2) || !is(7, "end", 0))
        return std::nullopt;
    run.byFile = lines[0][2] == kByFile;
    const auto id = [](std::string_view word) { return word == "-" ? std::string() : std::string(word); };
    run.machine = id(lines[1][1]);
    run.boot = id(lines[2][1]);
    if (!parseNumber(lines[3][1], run.pidNamespace) || !parseNumber(lines[4][1], run.timeNamespace) ||
        !parseNumber(lines[5][1], run.userNamespace) || !parseNumber(lines[5][2], run.uid) ||
        !parseNumber(lines[6][1], run.pid) || !parseNumber(lines[6][2], run.started))
        return std::nullopt;
    return run;
}

// Puts the record in the file whole; 0 or the error. Written over the start of what was there, then
// cut to its length: a moment that shows the new record with an older one's tail shows more lines
// than a record has, which no reader takes for a record. (Emptying the file first would make ext4
// write it out at close, as it does for a file replaced by truncating it: a millisecond's wait.)
int writeRecord(int fd, std::string_view record)
{
    for (std::size_t done = 0; done < record.size();) {
        const ssize_t count =
            ::pwrite(fd, record.data() + done, record.size() - done, static_cast<off_t>(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        done += static_cast<std::size_t>(count);
    }
    return ::ftruncate(fd, static_cast<off_t>(record.size())) == 0 ? 0 : errno;
}

bool namesThisRun(int fd, const RunRecord &self)
{
    const std::optional<RunRecord> run = readRecord(fd);
    return run && !self.boot.empty() && self.started != 0 && run->boot == self.boot &&
           run->pidNamespace == self.pidNamespace && run->pid == self.pid && run->started == self.started;
}

// Whether /proc hides other users' processes (hidepid), so that one missing there may still run.
bool procHidesOthers()
{
    std::string mounts;
    if (readSmall(AT_FDCWD, "/proc/self/mountinfo", mounts, 1 << 20) != 0)
        return true;
    bool hides = true; // no /proc found: nothing can be told from it
    for (std::size_t at = 0; at < mounts.size();) {
        const std::size_t end = std::min(mounts.find('\n', at), mounts.size());
        const std::string_view line = std::string_view(mounts).substr(at, end - at);
        at = end + 1;
        const std::vector<std::string_view> fields = wordsOf(line);
        const std::size_t dash = line.find(" - ");
        if (fields.size() < 5 || fields[4] != "/proc" || dash == std::string_view::npos)
            continue;
        const std::vector<std::string_view> super = wordsOf(line.substr(dash + 3));
        if (super.size() < 3 || super[0] != "proc")
            continue;
        const std::size_t option = super[2].find("hidepid=");
        const std::string_view value =
            option == std::string_view::npos
                ? "0"
                : super[2].substr(option + 8, super[2].find(',', option) - option - 8);
        hides = value != "0" && value != "off";
    }
    return hides;
}

// What a look at one process, or at all of them, tells of a recorded run.
enum class Finding { Live, Ended, Unsure };

// Looks for the recorded run among the processes /proc shows. It lives when a process of its
// namespace, id and start time is there, or one of its id and start time whose namespace cannot be
// read; it has ended when another process has its id in its namespace, or when none is there and
// its namespace is in sight (some process of it is seen, or this process sees every namespace).
Finding lookAmongProcesses(const RunRecord &run, bool startsComparable, bool namespaceInSight)
{
    const int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *proc = procFd >= 0 ? ::fdopendir(procFd) : nullptr;
    if (!proc) {
        if (procFd >= 0)
            ::close(procFd);
        return Finding::Unsure;
    }
    bool found = false;
    bool unsure = false;
    bool idTaken = false;
    while (const dirent *entry = !found ? ::readdir(proc) : nullptr) {
        long long id = 0;
        if (!parseNumber(std::string_view(entry->d_name), id))
            continue;
        detail::Descriptor process(::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!process.valid())
            continue;
        struct stat ns;
        const bool namespaceKnown = ::fstatat(process.get(), "ns/pid", &ns, 0) == 0;
        if (namespaceKnown && ns.st_ino != run.pidNamespace)
            continue;
        namespaceInSight = namespaceInSight || namespaceKnown;
        std::string status, stat;
        int error = readSmall(process.get(), "status", status);
        if (error == 0)
            error = readSmall(process.get(), "stat", stat);
        if (isGone(error))
            continue;
        const std::vector<std::string_view> ids = statusLine(status, "NSpid:");
        long long innermost = 0;
        if (error != 0 || ids.empty() || !parseNumber(ids.back(), innermost)) {
            unsure = true; // it may be the run
            continue;
        }
        if (innermost != run.pid)
            continue;
        const unsigned long long started = startTimeIn(stat);
        if (startsComparable && started != 0 && started != run.started) {
            idTaken = idTaken || namespaceKnown; // the id has passed to another process
            continue;
        }
        found = namespaceKnown;
        unsure = true;
    }
    ::closedir(proc);
    if (found)
        return Finding::Live;
    if (unsure)
        return Finding::Unsure;
    return idTaken || namespaceInSight ? Finding::Ended : Finding::Unsure;
}

// Whether the run a complete record names has certainly ended, as far as this process can see.
bool recordedRunEnded(const RunRecord &run)
{
    const RunRecord self = thisRun();
    if (run.boot.empty() || self.boot.empty())
        return false;
    if (run.boot != self.boot)
        // The machine has booted since: the run is gone. Another machine's run may live on.
        return !run.machine.empty() && run.machine == self.machine;
    if (run.pidNamespace == 0 || run.pid <= 0 || run.started == 0 || self.pidNamespace == 0 ||
        self.started == 0)
        return false;
    // A start time is given as seen from the reader's time namespace.
    const bool startsComparable = run.timeNamespace == self.timeNamespace;
    // A process of another user may be hidden from this one, and its absence tells nothing.
    const bool ownUser = run.userNamespace == self.userNamespace && run.uid == self.uid;
    if (!ownUser && procHidesOthers())
        return false;
    std::string status;
    const bool procIsOwn =
        readSmall(AT_FDCWD, "/proc/self/status", status) == 0 && statusLine(status, "NSpid:").size() == 1;
    if (run.pidNamespace == self.pidNamespace && procIsOwn) {
        std::string stat;
        const int error = readSmall(AT_FDCWD, ("/proc/" + std::to_string(run.pid) + "/stat").c_str(), stat);
        if (isGone(error))
            return true;
        const unsigned long long started = startTimeIn(stat);
        return error == 0 && startsComparable && started != 0 && started != run.started;
    }
    // Our own namespace is in sight, as is every one from the initial namespace.
    const bool inSight =
        run.pidNamespace == self.pidNamespace || (self.pidNamespace == kInitialPidNamespace && procIsOwn);
    return lookAmongProcesses(run, startsComparable, inSight) == Finding::Ended;
}

// Where flock answers that the file system keeps no locks (EOPNOTSUPP is also ENOTSUP here).
bool keepsNoLocks(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

int lockWithoutWaiting(int fd)
{
    if (fileSystemSeams().noLocks)
        return ENOLCK;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Whether the open file is still the one under name: a sweep removes a lock file only while it
// holds the lock, so a lock taken on a file that has since lost its name guards nothing.
bool stillNamed(int fd, int folderFd, const std::string &name)
{
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

int publishDraft(int folderFd, const std::string &name, const std::string &draft, const RunRecord &self,
                 int &held)
{
    // Locked and written under the draft's name, then renamed: the lock file never stands without
    // its lock and its complete record, so no sweep ever takes a live run's file for an ended one's,
    // and a run killed at any point leaves nothing that looks live.
    int fd = ::openat(folderFd, draft.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        if (RunLock::draftInUse(folderFd, draft))
            return EEXIST; // another holder is making the same lock
        ::unlinkat(folderFd, draft.c_str(), 0);
        return EAGAIN;
    }
    if (fd < 0)
        return errno;
    int error = lockWithoutWaiting(fd);
    const bool byFile = keepsNoLocks(error);
    // Where the lock holds, the record only tells a sweep that the run was held by the lock: on a
    // full disk the run goes on without it.
    if (error == 0 || byFile) {
        const int recordError = writeRecord(fd, recordText(self, byFile));
        error = byFile ? recordError : 0;
    }
    if (error == 0) {
        error = detail::renameOwnName(folderFd, draft, name);
        if (error == 0 && stillNamed(fd, folderFd, name)) {
            held = fd;
            return 0;
        }
        // ENOENT: a sweep took the draft for a dead run's (it came between our making and locking
        // it); EEXIST: the name was made meanwhile. Both are looked at again.
        if (error == ENOENT || error == EEXIST || error == 0)
            error = EAGAIN;
    }
    if (error != EAGAIN || stillNamed(fd, folderFd, draft))
        ::unlinkat(folderFd, draft.c_str(), 0);
    ::close(fd);
    return error;
}

int takeOver(int folderFd, const std::string &name, const RunRecord &self, int &held)
{
    // A file under the name is this run's only once its lock, or where nothing keeps locks, its
    // record, says so: it may be another run's claim.
    const int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? EAGAIN : errno; // removed by a sweep meanwhile
    int error = lockWithoutWaiting(fd);
    if (error == 0) {
        error = writeRecord(fd, recordText(self, false));
    } else if (keepsNoLocks(error)) {
        error = namesThisRun(fd, self) ? writeRecord(fd, recordText(self, true)) : EEXIST;
    } else if (error == EWOULDBLOCK) {
        // A sweep holds it while it removes it: a moment, after which the name is free.
        const timespec pause = {0, 1000 * 1000};
        ::nanosleep(&pause, nullptr);
        error = EAGAIN;
    }
    if (error == 0 && stillNamed(fd, folderFd, name)) {
        held = fd;
        return 0;
    }
    ::close(fd);
    return error == 0 ? EAGAIN : error;
}

} // namespace

RunLock::~RunLock()
{
    release();
}

RunLock::RunLock(RunLock &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

RunLock &RunLock::operator=(RunLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

std::string RunLock::draftName(const std::string &name)
{
    return name + std::string(kDraftEnding);
}

bool RunLock::isDraft(std::string_view name, std::string_view &lockName)
{
    if (!name.ends_with(kDraftEnding))
        return false;
    lockName = name.substr(0, name.size() - kDraftEnding.size());
    return true;
}

bool RunLock::draftInUse(int folderFd, const std::string &draft)
{
    const detail::Descriptor fd(::openat(folderFd, draft.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return false;
    // A run locks its draft right after making it; one whose lock is free has ended, or is in that
    // one call, and then makes its draft again.
    const int error = lockWithoutWaiting(fd.get());
    if (error == 0)
        return false;
    if (!keepsNoLocks(error))
        return true;
    // Where nothing keeps locks, the record is the claim; one not complete is a killed run's, or one
    // being written, which is made again when it goes.
    const std::optional<RunRecord> run = readRecord(fd.get());
    return run && !recordedRunEnded(*run);
}

int RunLock::hold(int folderFd, const std::string &name)
{
    release();
    const RunRecord self = thisRun();
    const std::string draft = draftName(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct stat there;
        if (::fstatat(folderFd, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
            const int error = takeOver(folderFd, name, self, m_fd);
            if (error != EAGAIN)
                return error;
            continue;
        }
        if (errno != ENOENT)
            return errno;
        const int error = publishDraft(folderFd, name, draft, self, m_fd);
        if (error != EAGAIN)
            return error;
    }
    return kLockKeptTaken;
}

void RunLock::removeAndRelease(int folderFd, const std::string &name)
{
    if (m_fd >= 0 && stillNamed(m_fd, folderFd, name))
        ::unlinkat(folderFd, name.c_str(), 0);
    release();
}

void RunLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RunLock::takeEnded(int folderFd, const std::string &name)
{
    release();
    const int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int error = lockWithoutWaiting(fd);
    bool ended = false;
    if (error == 0) {
        // The lock decides, unless the run held the file by its record.
        const std::optional<RunRecord> run = readRecord(fd);
        ended = !run || !run->byFile || recordedRunEnded(*run);
    } else if (keepsNoLocks(error)) {
        // A record not complete, or of an older form, counts as live; but an empty file is no
        // run's claim: a lock file is made whole under its draft name, and only a run of an
        // earlier version, killed before it wrote its record, leaves one empty.
        const std::optional<RunRecord> run = readRecord(fd);
        struct stat info;
        ended = run ? recordedRunEnded(*run) : ::fstat(fd, &info) == 0 && info.st_size == 0;
    }
    if (!ended || !stillNamed(fd, folderFd, name)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace tw
