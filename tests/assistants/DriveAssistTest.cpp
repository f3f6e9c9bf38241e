// The driver's assistant commands print what the pages show, for checks by hand and by script.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace
{

QString drive(const QStringList &args, int expectedExit = 0)
{
    const twtest::ProcessResult result = twtest::runDriver(args);
    EXPECT_EQ(result.exitCode, expectedExit) << qPrintable(args.join(' '));
    return QString::fromUtf8(result.out);
}

} // namespace

TEST(DriveAssist, CommandsPrintThePagesResults)
{
    const QString baud = drive({"baud", "22.1184", "1", "115200"});
    EXPECT_TRUE(baud.startsWith("MODE 2\nTH1 FFH\nTL1 FFH\nMOV SCON,#50H\nMOV PCON,#80H\n"))
        << qPrintable(baud);
    EXPECT_TRUE(drive({"baud", "24", "1", "1", "TIM"})
                    .endsWith(QStringLiteral(u"请降低晶振频率或提高所需的波特率！\n")));
    EXPECT_EQ(drive({"timer", "11.0592", "timer:50000", "counter:100:hard"}),
              "T0 1 4CH 00H\nT1 2 9CH 9CH\nMOV TMOD,#E1H\nMOV TH0,#4CH\nMOV TL0,#00H\nMOV TH1,#9CH\nMOV "
              "TL1,#9CH\n");
    EXPECT_EQ(drive({"timer", "12", "counter:0", "none"}),
              QStringLiteral(u"MESSAGE 计数值太小，无法实现！\nT0   \nT1   \nMOV TMOD,#04H\n"));
    EXPECT_EQ(drive({"irq", "00001", "01000"}), "IP MOV IP,#10H\nIE MOV IE,#82H\n");
    EXPECT_EQ(drive({"unicode", "codes", "hex", QStringLiteral(u"中文")}), "0x4E2D, 0x6587\n");
    EXPECT_EQ(drive({"unicode", "text", "dec", "-29662"}), QStringLiteral(u"谢\n"));
    EXPECT_EQ(drive({"unicode", "text", "dec", "70000"}, 1), QStringLiteral(u"ERROR 十进制代码错误！\n"));
    drive({"timer", "12", "sometimes", "none"}, 2);
}

// An unused timer may still be set to 硬件启动: its GATE bit stays in TMOD beside the other timer.
TEST(DriveAssist, UnusedTimerWithHardwareStart)
{
    EXPECT_EQ(drive({"timer", "12", "none:hard", "timer:"}), "T0   \nT1   \nMOV TMOD,#08H\n");
    EXPECT_EQ(drive({"timer", "12", "none:hard", "timer:100"}),
              "T0   \nT1 2 9CH 9CH\nMOV TMOD,#28H\nMOV TH1,#9CH\nMOV TL1,#9CH\n");
    EXPECT_EQ(drive({"timer", "12", "counter:10", "none:hard"}),
              "T0 2 F6H F6H\nT1   \nMOV TMOD,#86H\nMOV TH0,#F6H\nMOV TL0,#F6H\n");
    // Both unused: no program at all, as on the page.
    EXPECT_EQ(drive({"timer", "12", "none:hard", "none:hard"}), "T0   \nT1   \n");
    for (const char *bad : {"none:soft", "none:hard:hard", "none:", "timer:100:hard:hard"})
        drive({"timer", "12", bad, "none"}, 2);
}
