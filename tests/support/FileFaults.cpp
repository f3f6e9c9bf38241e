#include "FileFaults.h"

#include "TestFiles.h"

#include "base/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twtest
{

namespace
{

bool folderTakesNewFiles(const QString &path)
{
    const QByteArray probe = QFile::encodeName(QDir(path).filePath(QStringLiteral(".probe")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

} // namespace

NoLeakCheckUnderStrace::NoLeakCheckUnderStrace() : m_options(qgetenv("ASAN_OPTIONS"))
{
    qputenv("ASAN_OPTIONS", m_options + (m_options.isEmpty() ? "" : ":") + "detect_leaks=0");
}

NoLeakCheckUnderStrace::~NoLeakCheckUnderStrace()
{
    qputenv("ASAN_OPTIONS", m_options);
}

QStringList scratchNames(const QString &folder)
{
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)
        .filter(QStringLiteral(".tw-"));
}

QStringList underStrace(const QStringList &faults, const QString &program, const QStringList &args)
{
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                          QStringLiteral("/dev/null")};
    for (const QString &fault : faults)
        arguments << QStringLiteral("-e") << QStringLiteral("inject=") + fault;
    return arguments << program << args;
}

namespace
{

// What strace, given option (-c, -y), writes of a run of program with args in folder and its
// children.
QStringList straceLines(const QString &option, const QString &program, const QStringList &args,
                        const QString &folder)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("strace.txt"));
    runProgram(QStringLiteral("strace"),
               QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), option, QStringLiteral("-o"), output,
                           program} +
                   args,
               folder);
    return QString::fromUtf8(readBytes(output)).split(u'\n');
}

} // namespace

std::map<QString, int> callCounts(const QString &program, const QStringList &args, const QString &folder)
{
    std::map<QString, int> calls;
    for (const QString &line : straceLines(QStringLiteral("-c"), program, args, folder)) {
        const QStringList words = line.simplified().split(u' ');
        bool number = false;
        const int count = words.size() >= 5 ? words[3].toInt(&number) : 0;
        if (number && count > 0)
            calls[words.last()] = count;
    }
    return calls;
}

std::vector<TracedCall> callsUnder(const QString &path, const QString &program, const QStringList &args,
                                   const QString &folder)
{
    // "PID name(arguments) = result"; a call that another process interrupts goes on in a line of
    // its own ("PID <... name resumed>"), counted once.
    static const QRegularExpression call(QStringLiteral("^(\\d+) +([a-z0-9_]+)\\("));
    std::map<std::pair<QString, QString>, int> counts;
    std::vector<TracedCall> calls;
    for (const QString &line : straceLines(QStringLiteral("-y"), program, args, folder)) {
        const QRegularExpressionMatch match = call.match(line);
        if (!match.hasMatch())
            continue;
        const int nth = ++counts[{match.captured(1), match.captured(2)}];
        const TracedCall made{match.captured(2), nth};
        if (line.contains(path) && std::find(calls.begin(), calls.end(), made) == calls.end())
            calls.push_back(made);
    }
    return calls;
}

bool makeSparseFile(const QString &path, long long size)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return sized;
}

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path), m_folder(QFileInfo(path).isDir())
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0) {
        ::chmod(name.constData(), m_folder ? 0555 : 0444);
    } else {
        m_immutable = runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), path}).exitCode == 0;
    }
    m_active = m_folder ? !folderTakesNewFiles(path) : ::access(name.constData(), W_OK) != 0;
    if (!m_active)
        release();
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    release();
}

void ReadOnlyFolder::release()
{
    if (m_immutable)
        runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    else
        ::chmod(QFile::encodeName(m_path).constData(), m_folder ? 0755 : 0644);
    m_immutable = false;
}

SmallDisk::SmallDisk(const QString &path, int kilobytes) : m_path(path)
{
    QDir().mkpath(path);
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    m_active = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options.constData()) == 0;
}

void SmallDisk::fill()
{
    const QByteArray name = QFile::encodeName(m_path + QStringLiteral("/.filler"));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        return;
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), static_cast<size_t>(block.size())) > 0) {
    }
    while (::write(fd, block.constData(), 1) > 0) {
    }
    ::close(fd);
}

QString accessRightsOf(const QString &path)
{
    const ProcessResult acl = runProgram(
        QStringLiteral("getfacl"),
        {QStringLiteral("--numeric"), QStringLiteral("--absolute-names"), QStringLiteral("--"), path});
    const ProcessResult attributes = runProgram(
        QStringLiteral("getfattr"), {QStringLiteral("--absolute-names"), QStringLiteral("--dump"),
                                     QStringLiteral("--match=^user\\."), QStringLiteral("--"), path});
    QStringList lines = QString::fromUtf8(acl.out + attributes.out).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) { return line.startsWith(u"# file:"); });
    return lines.join(u'\n');
}

