// The watchdog: arming and feeding by the WDTRST pair, the count per instruction, the reset
// the step command performs when the count passes its limit.
#include "PeripheralTestSupport.h"
#include "simulator/StatusTexts.h"

using namespace tw;
using twtest::Board;

TEST(Watchdog, ArmsOnThePairAndResetsAfterTheLimit)
{
    // MOV 0A6h,#1Eh; MOV 0A6h,#0E1h; SJMP $.
    Board board({0x75, 0xA6, 0x1E, 0x75, 0xA6, 0xE1, 0x80, 0xFE});
    board.step();
    EXPECT_FALSE(board.cpu->wdtArmed);
    EXPECT_EQ(statusPanelText(*board.cpu, 8), "WDT：未激活");
    board.step();
    EXPECT_TRUE(board.cpu->wdtArmed);
    EXPECT_EQ(board.cpu->wdtCount, 1); // the arming instruction itself counts
    EXPECT_EQ(statusPanelText(*board.cpu, 8), "WDT：已激活");

    board.step(16382);
    EXPECT_EQ(board.cpu->wdtCount, 16383);
    EXPECT_EQ(board.cpu->pc, 6);
    board.cpu->intLow = true;
    board.step(); // the reset comes first, then the instruction at 0000h
    EXPECT_EQ(board.cpu->pc, 3);
    EXPECT_FALSE(board.cpu->wdtArmed);
    EXPECT_EQ(board.cpu->wdtCount, 0);
    EXPECT_FALSE(board.cpu->intLow);
    EXPECT_EQ(statusPanelText(*board.cpu, 8), "WDT：未激活");
}

TEST(Watchdog, PairMustBeAdjacentAndFeedingRestartsTheCount)
{
    Board apart({0x75, 0xA6, 0x1E, 0x75, 0xA6, 0x00, 0x75, 0xA6, 0xE1});
    apart.step(3);
    EXPECT_FALSE(apart.cpu->wdtArmed);
    EXPECT_EQ(apart.cpu->wdtSequence, 0x00E1);

    // MOV R0,#1Eh; MOV R1,#0E1h; MOV 0A6h,R0; MOV 0A6h,R1; NOP x3; then feed again.
    Board board({0x78, 0x1E, 0x79, 0xE1, 0x88, 0xA6, 0x89, 0xA6, 0x00, 0x00, 0x00, 0x88, 0xA6, 0x89, 0xA6});
    board.step(4);
    EXPECT_TRUE(board.cpu->wdtArmed);
    EXPECT_EQ(board.cpu->wdtCount, 2); // MOV direct,Rn counts twice
    board.step(3);
    EXPECT_EQ(board.cpu->wdtCount, 5);
    board.step(2);
    EXPECT_EQ(board.cpu->wdtCount, 2);
}

TEST(Watchdog, CountsTwiceForRegisterLoopsAndNeverWhileUnarmed)
{
    // MOV R7,#00h; DJNZ R7,$: 256 turns of the loop.
    Board idle({0x7F, 0x00, 0xDF, 0xFE});
    idle.step(257);
    EXPECT_EQ(idle.cpu->pc, 4);
    EXPECT_EQ(idle.cpu->wdtCount, 0);
    EXPECT_FALSE(resetIfWatchdogExpired(*idle.cpu));

    Board armed({0x7F, 0x00, 0xDF, 0xFE, 0xBF, 0x01, 0x00});
    armed.cpu->wdtArmed = true;
    armed.step(257);
    EXPECT_EQ(armed.cpu->wdtCount, 1 + 256 * 2);
    armed.step(); // CJNE R7,#01h,rel counts twice as well
    EXPECT_EQ(armed.cpu->wdtCount, 1 + 256 * 2 + 2);
}

TEST(Watchdog, ProgramThatStopsFeedingRestartsFromZero)
{
    // End to end: a program feeds the watchdog ten times in a counted loop, then stops
    // feeding; the watchdog reset starts it over, so the boot counter in 7Fh (not touched by
    // reset) climbs once per watchdog period.
    Board board;
    ASSERT_TRUE(twtest::assembleFixture(board, QStringLiteral("watchdog_feed.asm")));
    board.step(200000);
    EXPECT_GE(board.iram(0x7F), 10) << board.state();
    EXPECT_LE(board.iram(0x7F), 13);
    EXPECT_EQ(board.iram(0x7E), 10); // fed ten times before every stop
}
