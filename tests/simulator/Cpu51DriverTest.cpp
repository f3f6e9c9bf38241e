// `twdrive sim51` end to end: programs assembled by as31, run by the driver, dump read back.
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// Assembles source with as31 into NAME.bin in the folder; returns its path (empty on failure).
QString assemble(const QTemporaryDir &folder, const QString &name, const QByteArray &source)
{
    const QString asmPath = folder.filePath(name + ".asm");
    const QString binPath = folder.filePath(name + ".bin");
    twtest::writeBytes(asmPath, source);
    const auto result = twtest::runProgram("as31", {"-Fbin", "-O" + binPath, asmPath}, folder.path());
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
    return QFile::exists(binPath) ? binPath : QString();
}

QList<QByteArray> lines(const QByteArray &out)
{
    return out.trimmed().split('\n');
}

// Copies 40h bytes of a table to external RAM 0100h through DPTR and counts down in R7.
const QByteArray kCopyProgram = "\t.org 0\n"
                                "\tmov dptr,#0x0100\n"
                                "\tmov r0,#0x40\n"
                                "\tmov r7,#0x10\n"
                                "loop:\tmov a,@r0\n"
                                "\tmovx @dptr,a\n"
                                "\tinc dptr\n"
                                "\tinc r0\n"
                                "\tdjnz r7,loop\n"
                                "\tmov a,#0x99\n"
                                "\tadd a,#0x01\n"
                                "\tda a\n"
                                "done:\tsjmp done\n";

} // namespace

TEST(Cpu51Driver, DumpsTheStateInTheDriverFormat)
{
    if (!twtest::havePeer("as31"))
        GTEST_SKIP() << "as31 not installed";
    QTemporaryDir folder;
    const QString bin = assemble(folder, "copy", kCopyProgram);
    ASSERT_FALSE(bin.isEmpty());
    QByteArray iram(256, '\0');
    for (int k = 0; k < 16; ++k)
        iram[0x40 + k] = static_cast<char>(0xA0 + k);
    iram[0x4F] = 0;
    const QString iramPath = folder.filePath("iram.bin");
    twtest::writeBytes(iramPath, iram);

    const auto result = twtest::runDriver({"sim51", bin, "--until", "0012", "--iram", iramPath});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 2 + 16 + 8 + 1) << result.out.toStdString();
    EXPECT_EQ(out[0], "STEPS " + QByteArray::number(3 + 16 * 5 + 3));
    EXPECT_EQ(out[1], "PC 0012");
    EXPECT_EQ(out[2], "IRAM 00: 50 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(out[6], "IRAM 40: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE 00");
    EXPECT_EQ(out[18], "SFR 80: FF 07 10 01 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(out[25], "SFR F0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(out[26], "XRAM 0100: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE 00");
    // 99h + 1 adjusted gives 00h with CY; PSW = 80h (P of 00h is 0).
    EXPECT_EQ(out[24], "SFR E0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(out[22], "SFR C0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_TRUE(out[23].startsWith("SFR D0: 80 ")) << out[23].toStdString();
}

TEST(Cpu51Driver, CountsStepsAndRejectsBadInput)
{
    if (!twtest::havePeer("as31"))
        GTEST_SKIP() << "as31 not installed";
    QTemporaryDir folder;
    const QString bin = assemble(folder, "copy", kCopyProgram);
    ASSERT_FALSE(bin.isEmpty());
    const auto stepped = twtest::runDriver({"sim51", bin, "--steps", "4"});
    ASSERT_EQ(stepped.exitCode, 0);
    EXPECT_EQ(lines(stepped.out)[0], "STEPS 4");
    EXPECT_EQ(lines(stepped.out)[1], "PC 0008");
    const auto loop = twtest::runDriver({"sim51", bin});
    EXPECT_EQ(lines(loop.out)[0], "STEPS 1000000");
    EXPECT_EQ(lines(loop.out)[1], "PC 0012");

    twtest::writeBytes(folder.filePath("short.bin"), QByteArray(10, '\0'));
    EXPECT_EQ(twtest::runDriver({"sim51", bin, "--iram", folder.filePath("short.bin")}).exitCode, 2);
    EXPECT_EQ(twtest::runDriver({"sim51", folder.filePath("missing.bin")}).exitCode, 2);
    EXPECT_EQ(twtest::runDriver({"sim51", bin, "--until", "12345"}).exitCode, 2);
    EXPECT_EQ(twtest::runDriver({"sim51", bin, "--steps"}).exitCode, 2);
}
