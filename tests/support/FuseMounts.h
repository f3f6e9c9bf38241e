#pragma once
// Real FUSE mounts for tests of how files are replaced where users mount servers and devices: a
// passthrough that answers as those mounts do (twpassfs), bindfs, sshfs over a local sshd and an
// exFAT image. Each mounts in its constructor; after its destructor the mount, its daemon and
// whatever it started are gone, even when the test failed. The daemons end with the thread that
// made the mount, so a test killed midway leaves no mount behind either.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace twtest
{

class TestMount
{
  public:
    virtual ~TestMount();
    TestMount(const TestMount &) = delete;
    TestMount &operator=(const TestMount &) = delete;

    QString mountPoint() const { return m_mountPoint; }
    // The folder the mount shows (empty for a device).
    QString source() const { return m_source; }
    // Empty while the mount is there; otherwise why it could not be made.
    QString skipReason() const { return m_skipReason; }
    // The reason is a program that scripts/install-deps.sh installs.
    bool missingPackage() const { return m_missingPackage; }
    // Whether /proc/self/mountinfo shows the mount point now.
    bool mounted() const;
    // Unmounts and ends the daemon now rather than in the destructor; lazily when the mount is busy.
    void unmount();

  protected:
    // Makes source/ (unless the mount has none) and mount/ in folder, or in a temporary folder of its
    // own when folder is empty.
    explicit TestMount(const QString &folder, bool withSource = true);
    // Folder for keys, images and logs that lives as long as the object.
    QString privatePath(const QString &name) const { return m_private.filePath(name); }
    // Records why there is no mount; false, for chaining.
    bool refuse(const QString &reason, bool missingPackage = false);
    // Refuses unless /dev/fuse can be opened and the mount can be made and undone here.
    bool requireFuse(bool needsRoot);
    // The path of each program (PATH first, then the system folders); refuses with the first missing.
    std::optional<QStringList> requirePrograms(const QStringList &programs);
    // Starts the daemon in the foreground and waits until its mount shows; refuses with its output
    // when it ends first.
    bool startDaemon(const QString &program, const QStringList &args);
    // A 64 MiB image file made and given a file system by mkfs with arguments; refuses on failure.
    bool makeImage(const QString &image, const QString &mkfs, const QStringList &arguments);
    // Empty unless the daemon, once unmounted, ended by itself with a failure; then its output.
    QString daemonFault() const;

  private:
    QTemporaryDir m_private;
    QString m_source;
    QString m_mountPoint;
    QString m_skipReason;
    bool m_missingPackage = false;
    QProcess m_daemon;
    QString m_daemonLog;
    bool m_endedByUs = false;
};

// The passthrough, built beside the tests when libfuse3 is there. Without switches it hands every
// call to the folder with the folder's inode numbers and forwards flock(2) to it.
struct PassSwitches {
    bool inodePerName = false;   // each name its own inode number; a link a new one (sshfs)
    bool noRenameFlags = false;  // rename with flags answers EINVAL (sshfs, bindfs)
    bool noLinks = false;        // link answers EPERM (exFAT)
    bool noLocks = false;        // flock answers ENOLCK
    bool renamedNewTime = false; // a renamed file gets the time of the rename (fusefat)
    QStringList options = {};    // further arguments for FUSE, e.g. {"-o", "ro"}
};
class FuseMount : public TestMount
{
  public:
    using Switches = PassSwitches;
    explicit FuseMount(const Switches &switches = {}, const QString &folder = {});
    ~FuseMount() override;

    // From now on a rename or a hard link onto name (any name when empty) waits before it is carried
    // out, until releaseRenames(): a test can act between a program's last look and the call that
    // puts a file at the name. The renaming
    // program must be another process or thread, and the test acts in source(): while the rename
    // waits, the kernel keeps the mount's folder locked against new looks.
    void holdRenames(const QString &name = {});
    // Waits (hang-guarded) until a rename is held; false when none came.
    bool waitForHeldRename() const;
    void releaseRenames();

  private:
    QString m_stallFile;
};

// bindfs SOURCE MOUNTPOINT with the arguments given, e.g. {"--multithreaded",
// "--enable-lock-forwarding"}.
class BindfsMount : public TestMount
{
  public:
    explicit BindfsMount(const QStringList &arguments = {}, const QString &folder = {});
};

// sshfs of the source folder through an sshd of its own on 127.0.0.1, with keys made for it and no
// other ssh configuration read or written; arguments are sshfs's, e.g. {"-o", "disable_hardlink"}.
// Needs root.
class SshfsMount : public TestMount
{
  public:
    explicit SshfsMount(const QStringList &arguments = {}, const QString &folder = {});
    ~SshfsMount() override;
    int port() const { return m_port; }

  private:
    bool startServer(const QString &sshd);
    QProcess m_server;
    int m_port = 0;
};

// A fresh 64 MiB exFAT image on a loop device through exfat-fuse; it has no source folder. The device
// detaches itself once the mount and its last open file are gone. Needs root and loop devices.
class ExfatMount : public TestMount
{
  public:
    explicit ExfatMount(const QStringList &arguments = {}, const QString &folder = {});
    QString device() const { return m_device; }

  private:
    QString m_device;
};

// A fresh 64 MiB FAT32 image through fusefat, which mounts image files itself; no source folder.
class FatMount : public TestMount
{
  public:
    explicit FatMount(const QString &folder = {});
};

// The processes whose command line names something under path (the tests' own excepted).
QStringList processesNaming(const QString &path);

// Every entry of folder, hidden ones too, by name, once the mount has removed the files it hid. A
// FUSE file system keeps a file removed while a descriptor of it is open under ".fuse_hidden..." and
// removes it when the close reaches it; the kernel sends that close on its own time, after close(2)
// has returned. A hidden name that stays for a minute is listed, so that the comparison shows it.
QStringList settledEntries(const QString &folder);

// A mount a test runs on, made only when its turn comes, so that one stands at a time.
struct MountToTry {
    const char *name;
    std::function<std::unique_ptr<TestMount>()> make;
};
template <class MountType, class... Arguments> MountToTry mountToTry(const char *name, Arguments... arguments)
{
    return {name, [=] { return std::make_unique<MountType>(arguments...); }};
}

// Runs a test on each of the mounts in turn, under the mount's name. Those that cannot be made here
// are left out and named once all have run (TW_SKIP_UNTRIED); under CI a missing package fails.
class EachMount
{
  public:
    explicit EachMount(std::initializer_list<MountToTry> mounts) : m_mounts(mounts) {}
    void run(const std::function<void(TestMount &)> &test);
    // Each mount left out, with why; empty when all were tried.
    QString skipped() const { return m_skipped.join(QStringLiteral("; ")); }

  private:
    std::vector<MountToTry> m_mounts;
    QStringList m_skipped;
};

} // namespace twtest

// Skips the test, once it has run on every mount it could, when a mount was left out.
#define TW_SKIP_UNTRIED(each)                                                                                \
    if (const QString skipped_ = (each).skipped(); !skipped_.isEmpty())                                      \
    GTEST_SKIP() << "not tried: " << skipped_.toStdString()

// Skips the test when the mount could not be made, or fails it under CI when a package is missing.
#define TW_REQUIRE_MOUNT(mount)                                                                              \
    if (const QString reason_ = (mount).skipReason(); !reason_.isEmpty()) {                                  \
        if ((mount).missingPackage() && twtest::requiredUnderCi())                                           \
            FAIL() << reason_.toStdString() << " (required under CI)";                                       \
        GTEST_SKIP() << reason_.toStdString();                                                               \
    }
