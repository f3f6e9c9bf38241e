// What an assembly run plans and how its files reach the disk: all of them or none, the outputs of
// an earlier run removed only once this run's own are written, a pipe in an output's place refused
// without waiting for a reader, and the run planned in memory giving the bytes a file run writes.
#include "support/TestFiles.h"

#include "assembler/AssemblyRun.h"
#include "common/OutcomeWriter.h"
#include "common/TextFile.h"
#include "source/Normaliser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

using namespace tw;
using twtest::readBytes;
using twtest::writeBytes;

namespace
{

const char *const kEndings[] = {"a51", "lst", "lt", "err", "bin"};

struct Folder {
    QTemporaryDir dir;
    QString source = dir.filePath(u"prog.asm"_qs);
    explicit Folder(const QByteArray &text) { writeBytes(source, text); }
    QString path(const char *ending) const { return dir.filePath(u"prog."_qs + QLatin1String(ending)); }
    // Every output of an earlier run, each holding "old".
    void writeOldOutputs() const
    {
        for (const char *ending : kEndings)
            writeBytes(path(ending), "old");
    }
};

// Each planned file's bytes by its file name, as the writer would write them.
std::map<QString, QByteArray> plannedBytes(const ToolOutcome &outcome)
{
    std::map<QString, QByteArray> files;
    for (const PlannedFile &file : outcome.files) {
        QByteArray bytes = QByteArray::fromStdString(file.bytes);
        if (file.content)
            file.content([&bytes](std::string_view piece) {
                bytes.append(piece.data(), static_cast<qsizetype>(piece.size()));
                return std::string();
            });
        files[QFileInfo(fromNativePath(file.path)).fileName()] = bytes;
    }
    return files;
}

twtest::ProcessResult drive(const char *command, const QString &source)
{
    // A run that waited for a pipe's reader would never end: it is stopped and fails the test.
    return twtest::runProgram(QStringLiteral(TW_TWDRIVE), {QString::fromLatin1(command), source}, QString(),
                              30000);
}

} // namespace

