#pragma once
// The hidden files a replacement makes beside the user's file: the new file while it is written,
// the old file under a second name until the run ends, and the run's lock. Each is named
// ".tw-TOKEN-..." after the process that made it, TOKEN being random, so that none outlives its
// run: an interrupt (SIGINT, SIGTERM, SIGHUP) removes the live ones before the process ends, and
// the next write into a folder removes those of runs that ended otherwise (killed with SIGKILL, or
// lost with the machine). Whether a run has ended is told by the lock file ".tw-TOKEN.lock" that it
// holds in the folder while it has scratch files there (base/RunLock.h: its lock, or where the file
// system keeps no locks, the record in it), never by a process id alone: a run in another PID
// namespace or on another machine sharing the folder has ids we cannot see.
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace tw
{

struct ScratchFolderState;

// The calls a folder's file system has refused this run (renameat2's flags, hard links), so that
// later steps skip them: fewer round trips to a FUSE server while a name stands empty.
struct FolderSteps {
    std::atomic<bool> noRenameFlags{false};
    std::atomic<bool> noHardLinks{false};
    // Whether a rename keeps a file's modification time there: 0 not yet known, 1 it does, 2 the
    // file takes the time of the rename (fusefat).
    std::atomic<int> renameKeepsTimes{0};
    // Whether a file open twice at once may read wrongly there: 0 not yet known, 1 yes (fusefat), 2 no.
    std::atomic<int> secondOpenTearsReads{0};
};

// A folder this process makes scratch files in. It is opened once, so that a run stays in it when
// another program renames a folder above it, and so that only a name within the folder counts
// towards the system's path limit; and the process's lock is held in it while any object for it
// lives.
class ScratchFolder
{
  public:
    ScratchFolder() = default;
    // Opens folder (a path that ends in a slash, or empty for the working folder) and takes the
    // lock there; 0, or the error.
    int open(const std::string &folder);
    bool isOpen() const { return m_state != nullptr; }
    // The folder's descriptor, for the *at() calls.
    int fd() const;
    // The folder as given, with its slash: names within it are appended for messages.
    const std::string &path() const;
    // What the folder's file system has refused so far, while the folder is open.
    FolderSteps &steps() const;
    // A hidden name of this process's in the folder, different at every call, for a staged file
    // (tag "new-"), a kept old file ("old-") or a probe ("case-").
    std::string scratchName(std::string_view tag) const;

  private:
    std::shared_ptr<ScratchFolderState> m_state;
    std::string m_path;
};

// Holds one scratch file's name for the interrupt handlers while the object lives; release()
// stops that (the name now belongs to a file of the user's, or is gone).
class ScratchEntry
{
  public:
    ScratchEntry() = default;
    ScratchEntry(const ScratchFolder &folder, const std::string &name);
    ~ScratchEntry();
    ScratchEntry(ScratchEntry &&other) noexcept;
    ScratchEntry &operator=(ScratchEntry &&other) noexcept;
    ScratchEntry(const ScratchEntry &) = delete;
    ScratchEntry &operator=(const ScratchEntry &) = delete;

    void release();

  private:
    int m_slot = -1;
};

// Where a replacement without swaps moves the old file aside (scratch tag "old-"), a journal
// beside it names the file's own name until it is settled; this is the journal's name. A sweep
// that finds an ended run's journal whose name stands empty puts the old file back there first.
std::string journalNameOf(const std::string &kept);

// Work an interrupt does before the signal goes on, besides removing scratch files (ending a child
// process group, removing a private folder). It runs inside the signal handler, so it may only make
// async-signal-safe calls. Up to eight are kept; each is called once per interrupt.
using InterruptCleanup = void (*)();
void addInterruptCleanup(InterruptCleanup cleanup);

// Holds back the work of an interrupt (SIGINT, SIGTERM, SIGHUP) while it lives, for a step that
// leaves files between two states: an old file off its name, a lock file being made, several
// outputs being put in place together. The signal is noted; once the last such step has ended
// (its files settled: the new file or the old one under each name), the scratch files go and the
// signal does what it would have done. Objects may nest and live in several threads at once.
class InterruptDelay
{
  public:
    InterruptDelay();
    ~InterruptDelay();
    InterruptDelay(const InterruptDelay &) = delete;
    InterruptDelay &operator=(const InterruptDelay &) = delete;
};

// An ended run's old file that a sweep put back under its name: as it waited under the hidden name,
// and as the name shows it since (a hard link may give it another inode number there).
struct PutBack {
    std::string name;
    struct stat aside;
    struct stat back;
};

// Removes, in the folder, every scratch file of runs that have ended: their staged files, kept old
// files, journals, records, probes and locks; an old file a journal names goes back to its name
// first, where that stands empty (the run was killed between moving it aside and putting the new
// file there), and is listed in the answer; then, where a record lists outputs the run was putting
// in place together (base/PlacementRecord.h), each name that holds the run's new file gets its old
// file back. A kept old file that a failed run named to the user has left the
// scratch names for a name of its own, and stays. Names of other programs, and ".tw-" names of an
// older form, are left alone.
std::vector<PutBack> sweepEndedScratch(const ScratchFolder &folder);

} // namespace tw
