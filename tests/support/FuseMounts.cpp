#include "FuseMounts.h"

#include "TestFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/loop.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>

namespace twtest
{
namespace
{

// Hang guard for every wait on a mount, a daemon or a server: never reached unless something hangs.
constexpr int kHangGuardMs = 60000;

// Runs in the child between fork and exec: the daemon ends when the thread that started it does,
// so a test process that is killed takes its mounts with it (the daemons unmount on SIGTERM).
void endWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

void startChild(QProcess &process, const QString &program, const QStringList &args, const QString &log)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(log, QIODevice::Truncate);
    process.setChildProcessModifier(endWithParent);
    process.start(program, args);
    process.waitForStarted(kHangGuardMs);
}

void endChild(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kHangGuardMs)) {
        process.kill();
        process.waitForFinished(kHangGuardMs);
    }
}

// Reads as /proc/self/mountinfo writes a path: blanks, tabs, newlines and backslashes as octal.
QString unescapeMountPath(const QByteArray &field)
{
    QByteArray path;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                path += static_cast<char>(code);
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return QFile::decodeName(path);
}

bool mountInfoShows(const QString &mountPoint)
{
    QFile info(QStringLiteral("/proc/self/mountinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : info.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && unescapeMountPath(fields[4]) == mountPoint)
            return true;
    }
    return false;
}

QString programPath(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                     QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    return path;
}

QString tail(const QString &path)
{
    return QString::fromLocal8Bit(readBytes(path).right(4000)).trimmed();
}

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

} // namespace

TestMount::TestMount(const QString &folder, bool withSource)
{
    if (!m_private.isValid()) {
        refuse(QStringLiteral("no temporary folder: ") + m_private.errorString());
        return;
    }
    const QDir base(folder.isEmpty() ? m_private.path() : folder);
    base.mkpath(QStringLiteral("mount"));
    m_mountPoint = QFileInfo(base.filePath(QStringLiteral("mount"))).canonicalFilePath();
    if (withSource) {
        base.mkpath(QStringLiteral("source"));
        m_source = QFileInfo(base.filePath(QStringLiteral("source"))).canonicalFilePath();
    }
}

TestMount::~TestMount()
{
    unmount();
    // Helpers of the daemons, such as sshfs's ssh, end by themselves once the daemons have.
    const QDeadlineTimer guard(kHangGuardMs);
    while (m_private.isValid() && !processesNaming(m_private.path()).isEmpty() && !guard.hasExpired())
        QThread::msleep(5);
}

bool TestMount::mounted() const
{
    return !m_mountPoint.isEmpty() && mountInfoShows(m_mountPoint);
}

void TestMount::unmount()
{
    bool lazy = false;
    if (mounted()) {
        const QString fusermount = programPath(QStringLiteral("fusermount3"));
        runProgram(fusermount, {QStringLiteral("-u"), m_mountPoint}, {}, kHangGuardMs);
        // Busy: files of a failed test are still open on it. Detached now, it goes when they close.
        if (mounted()) {
            lazy = true;
            runProgram(fusermount, {QStringLiteral("-uz"), m_mountPoint}, {}, kHangGuardMs);
        }
    }
    // After a plain unmount the daemon ends by itself; after a lazy one it would serve the open
    // files until they close.
    if (m_daemon.state() != QProcess::NotRunning && (lazy || !m_daemon.waitForFinished(kHangGuardMs))) {
        m_endedByUs = true;
        endChild(m_daemon);
    }
}

bool TestMount::refuse(const QString &reason, bool missingPackage)
{
    if (m_skipReason.isEmpty()) {
        m_skipReason = reason;
        m_missingPackage = missingPackage;
    }
    return false;
}

