// Jumps, calls, the stack, bit instructions, data pointers and external memory.
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using twtest::Machine;
using namespace tw;

TEST(InstructionControl, RelativeJumpsAndCompareJumps)
{
    {
        Machine m({0x80, 0xFE}); // SJMP $
        m.step(3);
        EXPECT_EQ(m.cpu->pc, 0);
    }
    {
        Machine m({0x80, 0xFC}); // SJMP below 0000h wraps to the top of code memory
        m.step();
        EXPECT_EQ(m.cpu->pc, 0xFFFE);
    }
    struct Case {
        std::uint8_t a, data;
        bool cy;
        std::uint16_t pc;
    } compares[] = {{0x10, 0x20, true, 0x13}, {0x20, 0x20, false, 0x03}, {0x30, 0x20, false, 0x13}};
    for (const auto &c : compares) {
        Machine m({0xB4, c.data, 0x10}); // CJNE A,#data,+10h
        m.a() = c.a;
        m.step();
        EXPECT_EQ(m.cy(), c.cy) << m.state();
        EXPECT_EQ(m.cpu->pc, c.pc);
    }
    {
        Machine m({0xB6, 0x05, 0xFD}); // CJNE @R0,#05h,$ with @R0 below: jumps to itself
        m.iram(0) = 0x90;
        m.iram(0x90) = 0x04;
        m.step();
        EXPECT_TRUE(m.cy());
        EXPECT_EQ(m.cpu->pc, 0);
    }
    {
        Machine m({0xB5, 0xE0, 0x10}); // CJNE A,ACC: equal, CY cleared, no jump
        m.psw() = 0x80;
        m.a() = 0x42;
        m.step();
        EXPECT_FALSE(m.cy());
        EXPECT_EQ(m.cpu->pc, 3);
    }
}

TEST(InstructionControl, DecrementJumpsAndTheWatchdogCount)
{
    Machine m({0xDF, 0xFE, 0xD5, 0x30, 0xFD, 0x00}); // DJNZ R7,$ ; DJNZ 30h,$
    m.cpu->wdtArmed = true;
    m.step(256); // R7 = 00h runs 256 times, each counting twice
    EXPECT_EQ(m.iram(7), 0);
    EXPECT_EQ(m.cpu->pc, 2);
    EXPECT_EQ(m.cpu->wdtCount, 512);
    m.iram(0x30) = 2;
    m.step(2);
    EXPECT_EQ(m.iram(0x30), 0);
    EXPECT_EQ(m.cpu->pc, 5);
    EXPECT_EQ(m.cpu->wdtCount, 514);
    m.step(); // NOP
    EXPECT_EQ(m.cpu->wdtCount, 515);

    Machine counted({0xBB, 0x10, 0x00, 0x88, 0x30, 0xA5, 0x0B}); // CJNE R3; MOV 30h,R0; A5h; INC R3
    counted.cpu->wdtArmed = true;
    counted.step(4);
    EXPECT_EQ(counted.cpu->wdtCount, 2 + 2 + 1 + 1);
    EXPECT_EQ(counted.cpu->pc, 7);
}

TEST(InstructionControl, CallsReturnsAndStackWrap)
{
    {
        Machine m({0x12, 0x01, 0x00}); // LCALL 0100h
        m.place(0x100, {0x22});        // RET
        m.step();
        EXPECT_EQ(m.cpu->pc, 0x100);
        EXPECT_EQ(m.iram(0x08), 0x03);
        EXPECT_EQ(m.iram(0x09), 0x00);
        EXPECT_EQ(m.sp(), 0x09);
        m.step();
        EXPECT_EQ(m.cpu->pc, 3);
        EXPECT_EQ(m.sp(), 0x07);
    }
    {
        Machine m({}, 0);
        m.place(0xFFFE, {0x12, 0x12}); // LCALL at FFFEh: operands wrap to 0000h, return address 0001h
        m.place(0x0000, {0x34});
        m.cpu->pc = 0xFFFE;
        m.step();
        EXPECT_EQ(m.cpu->pc, 0x1234);
        EXPECT_EQ(m.iram(0x08), 0x01);
        EXPECT_EQ(m.iram(0x09), 0x00);
    }
    {
        Machine m({}, 0);
        m.place(0x07FF, {0x01, 0x00}); // AJMP at 07FFh lands in the next 2K page
        m.cpu->pc = 0x07FF;
        m.step();
        EXPECT_EQ(m.cpu->pc, 0x0800);
        m.place(0x0800, {0xF1, 0x23}); // ACALL 0723h (page 7)
        m.step();
        EXPECT_EQ(m.cpu->pc, 0x0F23);
        EXPECT_EQ(m.iram(0x08), 0x02);
        EXPECT_EQ(m.iram(0x09), 0x08);
    }
    {
        Machine m({0xC0, 0xE0, 0xD0, 0x81, 0xD0, 0xE0}); // PUSH ACC; POP SP; POP ACC
        m.sp() = 0xFF;
        m.a() = 0x42;
        m.step();
        EXPECT_EQ(m.iram(0x00), 0x42);
        EXPECT_EQ(m.sp(), 0x00);
        m.iram(0x00) = 0x20;
        m.step(); // POP SP: SP is the popped byte
        EXPECT_EQ(m.sp(), 0x20);
        m.iram(0x20) = 0x07;
        m.step(); // POP ACC recomputes P
        EXPECT_EQ(m.a(), 0x07);
        EXPECT_TRUE(m.p());
        EXPECT_EQ(m.sp(), 0x1F);
    }
    {
        Machine m({0x32, 0x32, 0x32}); // RETI clears the high in-service flag first
        m.cpu->intHigh = m.cpu->intLow = true;
        m.sp() = 0x30;
        m.step();
        EXPECT_FALSE(m.cpu->intHigh);
        EXPECT_TRUE(m.cpu->intLow);
        EXPECT_EQ(m.sp(), 0x2E);
        m.cpu->pc = 0;
        m.step();
        EXPECT_FALSE(m.cpu->intLow);
    }
}