TEST(AssemblyOutputs, ARunThatCannotWriteEveryFileLeavesTheEarlierOnesAsTheyWere)
{
    for (const char *command : {"asm51", "asm48"}) {
        SCOPED_TRACE(command);
        // A run that went through, with a folder where its code image goes.
        Folder folder(" MOV A,#1\r\n NOP\r\n END\r\n");
        folder.writeOldOutputs();
        QFile::remove(folder.path("bin"));
        QDir(folder.dir.path()).mkpath(u"prog.bin"_qs);
        const twtest::ProcessResult run = drive(command, folder.source);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(QString::fromUtf8(run.out).trimmed(),
                  u"文件写入失败："_qs + folder.path("bin") + u"（已有同名的文件夹）"_qs);
        for (const char *ending : {"a51", "lst", "lt", "err"})
            EXPECT_EQ(readBytes(folder.path(ending)), QByteArray("old")) << ending;
        EXPECT_EQ(QDir(folder.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
    }
    // A failure in pass 2 whose listing so far cannot be written: the run's own message stands,
    // the writer's follows, and the earlier outputs are not removed as stale.
    Folder folder(" mov a,#1\r\n mov a,#99999999999\r\n nop\r\n");
    folder.writeOldOutputs();
    QFile::remove(folder.path("lst"));
    QDir(folder.dir.path()).mkpath(u"prog.lst"_qs);
    const twtest::ProcessResult run = drive("asm48", folder.source);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(QString::fromUtf8(run.out).trimmed(), u"汇编失败，存在有不可识别的语句！\r\n文件写入失败："_qs +
                                                        folder.path("lst") + u"（已有同名的文件夹）"_qs);
    for (const char *ending : {"a51", "lt", "err", "bin"})
        EXPECT_EQ(readBytes(folder.path(ending)), QByteArray("old")) << ending;

    // Once the listing can be written, the run leaves it and its copy, and the rest is gone.
    QDir(folder.dir.path()).rmdir(u"prog.lst"_qs);
    EXPECT_EQ(drive("asm48", folder.source).exitCode, 2);
    EXPECT_TRUE(readBytes(folder.path("lst")).contains("MOV\tA,#1"));
    EXPECT_TRUE(readBytes(folder.path("a51")).startsWith("\tMOV\tA,#1\r\n"));
    for (const char *ending : {"lt", "err", "bin"})
        EXPECT_FALSE(QFile::exists(folder.path(ending))) << ending;
}

TEST(AssemblyOutputs, ARunThatReadsNoSourceWritesNothingAndRemovesNothing)
{
    for (const AsmCpu cpu : {AsmCpu::Mcs51, AsmCpu::Mcs48}) {
        Folder folder(" NOP\r\n");
        folder.writeOldOutputs();
        QFile::remove(folder.source);
        const AssemblyResult result = assembleFile(cpu, folder.source, folder.path("bin"), {});
        EXPECT_EQ(result.failureMessage,
                  u"源程序文件读取失败："_qs + folder.source + u"（文件或文件夹不存在）"_qs);
        EXPECT_TRUE(result.filesWritten.isEmpty());
        for (const char *ending : kEndings)
            EXPECT_EQ(readBytes(folder.path(ending)), QByteArray("old")) << ending;
    }
}

TEST(AssemblyOutputs, APipeInAnOutputsPlaceIsRefusedWithoutWaitingForAReader)
{
    for (const char *command : {"asm51", "asm48"}) {
        SCOPED_TRACE(command);
        Folder folder(" NOP\r\n END\r\n");
        ASSERT_EQ(::mkfifo(QFile::encodeName(folder.path("lst")).constData(), 0600), 0);
        const twtest::ProcessResult run = drive(command, folder.source);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(QString::fromUtf8(run.out).trimmed(),
                  u"文件写入失败："_qs + folder.path("lst") + u"（这是设备或管道，不是普通文件）"_qs);
        EXPECT_FALSE(QFile::exists(folder.path("a51")));
        EXPECT_FALSE(QFile::exists(folder.path("bin")));

        // A pipe where a failed run's stale code image would be is left alone.
        Folder failing(" nop\r\n org 10000h\r\n");
        ASSERT_EQ(::mkfifo(QFile::encodeName(failing.path("bin")).constData(), 0600), 0);
        const twtest::ProcessResult failed = drive(command, failing.source);
        EXPECT_EQ(failed.exitCode, 2);
        EXPECT_EQ(QString::fromUtf8(failed.out).trimmed(), u"第 2行地址错误！"_qs);
        struct stat info {
        };
        ASSERT_EQ(::lstat(QFile::encodeName(failing.path("bin")).constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
    }
}

TEST(AssemblyOutputs, PlannedInMemoryTheFilesAreThoseARunWrites)
{
    const QDir golden(twtest::dataPath(u"assembler/golden"_qs));
    for (const QString &name : golden.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        SCOPED_TRACE(name.toStdString());
        const QDir expected(golden.filePath(name));
        QTemporaryDir dir;
        const AsmCpu cpu = name.startsWith(u"48") ? AsmCpu::Mcs48 : AsmCpu::Mcs51;
        const AssemblyOutcome planned =
            planAssembly(cpu, {dir.filePath(u"prog.asm"_qs), dir.filePath(u"prog.bin"_qs),
                               readBytes(expected.filePath(u"prog.asm"_qs))});
        ASSERT_TRUE(planned.result.completed) << planned.result.failureMessage.toStdString();
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
        EXPECT_TRUE(planned.outcome.stale.empty());
        EXPECT_TRUE(planned.outcome.inputs.empty()); // nothing was read
        const std::map<QString, QByteArray> files = plannedBytes(planned.outcome);
        EXPECT_EQ(files.size(), 5u);
        for (const QString &file : expected.entryList(QDir::Files)) {
            if (file == u"prog.asm"_qs)
                continue;
            EXPECT_EQ(files.at(file), readBytes(expected.filePath(file))) << file.toStdString();
        }

        // Carried out, they are the files.
        const AssemblyResult result = carryOutAssembly(planned);
        EXPECT_TRUE(result.completed);
        EXPECT_EQ(result.filesWritten.size(), 5);
        EXPECT_EQ(readBytes(dir.filePath(u"prog.lst"_qs)), readBytes(expected.filePath(u"prog.lst"_qs)));

        // Read from its file, the source is the run's one input, which no output may replace.
        const QString source = dir.filePath(u"prog.asm"_qs);
        writeBytes(source, readBytes(expected.filePath(u"prog.asm"_qs)));
        EXPECT_EQ(planAssembly(cpu, {source, dir.filePath(u"prog.bin"_qs), std::nullopt}).outcome.inputs,
                  std::vector{nativePath(source)});
    }
    // A failure plans its copy and no code image, and says why in its first note.
    const AssemblyOutcome failed = planAssembly(
        AsmCpu::Mcs51, {u"/nonexistent/prog.asm"_qs, u"/nonexistent/prog.bin"_qs, QByteArray("X EQU\r\n")});
    EXPECT_FALSE(failed.result.completed);
    ASSERT_EQ(failed.outcome.notes.size(), 1u);
    EXPECT_EQ(noteText(failed.outcome.notes[0]), u"汇编失败，EQU语句缺操作数！"_qs);
    EXPECT_EQ(failed.outcome.notes[0].title, "编译信息");
    ASSERT_EQ(failed.outcome.files.size(), 1u);
    EXPECT_EQ(failed.outcome.files[0].path, "/nonexistent/prog.a51");
    EXPECT_EQ(failed.outcome.stale.size(), 4u);
}

TEST(AssemblyOutputs, ALargeCopyIsWrittenInTheSourcesEncodingWhereverItsStretchesEnd)
{
    // Lines of ten UTF-16 units ending in a character outside the BMP (a surrogate pair) in a
    // UTF-8 source, in two Chinese ones in a GBK source, repeated past the first stretches of the
    // copy: one of the ten shifts puts a stretch's end between the halves of a pair.
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Gbk}) {
        const QString wide = encoding == TextEncoding::Utf8 ? u"😀"_qs : u"中文"_qs;
        for (int shift = 0; shift < 10; ++shift) {
            QString text = u"\tNOP\t;"_qs + QString(shift, u'x') + u"\r\n"_qs;
            for (int i = 0; i < 20000; ++i)
                text += u"\tNOP\t;"_qs + wide + u"\r\n"_qs;
            QByteArray bytes = encodeText(text, encoding);
            if (encoding == TextEncoding::Utf8)
                bytes.prepend("\xEF\xBB\xBF");
            const AssemblyOutcome planned = planAssembly(
                AsmCpu::Mcs51, {u"/nonexistent/prog.asm"_qs, u"/nonexistent/prog.bin"_qs, bytes});
            ASSERT_TRUE(planned.result.completed);
            const QString copy = normaliseText(decodeText(bytes).text).text;
            ASSERT_GT(copy.size(), 3 * 65536);
            EXPECT_EQ(plannedBytes(planned.outcome).at(u"prog.a51"_qs), encodeText(copy, encoding)) << shift;
        }
    }
}