bool TestMount::requireFuse(bool needsRoot)
{
    const bool root = ::geteuid() == 0;
    if (needsRoot && !root)
        return refuse(QStringLiteral("this mount needs root"));
    const std::optional<QStringList> fusermount = requirePrograms({QStringLiteral("fusermount3")});
    if (!fusermount)
        return false;
    struct stat helper = {};
    if (!root && (::stat(QFile::encodeName(fusermount->front()).constData(), &helper) != 0 ||
                  !(helper.st_mode & S_ISUID) || helper.st_uid != 0))
        return refuse(QStringLiteral("not root, and fusermount3 is not setuid root"));
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return refuse(QStringLiteral("no usable /dev/fuse: ") + QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return true;
}

std::optional<QStringList> TestMount::requirePrograms(const QStringList &programs)
{
    QStringList paths;
    for (const QString &program : programs) {
        paths += programPath(program);
        if (paths.back().isEmpty()) {
            refuse(program + QStringLiteral(" is not installed"), true);
            return std::nullopt;
        }
    }
    return paths;
}

bool TestMount::startDaemon(const QString &program, const QStringList &args)
{
    const QString name = QFileInfo(program).fileName();
    const QString log = privatePath(name + QStringLiteral(".log"));
    m_daemonLog = log;
    startChild(m_daemon, program, args, log);
    const QDeadlineTimer guard(kHangGuardMs);
    while (!mounted()) {
        if (m_daemon.state() == QProcess::NotRunning || m_daemon.waitForFinished(10))
            return refuse(name + QStringLiteral(" did not mount: ") + tail(log));
        if (guard.hasExpired()) {
            m_endedByUs = true;
            endChild(m_daemon);
            return refuse(name + QStringLiteral(" did not mount in ") + QString::number(kHangGuardMs / 1000) +
                          QStringLiteral(" s: ") + tail(log));
        }
    }
    return true;
}

QString TestMount::daemonFault() const
{
    // One that never mounted has its output in skipReason().
    if (!m_skipReason.isEmpty() || m_endedByUs || m_daemonLog.isEmpty() ||
        m_daemon.state() != QProcess::NotRunning)
        return {};
    if (m_daemon.exitStatus() == QProcess::NormalExit && m_daemon.exitCode() == 0)
        return {};
    return QStringLiteral("the daemon ended with status ") + QString::number(m_daemon.exitCode()) +
           QStringLiteral(": ") + tail(m_daemonLog);
}

QStringList settledEntries(const QString &folder)
{
    const auto list = [&folder] {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    };
    const auto hidesAFile = [](const QStringList &names) {
        return std::any_of(names.begin(), names.end(), [](const QString &name) {
            return name.startsWith(QLatin1String(".fuse_hidden"));
        });
    };
    QStringList names = list();
    const QDeadlineTimer guard(kHangGuardMs);
    while (hidesAFile(names) && !guard.hasExpired()) {
        QThread::msleep(10);
        names = list();
    }
    return names;
}

void EachMount::run(const std::function<void(TestMount &)> &test)
{
    for (const MountToTry &mount : m_mounts) {
        SCOPED_TRACE(mount.name);
        const std::unique_ptr<TestMount> made = mount.make();
        if (!made->skipReason().isEmpty()) {
            if (made->missingPackage() && requiredUnderCi())
                ADD_FAILURE() << made->skipReason().toStdString() << " (required under CI)";
            m_skipped << QString::fromLatin1(mount.name) + QStringLiteral(": ") + made->skipReason();
            continue;
        }
        test(*made);
    }
}

QStringList processesNaming(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QStringList found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid.toInt() <= 0 || pid.toInt() == ::getpid())
            continue;
        QByteArray line = readBytes(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
        if (line.replace('\0', ' ').contains(name))
            found << pid + QStringLiteral(": ") + QString::fromLocal8Bit(line);
    }
    return found;
}

FuseMount::FuseMount(const Switches &switches, const QString &folder) : TestMount(folder)
{
#ifndef TW_PASSFS
    (void)switches;
    refuse(QStringLiteral("twpassfs was not built: pkg-config found no fuse3 (libfuse3-dev)"), true);
#else
    if (!skipReason().isEmpty() || !requireFuse(false))
        return;
    const QString program = QStringLiteral(TW_PASSFS);
    if (!QFileInfo(program).isExecutable()) {
        refuse(program + QStringLiteral(" was not built"), true);
        return;
    }
    m_stallFile = privatePath(QStringLiteral("stall-rename"));
    QStringList args = {source(), mountPoint(), QStringLiteral("--stall-rename"), m_stallFile};
    if (switches.inodePerName)
        args += QStringLiteral("--inode-per-name");
    if (switches.noRenameFlags)
        args += QStringLiteral("--no-rename-flags");
    if (switches.noLinks)
        args += QStringLiteral("--no-links");
    if (switches.noLocks)
        args += QStringLiteral("--no-locks");
    if (switches.renamedNewTime)
        args += QStringLiteral("--renamed-new-time");
    startDaemon(program, args + switches.options);
#endif
}

FuseMount::~FuseMount()
{
    releaseRenames();
    unmount();
    // The passthrough is ours: a sanitizer report or a crash in it is a fault of the tests.
    if (const QString fault = daemonFault(); !fault.isEmpty())
        ADD_FAILURE() << "twpassfs: " << fault.toStdString();
}

