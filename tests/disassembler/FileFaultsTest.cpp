// Both disassemblers, end to end through twdrive, against inputs no tool can use, outputs that
// cannot be written and files that are already there: refused before reading, every fault named
// for what it is, nothing replaced without consent, and a run that fails or cannot write all of
// its files leaves every file as it was.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kCommands[] = {u"dis51"_qs, u"dis48"_qs};

// An image both chips take: INC A, NOP on the MCS-51; JMP 0000H on the MCS-48.
const QByteArray kImage("\x04\x00", 2);

// The image, written as name in dir.
QString imageFile(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    twtest::writeBytes(path, kImage);
    return path;
}

struct Said {
    int exitCode = -1;
    QString text;
};

// A pipe as output must never block: the run is bounded, and a hang fails it.
Said drive(const QStringList &args)
{
    const twtest::ProcessResult run = twtest::runProgram(QStringLiteral(TW_TWDRIVE), args, QString(), 20000);
    return {run.exitCode, QString::fromUtf8(run.out)};
}

// Every name in a folder, hidden ones (a writer's temporaries) too.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString writeFault(const QString &path, const QString &reason)
{
    return u"文件写入失败："_qs + path + u"（"_qs + reason + u"）"_qs;
}

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(DisasmFileFaults, InputsNoDisassemblerCanUseAreRefusedUnread)
{
    // The inputs lie in one folder, the output in another: neither may gain a file.
    QTemporaryDir in, out;
    const QString huge = in.filePath(u"huge.bin"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(huge, 3LL << 30));
    const QString fifo = in.filePath(u"pipe.bin"_qs);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    // Named as the label dump used to be named from the input ("zero" less three, plus "err").
    const QString device = in.filePath(u"zero"_qs);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, device));
    const QString folder = in.filePath(u"sub"_qs);
    QDir(in.path()).mkpath(u"sub"_qs);
    const QString unreadable = in.filePath(u"secret.bin"_qs);
    twtest::writeBytes(unreadable, kImage);
    QFile::setPermissions(unreadable, QFileDevice::WriteOwner);
    const bool canRead = QFile(unreadable).open(QIODevice::ReadOnly); // root reads anything
    const QString missing = in.filePath(u"missing.bin"_qs);
    const QString output = out.filePath(u"out.asm"_qs);

    struct Case {
        QString input;
        QString reason;
        QString said = {}; // the window's own check, made before anything is read
    };
    const QString notAFile = u"这是设备或管道，不是普通文件"_qs;
    std::vector<Case> cases = {
        {u"/dev/zero"_qs, notAFile},
        {device, notAFile},
        {fifo, notAFile},
        {folder, u"这是一个文件夹，不是文件"_qs},
        {missing, {}, u"信息: 待反汇编的文件不存在！\n"_qs},
        {huge, {}}, // refused for its size, unread
    };
    if (!canRead)
        cases.push_back({unreadable, u"没有访问权限"_qs});
    const QStringList inputsBefore = entries(in.path());
    for (const QString &command : kCommands) {
        for (const Case &c : cases) {
            SCOPED_TRACE((command + u' ' + c.input).toStdString());
            const Said said = drive({command, c.input, output});
            EXPECT_EQ(said.exitCode, 1);
            const QString tooLong =
                u"信息: 目标代码长度超出范围，此非%1单片机机器码？\n"_qs.arg(command.mid(3));
            const QString readFault =
                u"反汇编信息: 文件读取失败："_qs + c.input + u"（"_qs + c.reason + u"）\n"_qs;
            EXPECT_EQ(said.text, !c.said.isEmpty() ? c.said : c.reason.isEmpty() ? tooLong : readFault);
            EXPECT_EQ(entries(out.path()), QStringList());
            EXPECT_EQ(entries(in.path()), inputsBefore);
        }
    }
}

