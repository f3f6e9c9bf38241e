#include "BitmapFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

struct BitmapFont::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

BitmapFont::BitmapFont(const QString &path, int pixelHeight) : m_ft(new Handles)
{
    if (FT_Init_FreeType(&m_ft->library)) {
        m_error = QStringLiteral("FreeType does not start");
        return;
    }
    if (FT_New_Face(m_ft->library, path.toLocal8Bit().constData(), 0, &m_ft->face)) {
        m_error = QStringLiteral("cannot open %1").arg(path);
        return;
    }
    FT_Face face = m_ft->face;
    int strike = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
        if ((face->available_sizes[i].y_ppem + 32) >> 6 == pixelHeight)
            strike = i;
    if (strike < 0 || FT_Select_Size(face, strike)) {
        m_error = QStringLiteral("%1 has no %2-pixel strike").arg(path).arg(pixelHeight);
        return;
    }
    m_ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    m_lineHeight = m_ascent - static_cast<int>(face->size->metrics.descender >> 6);

    const char *encoding = nullptr, *registry = nullptr;
    m_gb2312 = FT_Get_BDF_Charset_ID(face, &encoding, &registry) == 0 && registry &&
               QByteArray(registry).toUpper().startsWith("GB2312");
    // A GB2312 font has one charmap without an encoding; its codes are the GB2312 codes.
    if (m_gb2312 ? (face->num_charmaps < 1 || FT_Set_Charmap(face, face->charmaps[0]))
                 : FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        m_error = QStringLiteral("%1 has no usable character map").arg(path);
}

BitmapFont::~BitmapFont()
{
    if (m_ft->face)
        FT_Done_Face(m_ft->face);
    if (m_ft->library)
        FT_Done_FreeType(m_ft->library);
    delete m_ft;
}

namespace
{

bool pixelOf(const FT_Bitmap &bitmap, int x, int y)
{
    const unsigned char *row = bitmap.buffer + y * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        return row[x / 8] & (0x80 >> (x % 8));
    return row[x] >= 128;
}

} // namespace

std::optional<GlyphCell> BitmapFont::glyph(unsigned long code, int cellWidth, int cellHeight) const
{
    if (!m_error.isEmpty())
        return std::nullopt;
    const FT_UInt index = FT_Get_Char_Index(m_ft->face, code);
    if (index == 0 || FT_Load_Glyph(m_ft->face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO))
        return std::nullopt;
    const FT_GlyphSlot slot = m_ft->face->glyph;
    // A line box taller than the cell loses its excess evenly, the odd row above.
    const int cellAscent = m_ascent - std::max(0, m_lineHeight - cellHeight + 1) / 2;
    GlyphCell cell{cellWidth, cellHeight, std::vector<bool>(size_t(cellWidth * cellHeight), false)};
    const FT_Bitmap &bitmap = slot->bitmap;
    for (int y = 0; y < static_cast<int>(bitmap.rows); ++y)
        for (int x = 0; x < static_cast<int>(bitmap.width); ++x) {
            const int cellX = slot->bitmap_left + x;
            const int cellY = cellAscent - slot->bitmap_top + y;
            if (cellX >= 0 && cellX < cellWidth && cellY >= 0 && cellY < cellHeight && pixelOf(bitmap, x, y))
                cell.pixels[size_t(cellY * cellWidth + cellX)] = true;
        }
    return cell;
}