void FuseMount::holdRenames(const QString &name)
{
    // Put in place whole: a half-written file would hold renames onto any name.
    const QString next = m_stallFile + QStringLiteral(".next");
    writeBytes(next, QFile::encodeName(name) + '\n');
    ::rename(QFile::encodeName(next).constData(), QFile::encodeName(m_stallFile).constData());
}

bool FuseMount::waitForHeldRename() const
{
    const QDeadlineTimer guard(kHangGuardMs);
    while (!QFileInfo::exists(m_stallFile + QStringLiteral("-held"))) {
        if (guard.hasExpired() || !mounted())
            return false;
        QThread::msleep(5);
    }
    return true;
}

void FuseMount::releaseRenames()
{
    if (!m_stallFile.isEmpty())
        QFile::remove(m_stallFile);
}

bool TestMount::makeImage(const QString &image, const QString &mkfs, const QStringList &arguments)
{
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(64 << 20))
        return refuse(QStringLiteral("no image file: ") + file.errorString());
    file.close();
    if (const ProcessResult made = runProgram(mkfs, arguments); made.exitCode != 0)
        return refuse(QFileInfo(mkfs).fileName() + QStringLiteral(" failed: ") +
                      QString::fromLocal8Bit(made.out + made.err));
    return true;
}

BindfsMount::BindfsMount(const QStringList &arguments, const QString &folder) : TestMount(folder)
{
    if (!skipReason().isEmpty() || !requireFuse(false))
        return;
    if (const std::optional<QStringList> bindfs = requirePrograms({QStringLiteral("bindfs")}))
        startDaemon(bindfs->front(),
                    QStringList{QStringLiteral("-f")} + arguments + QStringList{source(), mountPoint()});
}

SshfsMount::SshfsMount(const QStringList &arguments, const QString &folder) : TestMount(folder)
{
    if (!skipReason().isEmpty() || !requireFuse(true))
        return;
    const std::optional<QStringList> programs =
        requirePrograms({QStringLiteral("sshfs"), QStringLiteral("ssh"), QStringLiteral("ssh-keygen"),
                         QStringLiteral("sshd")});
    if (!programs)
        return;
    for (const QString key : {QStringLiteral("host_key"), QStringLiteral("user_key")}) {
        const ProcessResult made = runProgram(
            programs->at(2), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                              QStringLiteral("-N"), QString(), QStringLiteral("-f"), privatePath(key)});
        if (made.exitCode != 0) {
            refuse(QStringLiteral("ssh-keygen failed: ") + QString::fromLocal8Bit(made.err));
            return;
        }
    }
    if (!startServer(programs->at(3)))
        return;
    // Read instead of ~/.ssh/config and /etc/ssh/ssh_config; no known_hosts file is written.
    const QString config = privatePath(QStringLiteral("ssh_config"));
    writeBytes(config, QStringLiteral("Host *\n"
                                      "  Port %1\n"
                                      "  IdentityFile %2\n"
                                      "  IdentitiesOnly yes\n"
                                      "  IdentityAgent none\n"
                                      "  StrictHostKeyChecking no\n"
                                      "  UserKnownHostsFile /dev/null\n"
                                      "  GlobalKnownHostsFile /dev/null\n"
                                      "  BatchMode yes\n"
                                      "  ControlMaster no\n"
                                      "  ControlPath none\n"
                                      "  LogLevel ERROR\n")
                           .arg(m_port)
                           .arg(privatePath(QStringLiteral("user_key")))
                           .toUtf8());
    const passwd *user = ::getpwuid(::geteuid());
    const QString remote =
        QString::fromLocal8Bit(user ? user->pw_name : "root") + QStringLiteral("@127.0.0.1:") + source();
    startDaemon(programs->at(0),
                QStringList{QStringLiteral("-f"), QStringLiteral("-F"), config, remote, mountPoint()} +
                    arguments);
}

