// The raster font reader on small synthetic font files: where each glyph lies, which codes are
// read at all, and the 24-pixel turn from columns to rows.
#include "assistants/GlyphLookup.h"
#include "assistants/GlyphPattern.h"
#include "assistants/RasterFontLayout.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

// A synthetic font: every byte of glyph g is g mod 256, so a read shows which glyph it hit.
QByteArray numberedGlyphs(GlyphMode mode, int glyphs)
{
    const int size = rasterFontLayout(mode).glyphBytes;
    QByteArray bytes(qsizetype(glyphs) * size, '\0');
    for (int g = 0; g < glyphs; ++g)
        std::fill_n(bytes.begin() + qsizetype(g) * size, size, static_cast<char>(g % 256));
    return bytes;
}

const qint16 kAh = twoByteCode(0xB0, 0xA1); // 啊, 区位码 1601

} // namespace

TEST(FontLookupTest, CodesOfTypedCharacters)
{
    EXPECT_EQ(*gbkCodeOf(QStringLiteral(u"啊")), -20319);
    EXPECT_EQ(gbkCodeOf(QStringLiteral(u"一二")), twoByteCode(0xD2, 0xBB)); // the first character only
    EXPECT_EQ(gbkCodeOf(QStringLiteral("\b")), 8);
    EXPECT_FALSE(gbkCodeOf(QString()).has_value());
    // A character code page 936 cannot write comes out as "?", as the system's conversion gives it.
    EXPECT_EQ(gbkCodeOf(QStringLiteral(u"😀")), '?');

    EXPECT_EQ(glyphCodeText(GlyphMode::Hanzi12, twoByteCode(0xA1, 0xA2)), "0102"); // 、
    EXPECT_EQ(glyphCodeText(GlyphMode::Hanzi16, twoByteCode(0xF7, 0xFE)), "8794");
}

TEST(FontLookupTest, GlyphsLieWhereTheOffsetFormulaPutsThemAndOnlyFileCodesAreRead)
{
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Ascii8x16, 65), 1040);
    // 啊 is zone 16 place 1: glyph 15 * 94 = 1410, not the file's first glyph.
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi16, kAh), 45120);
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi12, kAh), 33840);
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi24, kAh), 0);
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi16, twoByteCode(0xA1, 0xA1)), 0);
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi16, twoByteCode(0xF7, 0xFE)), 261696 - 32);
    EXPECT_EQ(rasterGlyphOffset(GlyphMode::Hanzi24, twoByteCode(0xF7, 0xFE)), 487296 - 72);

    // Codes the files do not hold read nothing, instead of another glyph or a place before the file.
    const std::pair<GlyphMode, qint16> outside[] = {
        {GlyphMode::Ascii8x16, kAh},                   // a two-byte character in the 8x16 font
        {GlyphMode::Hanzi16, 65},                      // a single-byte character
        {GlyphMode::Hanzi16, twoByteCode(0x81, 0x40)}, // GBK beyond GB2312, lead below A1h
        {GlyphMode::Hanzi16, twoByteCode(0xB0, 0x40)}, // GBK, lead in range, trail below A1h
        {GlyphMode::Hanzi12, twoByteCode(0xB0, 0xFF)}, // trail past FEh
        {GlyphMode::Hanzi16, twoByteCode(0xF8, 0xA1)}, // user-defined zone past F7h
        {GlyphMode::Hanzi24, twoByteCode(0xA1, 0xA2)}, // a symbol: the 24-pixel file has none
        {GlyphMode::Hanzi24, twoByteCode(0xAF, 0xFE)}, // the last place before the hanzi
    };
    for (const auto &[mode, code] : outside)
        EXPECT_FALSE(rasterGlyphOffset(mode, code).has_value()) << int(mode) << " " << code;
}

TEST(FontLookupTest, ReadsSyntheticFilesAndTreatsMissingShortAndForeignFilesSafely)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    twtest::writeBytes(dir.filePath("hzk16"), numberedGlyphs(GlyphMode::Hanzi16, 8178));
    twtest::writeBytes(dir.filePath("HZK12"), numberedGlyphs(GlyphMode::Hanzi12, 8178));

    EXPECT_EQ(readGlyphRows(folder, GlyphMode::Hanzi16, kAh), QByteArray(32, char(1410 % 256)));
    EXPECT_EQ(readGlyphRows(folder, GlyphMode::Hanzi12, kAh), QByteArray(24, char(1410 % 256)));
    EXPECT_EQ(readGlyphRows(folder, GlyphMode::Hanzi16, twoByteCode(0xF7, 0xFE)),
              QByteArray(32, char(8177 % 256)));
    // GBK characters beyond GB2312 would have read glyph 1313 or one before the file's start.
    EXPECT_FALSE(readGlyphRows(folder, GlyphMode::Hanzi16, twoByteCode(0xB0, 0x40)).has_value());
    EXPECT_FALSE(readGlyphRows(folder, GlyphMode::Hanzi16, twoByteCode(0x81, 0x40)).has_value());

    // A missing file reads nothing and is not made.
    EXPECT_FALSE(readGlyphRows(folder, GlyphMode::Ascii8x16, 65).has_value());
    EXPECT_FALSE(QFile::exists(dir.filePath("asc16")));
    // A folder in the file's place is no font.
    ASSERT_TRUE(QDir(folder).mkdir("hzk24S"));
    EXPECT_FALSE(readGlyphRows(folder, GlyphMode::Hanzi24, kAh).has_value());

    // A short file: what lies past its end reads as 0.
    twtest::writeBytes(dir.filePath("asc16"), QByteArray(1045, '\x7E'));
    EXPECT_EQ(readGlyphRows(folder, GlyphMode::Ascii8x16, 65), QByteArray(5, '\x7E') + QByteArray(11, '\0'));
    EXPECT_EQ(readGlyphRows(folder, GlyphMode::Ascii8x16, 'z'), QByteArray(16, '\0'));
}

TEST(FontLookupTest, TwentyFourPixelColumnsTurnIntoRows)
{
    // Column 0 full (bytes 0-2 FFh): in rows, bit 7 of each row's first byte.
    QByteArray columns(72, '\0');
    columns[0] = columns[1] = columns[2] = '\xFF';
    QByteArray rows(72, '\0');
    for (int y = 0; y < 24; ++y)
        rows[3 * y] = '\x80';
    EXPECT_EQ(transpose24(columns), rows);
    // The top row full: bit 7 of the first byte of every column.
    QByteArray topRow(72, '\0');
    for (int x = 0; x < 24; ++x)
        topRow[3 * x] = '\x80';
    EXPECT_EQ(transpose24(topRow).left(3), QByteArray(3, '\xFF'));
    EXPECT_EQ(transpose24(topRow).mid(3), QByteArray(69, '\0'));
    // One pixel: column 10, row 17 -> byte 3*10 + 2, bit 7 - 1; in rows byte 3*17 + 1, bit 7 - 2.
    QByteArray one(72, '\0');
    one[32] = '\x40';
    QByteArray oneRows(72, '\0');
    oneRows[52] = '\x20';
    EXPECT_EQ(transpose24(one), oneRows);
    // Any pattern comes back after two turns.
    QByteArray random(72, '\0');
    for (char &byte : random)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    EXPECT_EQ(transpose24(transpose24(random)), random);
}
