// The raster font files the build makes from Debian's bitmap fonts: complete files of the fixed
// layouts beside the fonts' notices, and a few glyphs of known shape read through the reader.
#include "assistants/GlyphLookup.h"
#include "assistants/RasterFontLayout.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kFolder = QStringLiteral(TW_PROGRAM_DATA_DIR);

struct Shape {
    int width = 0, height = 0;
    std::vector<int> rows, columns; // set pixels in each row and column
    int total = 0;
    int firstRow = -1, lastRow = -1, firstColumn = -1, lastColumn = -1;
};

Shape shapeOf(GlyphMode mode, qint16 code)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    Shape shape;
    shape.width = 8 * layout.bytesPerRow;
    shape.height = layout.height;
    shape.rows.assign(size_t(shape.height), 0);
    shape.columns.assign(size_t(shape.width), 0);
    const std::optional<QByteArray> rows = readGlyphRows(kFolder, mode, code);
    EXPECT_TRUE(rows.has_value()) << "font " << layout.fileName;
    if (!rows)
        return shape;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            if (static_cast<quint8>((*rows)[y * layout.bytesPerRow + x / 8]) & (0x80 >> (x % 8))) {
                ++shape.rows[size_t(y)];
                ++shape.columns[size_t(x)];
                ++shape.total;
                if (shape.firstRow < 0)
                    shape.firstRow = y;
                shape.lastRow = y;
                shape.firstColumn = shape.firstColumn < 0 ? x : std::min(shape.firstColumn, x);
                shape.lastColumn = std::max(shape.lastColumn, x);
            }
    return shape;
}

int widestRow(const Shape &shape)
{
    return *std::max_element(shape.rows.begin(), shape.rows.end());
}

int tallestColumn(const Shape &shape)
{
    return *std::max_element(shape.columns.begin(), shape.columns.end());
}

const GlyphMode kHanziModes[] = {GlyphMode::Hanzi12, GlyphMode::Hanzi16, GlyphMode::Hanzi24};

} // namespace

TEST(FontFilesTest, GeneratedFilesAreCompleteAndCarryTheirNotices)
{
    // 256 characters; zones 1-87 of 94 places each; the 24-pixel file from zone 16 on.
    const qint64 sizes[kGlyphModeCount] = {4096, 196272, 261696, 487296};
    for (int mode = 0; mode < kGlyphModeCount; ++mode) {
        const RasterFontLayout &layout = rasterFontLayout(GlyphMode(mode));
        const QFileInfo file(QDir(kFolder).filePath(QString::fromLatin1(layout.fileName)));
        ASSERT_TRUE(file.isFile()) << qPrintable(file.filePath())
                                   << " missing: scripts/install-deps.sh installs xfonts-base and xfonts-wqy";
        EXPECT_EQ(file.size(), sizes[mode]) << layout.fileName;
    }
    for (const char *notice : {"COPYRIGHT.xfonts-base", "COPYRIGHT.xfonts-wqy", "RASTER-FONTS.txt"})
        EXPECT_GT(QFileInfo(QDir(kFolder).filePath(QString::fromLatin1(notice))).size(), 100) << notice;
}

TEST(FontFilesTest, KnownGlyphsHaveTheirShapes)
{
    // 一: one horizontal bar across most of the cell, under at most a serif at its end.
    for (GlyphMode mode : kHanziModes) {
        const Shape one = shapeOf(mode, gbkCodeOf(QStringLiteral(u"一")).value());
        const int cell = rasterFontLayout(mode).height;
        EXPECT_LE(one.lastRow - one.firstRow, 2) << "一 in mode " << int(mode);
        EXPECT_GE(one.rows[size_t(one.lastRow)], cell * 3 / 4) << "一 in mode " << int(mode);
        EXPECT_LE(one.total - one.rows[size_t(one.lastRow)], 4) << "一 in mode " << int(mode);
        EXPECT_LT(one.lastColumn, cell) << "一 in mode " << int(mode);
    }
    // 丨: one vertical bar; in the 24-pixel file that is a column of the file turned into rows.
    for (GlyphMode mode : kHanziModes) {
        const Shape bar = shapeOf(mode, gbkCodeOf(QStringLiteral(u"丨")).value());
        const int cell = rasterFontLayout(mode).height;
        EXPECT_LE(bar.lastColumn - bar.firstColumn, 2) << "丨 in mode " << int(mode);
        EXPECT_GE(tallestColumn(bar), cell * 3 / 4) << "丨 in mode " << int(mode);
    }
    // 啊 and 国 are drawn in every size; a space and a place no font fills are blank.
    for (GlyphMode mode : kHanziModes) {
        EXPECT_GT(shapeOf(mode, gbkCodeOf(QStringLiteral(u"啊")).value()).total, 20) << int(mode);
        EXPECT_GT(shapeOf(mode, gbkCodeOf(QStringLiteral(u"国")).value()).total, 20) << int(mode);
    }
    EXPECT_EQ(shapeOf(GlyphMode::Hanzi16, twoByteCode(0xAA, 0xA1)).total, 0);
    EXPECT_EQ(shapeOf(GlyphMode::Hanzi12, twoByteCode(0xAF, 0xFE)).total, 0);
    // A GB2312 place without a character (zone 2 starts at place 17) stays blank in the 16x16 font.
    EXPECT_EQ(shapeOf(GlyphMode::Hanzi16, twoByteCode(0xA2, 0xA1)).total, 0);

    const Shape minus = shapeOf(GlyphMode::Ascii8x16, '-');
    EXPECT_EQ(minus.lastRow - minus.firstRow, 0);
    EXPECT_GE(widestRow(minus), 5);
    const Shape pipe = shapeOf(GlyphMode::Ascii8x16, '|');
    EXPECT_EQ(pipe.lastColumn - pipe.firstColumn, 0);
    EXPECT_GE(tallestColumn(pipe), 10);
    EXPECT_GT(shapeOf(GlyphMode::Ascii8x16, 'A').total, 15);
    EXPECT_EQ(shapeOf(GlyphMode::Ascii8x16, ' ').total, 0);
    EXPECT_EQ(shapeOf(GlyphMode::Ascii8x16, 0xFF).total, 0);
}
