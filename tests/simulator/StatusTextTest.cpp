// Status panels 2 to 8 as derived from the CPU state.
#include "PeripheralTestSupport.h"
#include "simulator/StatusTexts.h"

using namespace tw;
using twtest::Board;

TEST(StatusTexts, ResetTextsEnableBitsAndStickyEntries)
{
    Board board;
    const char *const afterReset[] = {"外中断0：禁止中断", "定时器0：禁止中断", "外中断1：禁止中断",
                                      "定时器1：禁止中断", "串行口：禁止中断",  "CPU：正常",
                                      "WDT：未激活"};
    board.sfr(Sfr::IE) = 0xFF;
    resetCommand(*board.cpu); // IE keeps only bit 6, no source bit
    for (int panel = 2; panel <= 8; ++panel)
        EXPECT_EQ(statusPanelText(*board.cpu, panel), afterReset[panel - 2]) << panel;
    EXPECT_EQ(board.sfr(Sfr::IE), 0x40);

    board.sfr(Sfr::IE) = 0x1F; // the enable bits alone decide, EA plays no part
    EXPECT_EQ(statusPanelText(*board.cpu, 2), "外中断0：允许中断");
    EXPECT_EQ(statusPanelText(*board.cpu, 3), "定时器0：允许中断");
    EXPECT_EQ(statusPanelText(*board.cpu, 4), "外中断1：允许中断");
    EXPECT_EQ(statusPanelText(*board.cpu, 5), "定时器1：允许中断");
    EXPECT_EQ(statusPanelText(*board.cpu, 6), "串行口：允许中断");

    board.cpu->interruptEntered[4] = true;
    board.sfr(Sfr::IE) = 0x00;
    EXPECT_EQ(statusPanelText(*board.cpu, 6), "串行口：响应中断"); // sticky until reset
    resetCommand(*board.cpu);
    EXPECT_EQ(statusPanelText(*board.cpu, 6), "串行口：禁止中断");

    board.cpu->cpuMode = 1;
    EXPECT_EQ(statusPanelText(*board.cpu, 7), "CPU：空闲");
    EXPECT_EQ(statusPanelText(*board.cpu, 1), "");
    EXPECT_EQ(statusPanelText(*board.cpu, 9), "");
}
