#pragma once
// Whole-file reading and replacing on the bare system calls, for the tools that run without Qt.
// Paths are the bytes of the file name (the local 8-bit encoding); reasons and messages are UTF-8.
// FileRead.cpp reads; FileIdentity.cpp tells which file a name is and refuses outputs that cannot
// be written; StagedFile.cpp stages and replaces; AccessRights.cpp gives the new file whom the old
// one let in (owner, mode, ACL, attributes); SystemErrors.cpp words the faults; the scratch files
// and their sweep are ScratchFiles'.
#include "base/ScratchFiles.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

struct stat;

namespace tw
{

enum class ReadFault {
    None,
    CannotOpen, // missing, no permission, a name too long
    NotAFile,   // a directory, a device, a pipe or a socket
    TooLarge,   // larger than the caller can use
    ReadError,  // the read itself failed part way
};

// Where a checked read puts the bytes: the caller's own buffer type.
class ReadBuffer
{
  public:
    // Makes the buffer size bytes long, keeping what it holds; returns its first byte.
    virtual char *resize(std::size_t size) = 0;

  protected:
    ~ReadBuffer() = default;
};

// Reads path whole into buffer when it is a regular file (links followed) of at most maxBytes. A
// device, a directory or a larger file is refused without reading it; a file that grows past
// maxBytes while it is read is refused too. On a fault, reason holds the system's reason and the
// buffer's contents are undefined.
ReadFault readFileInto(const std::string &path, std::int64_t maxBytes, ReadBuffer &buffer,
                       std::string &reason);

struct PlainRead {
    std::string bytes;
    ReadFault fault = ReadFault::None;
    std::string reason;
    bool ok() const { return fault == ReadFault::None; }
};
PlainRead readFilePlain(const std::string &path, std::int64_t maxBytes);

// An input too large to hold, read piece by piece under the checked read's rules: open() takes
// only a regular file (links followed) of at most maxBytes, and never blocks on a pipe.
class CheckedInput
{
  public:
    CheckedInput() = default;
    ~CheckedInput();
    CheckedInput(const CheckedInput &) = delete;
    CheckedInput &operator=(const CheckedInput &) = delete;

    ReadFault open(const std::string &path, std::int64_t maxBytes, std::string &reason);
    // The size open() found.
    std::int64_t size() const { return m_size; }
    // Fills data with up to size bytes; the count read, 0 at the end, or -1 with the reason.
    std::int64_t read(char *data, std::size_t size, std::string &reason);

