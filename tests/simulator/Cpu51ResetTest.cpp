// Reset values, bit addressing and the register-bank mapping.
#include "Cpu51TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(Cpu51Reset, SetsTheSfrMapAndLeavesMemoriesAlone)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->sfr.fill(0xFF);
    cpu->iram.fill(0x5A);
    cpu->xram[0x1234] = 0x77;
    cpu->pc = 0x1234;
    cpu->cpuMode = 2;
    cpu->wdtArmed = true;
    cpu->wdtCount = 99;
    cpu->wdtSequence = 0x1EE1;
    cpu->intHigh = true;
    cpu->interruptEntered[3] = true;
    cpu->reset();

    EXPECT_EQ(cpu->pc, 0);
    EXPECT_EQ(cpu->cpuMode, 0);
    EXPECT_FALSE(cpu->wdtArmed);
    EXPECT_EQ(cpu->wdtCount, 0);
    EXPECT_EQ(cpu->wdtSequence, 0x1EE1);
    EXPECT_TRUE(cpu->intHigh);
    EXPECT_FALSE(cpu->interruptEntered[3]);
    EXPECT_EQ(cpu->sfr[Sfr::SP], 0x07);
    for (std::uint8_t port : {Sfr::P0, Sfr::P1, Sfr::P2, Sfr::P3})
        EXPECT_EQ(cpu->sfr[port], 0xFF);
    EXPECT_EQ(cpu->sfr[Sfr::IE], 0x40);
    EXPECT_EQ(cpu->sfr[Sfr::IP], 0xC0);
    EXPECT_EQ(cpu->sfr[Sfr::PCON], 0x70);
    EXPECT_EQ(cpu->sfr[Sfr::SBUF], 0xFF);
    for (std::uint8_t cleared :
         {Sfr::DPL,   Sfr::DPH,    Sfr::DP1L, Sfr::DP1H, Sfr::ACC,  Sfr::B,     Sfr::PSW,
          Sfr::TCON,  Sfr::TMOD,   Sfr::TL0,  Sfr::TH1,  Sfr::SCON, Sfr::AUXR1, Sfr::WDTRST,
          Sfr::T2CON, Sfr::RCAP2H, Sfr::TH2,  Sfr::SPCR, Sfr::AUXR, Sfr::WCON})
        EXPECT_EQ(cpu->sfr[cleared], 0) << std::hex << int(cleared);
    EXPECT_EQ(cpu->iram[0x7F], 0x5A);
    EXPECT_EQ(cpu->xram[0x1234], 0x77);
}

TEST(Cpu51Reset, BitAddressesAndRegisterBanks)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->reset();
    cpu->iram[0x24] = 0x01;
    cpu->iram[0x2F] = 0x80;
    cpu->sfr[Sfr::ACC] = 0x20;
    EXPECT_TRUE(cpu->bit(0x20));
    EXPECT_TRUE(cpu->bit(0x7F));
    EXPECT_TRUE(cpu->bit(0xE5));
    EXPECT_FALSE(cpu->bit(0xE4));
    cpu->setBit(0xD7, true);
    EXPECT_EQ(cpu->sfr[Sfr::PSW], 0x80);
    cpu->setBit(0xD7, false);
    EXPECT_EQ(cpu->sfr[Sfr::PSW], 0x00);
    EXPECT_EQ(cpu->registerAddress(7), 0x07);
    cpu->sfr[Sfr::PSW] = 0x18;
    EXPECT_EQ(cpu->registerAddress(7), 0x1F);
    EXPECT_EQ(cpu->bank, 3);
}

TEST(Cpu51Reset, RunStopsAtTheAddressOrTheCount)
{
    twtest::Machine m({0x00, 0x00, 0x00, 0x80, 0xFE});
    EXPECT_EQ(m.cpu->run(100, 0x0003), 3u);
    EXPECT_EQ(m.cpu->pc, 3);
    EXPECT_EQ(m.cpu->run(10, 0x0003), 0u);
    EXPECT_EQ(m.cpu->run(10), 10u);
}
