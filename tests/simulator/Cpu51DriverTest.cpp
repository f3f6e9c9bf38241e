// `twdrive sim51` end to end: a program assembled by as31, run by the driver, its dump compared
// with the golden file byte for byte.
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Cpu51Driver, RunsAnAssembledProgramToTheGoldenDumpAndRejectsBadInput)
{
    TW_REQUIRE_PROGRAMS(QStringLiteral("as31"));
    QTemporaryDir folder;
    const QString bin = folder.filePath("copy.bin");
    const auto as31 = twtest::runProgram(
        "as31", {"-Fbin", "-O" + bin, twtest::dataPath("simulator/core/copy.asm")}, folder.path());
    ASSERT_EQ(as31.exitCode, 0) << as31.err.toStdString();
    const QString iram = twtest::dataPath("simulator/core/copy.iram");

    const auto dump = twtest::runDriver({"sim51", bin, "--until", "0012", "--iram", iram});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_EQ(dump.out, twtest::readBytes(twtest::dataPath("simulator/core/copy.dump")));
    EXPECT_TRUE(twtest::runDriver({"sim51", bin, "--steps", "4"}).out.startsWith("STEPS 4\nPC 0008\n"));
    EXPECT_TRUE(twtest::runDriver({"sim51", bin}).out.startsWith("STEPS 1000000\nPC 0012\n"));

    twtest::writeBytes(folder.filePath("short.bin"), QByteArray(10, '\0'));
    for (const QStringList &bad :
         {QStringList{"--iram", folder.filePath("short.bin")}, {"--until", "12345"}, {"--steps"}}) {
        EXPECT_EQ(twtest::runDriver(QStringList{"sim51", bin} + bad).exitCode, 2)
            << bad.join(' ').toStdString();
    }
    EXPECT_EQ(twtest::runDriver({"sim51", folder.filePath("missing.bin")}).exitCode, 2);
}
