// The text views of the simulator window, made from CPU states that show each layout rule.
#include "simulator/ViewFormat.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tw;

namespace
{

std::string text(const QString &s)
{
    return s.toStdString();
}

TEST(ViewFormatTest, PswRegistersAndBitAreaFollowTheState)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->reset();
    cpu->psw() = 0x81;
    const QStringList psw = pswView(*cpu);
    ASSERT_EQ(psw.size(), 8);
    EXPECT_EQ(text(psw[0]), " Cy:  1");
    EXPECT_EQ(text(psw[3]), " RS1: 0");
    EXPECT_EQ(text(psw[6]), " -:   0");
    EXPECT_EQ(text(psw[7]), " P:   1");
    EXPECT_EQ(text(registerView(*cpu)[0]), "  区 0");

    // Bank 3 lists R0..R7 from 18h..1Fh.
    cpu->psw() = 0x18;
    for (int n = 0; n < 8; ++n)
        cpu->iram[0x18 + n] = static_cast<std::uint8_t>(0xA0 + n);
    const QStringList regs = registerView(*cpu);
    ASSERT_EQ(regs.size(), 10);
    EXPECT_EQ(text(regs[0]), "  区 3");
    EXPECT_EQ(text(regs[1]), "");
    EXPECT_EQ(text(regs[2]), " R0: A0");
    EXPECT_EQ(text(regs[9]), " R7: A7");

    // 2Fh shows under bit address 78H on the eighth line; the SFR pairs follow.
    cpu->iram[0x2F] = 0x80;
    cpu->iram[0x20] = 0x05;
    const QStringList bits = bitAreaView(*cpu);
    EXPECT_EQ(text(bits[0]), " 00H: 0 0 0 0 0 1 0 1        08H: 0 0 0 0 0 0 0 0");
    EXPECT_EQ(text(bits[7]), " 70H: 0 0 0 0 0 0 0 0        78H: 1 0 0 0 0 0 0 0");
    EXPECT_EQ(text(bits[13]), " D0H: 0 0 0 1 1 0 0 0        E0H: 0 0 0 0 0 0 0 0");
}

TEST(ViewFormatTest, SfrTableAndInternalRamRows)
{
    auto cpu = std::make_unique<Cpu51>();
    cpu->reset();
    cpu->setDptr(0x1234);
    cpu->sfr[Sfr::DP1H] = 0xAB;
    cpu->sfr[Sfr::DP1L] = 0xCD;
    cpu->sfr[Sfr::SPCR] = 0x5A;
    const QStringList sfr = sfrView(*cpu);
    ASSERT_EQ(sfr.size(), 13);
    EXPECT_EQ(text(sfr[0]), "DPTR:   1234         DPTR1:   ABCD");
    EXPECT_EQ(text(sfr[11]), "WDTRST: 00   WCON:   00");
    EXPECT_EQ(text(sfr[12]), "SPSR:   00   SPCR:   5A   SPDR:   00");

    cpu->iram[0x17] = 0x99;
    cpu->iram[0x18] = 0x42;
    EXPECT_EQ(text(internalRamView(*cpu)[1]), "10H: 00 00 00 00 00 00 00 99   42 00 00 00 00 00 00 00");
}

TEST(ViewFormatTest, MemoryViewIsBuiltOnceAndSlicedOrPatched)
{
    auto memory = std::make_unique<Cpu51>();
    memory->xram[0x0010] = 0x11;
    memory->xram[0x0018] = 0x22;
    memory->xram[0xFFFF] = 0xEE;
    MemoryView view;
    view.rebuild(memory->xram.data());
    EXPECT_EQ(text(view.line(1)), "0010H: 11 00 00 00 00 00 00 00  22 00 00 00 00 00 00 00");
    EXPECT_EQ(text(view.line(4095)), "FFF0H: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 EE");

    // At the scroll maximum the last 14 rows and then empty lines.
    const QStringList last = view.slice(MemoryView::kMaxTop);
    ASSERT_EQ(last.size(), 18);
    EXPECT_EQ(text(last[13]), text(view.line(4095)));
    EXPECT_TRUE(last[14].isEmpty());

    // Written rows are patched in one go; others keep their text.
    memory->xram[0x0019] = 0x33;
    memory->xram[0x1230] = 0x44;
    DirtyRows dirty;
    dirty.mark(0x0019);
    dirty.mark(0x1230);
    EXPECT_TRUE(dirty.any());
    dirty.patchInto(view, memory->xram.data());
    EXPECT_FALSE(dirty.any());
    EXPECT_EQ(text(view.line(1)), "0010H: 11 00 00 00 00 00 00 00  22 33 00 00 00 00 00 00");
    EXPECT_EQ(text(view.line(0x123)), "1230H: 44 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00");
}

} // namespace
