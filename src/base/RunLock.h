#pragma once
// Whether a run is still alive, told by a file the run holds while it lives, never by a process id
// alone. The run holds an advisory lock (flock) on the file: the kernel drops it however the process
// ends (SIGKILL included), and every process of this machine that sees the file sees the lock, in
// any PID namespace. Another machine sharing the folder sees it only where the file system takes
// flock to the server (NFS, SMB from Linux 5.5); where it keeps locks on each machine (sshfs and
// most FUSE mounts, NFS mounted with local locks) a run elsewhere is not seen.
//
// Some file systems keep no locks (flock answers ENOLCK, EOPNOTSUPP, ENOSYS or EINVAL: FUSE mounts
// that refuse them, NFS without its lock service). There the file itself is the claim, and a
// record in it tells whose: a run writes its machine id, boot id, PID namespace, process id and the
// process's start time into the file before the file takes its name. Such a run counts as ended
// only where that is certain: another boot of this machine, or no process of that id and start
// time in a PID namespace this process sees whole. A run of another machine, of a namespace out of
// sight, or with a record that cannot be read (one of an older form) stays live; an empty file,
// which only a run of an earlier version killed before it wrote leaves, is no claim.
#include <string>
#include <string_view>

namespace tw
{

class RunLock
{
  public:
    RunLock() = default;
    ~RunLock();
    RunLock(RunLock &&other) noexcept;
    RunLock &operator=(RunLock &&other) noexcept;
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    // Makes the file name in the folder open as folderFd (AT_FDCWD: name is a path), holding its
    // lock, or where the file system keeps no locks holding it by this process's record; returns 0,
    // or the error, leaving no file it made. The file is made, locked and written under its draft
    // name (draftName) and then renamed, so that the name never stands without its lock and its
    // complete record: a run killed at any point leaves nothing a sweep could take for a live run's,
    // and no sweep takes a live run's for an ended one's. Where locks are refused, an existing file
    // is taken only when its record names this process (EEXIST otherwise): it may be another run's
    // claim. A file other runs keep holding (sweeps removing it) gives kLockKeptTaken.
    int hold(int folderFd, const std::string &name);
    // The name a lock file is made under before it takes its own.
    static std::string draftName(const std::string &name);
    // Whether name is a lock file's draft, and if so the lock file's name.
    static bool isDraft(std::string_view name, std::string_view &lockName);
    // Whether the run that makes the draft still lives: its lock on it, or where the file system
    // keeps no locks its complete record, says so. A sweep that finds a draft of an ended run (or
    // an empty one) removes it; its run, if it lives on, makes it again.
    static bool draftInUse(int folderFd, const std::string &draft);
    // Takes an ended run's file, so that no other sweep works on its files at once (where the file
    // system keeps no locks, two sweeps may both take it); false when the run is live, the file is
    // missing or the lock cannot be asked.
    bool takeEnded(int folderFd, const std::string &name);
    // Removes the file while the lock still holds it off from sweeps, then lets the lock go.
    void removeAndRelease(int folderFd, const std::string &name);
    // Lets the lock go, leaving the file.
    void release();
    bool held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

} // namespace tw