TEST(DisasmFileFaults, OutputsThatCannotBeWrittenAreNamedNotBlamedOnTheCode)
{
    QTemporaryDir dir;
    const QString bin = imageFile(dir, u"prog.bin"_qs);
    const QString folder = dir.filePath(u"folder.asm"_qs);
    QDir(dir.path()).mkpath(u"folder.asm"_qs);
    const QString fifo = dir.filePath(u"pipe.asm"_qs);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString loop = dir.filePath(u"loop.asm"_qs);
    ASSERT_TRUE(QFile::link(dir.filePath(u"loop2.asm"_qs), loop));
    ASSERT_TRUE(QFile::link(loop, dir.filePath(u"loop2.asm"_qs)));
    const QString notAFile = u"这是设备或管道，不是普通文件"_qs;
    struct Output {
        QString path, reason;
        bool asks = false; // what is no regular file is refused before the question
    };
    std::vector<Output> outputs = {
        {folder, u"已有同名的文件夹"_qs},
        {fifo, notAFile},
        {loop, u"符号链接层数过多"_qs},
        {dir.filePath(QString(300, u'n') + u".asm"_qs), u"文件名太长"_qs},
    };
    // A device is never opened to be written; the side files go beside the link, not into /dev.
    // Without an extension, the segment list used to be named "flst".
    for (const QString &name : {u"device.asm"_qs, u"full"_qs})
        if (QFileInfo::exists(u"/dev/full"_qs) && QFile::link(u"/dev/full"_qs, dir.filePath(name)))
            outputs.push_back({dir.filePath(name), notAFile});
    // A full disk, through a link to a file there: the source cannot be written, and the segment
    // list beside the link is not left behind.
    twtest::SmallDisk small(dir.filePath(u"small"_qs));
    const QString full = dir.filePath(u"full.asm"_qs);
    if (small.active() && QFile::link(small.path() + u"/full.asm"_qs, full)) {
        twtest::writeBytes(small.path() + u"/full.asm"_qs, "mine");
        small.fill();
        outputs.push_back({full, u"磁盘空间已满"_qs, true});
    }
    const QStringList before = entries(dir.path());
    for (const QString &command : kCommands) {
        for (const Output &output : outputs) {
            SCOPED_TRACE((command + u' ' + output.path).toStdString());
            const Said said = drive({command, bin, output.path});
            EXPECT_EQ(said.exitCode, 1);
            EXPECT_EQ(said.text, (output.asks ? u"反汇编信息: 文件已存在！ 覆盖吗？\n"_qs : QString()) +
                                     u"反汇编信息: "_qs + writeFault(output.path, output.reason) + u'\n');
            // All or none: no segment list, no temporary is left.
            EXPECT_EQ(entries(dir.path()), before);
        }
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
    if (small.active()) {
        EXPECT_EQ(twtest::readBytes(full), QByteArray("mine"));
    }

    twtest::ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.active())
        return;
    for (const QString &command : kCommands) {
        const QString output = dir.filePath(u"prog.asm"_qs);
        const Said said = drive({command, bin, output});
        EXPECT_EQ(said.exitCode, 1);
        EXPECT_TRUE(said.text.contains(writeFault(output, twtest::folderRefusal(dir.path()))))
            << said.text.toStdString();
    }
}

