// The port-pin buttons: latch bits, the INT0/INT1 request flags, the counter inputs T0, T1
// and T2, and timer 2's external reload and capture on T2EX.
#include "PeripheralTestSupport.h"
#include "simulator/Pins.h"

using namespace tw;
using twtest::Board;

namespace
{
enum { P10 = 8, P11 = 9, P32 = 26, P33 = 27, P34 = 28, P35 = 29 };
}

TEST(PinButtons, ButtonsDriveLatchBitsAndExternalInterruptFlags)
{
    Board board;
    PinButtons pins;
    pins.click(*board.cpu, P32);
    EXPECT_FALSE(pins.level[P32]);
    EXPECT_EQ(board.sfr(Sfr::P3), 0xFB);
    EXPECT_TRUE(board.bit(Bit::IE0)); // set with EA, EX0 and IT0 all 0
    EXPECT_FALSE(board.bit(Bit::IE1));
    board.cpu->setBit(Bit::IE0, false);
    pins.click(*board.cpu, P32); // rising: only the latch
    EXPECT_EQ(board.sfr(Sfr::P3), 0xFF);
    EXPECT_FALSE(board.bit(Bit::IE0));
    pins.click(*board.cpu, P33);
    EXPECT_TRUE(board.bit(Bit::IE1));
    board.cpu->setBit(Bit::IE1, false);
    pins.click(*board.cpu, P33);
    EXPECT_FALSE(board.bit(Bit::IE1));

    for (int i = 0; i < 32; ++i)
        pins.click(*board.cpu, i);
    EXPECT_EQ(board.sfr(Sfr::P0), 0x00);
    EXPECT_EQ(board.sfr(Sfr::P1), 0x00);
    EXPECT_EQ(board.sfr(Sfr::P2), 0x00);
    EXPECT_EQ(board.sfr(Sfr::P3), 0x00);

    resetCommand(*board.cpu);
    pins.showLatches(*board.cpu);
    for (bool level : pins.level)
        EXPECT_TRUE(level);
}

TEST(PinButtons, PendingInt0IsTakenAfterTheNextInstruction)
{
    Board board({0x00, 0x00});
    board.sfr(Sfr::IE) = 0x81;
    PinButtons pins;
    pins.click(*board.cpu, P32);
    EXPECT_EQ(board.cpu->pc, 0); // nothing happens between instructions
    board.step();
    EXPECT_EQ(board.cpu->pc, 0x0003);
}

TEST(PinButtons, CounterInputsCountFallingEdges)
{
    Board board;
    PinButtons pins;
    board.sfr(Sfr::TMOD) = 0x55; // both counters, mode 1
    board.sfr(Sfr::TCON) = 0x50;
    pins.click(*board.cpu, P34);
    EXPECT_EQ(board.sfr(Sfr::TL0), 1);
    pins.click(*board.cpu, P34); // back to 1: no count
    EXPECT_EQ(board.sfr(Sfr::TL0), 1);
    pins.click(*board.cpu, P35);
    pins.click(*board.cpu, P35);
    pins.click(*board.cpu, P35);
    EXPECT_EQ(board.sfr(Sfr::TL1), 2);
    board.tick(10); // ticks pass counters by
    EXPECT_EQ(board.sfr(Sfr::TL0), 1);

    board.sfr(Sfr::TMOD) = 0xDD; // gated counters: INT0 low holds timer 0, not timer 1
    board.sfr(Sfr::P3) = 0xFB;
    for (int pin : {P34, P34, P35, P35})
        pins.click(*board.cpu, pin);
    EXPECT_EQ(board.sfr(Sfr::TL0), 1);
    EXPECT_EQ(board.sfr(Sfr::TL1), 3);
    board.sfr(Sfr::TMOD) = 0x01; // a timer, not a counter: the pin does nothing
    board.sfr(Sfr::P3) = 0xFF;
    pins.click(*board.cpu, P34);
    EXPECT_EQ(board.sfr(Sfr::TL0), 1);
}

