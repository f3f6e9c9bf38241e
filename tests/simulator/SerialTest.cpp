// The serial port: transmit records with mode, rate and ninth bit, the baud-rate generator
// check, the receive set-up and the 1 s feeder with its ninth-bit rules.
#include "simulator/Serial.h"
#include "PeripheralTestSupport.h"

using namespace tw;
using twtest::Board;

namespace
{

// MOV TMOD,#20h; MOV TH1,#th1; SETB TR1; MOV SCON,#50h; MOV SBUF,#41h.
Board timer1Setup(std::uint8_t th1, double crystal)
{
    Board board({0x75, 0x89, 0x20, 0x75, 0x8D, th1, 0xD2, 0x8E, 0x75, 0x98, 0x50, 0x75, 0x99, 0x41});
    board.cpu->crystalMHz = crystal;
    board.step(5);
    return board;
}

} // namespace

TEST(SerialTransmit, Timer1ModeOneRates)
{
    Board board = timer1Setup(0xFD, 11.0592);
    SerialPages page;
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitLog, "41 ");
    EXPECT_EQ(page.modeDigit, "1");
    EXPECT_EQ(page.transmitRate, "9600");
    EXPECT_EQ(board.sfr(Sfr::SCON), 0x52); // TI
    EXPECT_EQ(board.cpu->baudGeneratorStopped, 0);

    // The rate follows what the program wrote to TH1, not an edit of the register since.
    board.sfr(Sfr::TH1) = 0x00;
    board.cpu->pc = 11;
    board.step();
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitRate, "9600");
}

TEST(SerialTransmit, Timer1RateFollowsItsModeAndRoundsHalvesToEven)
{
    // f = 12 MHz. Mode 2 with TH1 = 80h gives 7812.5 before the division: rounded to 7812.
    struct Case {
        std::uint8_t tmod, th1, tl1, pcon;
        const char *rate;
    };
    const Case cases[] = {
        {0x20, 0xF3, 0x00, 0x00, "2403.84375"}, // 8-bit reload: 76923 before the division
        {0x20, 0x80, 0x00, 0x00, "244.125"},
        {0x20, 0x80, 0x00, 0x80, "488.25"},      // SMOD halves the divider
        {0x10, 0xFF, 0xFA, 0x00, "5208.34375"},  // 16 bits: 65536 - FFFAh
        {0x00, 0xFF, 0xFD, 0x00, "10416.65625"}, // 13 bits: five low bits of TL1 only
        {0x30, 0xFF, 0xFA, 0x00, "0"},           // mode 3 generates nothing
    };
    for (const Case &c : cases) {
        Board board;
        board.cpu->crystalMHz = 12;
        board.sfr(Sfr::TMOD) = c.tmod;
        board.sfr(Sfr::TCON) = 0x40;
        board.sfr(Sfr::PCON) = c.pcon;
        board.sfr(Sfr::SCON) = 0x50;
        board.cpu->latches = {c.tl1, c.th1, 0, 0};
        const SerialRate r = serialRate(*board.cpu, SerialSide::Transmit);
        EXPECT_EQ(r.timer, 1);
        EXPECT_TRUE(r.running);
        EXPECT_EQ(rateText(r.rate), c.rate) << int(c.tmod) << " " << int(c.pcon);
    }
    EXPECT_EQ(rateText(1e18 / 12), "8.33333333333333E+16");
}

TEST(SerialTransmit, FixedRateModesCarryTheNinthBit)
{
    // Mode 2 with SMOD and TB8: MOV SBUF,#41h.
    Board board({0x75, 0x99, 0x41, 0x75, 0x99, 0x42});
    board.cpu->crystalMHz = 12;
    board.sfr(Sfr::PCON) = 0x80;
    board.sfr(Sfr::SCON) = 0x88;
    board.step();
    SerialPages page;
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitLog, "41_1 ");
    EXPECT_EQ(page.modeDigit, "2");
    EXPECT_EQ(page.transmitRate, "375000");
    EXPECT_EQ(board.sfr(Sfr::SCON), 0x8A);

    board.sfr(Sfr::SCON) = 0x00; // mode 0: crystal / 12, no timer needed
    board.step();
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitLog, "41_1 42 ");
    EXPECT_EQ(page.modeDigit, "0");
    EXPECT_EQ(page.transmitRate, "1000000");
}

