#pragma once
// One strike of a bitmap font read through FreeType, and the cell-sized pixel grids of its glyphs.
#include <QString>
#include <optional>
#include <vector>

// A glyph placed in a fixed cell: pixels row by row, true = set.
struct GlyphCell {
    int width = 0, height = 0;
    std::vector<bool> pixels;
    bool at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

class BitmapFont
{
  public:
    // Opens the font and selects its strike of the given pixel height. Fonts whose registry is
    // GB2312 are looked up by their own GB2312 codes, all others by Unicode.
    BitmapFont(const QString &path, int pixelHeight);
    ~BitmapFont();
    BitmapFont(const BitmapFont &) = delete;
    BitmapFont &operator=(const BitmapFont &) = delete;

    // Empty when the font opened well; else why not.
    QString error() const { return m_error; }
    bool indexedByGb2312() const { return m_gb2312; }

    // The glyph of a character code (GB2312 code or Unicode as above) in a cell of the given size,
    // the font's line box centred on the cell; nothing when the font lacks the character.
    std::optional<GlyphCell> glyph(unsigned long code, int cellWidth, int cellHeight) const;

  private:
    struct Handles;
    Handles *m_ft = nullptr;
    QString m_error;
    bool m_gb2312 = false;
    int m_ascent = 0, m_lineHeight = 0;
};