QString giveAccessRights(const QString &path, bool attribute, const QString &entries)
{
    if (const QString missing = missingProgram({QStringLiteral("setfacl"), QStringLiteral("getfacl"),
                                                QStringLiteral("setfattr"), QStringLiteral("getfattr")});
        !missing.isEmpty())
        return missing + QStringLiteral(" is not installed");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ProcessResult set = runProgram(QStringLiteral("setfacl"), {QStringLiteral("-m"), entries, path});
    if (set.exitCode == 0 && attribute)
        set = runProgram(QStringLiteral("setfattr"), {QStringLiteral("-n"), QStringLiteral("user.note"),
                                                      QStringLiteral("-v"), QStringLiteral("keep"), path});
    return set.exitCode == 0 ? QString() : QString::fromLocal8Bit(set.err).trimmed();
}

SmallDisk::~SmallDisk()
{
    if (m_active)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

namespace
{

std::function<void()> &nextWriteStep()
{
    static std::function<void()> step;
    return step;
}

} // namespace

AtTheNextWrite::AtTheNextWrite()
{
    tw::setReplaceStepHook([](tw::ReplaceStep step) {
        if (step == tw::ReplaceStep::Staged && nextWriteStep())
            std::exchange(nextWriteStep(), {})();
    });
}

AtTheNextWrite::~AtTheNextWrite()
{
    tw::setReplaceStepHook(nullptr);
    nextWriteStep() = {};
}

void AtTheNextWrite::set(std::function<void()> meanwhile)
{
    nextWriteStep() = std::move(meanwhile);
}

void moveNewFileOver(const QString &path, const QByteArray &bytes)
{
    const QString fresh = path + QStringLiteral(".moving");
    writeBytes(fresh, bytes);
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) != 0)
        ADD_FAILURE() << "cannot move a file over " << path.toStdString();
}

namespace
{

// The five outputs of an assembly of p.asm in folder, by name.
std::map<QString, QByteArray> assemblyOutputs(const QString &folder)
{
    std::map<QString, QByteArray> outputs;
    for (const char *name : {"p.a51", "p.bin", "p.err", "p.lst", "p.lt"})
        outputs[QString::fromLatin1(name)] = readBytes(folder + u'/' + QString::fromLatin1(name));
    return outputs;
}

} // namespace

int killAssemblyAtEachNamingCall(const QString &folder, const QString &program, const QStringList &args)
{
    const QString source = folder + QStringLiteral("/p.asm");
    const auto assemble = [&](const QByteArray &text) {
        writeBytes(source, text);
        EXPECT_EQ(runProgram(program, args, folder).exitCode, 0);
        return assemblyOutputs(folder);
    };
    const QByteArray sourceB(" MOV A,#2\r\n NOP\r\n NOP\r\n END\r\n");
    const std::map<QString, QByteArray> outputsB = assemble(sourceB);
    const std::map<QString, QByteArray> outputsA = assemble(" MOV A,#1\r\n END\r\n");
    writeBytes(folder + QStringLiteral("/x.bin"), QByteArray(100, '\x11'));
    const QStringList naming = {QStringLiteral("renameat"), QStringLiteral("renameat2"),
                                QStringLiteral("linkat"), QStringLiteral("unlinkat")};
    int kills = 0, mixedAtKill = 0;
    for (const TracedCall &call : callsUnder(folder, program, args, folder)) {
        if (!naming.contains(call.name))
            continue;
        SCOPED_TRACE(call.name.toStdString() + " #" + std::to_string(call.nth));
        ++kills;
        for (const auto &[name, bytes] : outputsA)
            writeBytes(folder + u'/' + name, bytes);
        writeBytes(source, sourceB);
        runProgram(QStringLiteral("strace"),
                   underStrace({QStringLiteral("%1:signal=KILL:when=%2").arg(call.name).arg(call.nth)},
                               program, args),
                   folder);
        const std::map<QString, QByteArray> atKill = assemblyOutputs(folder);
        mixedAtKill += atKill != outputsA && atKill != outputsB;
        const ProcessResult next = runProgram(QStringLiteral(TW_TWDRIVE),
                                              {QStringLiteral("conv"), QStringLiteral("bin2obj"),
                                               QStringLiteral("x.bin"), QStringLiteral("y.obj")},
                                              folder);
        EXPECT_EQ(QString::fromUtf8(next.out), QStringLiteral(u"信息: 转换完成！\n"));
        const std::map<QString, QByteArray> settled = assemblyOutputs(folder);
        EXPECT_TRUE(settled == outputsA || settled == outputsB) << "the outputs of two runs are mixed";
        EXPECT_EQ(scratchNames(folder), QStringList());
    }
    EXPECT_GT(kills, 4);
    return mixedAtKill;
}

} // namespace twtest
