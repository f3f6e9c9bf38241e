// Which instructions run the post-write SFR actions and the transmit logic after a direct write.
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using twtest::Machine;
using namespace tw;

namespace
{

struct Writer {
    const char *name;
    std::initializer_list<std::uint8_t> code;
    std::uint8_t pconBefore;
};

} // namespace

TEST(InstructionWriteEffects, EveryDirectWriterEntersIdleThroughPcon)
{
    const Writer writers[] = {
        {"INC", {0x05, 0x87}, 0x00},         {"DEC", {0x15, 0x87}, 0x02},
        {"ORL A", {0x42, 0x87}, 0x00},       {"ORL #", {0x43, 0x87, 0x01}, 0x00},
        {"ANL A", {0x52, 0x87}, 0x03},       {"ANL #", {0x53, 0x87, 0x01}, 0x03},
        {"XRL A", {0x62, 0x87}, 0x00},       {"XRL #", {0x63, 0x87, 0x01}, 0x00},
        {"MOV #", {0x75, 0x87, 0x01}, 0x00}, {"MOV dir,dir", {0x85, 0x30, 0x87}, 0x00},
        {"MOV @R0", {0x86, 0x87}, 0x00},     {"MOV @R1", {0x87, 0x87}, 0x00},
        {"XCH", {0xC5, 0x87}, 0x00},         {"DJNZ", {0xD5, 0x87, 0x00}, 0x02},
        {"POP", {0xD0, 0x87}, 0x00},         {"MOV A", {0xF5, 0x87}, 0x00},
    };
    for (const auto &w : writers) {
        Machine m(w.code);
        m.a() = 0x01;
        m.iram(0x30) = 0x01;
        m.iram(0) = m.iram(1) = 0x40;
        m.iram(0x40) = 0x01;
        m.iram(0x08) = 0x01; // the stack top for POP
        m.sp() = 0x08;
        m.sfr(Sfr::PCON) = w.pconBefore;
        m.step();
        EXPECT_EQ(m.sfr(Sfr::PCON) & 3, 1) << w.name;
        EXPECT_EQ(m.cpu->cpuMode, 1) << w.name;
    }
    for (int n = 0; n < 8; ++n) {
        Machine m({static_cast<std::uint8_t>(0x88 + n), 0x87});
        m.iram(n) = 0x02;
        m.step();
        EXPECT_EQ(m.cpu->cpuMode, 2) << "MOV PCON,R" << n;
    }
}

TEST(InstructionWriteEffects, ReadsAndIndirectWritesHaveNoEffect)
{
    Machine m({0x85, 0x87, 0x30, 0xF6, 0xA6, 0x87});
    m.sfr(Sfr::PCON) = 0x01;
    m.iram(0) = 0x87;
    m.a() = 0x02;
    m.step(3); // MOV 30h,PCON ; MOV @R0,A (upper RAM 87h) ; MOV @R0,PCON
    EXPECT_EQ(m.iram(0x30), 0x01);
    EXPECT_EQ(m.iram(0x87), 0x01);
    EXPECT_EQ(m.cpu->cpuMode, 0);
}

TEST(InstructionWriteEffects, SbufWritesTransmitAndSetTi)
{
    Machine m({0xF5, 0x99, 0x8A, 0x99, 0xC5, 0x99, 0xD2, 0x99});
    m.a() = 0x41;
    m.iram(2) = 0x42;
    m.sfr(Sfr::SCON) = 0x00; // mode 0: the shift register needs no baud-rate generator
    m.step();
    EXPECT_TRUE(m.cpu->bit(Bit::TI));
    m.cpu->setBit(Bit::TI, false);
    m.step(2); // MOV SBUF,R2 ; XCH A,SBUF
    ASSERT_EQ(m.cpu->transmitCount, 3u);
    EXPECT_EQ(m.cpu->transmits[0].byte, 0x41);
    EXPECT_EQ(m.cpu->transmits[1].byte, 0x42);
    EXPECT_EQ(m.cpu->transmits[2].byte, 0x41);
    EXPECT_EQ(m.a(), 0x42);
    EXPECT_EQ(m.cpu->baudGeneratorStopped, 0);
    m.step(); // SETB TI is a bit write: no transmit
    EXPECT_EQ(m.cpu->transmitCount, 3u);

    Machine stopped({0xF5, 0x99});
    stopped.sfr(Sfr::SCON) = 0x40; // mode 1 with timer 1 not running
    stopped.step();
    EXPECT_EQ(stopped.cpu->baudGeneratorStopped, 1);
    EXPECT_TRUE(stopped.cpu->bit(Bit::TI));
}