  private:
    int m_fd = -1;
    std::int64_t m_size = 0;
};

// How a whole-file write reaches the disk. Both replace the old file only once the new one is
// complete. Durable also syncs the new file first, so that a crash right after the save cannot
// leave an empty document: for what the user wrote. Generated files (listings, reports, code
// images) are written again by the next run and need not wait for the disk.
enum class WriteSync { Durable, Generated };

// Why no whole file can be written at path, found before anything is opened: a folder, a device,
// a pipe or a socket in the way, a loop of symbolic links, a name longer than a folder can hold, an
// existing file the user may not write, a folder the user may not make files in, another user's
// file in a shared folder whose sticky bit keeps it from being replaced. Empty when a file can be
// made or replaced there. Opening a pipe or a device to write could block or reach hardware, so
// neither is ever opened.
std::string outputRefusal(const std::string &path);

// Which spellings of a name a folder finds as the file it holds, besides the name's own bytes.
struct NameRule {
    // Any case: names equal under Unicode case folding, simple or full (x.LST and x.lst, 程序Ａ
    // and 程序ａ, Σ, σ and ς, STRASSE and straße) are one.
    bool foldsCase = false;
    // Any canonically equivalent form: é as one code point and as e + U+0301 are one.
    bool normalises = false;
};

// Which file a path names: the path with its links followed and its folder resolved, and for an
// existing file its device and inode, so that two names of one file (links, hard links, "./")
// are known as one. In a folder whose rule finds a name in other spellings (FAT, exFAT, a casefold
// folder), two paths the rule makes equal are one file too, whether they exist yet or not and
// even where the file system gives each spelling an inode of its own. A name that is not UTF-8
// matches another only where the two differ at most in the case of ASCII letters.
struct FileIdentity {
    std::string path;
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    unsigned long long folderDevice = 0;
    NameRule names; // the folder's
    bool sameAs(const FileIdentity &other) const;
};
FileIdentity fileIdentity(const std::string &path);

// The rule of the folder (a path), asked of the folder once per process: its casefold flag (which
// also normalises), its file system, or a probe file looked up in the other case and in the
// other canonical form.
NameRule folderNameRule(const std::string &folder);

// What stands at a name (links followed): nothing, or a file known by device, inode, size, last
// change of its data (modified) and of its data or entry (changed), in nanoseconds.
struct FileState {
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modified = 0;
    long long changed = 0;
    bool operator==(const FileState &) const = default;
};
FileState fileStateOf(const std::string &path);

// Stand-ins for what only some file systems do, for tests on a machine that has none of them.
struct FileSystemSeams {
    // fchmod's stand-in, as on a file system that keeps no modes: 0, or an error number.
    int (*setMode)(int fd, unsigned mode) = nullptr;
    // renameat2's flags refused, as by many FUSE and network file systems.
    bool noRenameFlags = false;
    // The folder probe's stand-in: -1 ask the folder; else its rule as the sum of 1 (it folds
    // case) and 2 (it normalises): 0 neither, 3 both, as a casefold folder of ext4 or f2fs.
    int (*foldsCase)(const std::string &folder) = nullptr;
    // flock answering ENOLCK, as on FUSE mounts that refuse locks and NFS without its lock service.
    bool noLocks = false;
    // link answering EPERM, as on exfat-fuse and FAT.
    bool noHardLinks = false;
};
void setFileSystemSeams(const FileSystemSeams &seams);
const FileSystemSeams &fileSystemSeams();

// Gives the bytes of one output piece by piece to put, which answers an empty text or the reason
// the piece could not be written; returns the first such reason (or its own), else empty.
using PieceSink = std::function<std::string(std::string_view piece)>;
using ContentWriter = std::function<std::string(const PieceSink &put)>;

// A replacement in two steps, so that several files are replaced together or not at all: stage()
// writes a complete temporary beside the target (a symbolic link is written through: the link stays
// a link; an existing file's permissions are kept where the file system keeps any); commit() swaps
// it with the old file in one step, so the name never stands empty, and the old file keeps the
// second name. Where the file system cannot swap (many FUSE and network file systems), the old
// file moves aside to the second name and the new one comes to the name only while it stands
// empty, so that a file another program saves there meanwhile is never replaced; a journal lets
// the next run put the old file back should this one be killed in between. The second name goes
// with the object, unless rollBack() puts the old file back first. An uncommitted stage is
// removed. Every step works within the folder opened at stage(), so only the name within it counts
// towards the path limit, and a folder above it renamed meanwhile does not move the run.
class StagedFile
{
  public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(StagedFile &&other) noexcept = default;
    StagedFile &operator=(StagedFile &&other) = delete;
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // Empty on success, else the reason.
    std::string stage(const std::string &path, const ContentWriter &content, WriteSync sync);
    // What commit() may replace: by default what stood at the name when it was staged; the
    // caller that asked the user names what stood there as the question was put (an empty name
    // must still be empty). Anything else at the name (another file, a folder, a link, a device)
    // stays there and stops the run, with changedMeanwhile() set and the reason saying what was
    // found.
    void expect(const FileState &state);
    std::string commit();
    bool changedMeanwhile() const { return m_changedMeanwhile; }
    // Where a file that came to the name in the last moment before the swap had to be moved to,
    // because it could not go back ("NAME.old", ...); empty when it went back or none came.
    const std::string &keptAside() const { return m_keptAside; }
    // What stands at the name after a commit, while it is still this object's file; else nothing.
    FileState written() const;
    // Puts the old file back (or removes the new one where there was none), but only while the
    // name still holds the file this object wrote. Empty when done; else the name the old file
    // could not be moved back from, where it now stays for the user: beside the target under a
    // name of its own ("NAME.old", "NAME.old2", ...) where it could be given one.
    std::string rollBack();
    // The name the data is written under (links followed), once staged.
    const std::string &target() const { return m_target; }

