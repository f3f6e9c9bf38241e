// The interrupt poll after each instruction: sources, priorities, vectors, in-service flags,
// RETI and the entry from idle.
#include "PeripheralTestSupport.h"
#include "simulator/StatusTexts.h"

using namespace tw;
using twtest::Board;

namespace
{

// LJMP 0030h; at 0030h the given set-up instructions, then SJMP $.
Board mainAt30(std::initializer_list<std::uint8_t> setup)
{
    Board board({0x02, 0x00, 0x30});
    board.place(0x30, setup);
    const auto end = static_cast<std::uint16_t>(0x30 + setup.size());
    board.place(end, {0x80, 0xFE});
    return board;
}

} // namespace

TEST(InterruptPoll, ExternalZeroVectorsAndRetiReturns)
{
    // 0003: RETI; 0030: MOV IE,#81h; SETB IE0.
    Board board = mainAt30({0x75, 0xA8, 0x81, 0xD2, 0x89});
    board.place(0x03, {0x32});
    board.step(3);
    EXPECT_EQ(board.cpu->pc, 0x0003) << board.state();
    EXPECT_EQ(board.sfr(Sfr::SP), 0x09);
    EXPECT_EQ(board.iram(0x08), 0x35); // low byte of the return address first
    EXPECT_EQ(board.iram(0x09), 0x00);
    EXPECT_EQ(board.sfr(Sfr::TCON), 0x00); // IE0 cleared by the entry
    EXPECT_TRUE(board.cpu->intLow);
    EXPECT_FALSE(board.cpu->intHigh);
    EXPECT_EQ(statusPanelText(*board.cpu, 2), "外中断0：响应中断");

    board.step(); // RETI
    EXPECT_EQ(board.cpu->pc, 0x0035);
    EXPECT_EQ(board.sfr(Sfr::SP), 0x07);
    EXPECT_FALSE(board.cpu->intLow);
    EXPECT_EQ(statusPanelText(*board.cpu, 2), "外中断0：响应中断"); // stays until reset
}

TEST(InterruptPoll, HighPriorityFirstAndPendingLowFollowsRetiAtOnce)
{
    // MOV IP,#08h (PT1); MOV IE,#89h (EA, ET1, EX0); MOV TCON,#82h (TF1 and IE0 together).
    Board board = mainAt30({0x75, 0xB8, 0x08, 0x75, 0xA8, 0x89, 0x75, 0x88, 0x82});
    board.place(0x1B, {0x32}).place(0x03, {0x32});
    board.step(4);
    EXPECT_EQ(board.cpu->pc, 0x001B) << board.state();
    EXPECT_EQ(board.sfr(Sfr::TCON), 0x02); // IE0 still pending
    EXPECT_TRUE(board.cpu->intHigh);
    EXPECT_EQ(board.iram(0x08), 0x39);
    EXPECT_EQ(statusPanelText(*board.cpu, 5), "定时器1：响应中断");
    EXPECT_EQ(statusPanelText(*board.cpu, 2), "外中断0：允许中断");

    board.step(); // RETI from timer 1; INT0 is taken right after it
    EXPECT_EQ(board.cpu->pc, 0x0003);
    EXPECT_EQ(board.sfr(Sfr::SP), 0x09);
    EXPECT_EQ(board.iram(0x08), 0x39);
    EXPECT_EQ(board.sfr(Sfr::TCON), 0x00);
    EXPECT_FALSE(board.cpu->intHigh);
    EXPECT_TRUE(board.cpu->intLow);

    // At the same level the table order decides: INT0 first, timer 1 right after its RETI.
    Board same = mainAt30({0x75, 0xA8, 0x89, 0x75, 0x88, 0x82});
    same.place(0x1B, {0x32}).place(0x03, {0x32});
    same.step(3);
    EXPECT_EQ(same.cpu->pc, 0x0003) << same.state();
    EXPECT_EQ(same.sfr(Sfr::TCON), 0x80);
    same.step();
    EXPECT_EQ(same.cpu->pc, 0x001B);
    EXPECT_TRUE(same.cpu->intLow);
    EXPECT_EQ(same.sfr(Sfr::TCON), 0x00);
}

TEST(InterruptPoll, GlobalEnableAndInServiceFlagsBlock)
{
    Board board({0x00, 0x00, 0x00, 0x00});
    board.sfr(Sfr::TCON) = 0x02; // IE0 pending
    board.sfr(Sfr::IE) = 0x01;   // EX0 without EA
    board.step();
    EXPECT_EQ(board.cpu->pc, 1);
    EXPECT_TRUE(board.bit(Bit::IE0)); // stays pending

    board.sfr(Sfr::IE) = 0x81;
    board.cpu->intHigh = true; // nothing interrupts a high-priority routine
    board.sfr(Sfr::IP) = 0x01;
    board.step();
    EXPECT_EQ(board.cpu->pc, 2);

    board.cpu->intHigh = false;
    board.cpu->intLow = true;
    board.sfr(Sfr::IP) = 0x00; // a low request waits for a low routine's end
    board.step();
    EXPECT_EQ(board.cpu->pc, 3);

    board.sfr(Sfr::IP) = 0x01; // a high request interrupts it
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x0003);
    EXPECT_TRUE(board.cpu->intHigh);
    EXPECT_TRUE(board.cpu->intLow);
}