TEST(InstructionControl, BitInstructionsKeepParityAndBanks)
{
    Machine m({0xD2, 0xE0, 0xB2, 0xE7, 0xC2, 0xD0, 0xD2, 0xD3, 0x08, 0x10, 0x03, 0x01, 0x00});
    m.step(); // SETB ACC.0
    EXPECT_EQ(m.a(), 0x01);
    EXPECT_TRUE(m.p());
    m.step(); // CPL ACC.7
    EXPECT_EQ(m.a(), 0x81);
    EXPECT_FALSE(m.p());
    m.a() = 0x01;
    m.step(); // CLR PSW.0 does not survive the instruction: P follows A
    EXPECT_TRUE(m.p());
    m.step(); // SETB RS0: the next register access uses bank 1
    m.step(); // INC R0
    EXPECT_EQ(m.iram(0x08), 1);
    EXPECT_EQ(m.cpu->bank, 1);
    m.iram(0x20) = 0x08;
    m.step(); // JBC 20h.3 clears the bit and jumps
    EXPECT_EQ(m.iram(0x20), 0x00);
    EXPECT_EQ(m.cpu->pc, 0x0D);

    Machine carry({0x72, 0x00, 0xA0, 0x00, 0x82, 0x01, 0xB0, 0x01, 0x92, 0x7F, 0xA2, 0x7F});
    carry.iram(0x20) = 0x02; // bit 00h clear, bit 01h set
    carry.step();            // ORL C,00h
    EXPECT_FALSE(carry.cy());
    carry.step(); // ORL C,/00h
    EXPECT_TRUE(carry.cy());
    carry.step(); // ANL C,01h
    EXPECT_TRUE(carry.cy());
    carry.step(); // ANL C,/01h
    EXPECT_FALSE(carry.cy());
    carry.psw() |= 0x80;
    carry.step(); // MOV 7Fh,C sets bit 7 of 2Fh
    EXPECT_EQ(carry.iram(0x2F), 0x80);
    carry.psw() &= 0x7F;
    carry.step(); // MOV C,7Fh
    EXPECT_TRUE(carry.cy());
}