TEST(SerialTransmit, StoppedGeneratorIsRecordedAndTiStillSet)
{
    Board board({0x75, 0x99, 0x41});
    board.sfr(Sfr::SCON) = 0x50; // mode 1, timer 1 not running
    board.step();
    EXPECT_EQ(board.cpu->baudGeneratorStopped, 1);
    EXPECT_TRUE(serialNeedsWindow(*board.cpu));
    EXPECT_EQ(baudGeneratorMessage(board.cpu->baudGeneratorStopped), "波特率发生器（定时器1）未启动！");
    SerialPages page;
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitLog, "");
    EXPECT_EQ(page.modeDigit, "1");
    EXPECT_EQ(board.sfr(Sfr::SCON), 0x52);
    EXPECT_EQ(board.cpu->pc, 3); // the instruction completed: no run started, nothing skipped

    // Timer 1 in counter mode, or gated with INT1 low, is no generator either.
    struct Case {
        std::uint8_t tmod, p3;
    };
    for (const Case c : {Case{0x60, 0xFF}, Case{0xA0, 0xF7}}) {
        Board t1({0x75, 0x99, 0x41});
        t1.sfr(Sfr::TMOD) = c.tmod;
        t1.sfr(Sfr::TCON) = 0x40;
        t1.sfr(Sfr::P3) = c.p3;
        t1.sfr(Sfr::SCON) = 0xD0;
        t1.step();
        EXPECT_EQ(t1.cpu->baudGeneratorStopped, 1) << int(c.tmod);
    }
}

TEST(SerialTransmit, Timer2GeneratesTheRateWhenItsClockFlagIsSet)
{
    // MOV RCAP2H,#0FFh; MOV RCAP2L,#0DCh; MOV T2CON,#34h; MOV SCON,#50h; MOV SBUF,#55h.
    Board board({0x75, 0xCB, 0xFF, 0x75, 0xCA, 0xDC, 0x75, 0xC8, 0x34, 0x75, 0x98, 0x50, 0x75, 0x99, 0x55});
    board.step(5);
    SerialPages page;
    page.takeTransmits(*board.cpu);
    EXPECT_EQ(page.transmitLog, "55 ");
    EXPECT_EQ(page.transmitRate, "9600");

    board.sfr(Sfr::T2CON) = 0x30; // TR2 off
    board.cpu->pc = 12;
    board.step();
    EXPECT_EQ(board.cpu->baudGeneratorStopped, 2);
    EXPECT_EQ(baudGeneratorMessage(2), "波特率发生器（定时器2）未启动！");

    // RCLK alone: the receiver uses timer 2, the transmitter timer 1.
    board.sfr(Sfr::T2CON) = 0x24;
    board.sfr(Sfr::TCON) = 0x00;
    const SerialRate receive = serialRate(*board.cpu, SerialSide::Receive);
    EXPECT_EQ(receive.timer, 2);
    EXPECT_TRUE(receive.running);
    EXPECT_EQ(rateText(receive.rate), "9600");
    const SerialRate transmit = serialRate(*board.cpu, SerialSide::Transmit);
    EXPECT_EQ(transmit.timer, 1);
    EXPECT_FALSE(transmit.running);
}

TEST(SerialTransmit, TransmitLoopRunsAndExcessRecordsAreCounted)
{
    // End to end: the program sends 2000 bytes with JNB TI between them (a write that did
    // not set TI would hang it); the window did not drain the records meanwhile.
    Board board;
    ASSERT_TRUE(twtest::assembleFixture(board, QStringLiteral("send_loop.asm")));
    board.cpu->run(100000);
    EXPECT_EQ(board.iram(0x40), 0xAA) << board.state(); // reached the end
    EXPECT_EQ(board.cpu->transmitCount, Cpu51::kTransmitQueue);
    EXPECT_EQ(board.cpu->transmitsDropped, 2000 - Cpu51::kTransmitQueue);
    EXPECT_EQ(board.cpu->transmits[5].byte, 5);
    EXPECT_TRUE(serialNeedsWindow(*board.cpu));
}

TEST(SerialReceive, FeederTakesTwoDigitsPerTickAndLosesOverruns)
{
    Board board;
    board.sfr(Sfr::SCON) = 0x10; // REN, mode 0
    std::string pending = "3132";
    EXPECT_EQ(feedReceivedByte(*board.cpu, pending, NinthBitRule::None), FeedResult::Taken);
    EXPECT_EQ(board.sfr(Sfr::SBUF), 0x31);
    EXPECT_EQ(board.sfr(Sfr::SCON), 0x11);
    EXPECT_EQ(pending, "32");
    EXPECT_EQ(feedReceivedByte(*board.cpu, pending, NinthBitRule::None), FeedResult::Lost);
    EXPECT_EQ(board.sfr(Sfr::SBUF), 0x31);
    EXPECT_EQ(pending, "");
    EXPECT_EQ(feedReceivedByte(*board.cpu, pending, NinthBitRule::None), FeedResult::Finished);

    board.sfr(Sfr::SCON) = 0x00; // receiver off
    pending = "7F";
    EXPECT_EQ(feedReceivedByte(*board.cpu, pending, NinthBitRule::None), FeedResult::Lost);
    pending = "5"; // a lone digit is dropped
    EXPECT_EQ(feedReceivedByte(*board.cpu, pending, NinthBitRule::None), FeedResult::Finished);
    EXPECT_EQ(pending, "");
}

