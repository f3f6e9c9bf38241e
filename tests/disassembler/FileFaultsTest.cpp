// Both disassemblers, end to end through twdrive, against inputs no tool can use and outputs that
// cannot be written: refused before reading, and every fault named for what it is.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QString driveOut(const QStringList &args, int *exitCode)
{
    const twtest::ProcessResult run = twtest::runDriver(args);
    *exitCode = run.exitCode;
    return QString::fromUtf8(run.out);
}

} // namespace

TEST(DisasmFileFaults, InputsNoDisassemblerCanUseAreRefusedUnread)
{
    QTemporaryDir dir;
    const QString huge = dir.filePath(u"huge.bin"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(huge, 3LL << 30));
    const QString fifo = dir.filePath(u"pipe.bin"_qs);
    ASSERT_TRUE(twtest::runProgram(u"mkfifo"_qs, {fifo}).exitCode == 0);
    const QString out = dir.filePath(u"out.asm"_qs);

    struct Case {
        const char *command;
        QString input;
        QString says;
    };
    const Case cases[] = {
        // Today's failures are a bad_alloc and a 3 GB read; both must be refused at once.
        {"dis51", u"/dev/zero"_qs, u"反汇编失败！"_qs},
        {"dis51", huge, u"目标代码长度超出范围，此非51单片机机器码？"_qs},
        {"dis51", fifo, u"反汇编失败！"_qs},
        {"dis51", dir.path(), u"反汇编失败！"_qs},
        {"dis48", u"/dev/zero"_qs, u"存在有非MCS48操作码，反汇编失败！"_qs},
        {"dis48", huge, u"目标代码长度超出范围，此非48单片机机器码？"_qs},
        {"dis48", fifo, u"存在有非MCS48操作码，反汇编失败！"_qs},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((QLatin1String(c.command) + u' ' + c.input).toStdString());
        int exitCode = 0;
        const QString said = driveOut({QString::fromLatin1(c.command), c.input, out}, &exitCode);
        EXPECT_EQ(exitCode, 1);
        EXPECT_TRUE(said.contains(c.says)) << said.toStdString();
    }
}

TEST(DisasmFileFaults, OutputsThatCannotBeWrittenAreNamedNotBlamedOnTheCode)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(u"prog.bin"_qs);
    twtest::writeBytes(bin, QByteArray("\x04\x00", 2)); // JMP 0000H on both chips (AJMP / JMP)
    const QString folder = dir.filePath(u"folder.asm"_qs);
    QDir(dir.path()).mkpath(u"folder.asm"_qs);
    std::vector<std::pair<QString, QString>> outputs = {
        {folder, u"已有同名的文件夹"_qs},
        {dir.filePath(QString(300, u'n') + u".asm"_qs), u"文件名太长"_qs},
    };
    // A device is never opened to be written; the other outputs go beside the link, not into /dev.
    const QString device = dir.filePath(u"device.asm"_qs);
    if (QFileInfo::exists(u"/dev/full"_qs) && QFile::link(u"/dev/full"_qs, device))
        outputs.push_back({device, u"这是设备或管道，不是普通文件"_qs});
    // A full disk, through a link.
    twtest::SmallDisk small(dir.filePath(u"small"_qs));
    const QString full = dir.filePath(u"full.asm"_qs);
    if (small.active() && QFile::link(small.path() + u"/full.asm"_qs, full)) {
        small.fill();
        outputs.push_back({full, u"磁盘空间已满"_qs});
    }
    for (const char *command : {"dis51", "dis48"}) {
        for (const auto &[output, reason] : outputs) {
            SCOPED_TRACE((QLatin1String(command) + u' ' + output).toStdString());
            int exitCode = 0;
            const QString said = driveOut({QString::fromLatin1(command), bin, output}, &exitCode);
            EXPECT_EQ(exitCode, 1);
            EXPECT_TRUE(said.contains(u"文件写入失败："_qs + output + u"（"_qs + reason + u"）"_qs))
                << said.toStdString();
            EXPECT_FALSE(said.contains(u"操作码"_qs)) << said.toStdString();
            EXPECT_FALSE(said.contains(u"完成"_qs)) << said.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());

    twtest::ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.active())
        return;
    for (const char *command : {"dis51", "dis48"}) {
        int exitCode = 0;
        const QString output = dir.filePath(u"prog.asm"_qs);
        const QString said = driveOut({QString::fromLatin1(command), bin, output}, &exitCode);
        EXPECT_EQ(exitCode, 1);
        EXPECT_TRUE(said.contains(u"文件写入失败："_qs + output + u"（没有访问权限）"_qs))
            << said.toStdString();
    }
}
