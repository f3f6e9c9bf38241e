// The MCS-48 label pass on images built in memory: numbering order, target forms, the memory-bank
// flag, where walks end, and its failures.
#include "disassembler/LabelPass48.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

using namespace tw;

namespace
{

struct Image {
    std::unique_ptr<CodeImage> image = std::make_unique<CodeImage>();
    Image &at(int address, std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            (*image)[address++] = static_cast<std::uint8_t>(b);
        return *this;
    }
};

std::vector<int> addresses(const Labels48 &labels)
{
    std::vector<int> out;
    for (int i = 1; i <= labels.count(); ++i)
        out.push_back(labels.address(i));
    return out;
}

TEST(LabelPass48, StartZeroSeedsTheVectorsAndNumbersTargetsInOrderMet)
{
    Image img;
    // 0000: JMP 0010H; 0003: CALL 0020H, RET; 0007: JNZ 0030H (page of 0009), RET;
    // 0010: JMP 0000H (label 0, adds nothing); 0020: RET; 0030: RET
    img.at(0, {0x04, 0x10, 0x00, 0x14, 0x20, 0x83, 0x00, 0x96, 0x30, 0x83}).at(0x10, {0x04, 0x00});
    img.at(0x20, {0x83}).at(0x30, {0x83});
    Labels48 labels;
    ASSERT_TRUE(labelPass48(*img.image, 0, 0x40, labels));
    // 0003H is popped before 0007H, so its call target is numbered first.
    EXPECT_EQ(addresses(labels), (std::vector<int>{0x07, 0x03, 0x10, 0x20, 0x30}));
    EXPECT_EQ(labels.find(0), 0);
    EXPECT_EQ(labels.find(0x20), 4);
}

TEST(LabelPass48, OtherStartHasNoVectorsAndTargetsBelowStartAreWalked)
{
    Image img;
    // 0100: CALL 0080H; JMP 0150H. 0080: CALL 0090H, RET.
    img.at(0x100, {0x14, 0x80, 0x24, 0x50}).at(0x80, {0x14, 0x90, 0x83});
    Labels48 labels;
    ASSERT_TRUE(labelPass48(*img.image, 0x100, 0x200, labels));
    EXPECT_EQ(addresses(labels), (std::vector<int>{0x80, 0x150, 0x90}));
}

TEST(LabelPass48, PageTargetsTakeThePageOfTheNextInstruction)
{
    Image img;
    // JNZ at 00FEH (operand at 00FFH) and JC at 01FFH (operand at 0200H) reach the next page;
    // DJNZ @R1 at 0300H stays in its own page; JMPP addr ends the walk.
    img.at(0, {0x04, 0xFE}).at(0xFE, {0x96, 0x10, 0x04, 0xFF});
    img.at(0x1FF, {0xF6, 0x20, 0x04, 0x00}).at(0x300, {0xE1, 0x44, 0xD6, 0x55, 0x01});
    Labels48 labels;
    ASSERT_TRUE(labelPass48(*img.image, 0x10, 0x400, labels)) << "the walk after JMPP must not meet 01H";
    Labels48 fromZero;
    ASSERT_TRUE(labelPass48(*img.image, 0, 0x400, fromZero));
    EXPECT_EQ(addresses(fromZero), (std::vector<int>{0x07, 0x03, 0xFE, 0x110, 0xFF, 0x220, 0x344, 0x355}));
    Labels48 page3;
    ASSERT_TRUE(labelPass48(*img.image, 0x300, 0x400, page3));
    EXPECT_EQ(addresses(page3), (std::vector<int>{0x344, 0x355}));
}

TEST(LabelPass48, LongTargetsFollowTheMemoryBankInWalkOrder)
{
    Image img;
    // 0100: JMP 0123H. 0123: SEL MB1; CALL 0B00H; SEL MB0; CALL 0710H; RET.
    img.at(0x100, {0x24, 0x23});
    img.at(0x123, {0xF5, 0x74, 0x00, 0xE5, 0xF4, 0x10, 0x83});
    Labels48 labels;
    ASSERT_TRUE(labelPass48(*img.image, 0x100, 0x1000, labels));
    EXPECT_EQ(addresses(labels), (std::vector<int>{0x123, 0xB00, 0x710}));

    // The flag survives from one walk to the next, even to an instruction lower in memory.
    Image later;
    later.at(0x200, {0x14, 0x50, 0xF5, 0x04, 0x80}); // CALL 0050H; SEL MB1; JMP 0880H
    later.at(0x50, {0x24, 0x23});                    // walked after SEL MB1: JMP 0923H
    Labels48 second;
    ASSERT_TRUE(labelPass48(*later.image, 0x200, 0x1000, second));
    EXPECT_EQ(addresses(second), (std::vector<int>{0x50, 0x880, 0x923}));
}

TEST(LabelPass48, WalksEndAtJumpsReturnsAndIndirectJumps)
{
    // An undefined code right after each of these is data, never reached by fall-through.
    for (const std::initializer_list<int> &code : {std::initializer_list<int>{0x83, 0x01},
                                                   {0x93, 0x01},
                                                   {0xB3, 0x01},
                                                   {0x04, 0x00, 0x01},
                                                   {0xD6, 0x00, 0x01}}) {
        Image img;
        img.at(0x100, code);
        Labels48 labels;
        EXPECT_TRUE(labelPass48(*img.image, 0x100, 0x110, labels)) << "opcode " << *code.begin();
    }
    // Calls, branches and bank selects fall through into the undefined code.
    for (const std::initializer_list<int> &code : {std::initializer_list<int>{0x14, 0x00, 0x01},
                                                   {0x96, 0x00, 0x01},
                                                   {0xE8, 0x00, 0x01},
                                                   {0xF5, 0x01}}) {
        Image img;
        img.at(0x100, code);
        Labels48 labels;
        EXPECT_FALSE(labelPass48(*img.image, 0x100, 0x110, labels)) << "opcode " << *code.begin();
    }
}

TEST(LabelPass48, UndefinedCodesFailAndKeepTheLabelsFoundSoFar)
{
    for (int op :
         {0x01, 0x0B, 0x33, 0x38, 0x3B, 0x63, 0x73, 0x82, 0x8B, 0x9B, 0xA2, 0xB7, 0xC2, 0xC3, 0xE2, 0xF3}) {
        Image img;
        img.at(0, {0x14, 0x40, op});
        Labels48 labels;
        EXPECT_FALSE(labelPass48(*img.image, 0, 0x10, labels)) << op;
        EXPECT_EQ(addresses(labels), (std::vector<int>{0x07, 0x03, 0x40})) << op;
    }
    // An undefined code beyond the end or only reachable through data is never met.
    Image img;
    img.at(0, {0x00, 0x00, 0x01});
    Labels48 labels;
    EXPECT_TRUE(labelPass48(*img.image, 0, 2, labels));
}

TEST(LabelPass48, PendingListHoldsAtMost1025Targets)
{
    // One walk of CALLs to distinct addresses pushes every target before any is popped.
    auto calls = [](int count) {
        Image img;
        for (int i = 0; i < count; ++i) {
            const int target = i + 1; // 0000H would add no label
            img.at(0x100 + 2 * i, {0x14 | ((target >> 8) << 5), target & 0xFF});
        }
        return img;
    };
    Labels48 labels;
    Image fits = calls(1025);
    EXPECT_TRUE(labelPass48(*fits.image, 0x100, 0x100 + 2 * 1025, labels));
    EXPECT_EQ(labels.count(), 1025);
    Image overflows = calls(1026);
    EXPECT_FALSE(labelPass48(*overflows.image, 0x100, 0x100 + 2 * 1026, labels));
}

TEST(LabelPass48, EmptyRangeWalksNothingButKeepsTheVectors)
{
    Image img;
    img.at(0, {0x01});
    Labels48 labels;
    EXPECT_TRUE(labelPass48(*img.image, 0, 0, labels));
    EXPECT_EQ(addresses(labels), (std::vector<int>{0x07, 0x03}));
}

} // namespace
