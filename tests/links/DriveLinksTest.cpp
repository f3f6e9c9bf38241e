// The headless driver's isp and send commands, run as a separate process.
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DriveLinks, IspProgramsTheSimulatedChipAndSendRefusesAMissingDevice)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("t.bin"));
    twtest::writeBytes(bin, QByteArray("\x02\x00\x30", 3));
    twtest::ProcessResult result = twtest::runDriver({QStringLiteral("isp"), bin, QStringLiteral("100")});
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString();
    const QString out = QString::fromUtf8(result.out);
    EXPECT_TRUE(out.contains(
        QStringLiteral(u"== blank check\n端口已打开，准备传输\n编程使能：  00000069\n芯片非空\n")));
    EXPECT_TRUE(out.contains(
        QStringLiteral(u"== automatic\n端口已打开，准备传输\n芯片擦除 OK\n写入 OK\n校验 OK\n写加密位 OK\n")));
    EXPECT_TRUE(out.contains(QStringLiteral(
        u"== read-out\n端口已打开，准备传输\n芯片擦除 OK\n写入 OK\n校验 OK\n写加密位 OK\n读出 OK\n")));
    EXPECT_TRUE(out.endsWith(QStringLiteral("LOCK BITS 1\nTIMING FAULTS 0\nCHIP SAME AS FILE\n")));

    result = twtest::runDriver({QStringLiteral("send"), bin, dir.filePath(QStringLiteral("ttyNone"))});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QByteArray("LENGTH 0003H\nBLOCKS 1\nPORT FAILED\n"));
}
