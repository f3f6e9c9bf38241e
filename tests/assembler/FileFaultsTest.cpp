// The assemblers against a hostile file system, end to end through twdrive where the run can go
// that way: every fault names the file and the reason, none blames the source, nothing claims
// success, and generated files keep the user's links and modes.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include "assembler/AssemblyDriver.h"
#include "assembler/AssemblyRun.h"
#include "common/InternalError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const char *const kCommands[] = {"asm51", "asm48"};

struct Folder {
    QTemporaryDir dir;
    QString source = dir.filePath(u"prog.asm"_qs);
    Folder() { writeBytes(source, " MOV A,#1\r\n NOP\r\n END\r\n"); }
    QString path(const char *ending) const { return dir.filePath(u"prog."_qs + QLatin1String(ending)); }
    twtest::ProcessResult drive(const char *command) const
    {
        return twtest::runDriver({QString::fromLatin1(command), source});
    }
};

// What no file fault may ever say: the source is not at fault.
void expectHonest(const QString &message)
{
    EXPECT_FALSE(message.contains(u"规格化出错"_qs)) << message.toStdString();
    EXPECT_FALSE(message.contains(u"不可识别"_qs)) << message.toStdString();
}

mode_t modeOf(const QString &path)
{
    struct stat info {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(AssemblyFileFaults, OutputsThatCannotBeWrittenNameTheFileAndTheReason)
{
    for (const char *command : kCommands) {
        SCOPED_TRACE(command);
        {
            // A folder where the listing goes.
            Folder folder;
            QDir(folder.dir.path()).mkpath(u"prog.lst"_qs);
            const twtest::ProcessResult run = folder.drive(command);
            const QString out = QString::fromUtf8(run.out).trimmed();
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_EQ(out, u"文件写入失败："_qs + folder.path("lst") + u"（已有同名的文件夹）"_qs);
            expectHonest(out);
            EXPECT_FALSE(QFile::exists(folder.path("bin")));
            EXPECT_TRUE(QFileInfo(folder.path("lst")).isDir());
        }
        if (QFileInfo::exists(u"/dev/full"_qs)) {
            // A device in an output's place is never opened, and never removed.
            Folder folder;
            ASSERT_TRUE(QFile::link(u"/dev/full"_qs, folder.path("bin")));
            const twtest::ProcessResult run = folder.drive(command);
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_EQ(QString::fromUtf8(run.out).trimmed(),
                      u"文件写入失败："_qs + folder.path("bin") + u"（这是设备或管道，不是普通文件）"_qs);
            EXPECT_TRUE(QFileInfo(u"/dev/full"_qs).exists());
        }
        {
            // A full disk, met when the code image is written.
            Folder folder;
            twtest::SmallDisk small(folder.dir.filePath(u"small"_qs));
            if (small.active()) {
                small.fill();
                ASSERT_TRUE(QFile::link(small.path() + u"/prog.bin"_qs, folder.path("bin")));
                const twtest::ProcessResult run = folder.drive(command);
                EXPECT_EQ(run.exitCode, 2);
                EXPECT_EQ(QString::fromUtf8(run.out).trimmed(),
                          u"文件写入失败："_qs + folder.path("bin") + u"（磁盘空间已满）"_qs);
            }
        }
        {
            // A folder nothing may be written in: the normalised copy is the first file to fail.
            Folder folder;
            twtest::ReadOnlyFolder readOnly(folder.dir.path());
            if (readOnly.active()) {
                const twtest::ProcessResult run = folder.drive(command);
                EXPECT_EQ(run.exitCode, 2);
                EXPECT_EQ(QString::fromUtf8(run.out).trimmed(),
                          u"文件写入失败："_qs + folder.path("a51") + u"（"_qs +
                              twtest::folderRefusal(folder.dir.path()) + u"）"_qs);
            }
        }
    }
    // A code-image name too long for the file system.
    for (const AsmCpu cpu : {AsmCpu::Mcs51, AsmCpu::Mcs48}) {
        Folder folder;
        const QString bin = folder.dir.filePath(QString(300, u'x') + u".bin"_qs);
        const AssemblyResult result = assembleFile(cpu, folder.source, bin, {});
        EXPECT_FALSE(result.completed);
        EXPECT_TRUE(result.failureMessage.endsWith(u"（文件名太长）"_qs))
            << result.failureMessage.toStdString();
        EXPECT_TRUE(result.failureMessage.startsWith(u"文件写入失败："_qs + bin.chopped(3)));
    }
}

TEST(AssemblyFileFaults, GeneratedFilesKeepTheirLinksAndModes)
{
    for (const char *command : kCommands) {
        SCOPED_TRACE(command);
        Folder folder;
        QDir(folder.dir.path()).mkpath(u"kept"_qs);
        const QString listing = folder.dir.filePath(u"kept/listing.txt"_qs);
        writeBytes(listing, "old");
        ASSERT_TRUE(QFile::link(u"kept/listing.txt"_qs, folder.path("lst")));
        writeBytes(folder.path("bin"), "old");
        ASSERT_EQ(::chmod(QFile::encodeName(folder.path("bin")).constData(), 0604), 0);

        ASSERT_EQ(folder.drive(command).exitCode, 0);
        EXPECT_TRUE(QFileInfo(folder.path("lst")).isSymLink());
        EXPECT_TRUE(readBytes(listing).contains("MOV\tA,#1"));
        EXPECT_EQ(modeOf(folder.path("bin")), 0604u);
        EXPECT_EQ(readBytes(folder.path("bin")),
                  QByteArray(qstrcmp(command, "asm51") == 0 ? "\x74\x01\x00" : "\x23\x01\x00", 3));

        // A failed run leaves no stale listing: the link goes as a link, and the file it named,
        // read-only or not, stays as it was.
        ASSERT_EQ(::chmod(QFile::encodeName(listing).constData(), 0444), 0);
        const QByteArray listed = readBytes(listing);
        writeBytes(folder.source, " MOV A,#1\r\n ORG 10000H\r\n");
        EXPECT_EQ(folder.drive(command).exitCode, 2);
        EXPECT_FALSE(QFileInfo(folder.path("lst")).isSymLink());
        EXPECT_EQ(readBytes(listing), listed);
        EXPECT_EQ(modeOf(listing), 0444u);
        EXPECT_FALSE(QFile::exists(folder.path("bin")));
    }
}

TEST(AssemblyFileFaults, SourcesNoAssemblerCanUseAreRefusedUnread)
{
    QTemporaryDir dir;
    const QString huge = dir.filePath(u"huge.asm"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(huge, 3LL << 30));
    const QString device = dir.filePath(u"zero.asm"_qs);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, device));
    const QString folder = dir.filePath(u"folder.asm"_qs);
    QDir(dir.path()).mkpath(u"folder.asm"_qs);
    const std::pair<QString, QString> cases[] = {
        {huge, u"（文件超过 67108864 字节）"_qs},
        {device, u"（这是设备或管道，不是普通文件）"_qs},
        {folder, u"（这是一个文件夹，不是文件）"_qs},
    };
    for (const AsmCpu cpu : {AsmCpu::Mcs51, AsmCpu::Mcs48}) {
        for (const auto &[source, reason] : cases) {
            SCOPED_TRACE(source.toStdString());
            const AssemblyResult result = assembleFile(cpu, source, dir.filePath(u"out.bin"_qs), {});
            EXPECT_FALSE(result.completed);
            EXPECT_EQ(result.failureMessage, u"源程序文件读取失败："_qs + source + reason);
            EXPECT_FALSE(QFile::exists(dir.filePath(u"out.bin"_qs)));
        }
    }
    // Start's own check names a device or a folder as such instead of calling it missing.
    EXPECT_EQ(startCheckMessage(device, dir.filePath(u"out.bin"_qs)),
              u"源程序文件读取失败："_qs + device + u"（这是设备或管道，不是普通文件）"_qs);
    EXPECT_EQ(startCheckMessage(folder, dir.filePath(u"out.bin"_qs)),
              u"源程序文件读取失败："_qs + folder + u"（这是一个文件夹，不是文件）"_qs);
    EXPECT_TRUE(startCheckMessage(huge, dir.filePath(u"out.bin"_qs)).isEmpty()); // refused by the run
}

