// The actions after a listed direct write: PCON idle and power-down, the baud-rate latches,
// the register bank; and which writes trigger them.
#include "PeripheralTestSupport.h"
#include "simulator/StatusTexts.h"

using namespace tw;
using twtest::Board;

TEST(SfrEffects, PconEntersIdleOrPowerDownAndResetLeavesIt)
{
    struct Case {
        std::uint8_t value, mode;
    };
    for (const Case c : {Case{0x01, 1}, Case{0x02, 2}, Case{0x03, 2}, Case{0x80, 0}}) {
        Board board({0x75, 0x87, c.value, 0x00, 0x00});
        board.step();
        EXPECT_EQ(board.cpu->cpuMode, c.mode) << int(c.value);
        board.step(3); // nothing runs while asleep
        EXPECT_EQ(board.cpu->pc, c.mode ? 3 : 6);
    }

    // MOV 30h,#01h; MOV 87h,30h (MOV direct,direct names the destination last).
    Board idle({0x75, 0x30, 0x01, 0x85, 0x30, 0x87});
    idle.step(2);
    EXPECT_EQ(idle.sfr(Sfr::PCON), 0x01);
    EXPECT_EQ(idle.cpu->cpuMode, 1);
    EXPECT_EQ(statusPanelText(*idle.cpu, 7), "CPU：空闲");

    // Reset keeps only PCON's reserved bits: a later ORL PCON,#80h (SMOD) must not sleep again.
    idle.sfr(Sfr::PCON) = 0xFF;
    resetCommand(*idle.cpu);
    EXPECT_EQ(idle.sfr(Sfr::PCON), 0x70);
    EXPECT_EQ(idle.cpu->cpuMode, 0);
    idle.place(0, {0x43, 0x87, 0x80});
    idle.step();
    EXPECT_EQ(idle.cpu->cpuMode, 0);
    EXPECT_EQ(statusPanelText(*idle.cpu, 7), "CPU：正常");
}

TEST(SfrEffects, EveryListedWriteFormLatchesTh1)
{
    // Each program leaves 0A5h in TH1 (8Dh) through a different instruction form.
    const std::initializer_list<std::uint8_t> programs[] = {
        {0x75, 0x8D, 0xA5},                         // MOV direct,#data
        {0x74, 0xA5, 0xF5, 0x8D},                   // MOV A,#; MOV direct,A
        {0x7B, 0xA5, 0x8B, 0x8D},                   // MOV R3,#; MOV direct,R3
        {0x78, 0x40, 0x76, 0xA5, 0x86, 0x8D},       // MOV R0,#40h; MOV @R0,#; MOV direct,@R0
        {0x75, 0x40, 0xA5, 0x85, 0x40, 0x8D},       // MOV 40h,#; MOV direct,direct
        {0x75, 0x8D, 0xA4, 0x05, 0x8D},             // INC direct
        {0x75, 0x8D, 0xA6, 0x15, 0x8D},             // DEC direct
        {0x75, 0x8D, 0x05, 0x43, 0x8D, 0xA0},       // ORL direct,#data
        {0x75, 0x8D, 0xFF, 0x53, 0x8D, 0xA5},       // ANL direct,#data
        {0x75, 0x8D, 0xFF, 0x63, 0x8D, 0x5A},       // XRL direct,#data
        {0x75, 0x8D, 0x05, 0x74, 0xA0, 0x42, 0x8D}, // ORL direct,A
        {0x75, 0x8D, 0xFF, 0x74, 0xA5, 0x52, 0x8D}, // ANL direct,A
        {0x75, 0x8D, 0xFF, 0x74, 0x5A, 0x62, 0x8D}, // XRL direct,A
        {0x75, 0x40, 0xA5, 0xC0, 0x40, 0xD0, 0x8D}, // PUSH 40h; POP direct
        {0x74, 0xA5, 0xC5, 0x8D},                   // XCH A,direct
        {0x75, 0x8D, 0xA6, 0xD5, 0x8D, 0x00},       // DJNZ direct,rel
    };
    int index = 0;
    for (const auto &program : programs) {
        Board board(program);
        board.cpu->latches.th1 = 0;
        board.step(static_cast<int>(program.size())); // more than enough; then runs NOPs
        SCOPED_TRACE(index++);
        EXPECT_EQ(board.sfr(Sfr::TH1), 0xA5) << board.state();
        EXPECT_EQ(board.cpu->latches.th1, 0xA5);
    }
}

TEST(SfrEffects, LatchesFollowOnlyInstructionWritesOfTheirOwnRegister)
{
    // MOV TL1,#12h; MOV RCAP2L,#34h; MOV RCAP2H,#56h; SETB 8Dh.7 is no byte write: SETB TF1 aside,
    // bit instructions and timer counts leave the latches alone.
    Board board({0x75, 0x8B, 0x12, 0x75, 0xCA, 0x34, 0x75, 0xCB, 0x56, 0x75, 0x89, 0x10, 0xD2, 0x8E});
    board.step(5);
    EXPECT_EQ(board.cpu->latches.tl1, 0x12);
    EXPECT_EQ(board.cpu->latches.rcap2l, 0x34);
    EXPECT_EQ(board.cpu->latches.rcap2h, 0x56);
    EXPECT_EQ(board.cpu->latches.th1, 0x00);
    board.tick(300); // timer 1 in mode 1 counts TL1 on, the latch keeps 12h
    EXPECT_NE(board.sfr(Sfr::TL1), 0x12);
    EXPECT_EQ(board.cpu->latches.tl1, 0x12);
    resetCommand(*board.cpu); // reset clears the registers, not the latches
    EXPECT_EQ(board.sfr(Sfr::RCAP2H), 0x00);
    EXPECT_EQ(board.cpu->latches.rcap2h, 0x56);
}

TEST(SfrEffects, PswWriteRecordsTheBank)
{
    // A = 01h; MOV PSW,#18h: bank 3, and P follows A whatever was written.
    Board board({0x74, 0x01, 0x75, 0xD0, 0x18, 0xE8});
    board.iram(0x18) = 0x77;
    board.step(2);
    EXPECT_EQ(board.cpu->bank, 3);
    EXPECT_EQ(board.sfr(Sfr::PSW), 0x19);
    board.step(); // MOV A,R0 reads bank 3
    EXPECT_EQ(board.sfr(Sfr::ACC), 0x77);
}