  private:
    // Each returns 0, or the error: ENOENT when the name was emptied under it, EAGAIN when another
    // program's file came to it (changedMeanwhile() then says what), or the flags' refusal.
    int swapWithOldFile();
    int replaceWithoutSwap();
    // Whether a file that has been renamed (moved) is the file asked about: the same data, or
    // where renames give files a new modification time, the same file of the same size.
    bool sameFileMoved(const FileState &moved, const FileState &asked);
    // Whether files at the name are held by their path alone (see detail::secondOpenTearsReads).
    bool byPathOnly() const;
    // Why what was found at the name may not be replaced; empty when it may.
    std::string refuseFound(unsigned mode, const FileState &found);
    // The staged file now stands under the name, or error (non-zero) says why it does not.
    std::string settle(int error);
    std::string changed(std::string reason);
    // Whether name holds this run's file; found receives what stands there.
    bool holdsOwnFile(const std::string &name, struct stat *found = nullptr) const;
    // The file under the name is this run's: its device and inode as the name shows them.
    void adoptWritten();
    // rollBack() within the folder's turn; keptIsOld: the second name holds the old file the user
    // agreed to replace, else another program's, which is never removed.
    std::string undo(bool keptIsOld);
    // The kept file back under the name where it stands empty; else kept aside. Empty when back.
    // Without lookThenRename, where no call places a file only at an empty name it is kept aside
    // (see detail::placeWithoutReplacing).
    std::string putKeptBack(bool lookThenRename = true);
    std::string keepAside();
    std::string keepAsideFrom(const std::string &hidden);
    void discard();
    void dropKept();
    void dropJournal();
    ScratchFolder m_folder;  // the target's folder, open; first, so it is closed last
    std::string m_target;    // the name the data lives under (links followed), for messages
    std::string m_name;      // its name within the folder
    std::string m_temporary; // the staged file, until it is committed (a name within the folder)
    std::string m_kept;      // a second name of the replaced file, until the object ends
    std::string m_journal;   // where the name's old file waits, while it is off the name
    std::string m_plannedKept; // where the old file will wait where names cannot be swapped
    ScratchEntry m_temporaryEntry;
    ScratchEntry m_keptEntry;
    ScratchEntry m_journalEntry;
    unsigned long long m_device = 0; // the staged file's, to know it again at a roll-back
    unsigned long long m_inode = 0;
    long long m_size = 0;
    FileState m_expected;
    // The name's old file as an ended run left it aside and as this run's sweep put it back.
    std::optional<std::pair<FileState, FileState>> m_putBack;
    bool m_changedMeanwhile = false;
    std::string m_meanwhile; // what was found instead of the expected file
    std::string m_keptAside;
    bool m_committed = false;
    friend class PlacementRecord;
};

// The steps of a replacement, for tests that stop a process between them.
// Looked: what stands at the name has been looked at and may be replaced; the swap comes next.
// MovedAside: where the file system cannot swap, the old file has left the name for a hidden one,
// and the new file comes to the empty name next.
enum class ReplaceStep { Staged, OldKept, Looked, MovedAside, Renamed };
using ReplaceStepHook = void (*)(ReplaceStep step);
void setReplaceStepHook(ReplaceStepHook hook);

// Replaces the file at path with the pieces, written one after the other, never joined in memory,
// as one StagedFile. Returns an empty text on success, else the reason it failed.
std::string replaceFilePlain(const std::string &path, std::span<const std::string_view> pieces,
                             WriteSync sync);

// What a replacement that names what it may replace did: the reason it failed (empty when
// written), whether that was because the name no longer held the expected file (or held one
// where none was expected), and what the name holds afterwards.
struct Replacement {
    std::string reason;
    bool changedMeanwhile = false;
    FileState written;
};
// As replaceFilePlain, but replacing only what expected says stood at the name (see
// StagedFile::expect); without it, what stands there when the new file is staged.
Replacement replaceFileExpecting(const std::string &path, std::span<const std::string_view> pieces,
                                 WriteSync sync, const std::optional<FileState> &expected);

// Removes the stale output of a failed run: a file, or a link as a link (never the file it names);
// a device or folder is left alone.
void removeStaleOutputPlain(const std::string &path);

// Not a system error: other runs of ours in the folder kept holding, or clearing away, the lock
// file a run was making there (RunLock::hold gave up after many tries).
inline constexpr int kLockKeptTaken = 0x10000;

// The reason for a system error number (or kLockKeptTaken), in the program's language.
std::string systemErrorText(int errorNumber);

// The message for an output that could not be written: "文件写入失败：PATH（REASON）".
std::string writeFailureText(std::string_view path, std::string_view reason);
// What a failed run says of a file it replaced and could not put back:
// "原有文件 PATH 未能恢复，现保存为 KEPT".
std::string putBackFailureText(std::string_view path, std::string_view kept);
// The message for an input that could not be read: "文件读取失败：PATH（REASON）".
std::string readFailureText(std::string_view path, std::string_view reason);

} // namespace tw
