#pragma once
// A glyph's pattern as the font window shows it: bytes by rows (bit 7 the leftmost pixel), the DB
// lines for the user to copy, and its cells on the 32 x 32 grid.
#include "RasterFontLayout.h"

#include <QByteArray>
#include <QString>
#include <bitset>
#include <optional>

namespace tw
{

inline constexpr int kGridSize = 32;
using GridCells = std::bitset<kGridSize * kGridSize>; // cell 32 * row + column

// The 24 x 24 pattern stored by columns (three bytes a column, bit 7 the top pixel) turned into
// rows (three bytes a row, bit 7 the leftmost pixel). The turn is a transpose, so the same call
// also turns rows into columns.
QByteArray transpose24(const QByteArray &bytes);

// Eight bytes a line: "DB 10H,11H,...,17H" and CR LF, also after the last line.
QString glyphDbText(const QByteArray &rows);

// The cells a row-ordered pattern sets on the grid.
GridCells glyphCells(GlyphMode mode, const QByteArray &rows);

// The byte and bit mask of the pattern under a grid cell; nothing outside the pattern.
struct GlyphBit {
    int byte;
    quint8 mask;
};
std::optional<GlyphBit> glyphBitOfCell(GlyphMode mode, int row, int column);

} // namespace tw
