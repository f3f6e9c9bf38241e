#include "Mcs51TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using tw::NotANumber;
using tw::readNumber;

TEST(NumberReader, ReadsEveryRadixBySuffix)
{
    const struct {
        const char16_t *text;
        long long value;
    } cases[] = {
        {u"7FH", 127},      {u"1111B", 15}, {u"17Q", 15},   {u"255", 255},
        {u"0FFFFH", 65535}, {u"FFH", 255},  {u"0FFH", 255}, {u"0FDH", 253},
        {u"FDH", 253},      {u"0B", 0},     {u"1B", 1},     {u"1BH", 27},
        {u"0", 0},          {u"00012", 12}, {u"777Q", 511}, {u"2147483647", 2147483647},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readNumber(QString::fromUtf16(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();
}

TEST(NumberReader, TextThatIsNoNumberGivesTheMarker)
{
    for (const char16_t *text : {u"10000H", u"12A", u"12D", u"10h", u"7fH", u"LOOP", u"2B", u"8Q", u"$",
                                 u"#5", u"1 2", u"", u"H", u"B", u"Q", u"-1", u"1.5"})
        EXPECT_EQ(readNumber(QString::fromUtf16(text)), NotANumber) << QString::fromUtf16(text).toStdString();
}

TEST(NumberReader, ValuePastThirtyTwoBitsEndsTheRun)
{
    EXPECT_THROW(readNumber(u"2147483648"), tw::AssemblyFailure);
    EXPECT_THROW(readNumber(u"FFFFFFFFFH"), tw::AssemblyFailure);
    try {
        readNumber(u"99999999999");
        FAIL();
    } catch (const tw::AssemblyFailure &failure) {
        EXPECT_EQ(failure.message(), u"汇编失败，存在有不可识别的语句！");
    }
}
