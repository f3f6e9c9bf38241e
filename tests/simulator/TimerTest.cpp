// Timers 0, 1 and 2 on the 1 ms tick: every mode, gating, the split mode, timer 2's reload,
// down count, capture and baud-rate modes, and the decoding of TMOD/T2CON at each tick.
#include "PeripheralTestSupport.h"

using namespace tw;
using twtest::Board;

namespace
{
std::uint16_t timer0(Board &b)
{
    return static_cast<std::uint16_t>(b.sfr(Sfr::TH0) << 8 | b.sfr(Sfr::TL0));
}
std::uint16_t timer2(Board &b)
{
    return static_cast<std::uint16_t>(b.sfr(Sfr::TH2) << 8 | b.sfr(Sfr::TL2));
}
} // namespace

TEST(TimerTick, Timer0ModesCountAndOverflow)
{
    Board board;
    board.sfr(Sfr::TMOD) = 0x01; // 16 bits
    board.sfr(Sfr::TCON) = 0x10; // TR0
    board.sfr(Sfr::TH0) = 0xFF;
    board.sfr(Sfr::TL0) = 0xFF;
    board.tick();
    EXPECT_EQ(timer0(board), 0x0000);
    EXPECT_EQ(board.sfr(Sfr::TCON), 0x30);
    board.tick(0x1234);
    EXPECT_EQ(timer0(board), 0x1234);

    board.sfr(Sfr::TMOD) = 0x02; // 8-bit reload
    board.sfr(Sfr::TCON) = 0x10;
    board.sfr(Sfr::TH0) = 0x9C;
    board.sfr(Sfr::TL0) = 0xFF;
    board.tick();
    EXPECT_EQ(board.sfr(Sfr::TL0), 0x9C);
    EXPECT_TRUE(board.bit(Bit::TF0));
    board.tick(99);
    EXPECT_EQ(board.sfr(Sfr::TL0), 0xFF);

    board.sfr(Sfr::TMOD) = 0x00; // 13 bits: five low bits, the upper three cleared on rollover
    board.sfr(Sfr::TCON) = 0x10;
    board.sfr(Sfr::TH0) = 0x05;
    board.sfr(Sfr::TL0) = 0x3F;
    board.tick();
    EXPECT_EQ(timer0(board), 0x0600);
    board.sfr(Sfr::TH0) = 0xFF;
    board.sfr(Sfr::TL0) = 0x1F;
    board.tick();
    EXPECT_EQ(timer0(board), 0x0000);
    EXPECT_TRUE(board.bit(Bit::TF0));
}

TEST(TimerTick, RunBitsGatesAndCounterModeDecideWhoCounts)
{
    Board board;
    board.sfr(Sfr::TMOD) = 0x99; // both gated, mode 1
    board.tick(5);
    EXPECT_EQ(timer0(board), 0); // TR0 off
    board.sfr(Sfr::TCON) = 0x50; // TR0, TR1
    board.tick(5);               // INT0 and INT1 high after reset: both run
    EXPECT_EQ(board.sfr(Sfr::TL0), 5);
    EXPECT_EQ(board.sfr(Sfr::TL1), 5);
    board.sfr(Sfr::P3) = 0xF7; // INT1 low stops timer 1 only
    board.tick(5);
    EXPECT_EQ(board.sfr(Sfr::TL0), 10);
    EXPECT_EQ(board.sfr(Sfr::TL1), 5);
    board.sfr(Sfr::TMOD) = 0x15; // timer 0 a counter: ticks pass it by; timer 1 ungated
    board.tick(5);
    EXPECT_EQ(board.sfr(Sfr::TL0), 10);
    EXPECT_EQ(board.sfr(Sfr::TL1), 10);
}

TEST(TimerTick, SplitModeAndTimer1InModeThree)
{
    Board board;
    board.sfr(Sfr::TMOD) = 0x33; // timer 0 split, timer 1 stopped by its mode
    board.sfr(Sfr::TCON) = 0x10; // TR0 only: TL0 counts, TH0 waits for TR1
    board.sfr(Sfr::TL0) = 0xFE;
    board.sfr(Sfr::TH0) = 0xFF;
    board.sfr(Sfr::TL1) = 0x11;
    board.tick(2);
    EXPECT_EQ(board.sfr(Sfr::TL0), 0x00);
    EXPECT_TRUE(board.bit(Bit::TF0));
    EXPECT_EQ(board.sfr(Sfr::TH0), 0xFF);
    board.cpu->setBit(Bit::TR1, true);
    board.tick();
    EXPECT_EQ(board.sfr(Sfr::TH0), 0x00);
    EXPECT_TRUE(board.bit(Bit::TF1)); // TH0 overflows into timer 1's flag
    EXPECT_EQ(board.sfr(Sfr::TL1), 0x11);
}