namespace
{

// A driver whose pass 2 meets a fault of the program itself at its second line.
class FaultyDriver : public AssemblyDriver
{
  public:
    using AssemblyDriver::AssemblyDriver;

  private:
    void passOne() override {}
    void passTwo() override
    {
        startPassTwo();
        m_lineNumber = 2;
        internalError("no opcode for this form");
    }
    void writeOutputs() override { writeReportAndImage(); }
    QStringList writePartialListing() override { return {}; }
    QStringList removedOnFailure() const override { return {m_result.paths.errorReport, m_result.paths.bin}; }
};

} // namespace

TEST(AssemblyInternalErrors, AreReportedAsSuchWithTheStatementAndNoOutput)
{
    Folder folder;
    writeBytes(folder.path("bin"), "stale");
    setInternalErrorsFatal(false);
    const AssemblyObserver observer; // the driver keeps a reference to it
    FaultyDriver driver(folder.path("bin"), observer);
    const AssemblyResult result = carryOutAssembly(driver.plan(folder.source));
    setInternalErrorsFatal(true);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failureMessage,
              u"汇编程序内部错误：no opcode for this form\r\n出错语句：第 2行\t\tNOP\r\n"
              u"本次汇编没有生成目标文件。"_qs);
    expectHonest(result.failureMessage);
    EXPECT_FALSE(QFile::exists(folder.path("bin")));

    // Where internal errors are fatal (tests, fuzzing) they stop the program at once.
    EXPECT_DEATH(internalError("no opcode for this form"), "internal error: no opcode for this form");
}
