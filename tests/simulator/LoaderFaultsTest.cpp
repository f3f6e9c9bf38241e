// The simulator's loader and twdrive sim51 against files no simulation can use: refused before
// they are read, each with the simulator's own message.
#include "support/FileFaults.h"
#include "support/TestFiles.h"

#include "simulator/Listing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

TEST(SimulatorLoaderFaults, CodeAndListingsNoSimulationCanUseAreRefusedUnread)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(u"prog.bin"_qs);
    const QString listing = dir.filePath(u"prog.lt"_qs);
    twtest::writeBytes(listing, "  MCS51\r\n");
    ProgramFiles files;

    ASSERT_TRUE(twtest::makeSparseFile(bin, 3LL << 30));
    EXPECT_EQ(readProgramFiles(bin, files), u"目标文件超过64K字节，不能仿真！"_qs);
    ASSERT_TRUE(twtest::makeSparseFile(bin, 65537));
    EXPECT_EQ(readProgramFiles(bin, files), u"目标文件超过64K字节，不能仿真！"_qs);
    QFile::remove(bin);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, bin));
    EXPECT_EQ(readProgramFiles(bin, files), u"缺失"_qs + bin + u"文件"_qs);

    QFile::remove(bin);
    twtest::writeBytes(bin, QByteArray(65536, '\0'));
    ASSERT_TRUE(twtest::makeSparseFile(listing, 3LL << 30));
    EXPECT_EQ(readProgramFiles(bin, files), u"列表文件超过20000行，不能仿真！"_qs);
    QFile::remove(listing);
    QDir(dir.path()).mkpath(u"prog.lt"_qs);
    EXPECT_EQ(readProgramFiles(bin, files), u"缺失"_qs + listing + u"文件"_qs);
    EXPECT_TRUE(files.code.isEmpty()); // nothing was taken over from a refused pair

    // The driver's loader refuses the same way instead of reading a device forever.
    for (const QString &code : {u"/dev/zero"_qs, dir.path()}) {
        const twtest::ProcessResult run = twtest::runDriver({u"sim51"_qs, code, u"--steps"_qs, u"1"_qs});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("cannot read")) << run.err.constData();
    }
}
