#pragma once
// A folder that only this user may enter (mode 0700), where a run keeps working files that must
// not outlive it: a whole copy of the user's input, a helper program's output. Beside the folder
// stands its lock file, held for the run's life (RunLock: by its lock, or by the record in it where
// the file system keeps no locks): it is held before the folder is made and let go only after the
// folder is gone, so a folder never stands without a held lock file while its run lives, wherever
// that run is (another PID namespace, another machine sharing the parent).
// An interrupt (SIGINT, SIGTERM, SIGHUP) ends the folder's workers and removes the folder; one that
// comes while the folder and its lock are being made, or removed, or an ended run's being swept,
// waits until that step is done (InterruptDelay). After a kill that runs no handler, the next
// private folder made in the same parent removes it.
#include "base/RunLock.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace tw
{

class PrivateFolder
{
  public:
    // First removes, in parent, the folders named prefix + 10 letters or digits (and their locks)
    // that are this user's and whose runs have ended; then makes a new one. error() says why none
    // could be made (EMFILE: more folders live in this process than an interrupt can remove).
    PrivateFolder(const std::string &parent, std::string_view prefix);
    // Removes the folder with everything in it, then its lock.
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    bool valid() const { return !m_path.empty(); }
    int error() const { return m_error; }
    const std::string &path() const { return m_path; }
    // The process group working in the folder, 0 for none: an interrupt ends it before removing the
    // folder, so that nothing writes into it meanwhile. Name only a group whose leader is not yet
    // reaped, so that its id cannot have passed to another group.
    void setWorkers(pid_t group);

  private:
    int m_parentFd = -1;
    std::string m_name;
    std::string m_path;
    RunLock m_lock;
    int m_slot = -1;
    int m_error = 0;
};

} // namespace tw