// A link stays a link and an existing file keeps its mode; the side file goes beside the link.
TEST(DisasmFileFaults, LinksStayLinksAndModesStay)
{
    for (const QString &command : kCommands) {
        SCOPED_TRACE(command.toStdString());
        QTemporaryDir dir;
        const QString bin = imageFile(dir, u"prog.bin"_qs);
        QDir(dir.path()).mkpath(u"real"_qs);
        const QString real = dir.filePath(u"real/target.asm"_qs), link = dir.filePath(u"link.asm"_qs);
        twtest::writeBytes(real, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        ASSERT_TRUE(QFile::link(real, link));
        const Said said = drive({command, bin, link});
        EXPECT_EQ(said.exitCode, 0) << said.text.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_TRUE(twtest::readBytes(real).contains("ORG 0000H"));
        EXPECT_EQ(modeOf(real), 0640u);
        EXPECT_EQ(entries(dir.filePath(u"real"_qs)), QStringList{u"target.asm"_qs});
        EXPECT_EQ(QFileInfo::exists(dir.filePath(u"link.lst"_qs)), command == u"dis51");
    }
}

// The user's own source and the assembler's listing, where the disassembly would put its files.
TEST(DisasmFileFaults, ExistingFilesAreReplacedOnlyWithConsent)
{
    for (const QString &command : kCommands) {
        SCOPED_TRACE(command.toStdString());
        QTemporaryDir dir;
        const QString bin = imageFile(dir, u"blink.bin"_qs);
        const QString source = dir.filePath(u"blink.asm"_qs), listing = dir.filePath(u"blink.lst"_qs);
        twtest::writeBytes(source, "my own source");
        twtest::writeBytes(listing, "the assembler's listing");
        // The MCS-48 disassembly writes no segment list: only the source is in question.
        const QString question = command == u"dis51" ? u"反汇编信息: 文件已存在！ "_qs + source + u' ' +
                                                           listing + u" 覆盖吗？\n"_qs
                                                     : u"反汇编信息: 文件已存在！ 覆盖吗？\n"_qs;

        Said said = drive({command, u"--no"_qs, bin, source});
        EXPECT_EQ(said.exitCode, 1);
        EXPECT_EQ(said.text, question + u"反汇编信息: 结果未保存，原有文件未改动。\n"_qs);
        EXPECT_EQ(twtest::readBytes(source), QByteArray("my own source"));
        EXPECT_EQ(twtest::readBytes(listing), QByteArray("the assembler's listing"));
        EXPECT_EQ(entries(dir.path()), (QStringList{u"blink.asm"_qs, u"blink.bin"_qs, u"blink.lst"_qs}));

        said = drive({command, bin, source});
        EXPECT_EQ(said.exitCode, 0);
        EXPECT_EQ(said.text, question + u"反汇编信息: 反汇编完成！ 打开汇编语言程序吗？\n"_qs);
        EXPECT_TRUE(twtest::readBytes(source).contains("ORG 0000H"));
        EXPECT_EQ(twtest::readBytes(listing).contains("  0\t0000\t0002\r\n"), command == u"dis51");
    }
}

// START > END fails as the disassemblers' own failure; its failure file (MCS-51) or label dump
// (MCS-48) goes beside the output, named from it, and only where no file is yet.
TEST(DisasmFileFaults, AFailureKeepsWhatWasThereAndItsTraceGoesBesideTheOutput)
{
    QTemporaryDir in, out;
    const QString bin = imageFile(in, u"prog.bin"_qs);
    for (const QString &command : kCommands) {
        SCOPED_TRACE(command.toStdString());
        const QString failed = command == u"dis51" ? u"反汇编信息: 反汇编失败！\n"_qs
                                                   : u"反汇编信息: 存在有非MCS48操作码，反汇编失败！\n"_qs;
        const QString trace = command == u"dis51" ? u"out.asm"_qs : u"out.err"_qs;
        const QString output = out.filePath(u"out.asm"_qs);
        for (const QString &name : {u"out.asm"_qs, u"out.lst"_qs, u"out.err"_qs})
            twtest::writeBytes(out.filePath(name), "mine");
        Said said = drive({command, bin, output, u"0002"_qs, u"0001"_qs});
        EXPECT_EQ(said.exitCode, 1);
        EXPECT_EQ(said.text, failed);
        for (const QString &name : {u"out.asm"_qs, u"out.lst"_qs, u"out.err"_qs})
            EXPECT_EQ(twtest::readBytes(out.filePath(name)), QByteArray("mine")) << name.toStdString();

        // Where nothing is, the trace is written, in the output's folder.
        for (const QString &name : entries(out.path()))
            QFile::remove(out.filePath(name));
        said = drive({command, bin, output, u"0002"_qs, u"0001"_qs});
        EXPECT_EQ(said.exitCode, 1);
        EXPECT_EQ(said.text, failed);
        EXPECT_EQ(entries(out.path()), QStringList{trace});
        EXPECT_EQ(entries(in.path()), QStringList{u"prog.bin"_qs});

        // An output without an extension keeps its name; its side file gets one.
        QFile::remove(out.filePath(trace));
        const QString bare = out.filePath(u"bare"_qs);
        said = drive(command == u"dis51" ? QStringList{command, bin, bare}
                                         : QStringList{command, bin, bare, u"0002"_qs, u"0001"_qs});
        EXPECT_EQ(said.exitCode, command == u"dis51" ? 0 : 1);
        EXPECT_EQ(entries(out.path()), command == u"dis51" ? (QStringList{u"bare"_qs, u"bare.lst"_qs})
                                                           : QStringList{u"bare.err"_qs});
        for (const QString &name : entries(out.path()))
            QFile::remove(out.filePath(name));
    }
}

// The conversion window's Start checks, made by the driver too: no path chosen, and the source or
// the file beside it landing on the code image under any name, a link or a hard link among them.
TEST(DisasmFileFaults, TheWindowsStartChecksRefuseBeforeAnythingIsRead)
{
    const QString sameName = u": 反汇编后的文件不可以与待反汇编的文件同名！\n"_qs;
    for (const QString &command : kCommands) {
        SCOPED_TRACE(command.toStdString());
        QTemporaryDir dir;
        const QString bin = imageFile(dir, u"code.bin"_qs);
        // The segment list (MCS-51) or the label dump (MCS-48) of code.asm would be this file.
        const QString side = imageFile(dir, command == u"dis51" ? u"code.lst"_qs : u"code.err"_qs);
        ASSERT_TRUE(QFile::link(bin, dir.filePath(u"alias.asm"_qs)));
        ASSERT_EQ(::link(QFile::encodeName(bin).constData(),
                         QFile::encodeName(dir.filePath(u"hard.asm"_qs)).constData()),
                  0);
        QDir(dir.path()).mkpath(u"sub"_qs);
        const struct {
            QString input, output, said;
        } rows[] = {
            {QString(), dir.filePath(u"out.asm"_qs), u"信息: 请选择待反汇编的文件！\n"_qs},
            {bin, QString(), u"信息: 请选择反汇编后的文件存放地址！\n"_qs},
            {bin, bin, sameName},
            {bin, dir.filePath(u"alias.asm"_qs), sameName},
            {bin, dir.filePath(u"hard.asm"_qs), sameName},
            {bin, dir.filePath(u"sub/../code.bin"_qs), sameName},
            {side, dir.filePath(u"code.asm"_qs), u": 反汇编的附带文件不可以与待反汇编的文件同名！\n"_qs},
        };
        const QStringList before = entries(dir.path());
        for (const auto &row : rows) {
            SCOPED_TRACE(row.output.toStdString());
            const Said said = drive({command, row.input, row.output});
            EXPECT_EQ(said.exitCode, 1);
            EXPECT_EQ(said.text, row.said);
            EXPECT_EQ(entries(dir.path()), before);
            EXPECT_EQ(twtest::readBytes(bin), kImage);
            EXPECT_EQ(twtest::readBytes(side), kImage);
        }
    }
}
