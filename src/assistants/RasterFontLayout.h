#pragma once
// The four raster font files of the program folder: their names, glyph sizes and where each glyph
// lies. The font window reads them and the build's font tool writes them, both from this table.
#include <QString>
#include <optional>

namespace tw
{

// Which font a lookup uses; the numbers are those of the window's size options.
enum class GlyphMode { Ascii8x16 = 0, Hanzi12 = 1, Hanzi16 = 2, Hanzi24 = 3 };
inline constexpr int kGlyphModeCount = 4;

struct RasterFontLayout {
    const char *fileName;
    int glyphBytes;          // bytes a glyph takes in the file
    int width, height;       // pixels a glyph has
    int bytesPerRow;         // of the row-ordered pattern (DB lines, grid)
    int firstLead;           // GB2312 lead byte of the file's first glyph; 0 for the single-byte font
    bool byColumns;          // stored column by column (three bytes a column, bit 7 the top pixel)
    int gridRow, gridColumn; // where the pattern's top-left pixel sits on the 32 x 32 grid
};

const RasterFontLayout &rasterFontLayout(GlyphMode mode);

// GB2312 two-byte codes: lead A1h-F7h (zones 1-87), trail A1h-FEh (94 places a zone).
inline constexpr int kLastLead = 0xF7;
inline constexpr int kFirstTrail = 0xA1;
inline constexpr int kLastTrail = 0xFE;
inline constexpr int kPlacesPerZone = kLastTrail - kFirstTrail + 1;

// Number of glyphs a complete file holds, and its size in bytes.
int rasterGlyphCount(GlyphMode mode);
qint64 rasterFileSize(GlyphMode mode);

// The glyph number of a character code (the code-page-936 code as a signed 16-bit value: 0-255 a
// single-byte character, negative a two-byte one); nothing for a code the file does not hold.
std::optional<int> rasterGlyphIndex(GlyphMode mode, qint16 code);

// Byte offset of that glyph in the file: glyph number times the glyph's size.
std::optional<qint64> rasterGlyphOffset(GlyphMode mode, qint16 code);

// The signed 16-bit code of a two-byte character (lead, trail).
qint16 twoByteCode(int lead, int trail);

} // namespace tw