TEST(InterruptPoll, EverySourceVectorsAndClearsOnlyItsOwnFlag)
{
    struct Case {
        std::uint8_t flagSfr, flagMask, enable, vector;
        bool cleared;
        int panel;
    };
    const Case cases[] = {
        {Sfr::TCON, 0x02, 0x01, 0x03, true, 2},   {Sfr::TCON, 0x20, 0x02, 0x0B, true, 3},
        {Sfr::TCON, 0x08, 0x04, 0x13, true, 4},   {Sfr::TCON, 0x80, 0x08, 0x1B, true, 5},
        {Sfr::SCON, 0x01, 0x10, 0x23, false, 6},  {Sfr::SCON, 0x02, 0x10, 0x23, false, 6},
        {Sfr::T2CON, 0x80, 0x20, 0x2B, false, 0}, {Sfr::T2CON, 0x40, 0x20, 0x2B, false, 0},
    };
    for (const Case &c : cases) {
        Board board;
        board.place(0x0100, {0x00});
        board.cpu->pc = 0x0100;
        board.sfr(c.flagSfr) = c.flagMask;
        board.sfr(Sfr::IE) = static_cast<std::uint8_t>(0x80 | c.enable);
        board.step();
        SCOPED_TRACE(c.vector);
        EXPECT_EQ(board.cpu->pc, c.vector);
        EXPECT_EQ(board.iram(0x08), 0x01);
        EXPECT_EQ(board.iram(0x09), 0x01);
        EXPECT_EQ(board.sfr(c.flagSfr), c.cleared ? 0 : c.flagMask);
        EXPECT_TRUE(board.cpu->intLow);
        for (int panel = 2; panel <= 6; ++panel)
            EXPECT_EQ(statusPanelText(*board.cpu, panel).find("响应中断") != std::string_view::npos,
                      panel == c.panel)
                << panel;
    }
}

TEST(InterruptPoll, SerialFlagsStaySetSoTheRoutineRunsAgain)
{
    // 0023: RETI without clearing RI/TI.
    Board board({0x00, 0x00, 0x00});
    board.place(0x23, {0x32});
    board.sfr(Sfr::SCON) = 0x03;
    board.sfr(Sfr::IE) = 0x90;
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x23);
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x23); // back in at once
    EXPECT_EQ(board.sfr(Sfr::SP), 0x09);
    EXPECT_EQ(board.sfr(Sfr::SCON), 0x03);
}

TEST(InterruptPoll, EntryEndsIdleButNotPowerDown)
{
    // ORL PCON,#01h with timer 0's request pending: the same poll wakes the CPU.
    Board board({0x43, 0x87, 0x01});
    board.sfr(Sfr::TCON) = 0x20;
    board.sfr(Sfr::IE) = 0x82;
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x0B);
    EXPECT_EQ(board.cpu->cpuMode, 0);
    EXPECT_EQ(board.sfr(Sfr::PCON), 0x00);

    Board sleeper({0x43, 0x87, 0x02});
    sleeper.sfr(Sfr::TCON) = 0x20;
    sleeper.sfr(Sfr::IE) = 0x82;
    sleeper.step();
    EXPECT_EQ(sleeper.cpu->pc, 0x0B); // still vectors
    EXPECT_EQ(sleeper.cpu->cpuMode, 2);
    EXPECT_EQ(statusPanelText(*sleeper.cpu, 7), "CPU：掉电");
    sleeper.step(5); // the step command executes nothing while powered down
    EXPECT_EQ(sleeper.cpu->pc, 0x0B);
}

TEST(InterruptPoll, EntryPushWrapsPastTheTopOfTheStack)
{
    Board board;
    board.place(0x1234, {0x00});
    board.cpu->pc = 0x1234;
    board.sfr(Sfr::SP) = 0xFE;
    board.sfr(Sfr::TCON) = 0x02;
    board.sfr(Sfr::IE) = 0x81;
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x0003);
    EXPECT_EQ(board.iram(0xFF), 0x35);
    EXPECT_EQ(board.iram(0x00), 0x12);
    EXPECT_EQ(board.sfr(Sfr::SP), 0x00);
}

TEST(InterruptPoll, TimerInterruptProgramCountsOverflows)
{
    // End to end: timer 0 in mode 2 with its interrupt counting overflows in R7 (bank 0),
    // the main loop polling it; assembled by as31 from a real source file.
    Board board;
    ASSERT_TRUE(twtest::assembleFixture(board, QStringLiteral("timer0_isr.asm")));
    board.step(8); // set-up
    for (int ms = 0; ms < 40; ++ms) {
        board.tick();
        board.step(3);
    }
    // Reload 0F6h: an overflow every 10 ticks.
    EXPECT_EQ(board.iram(0x30), 4) << board.state();
    EXPECT_FALSE(board.cpu->intLow);
    EXPECT_EQ(statusPanelText(*board.cpu, 3), "定时器0：响应中断");
}
