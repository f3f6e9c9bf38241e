// The Unicode codecs: the three code forms of a text, reading them back, and the refusals.
#include "assistants/UnicodeCodes.h"

#include <gtest/gtest.h>

using namespace tw;

namespace
{

QString decoded(const QString &codes, UnicodeFormat format)
{
    const DecodedText result = textOfUnicodeCodes(codes, format);
    EXPECT_EQ(result.error, QString()) << qPrintable(codes);
    return result.text;
}

QString units(std::initializer_list<char16_t> list)
{
    QString text;
    for (char16_t unit : list)
        text += QChar(unit);
    return text;
}

} // namespace

TEST(UnicodeCodes, TextToEachCodeForm)
{
    const QString chinese = QStringLiteral(u"中文");
    EXPECT_EQ(unicodeCodesOf(chinese, UnicodeFormat::Decimal), " 20013,  25991");
    EXPECT_EQ(unicodeCodesOf(chinese, UnicodeFormat::Hex), "0x4E2D, 0x6587");
    EXPECT_EQ(unicodeCodesOf(chinese, UnicodeFormat::ContinuousHex), "4E2D6587");
    // From U+8000 up the decimal code is above 32767; inner blanks count, leading ones do not.
    EXPECT_EQ(unicodeCodesOf(QStringLiteral(u"  谢 A"), UnicodeFormat::Decimal), " 35874,  32,  65");
    EXPECT_EQ(unicodeCodesOf(QStringLiteral(u"a b"), UnicodeFormat::Hex), "0x0061, 0x0020, 0x0062");
    EXPECT_EQ(unicodeCodesOf(QStringLiteral(u"a\r\nb"), UnicodeFormat::ContinuousHex), "0061000D000A0062");
    // A character outside the basic plane is two units.
    EXPECT_EQ(unicodeCodesOf(QString::fromUcs4(U"\U0001F600"), UnicodeFormat::Hex), "0xD83D, 0xDE00");
    // Nothing but blanks: no result at all (the box keeps what it held).
    EXPECT_FALSE(unicodeCodesOf("   ", UnicodeFormat::Decimal).has_value());
    EXPECT_FALSE(unicodeCodesOf(QString(), UnicodeFormat::ContinuousHex).has_value());
    EXPECT_EQ(unicodeCodesOf("\t", UnicodeFormat::Decimal), " 9");
}

TEST(UnicodeCodes, CodesBackToText)
{
    const QString chinese = QStringLiteral(u"中文");
    EXPECT_EQ(decoded("0x4E2D, 0x6587", UnicodeFormat::Hex), chinese);
    EXPECT_EQ(decoded(" 20013,  25991", UnicodeFormat::Decimal), chinese);
    EXPECT_EQ(decoded("20013\t25991", UnicodeFormat::Decimal), chinese);
    EXPECT_EQ(decoded("200 13,25991", UnicodeFormat::Decimal), chinese);
    EXPECT_EQ(decoded("4E2D6587", UnicodeFormat::ContinuousHex), chinese);
    EXPECT_EQ(decoded("-29662", UnicodeFormat::Decimal), QStringLiteral(u"谢"));
    EXPECT_EQ(decoded("35874", UnicodeFormat::Decimal), QStringLiteral(u"谢"));
    EXPECT_EQ(decoded("65.5, 66.5", UnicodeFormat::Decimal), "BB"); // halves to even
    EXPECT_EQ(decoded("1,,2", UnicodeFormat::Decimal), units({1, 0, 2}));
    EXPECT_EQ(decoded("65,66,", UnicodeFormat::Decimal), "AB");
    EXPECT_EQ(decoded("x,65", UnicodeFormat::Decimal), units({0, 65}));
    EXPECT_EQ(decoded("4e2d", UnicodeFormat::ContinuousHex), units({0x4020}));
    EXPECT_EQ(decoded("0x41", UnicodeFormat::Hex), units({0x4100}));
    EXPECT_EQ(decoded("0x4E2D99, 12345", UnicodeFormat::Hex), units({0x4E2D, 0x1234}));
    EXPECT_EQ(decoded("", UnicodeFormat::ContinuousHex), QString());
    EXPECT_EQ(decoded("   ", UnicodeFormat::Decimal), QString());
    // Round trip of every unit through every form.
    QString all;
    for (int unit = 1; unit <= 0xFFFF; unit += 7)
        all += QChar(static_cast<char16_t>(unit));
    for (UnicodeFormat format : {UnicodeFormat::Decimal, UnicodeFormat::Hex, UnicodeFormat::ContinuousHex})
        EXPECT_EQ(decoded(*unicodeCodesOf(all, format), format), all);
}

TEST(UnicodeCodes, BadCodesAreRefusedWithNoResult)
{
    const DecodedText odd = textOfUnicodeCodes("4E2D658", UnicodeFormat::ContinuousHex);
    EXPECT_EQ(odd.error, QStringLiteral(u"十六进制代码错误！"));
    EXPECT_EQ(odd.text, QString());
    for (const char *codes : {"65536", "-32769", "65,70000,66", "1e400", "99999999999999999999"}) {
        const DecodedText result = textOfUnicodeCodes(codes, UnicodeFormat::Decimal);
        EXPECT_EQ(result.error, QStringLiteral(u"十进制代码错误！")) << codes;
    }
    EXPECT_EQ(decoded("65535, -32768", UnicodeFormat::Decimal), units({0xFFFF, 0x8000}));
    EXPECT_EQ(unicodeHexItemValue("1"), 0x1000);
    EXPECT_EQ(unicodeHexItemValue("0X41"), 0x0041); // only a lower-case x is a prefix
    EXPECT_EQ(unicodeHexItemValue("FFFF"), 0xFFFF);
}