TEST(PinButtons, Timer2CountsOnT2AndReloadsOrCapturesOnT2ex)
{
    Board board;
    PinButtons pins;
    board.sfr(Sfr::RCAP2H) = 0x12;
    board.sfr(Sfr::RCAP2L) = 0x34;
    board.sfr(Sfr::T2CON) = 0x06; // TR2, C/T2, auto-reload
    board.sfr(Sfr::TH2) = 0xFF;
    board.sfr(Sfr::TL2) = 0xFF;
    pins.click(*board.cpu, P10);
    EXPECT_EQ(board.sfr(Sfr::TH2), 0x12);
    EXPECT_EQ(board.sfr(Sfr::TL2), 0x34);
    EXPECT_TRUE(board.bit(Bit::TF2));
    EXPECT_FALSE(board.bit(Bit::EXF2)); // T2MOD is 0
    board.sfr(Sfr::T2MOD) = 0x02;
    board.sfr(Sfr::TH2) = 0xFF;
    board.sfr(Sfr::TL2) = 0xFF;
    pins.click(*board.cpu, P10); // rising
    pins.click(*board.cpu, P10);
    EXPECT_TRUE(board.bit(Bit::EXF2));

    // Counting down (DCEN with T2EX low), the pin's underflow reloads without EXF2.
    board.sfr(Sfr::T2CON) = 0x06;
    board.sfr(Sfr::T2MOD) = 0x01;
    pins.click(*board.cpu, P11); // EXEN2 is 0: only the latch
    board.sfr(Sfr::TH2) = 0x00;
    board.sfr(Sfr::TL2) = 0x00;
    pins.click(*board.cpu, P10);
    pins.click(*board.cpu, P10);
    EXPECT_EQ(board.sfr(Sfr::TH2), 0x12);
    EXPECT_EQ(board.sfr(Sfr::T2CON), 0x86); // TF2 only
    pins.click(*board.cpu, P11);

    // T2EX in auto-reload mode with EXEN2: reload and EXF2, unless DCEN makes it the
    // direction input.
    board.sfr(Sfr::T2CON) = 0x0C;
    board.sfr(Sfr::T2MOD) = 0x01;
    board.sfr(Sfr::TH2) = 0x55;
    pins.click(*board.cpu, P11);
    pins.click(*board.cpu, P11);
    EXPECT_EQ(board.sfr(Sfr::TH2), 0x55);
    board.sfr(Sfr::T2MOD) = 0x00;
    pins.click(*board.cpu, P11);
    EXPECT_EQ(board.sfr(Sfr::TH2), 0x12);
    EXPECT_EQ(board.sfr(Sfr::T2CON), 0x4C);
    EXPECT_EQ(board.sfr(Sfr::P1), 0xFC); // P1.0 was left low above

    // Capture mode: TH2:TL2 go to RCAP2, the latches of the baud rate stay.
    pins.click(*board.cpu, P11);
    board.sfr(Sfr::T2CON) = 0x0D;
    board.sfr(Sfr::TH2) = 0xAB;
    board.sfr(Sfr::TL2) = 0xCD;
    pins.click(*board.cpu, P11);
    EXPECT_EQ(board.sfr(Sfr::RCAP2H), 0xAB);
    EXPECT_EQ(board.sfr(Sfr::RCAP2L), 0xCD);
    EXPECT_TRUE(board.bit(Bit::EXF2));
    EXPECT_EQ(board.cpu->latches.rcap2h, 0x00);

    // Without EXEN2 the edge only moves the latch; baud-rate mode ignores both pins.
    board.sfr(Sfr::T2CON) = 0x01;
    pins.click(*board.cpu, P11);
    pins.click(*board.cpu, P11);
    EXPECT_EQ(board.sfr(Sfr::T2CON), 0x01);
    board.sfr(Sfr::T2CON) = 0x36;
    const std::uint8_t tl2 = board.sfr(Sfr::TL2);
    pins.click(*board.cpu, P10);
    pins.click(*board.cpu, P10);
    EXPECT_EQ(board.sfr(Sfr::TL2), tl2);
}