TEST(SerialReceive, NinthBitRulesInModesOneToThree)
{
    struct Case {
        NinthBitRule rule;
        std::uint8_t byte;
        bool rb8;
    };
    const Case cases[] = {
        {NinthBitRule::EvenParity, 0x31, true}, {NinthBitRule::EvenParity, 0x33, false},
        {NinthBitRule::OddParity, 0x31, false}, {NinthBitRule::OddParity, 0x33, true},
        {NinthBitRule::One, 0x00, true},        {NinthBitRule::Zero, 0xFF, false},
        {NinthBitRule::None, 0x00, true},
    };
    for (const Case &c : cases) {
        Board board;
        board.sfr(Sfr::SCON) = c.rb8 ? 0xD0 : 0xD4; // mode 3, RB8 the opposite beforehand
        EXPECT_TRUE(receiveSerialByte(*board.cpu, c.byte, c.rule));
        EXPECT_EQ(board.bit(Bit::RB8), c.rb8) << int(c.byte);
    }
    Board mode0;
    mode0.sfr(Sfr::SCON) = 0x14; // mode 0 keeps RB8
    receiveSerialByte(*mode0.cpu, 0x31, NinthBitRule::Zero);
    EXPECT_EQ(mode0.sfr(Sfr::SCON), 0x15);
}

TEST(SerialReceive, EchoProgramAnswersEveryFedByte)
{
    // End to end: an interrupt-free echo program on timer 1 at 9600 baud; the feeder hands
    // it one byte per second while it runs.
    Board board;
    ASSERT_TRUE(twtest::assembleFixture(board, QStringLiteral("echo.asm")));
    board.step(20);
    const SerialRate setup = serialRate(*board.cpu, SerialSide::Receive);
    EXPECT_TRUE(setup.running);
    EXPECT_EQ(rateText(setup.rate), "9600");
    std::string pending = "414243";
    SerialPages page;
    for (int second = 0; second < 4; ++second) {
        feedReceivedByte(*board.cpu, pending, NinthBitRule::None);
        board.step(50);
        page.takeTransmits(*board.cpu);
    }
    EXPECT_EQ(page.transmitLog, "41 42 43 ");
    EXPECT_EQ(page.transmitRate, "9600");
    EXPECT_EQ(board.cpu->baudGeneratorStopped, 0);
}

TEST(SerialPages, SendChecksDigitsSetsUpTheReceiverAndFeederStopsWhenEmpty)
{
    Board board;
    SerialPages pages;
    pages.pending = "313";
    EXPECT_EQ(pages.send(*board.cpu), kOddHexDigitsMessage);
    EXPECT_FALSE(pages.feeding);

    // Mode 1 on a stopped timer 1: the message, the rate box untouched, feeding anyway.
    board.sfr(Sfr::SCON) = 0x50;
    pages.pending = "3132";
    pages.receiveRate = "old";
    EXPECT_EQ(pages.send(*board.cpu), "波特率发生器（定时器1）未启动！");
    EXPECT_EQ(pages.receiveRate, "old");
    EXPECT_EQ(pages.modeDigit, "1");
    EXPECT_TRUE(pages.feeding);

    board.sfr(Sfr::SCON) = 0x90; // mode 2 needs no timer
    board.sfr(Sfr::PCON) = 0x80;
    EXPECT_EQ(pages.send(*board.cpu), "");
    EXPECT_EQ(pages.receiveRate, "345600");
    pages.crystalEmpty = true;
    pages.send(*board.cpu);
    EXPECT_EQ(pages.receiveRate, "");

    pages.pending = "";
    EXPECT_EQ(pages.feederTick(*board.cpu), FeedResult::Finished);
    EXPECT_FALSE(pages.feeding);
}

TEST(SerialPages, TakingTransmitsHandsOverTheStoppedGeneratorOnce)
{
    // MOV SBUF,#41h twice in mode 1 without a generator, then once in mode 0.
    Board board({0x75, 0x99, 0x41, 0x75, 0x99, 0x42, 0x75, 0x98, 0x00, 0x75, 0x99, 0x43});
    board.sfr(Sfr::SCON) = 0x40;
    SerialPages pages;
    pages.crystalEmpty = true;
    board.step(2);
    EXPECT_EQ(pages.takeTransmits(*board.cpu), 1);
    EXPECT_EQ(pages.takeTransmits(*board.cpu), 0);
    EXPECT_EQ(pages.transmitLog, "");
    board.step(2);
    EXPECT_EQ(pages.takeTransmits(*board.cpu), 0);
    EXPECT_EQ(pages.transmitLog, "43 "); // bytes still go out with an empty crystal box
    EXPECT_EQ(pages.transmitRate, "");
    EXPECT_EQ(pages.modeDigit, "0");
}
