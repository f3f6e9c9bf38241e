#pragma once
// Small pieces the file access files share: a descriptor that closes itself, the parts of a path,
// links followed, a whole write. Not for the tools: they use base/FileAccess.h.
#include "base/FileAccess.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tw::detail
{

// Closes a descriptor on every way out of a function.
class Descriptor
{
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Hands the descriptor over to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes now and reports a late write error (some file systems only report one here).
    int close();

  private:
    int m_fd;
};

// The folder part of a path, with its slash; empty for a bare name.
std::string folderOf(const std::string &path);
// A folder as the user knows it: without the closing slash; the working folder by its path.
std::string folderName(const std::string &folder);
// Follows symbolic links to the name the data lives under; a dangling link gives the name it
// points to, so the write creates that file and the link starts to work.
std::string followLinks(std::string path);
// Writes all bytes, going on after interrupted calls; 0 or the error.
int writeAll(int fd, std::string_view bytes);
// Why a folder, a device, a pipe or a socket is not a file.
std::string notAFileReason(mode_t mode);
// length characters drawn from alphabet (at most 64 of them), different at every call: the
// random part of a scratch or private name.
std::string randomText(std::size_t length, std::string_view alphabet);
// renameat2 within one folder; where the test seam says the file system has no such flags, or
// steps say it refused them before, the answer such a file system gives. 0, or the error.
int renameWithFlags(int folder, const std::string &from, const std::string &to, unsigned flags,
                    FolderSteps *steps = nullptr);
// renameat2's answer where the file system has no such flags.
bool flagsRefused(int error);
// link()'s answer where the file system has no hard links (exfat-fuse, FAT, sshfs told not to).
bool noHardLinks(int error);
// Moves from to the name to, which nobody but this process makes (a run's own lock): renameat2's
// no-replace flag, else a plain rename right after a look finds to free. 0, EEXIST, or the error.
int renameOwnName(int folder, const std::string &from, const std::string &to);
// Puts the file at from under to only where nothing stands at to, so that whatever another
// program put there meanwhile stays: renameat2's no-replace flag; else a hard link, which a taken
// name refuses (from then goes), where the file system has links; else, on one with neither
// (exfat-fuse, FAT), a plain rename right after a look finds to free: the one moment where a file
// made at to in between would be replaced. 0, EEXIST when to is taken, or the error. A hard link
// may give to an inode number of its own (sshfs numbers each name): the caller looks at to again.
// What the file system refuses is noted in steps, and not tried again there. Without
// lookThenRename the last step is never taken: where neither call is had, the link's refusal
// comes back and from stays where it is (for a file put back after a failed check, which is kept
// beside the name instead).
int placeWithoutReplacing(int folder, const std::string &from, const std::string &to,
                          FolderSteps *steps = nullptr, bool lookThenRename = true);
// Our own runs replacing files in one folder take turns at the swap, so that none takes the file
// another has just swapped in, and is about to swap back, for the one it was to replace. Other
// programs take no part; a file system without locks, or a turn that does not come within two
// seconds (a run stopped in the middle), goes on without.
class FolderTurn
{
  public:
    explicit FolderTurn(int folder);

  private:
    Descriptor m_fd;
};
// fusefat serves a file that two programs hold open at once wrongly: a read may give zeros for the
// file's whole length. Where the folder is on it, the writer opens no user's file (it holds one by
// its path alone, and reads ACLs and attributes by name), so that a program reading the file
// meanwhile reads it whole. Asked once per open folder.
bool secondOpenTearsReads(int folder, FolderSteps &steps);
// What stat found, as the writer compares it.
FileState fileStateFrom(const struct stat &info);
// Gives the new file newFd (newName in folder) what the old file at name in folder lets whom do,
// so that a replacement lets nobody in whom the old file kept out: its owner and group where they
// may be set (a group that cannot be kept gets no more than others had), its mode, its access ACL
// and its extended attributes (user.*; security.* and trusted.* where the process may set them).
// old is what stat found of the old file; oldFd is it opened for reading, or -1 to open it here
// unless mayOpen is false (then its ACL and attributes are read by its name). A
// file system without modes, ACLs or attributes has none to carry. 0, or the error with the reason
// in the program's language.
int carryAccessRights(int folder, const std::string &name, const struct stat &old, int oldFd, int newFd,
                      const std::string &newName, std::string &reason, bool mayOpen = true);

} // namespace tw::detail