TEST(TimerTick, Timer2ReloadsCountsDownCapturesAndGeneratesBaudRate)
{
    Board board;
    board.sfr(Sfr::RCAP2H) = 0xF0;
    board.sfr(Sfr::RCAP2L) = 0x10;
    board.sfr(Sfr::TH2) = 0xFF;
    board.sfr(Sfr::TL2) = 0xFE;
    board.sfr(Sfr::T2CON) = 0x04; // TR2, auto-reload, up
    board.tick();
    EXPECT_EQ(timer2(board), 0xFFFF);
    board.tick();
    EXPECT_EQ(timer2(board), 0xF010);
    EXPECT_TRUE(board.bit(Bit::TF2));

    // DCEN with T2EX low counts down: 0000h underflows, sets TF2 and reloads.
    board.sfr(Sfr::T2CON) = 0x04;
    board.sfr(Sfr::T2MOD) = 0x01;
    board.sfr(Sfr::P1) = 0xFD;
    board.sfr(Sfr::TH2) = 0x00;
    board.sfr(Sfr::TL2) = 0x01;
    board.tick();
    EXPECT_EQ(timer2(board), 0x0000);
    EXPECT_FALSE(board.bit(Bit::TF2));
    board.tick();
    EXPECT_EQ(timer2(board), 0xF010);
    EXPECT_TRUE(board.bit(Bit::TF2));
    board.sfr(Sfr::P1) = 0xFF; // T2EX high: up again
    board.tick();
    EXPECT_EQ(timer2(board), 0xF011);
    board.sfr(Sfr::TH2) = 0xFF; // the tick's overflow raises no EXF2, unlike the T2 pin's
    board.sfr(Sfr::TL2) = 0xFF;
    board.tick();
    EXPECT_EQ(timer2(board), 0xF010);
    EXPECT_FALSE(board.bit(Bit::EXF2));

    // Capture mode: a plain 16-bit count, no reload.
    board.sfr(Sfr::T2CON) = 0x05;
    board.sfr(Sfr::TH2) = 0xFF;
    board.sfr(Sfr::TL2) = 0xFF;
    board.tick();
    EXPECT_EQ(timer2(board), 0x0000);
    EXPECT_TRUE(board.bit(Bit::TF2));

    // Baud-rate generator: reloads on overflow without raising TF2.
    board.sfr(Sfr::T2CON) = 0x34;
    board.sfr(Sfr::TH2) = 0xFF;
    board.sfr(Sfr::TL2) = 0xFF;
    board.tick();
    EXPECT_EQ(timer2(board), 0xF010);
    EXPECT_FALSE(board.bit(Bit::TF2));

    board.sfr(Sfr::T2CON) = 0x06; // C/T2: a counter ignores the tick
    board.tick();
    EXPECT_EQ(timer2(board), 0xF010);
}

TEST(TimerTick, ModesWrittenDuringARunTakeEffectAtTheNextTick)
{
    // MOV TMOD,#01h; SETB TR0; SJMP $ run without any view refresh: the first tick after
    // the set-up already counts 16 bits.
    Board board({0x75, 0x89, 0x01, 0xD2, 0x8C, 0x80, 0xFE});
    board.sfr(Sfr::TL0) = 0xFF;
    board.sfr(Sfr::TH0) = 0x00;
    board.cpu->run(100);
    board.tick();
    EXPECT_EQ(timer0(board), 0x0100);
    EXPECT_EQ(board.cpu->timers.t0Mode, 1);
}

TEST(TimerTick, RunningProgramPollsTimer1Overflow)
{
    // End to end: a program waits for TF1 in mode 1 three times, counting in 31h.
    Board board;
    ASSERT_TRUE(twtest::assembleFixture(board, QStringLiteral("timer1_poll.asm")));
    for (int ms = 0; ms < 3 * 256 + 20; ++ms) {
        board.tick();
        board.step(4);
    }
    EXPECT_EQ(board.iram(0x31), 3) << board.state();
}
