#include "disassembler/DisasmText.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(DisasmText, DhexPutsZeroBeforeALetterHighDigit)
{
    EXPECT_EQ(dhex(0x05), "05");
    EXPECT_EQ(dhex(0x3F), "3F");
    EXPECT_EQ(dhex(0x9F), "9F");
    EXPECT_EQ(dhex(0xA0), "0A0");
    EXPECT_EQ(dhex(0xA5), "0A5");
    EXPECT_EQ(dhex(0xFF), "0FF");
    EXPECT_EQ(dhex(0x00), "00");
}

TEST(DisasmText, HexToBinReadsFourPositionsPaddedOnTheRight)
{
    EXPECT_EQ(hexToBin(""), 0);
    EXPECT_EQ(hexToBin("F"), 0xF000);
    EXPECT_EQ(hexToBin("12"), 0x1200);
    EXPECT_EQ(hexToBin("1234"), 0x1234);
    EXPECT_EQ(hexToBin("12345"), 0x1234);
    EXPECT_EQ(hexToBin("G123"), 0x0123);
    EXPECT_EQ(hexToBin("00ff"), 0);
    EXPECT_EQ(hexToBin("FFFF"), 0xFFFF);
}

TEST(DisasmText, LinesAndFileFrame)
{
    EXPECT_EQ(equLine(3, 0x0F00), "L3: EQU  0F00H");
    EXPECT_EQ(orgLine(0x30), "ORG 0030H");
    EXPECT_EQ(disassemblyFile(";x", "ORG 0000H\r"), ";x\r\nORG 0000H\rEND\r\r\n");

    const std::uint8_t bytes[9] = {0x12, 0xA5, 0, 1, 2, 3, 4, 5, 6};
    QString out;
    appendDbLines(out, bytes, 3, dhex);
    EXPECT_EQ(out, "DB 12H, 0A5H, 00H\r");
    out.clear();
    appendDbLines(out, bytes, 8, dhex);
    EXPECT_EQ(out, "DB 12H, 0A5H, 00H, 01H, 02H, 03H, 04H, 05H\r");
    out.clear();
    appendDbLines(out, bytes, 9, dhex);
    EXPECT_EQ(out, "DB 12H, 0A5H, 00H, 01H, 02H, 03H, 04H, 05H\rDB 06H\r");
}