TEST(InstructionControl, DataPointersAndExternalMemory)
{
    Machine m({0x90, 0x12, 0x34, 0xF0, 0x43, 0xA2, 0x01, 0x90, 0xFF, 0xFF, 0xA3, 0xF0, 0x74, 0x02, 0x73});
    m.a() = 0x5A;
    m.step(2); // MOV DPTR,#1234h ; MOVX @DPTR,A
    EXPECT_EQ(m.cpu->xram[0x1234], 0x5A);
    EXPECT_EQ(m.cpu->xramWritten, 0x1234);
    m.step(3); // ORL AUXR1,#01h ; MOV DPTR1,#FFFFh ; INC DPTR1
    EXPECT_EQ(m.sfr(Sfr::DPL), 0x34);
    EXPECT_EQ(m.sfr(Sfr::DPH), 0x12);
    EXPECT_EQ(m.sfr(Sfr::DP1L), 0x00);
    EXPECT_EQ(m.sfr(Sfr::DP1H), 0x00);
    m.step(); // MOVX @DPTR1,A writes address 0000h
    EXPECT_EQ(m.cpu->xram[0x0000], 0x5A);
    m.sfr(Sfr::DP1L) = 0xFF;
    m.sfr(Sfr::DP1H) = 0xFF;
    m.step(2); // MOV A,#02h ; JMP @A+DPTR1 wraps to 0001h
    EXPECT_EQ(m.cpu->pc, 0x0001);

    Machine paged({0xF2, 0xE3, 0x93, 0x83});
    paged.sfr(Sfr::P2) = 0x12;
    paged.iram(0) = 0x34;
    paged.iram(1) = 0x34;
    paged.a() = 0x77;
    paged.step(); // MOVX @R0,A at P2:R0
    EXPECT_EQ(paged.cpu->xram[0x1234], 0x77);
    paged.a() = 0;
    paged.step(); // MOVX A,@R1
    EXPECT_EQ(paged.a(), 0x77);
    EXPECT_TRUE(paged.cpu->xramReadViaRi);
    paged.a() = 0x10;
    paged.sfr(Sfr::DPL) = 0xF8;
    paged.sfr(Sfr::DPH) = 0xFF;
    paged.cpu->code[0x0008] = 0xC3;
    paged.step(); // MOVC A,@A+DPTR past FFFFh wraps to 0008h
    EXPECT_EQ(paged.a(), 0xC3);
    paged.a() = 0x01;
    paged.step(); // MOVC A,@A+PC reads 0004h + 1
    EXPECT_EQ(paged.a(), 0x00);
}

TEST(InstructionControl, DirectAddressesReachSfrsAndIndirectOnesUpperRam)
{
    Machine m({0x78, 0x90, 0xF6, 0xE6, 0x43, 0x90, 0x0F, 0x85, 0x40, 0x30, 0xC5, 0xF0, 0x86, 0xE0, 0xD6});
    m.a() = 0x5A;
    m.sfr(Sfr::P1) = 0xF0;
    m.step(2); // MOV R0,#90h ; MOV @R0,A
    EXPECT_EQ(m.iram(0x90), 0x5A);
    EXPECT_EQ(m.sfr(Sfr::P1), 0xF0);
    m.iram(0x90) = 0x11;
    m.step(); // MOV A,@R0
    EXPECT_EQ(m.a(), 0x11);
    m.step(); // ORL P1,#0Fh
    EXPECT_EQ(m.sfr(Sfr::P1), 0xFF);
    m.iram(0x40) = 0x99;
    m.step(); // MOV 30h,40h (85h src dest)
    EXPECT_EQ(m.iram(0x30), 0x99);
    m.b() = 0x22;
    m.step(); // XCH A,B
    EXPECT_EQ(m.a(), 0x22);
    EXPECT_EQ(m.b(), 0x11);
    m.iram(0x90) = 0x36;
    m.step(); // MOV ACC,@R0
    EXPECT_EQ(m.a(), 0x36);
    m.iram(0x90) = 0x75;
    m.step(); // XCHD A,@R0
    EXPECT_EQ(m.a(), 0x35);
    EXPECT_EQ(m.iram(0x90), 0x76);
    EXPECT_EQ(m.p(), false);
}

TEST(InstructionControl, LongJumpRotatesAndTheUnassignedOpcode)
{
    Machine m({0x02, 0x12, 0x34});
    m.place(0x1234, {0xA5, 0x03, 0x13, 0x23, 0x33, 0xC4});
    m.step();
    EXPECT_EQ(m.cpu->pc, 0x1234);
    m.a() = 0x81;
    m.psw() = 0x00;
    const auto before = *m.cpu;
    m.step(); // A5h: one byte, nothing else changes
    EXPECT_EQ(m.cpu->pc, 0x1235);
    EXPECT_EQ(m.cpu->sfr, before.sfr);
    EXPECT_EQ(m.cpu->iram, before.iram);
    m.step(); // RR A
    EXPECT_EQ(m.a(), 0xC0);
    m.step(); // RRC A: CY 0 in, bit 0 (0) out
    EXPECT_EQ(m.a(), 0x60);
    EXPECT_FALSE(m.cy());
    m.a() = 0x81;
    m.step(); // RL A
    EXPECT_EQ(m.a(), 0x03);
    m.a() = 0x81;
    m.step(); // RLC A: bit 7 into CY
    EXPECT_EQ(m.a(), 0x02);
    EXPECT_TRUE(m.cy());
    m.a() = 0xA5;
    m.step(); // SWAP A
    EXPECT_EQ(m.a(), 0x5A);
}