bool SshfsMount::startServer(const QString &sshd)
{
    // sshd keeps its privilege-separated children here; a container may not have made it.
    QDir().mkpath(QStringLiteral("/run/sshd"));
    const QString config = privatePath(QStringLiteral("sshd_config"));
    const QString log = privatePath(QStringLiteral("sshd.log"));
    // Another test may take the port between our look and sshd's bind: then another port.
    for (int attempt = 0; attempt < 10; ++attempt) {
        m_port = freeLoopbackPort();
        writeBytes(config,
                   QStringLiteral("ListenAddress 127.0.0.1\n"
                                  "Port %1\n"
                                  "HostKey %2\n"
                                  "PidFile %3\n"
                                  "AuthorizedKeysFile %4\n"
                                  "UsePAM no\n"
                                  "PasswordAuthentication no\n"
                                  "KbdInteractiveAuthentication no\n"
                                  "PubkeyAuthentication yes\n"
                                  "PermitRootLogin prohibit-password\n"
                                  "StrictModes no\n"
                                  "UseDNS no\n"
                                  "Subsystem sftp internal-sftp\n")
                       .arg(m_port)
                       .arg(privatePath(QStringLiteral("host_key")), privatePath(QStringLiteral("sshd.pid")),
                            privatePath(QStringLiteral("user_key.pub")))
                       .toUtf8());
        startChild(m_server, sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config},
                   log);
        const QByteArray listening = "Server listening on 127.0.0.1 port " + QByteArray::number(m_port);
        const QDeadlineTimer guard(kHangGuardMs);
        while (!readBytes(log).contains(listening)) {
            if (m_server.state() == QProcess::NotRunning || m_server.waitForFinished(10) ||
                guard.hasExpired())
                break;
        }
        if (m_server.state() != QProcess::NotRunning && readBytes(log).contains(listening))
            return true;
        endChild(m_server);
        if (!readBytes(log).contains("Address already in use"))
            return refuse(QStringLiteral("sshd did not start: ") + tail(log));
    }
    return refuse(QStringLiteral("sshd found no free port: ") + tail(log));
}

SshfsMount::~SshfsMount()
{
    unmount();
    endChild(m_server);
}

ExfatMount::ExfatMount(const QStringList &arguments, const QString &folder) : TestMount(folder, false)
{
    if (!skipReason().isEmpty() || !requireFuse(true))
        return;
    const std::optional<QStringList> programs = requirePrograms(
        {QStringLiteral("mkfs.exfat"), QStringLiteral("mount.exfat-fuse"), QStringLiteral("losetup")});
    if (!programs)
        return;
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control"))) {
        refuse(QStringLiteral("no loop devices here (/dev/loop-control)"));
        return;
    }
    const QString image = privatePath(QStringLiteral("exfat.img"));
    if (!makeImage(image, programs->at(0), {image}))
        return;
    // exfat-fuse reads only block devices.
    const ProcessResult loop =
        runProgram(programs->at(2), {QStringLiteral("--find"), QStringLiteral("--show"), image});
    if (loop.exitCode != 0) {
        refuse(QStringLiteral("no loop device: ") + QString::fromLocal8Bit(loop.err));
        return;
    }
    m_device = QString::fromLocal8Bit(loop.out).trimmed();
    // The kernel detaches the device once nothing holds it, so that it goes with the daemon even when
    // this process is killed (and no detach here can hit another test's device of the same name).
    // Held open here until the daemon holds it too.
    const int held = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_CLOEXEC);
    loop_info64 info = {};
    bool detaches = held >= 0 && ::ioctl(held, LOOP_GET_STATUS64, &info) == 0;
    if (detaches) {
        info.lo_flags |= LO_FLAGS_AUTOCLEAR;
        detaches = ::ioctl(held, LOOP_SET_STATUS64, &info) == 0;
    }
    if (!detaches) {
        refuse(m_device + QStringLiteral(" cannot be set to detach itself: ") +
               QString::fromLocal8Bit(std::strerror(errno)));
        runProgram(programs->at(2), {QStringLiteral("-d"), m_device});
    } else {
        // -d keeps it in the foreground (and logs every call, which the log file takes).
        startDaemon(programs->at(1),
                    QStringList{QStringLiteral("-d")} + arguments + QStringList{m_device, mountPoint()});
    }
    if (held >= 0)
        ::close(held);
}

FatMount::FatMount(const QString &folder) : TestMount(folder, false)
{
    if (!skipReason().isEmpty() || !requireFuse(false))
        return;
    const std::optional<QStringList> programs =
        requirePrograms({QStringLiteral("mkfs.fat"), QStringLiteral("fusefat")});
    if (!programs)
        return;
    const QString image = privatePath(QStringLiteral("fat.img"));
    if (!makeImage(image, programs->at(0), {QStringLiteral("-F"), QStringLiteral("32"), image}))
        return;
    // rw+ writes to the image; without it fusefat mounts read-only. -s: served by one thread, as
    // fusefat needs (with several it can spin on a request for ever).
    startDaemon(programs->at(1), {QStringLiteral("-f"), QStringLiteral("-s"), image, mountPoint(),
                                  QStringLiteral("-o"), QStringLiteral("rw+")});
}

} // namespace twtest
