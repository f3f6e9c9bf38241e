#pragma once
// File-system faults for tests: huge files that take no disk, folders nothing may be written in,
// files that let others in beyond their mode.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace twtest
{

// The leak checker of a sanitizer build cannot work under ptrace, and ends a traced program before
// its output is flushed: off for the programs started while the object lives.
class NoLeakCheckUnderStrace
{
  public:
    NoLeakCheckUnderStrace();
    ~NoLeakCheckUnderStrace();
    NoLeakCheckUnderStrace(const NoLeakCheckUnderStrace &) = delete;
    NoLeakCheckUnderStrace &operator=(const NoLeakCheckUnderStrace &) = delete;

  private:
    QByteArray m_options;
};

// The writer's hidden files (".tw-...") in a folder, by name.
QStringList scratchNames(const QString &folder);

// The arguments for strace to run program with args, following its children, with each of the
// faults injected ("renameat:error=EIO", "flock:delay_enter=3000000:when=1") and its output dropped.
QStringList underStrace(const QStringList &faults, const QString &program, const QStringList &args);

// How often a run of program with args, in folder, makes each system call (strace -c); empty
// without strace.
std::map<QString, int> callCounts(const QString &program, const QStringList &args, const QString &folder);

// A system call made by one process of a run: the nth call of its kind in that process, as strace's
// "when=" counts it.
struct TracedCall {
    QString name;
    int nth = 0;
    bool operator==(const TracedCall &) const = default;
};
// The calls a run of program with args, in folder, makes on path or on anything under it: those
// that name it, or a descriptor of it (strace -y); every process's, in order, each once.
std::vector<TracedCall> callsUnder(const QString &path, const QString &program, const QStringList &args,
                                   const QString &folder);

// Assembles p.asm in folder by running program with args (an assembly, source B then source A), then
// kills that run of source B at each call that moves a name in folder (rename, link, unlink), each
// time over A's outputs and followed by a conversion there; the outputs must then be all A's or all
// B's, with no hidden file left. Returns how many kills left the two runs' outputs mixed right
// after the kill.
int killAssemblyAtEachNamingCall(const QString &folder, const QString &program, const QStringList &args);

// Why nothing can be written in a folder that refuses new files, as the writer says it.
inline QString folderRefusal(const QString &folder)
{
    return QStringLiteral(u"文件夹不允许新建文件：") + folder;
}

// A file of size bytes that holds no block on disk (reads as zeros).
bool makeSparseFile(const QString &path, long long size);

// Makes a folder refuse new files and renames for as long as it lives (given a file, makes the file
// refuse writing): permissions for an ordinary user; for root, who ignores permissions, the
// immutable attribute. active() is false when neither works here.
class ReadOnlyFolder
{
  public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool active() const { return m_active; }

  private:
    void release();
    QString m_path;
    bool m_folder = true;
    bool m_immutable = false;
    bool m_active = false;
};

// A folder on a file system of a few kilobytes, for as long as it lives: a write of more fails with
// a full disk. Mounting needs root; active() is false where it cannot be had.
class SmallDisk
{
  public:
    explicit SmallDisk(const QString &path, int kilobytes = 16);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool active() const { return m_active; }
    QString path() const { return m_path; }
    // Takes up every free block with a file of its own, so that the next byte written fails.
    void fill();

  private:
    QString m_path;
    bool m_active = false;
};

// Who may read and write a file: its owner, group and access ACL as getfacl prints them (by number),
// then its user.* attributes as getfattr dumps them.
QString accessRightsOf(const QString &path);

// Gives a file mode 0640, then the ACL entries (setfacl -m) and, with attribute, user.note="keep";
// the default lets nobody read and write (its mask rw-, the owning group's entry r--). Empty, or
// why not: this machine lacks the programs, or the file system keeps no ACLs or attributes.
QString giveAccessRights(const QString &path, bool attribute = true,
                         const QString &entries = QStringLiteral("u:nobody:rw-"));

// Another program's step at the moment the writer has looked at the name and staged its file, just
// before it replaces what stands there: run once by the next replacement while the object lives.
class AtTheNextWrite
{
  public:
    AtTheNextWrite();
    ~AtTheNextWrite();
    AtTheNextWrite(const AtTheNextWrite &) = delete;
    AtTheNextWrite &operator=(const AtTheNextWrite &) = delete;
    // Empty: nothing happens at the next write.
    void set(std::function<void()> meanwhile);
};

// Puts a new file holding bytes at path in one rename, as `mv` does: another file, no change of
// the old one.
void moveNewFileOver(const QString &path, const QByteArray &bytes);

} // namespace twtest
