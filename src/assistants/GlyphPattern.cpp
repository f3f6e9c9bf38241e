#include "GlyphPattern.h"

#include "common/Hex.h"

namespace tw
{

namespace
{

constexpr int kSide24 = 24;
constexpr int kBytes24 = kSide24 * kSide24 / 8;

bool bitAt(const QByteArray &bytes, int index, int bit)
{
    return index < bytes.size() && (static_cast<quint8>(bytes[index]) & (0x80 >> bit));
}

} // namespace

QByteArray transpose24(const QByteArray &bytes)
{
    QByteArray out(kBytes24, '\0');
    for (int x = 0; x < kSide24; ++x)
        for (int y = 0; y < kSide24; ++y)
            if (bitAt(bytes, 3 * x + y / 8, y % 8))
                out[3 * y + x / 8] =
                    static_cast<char>(static_cast<quint8>(out[3 * y + x / 8]) | (0x80 >> (x % 8)));
    return out;
}

QString glyphDbText(const QByteArray &rows)
{
    QString text;
    for (int start = 0; start < rows.size(); start += 8) {
        text += QStringLiteral("DB ");
        for (int i = start; i < start + 8 && i < rows.size(); ++i) {
            if (i > start)
                text += u',';
            text += hexByte(static_cast<quint8>(rows[i])) + u'H';
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

GridCells glyphCells(GlyphMode mode, const QByteArray &rows)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    GridCells cells;
    for (int k = 0; k < rows.size(); ++k) {
        const int row = layout.gridRow + k / layout.bytesPerRow;
        const int column = layout.gridColumn + 8 * (k % layout.bytesPerRow);
        for (int b = 0; b < 8; ++b)
            if (bitAt(rows, k, b) && row < kGridSize && column + b < kGridSize)
                cells.set(kGridSize * row + column + b);
    }
    return cells;
}

std::optional<GlyphBit> glyphBitOfCell(GlyphMode mode, int row, int column)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    const int y = row - layout.gridRow;
    const int x = column - layout.gridColumn;
    const int rowCount = layout.glyphBytes / layout.bytesPerRow;
    if (y < 0 || y >= rowCount || x < 0 || x >= 8 * layout.bytesPerRow)
        return std::nullopt;
    return GlyphBit{y * layout.bytesPerRow + x / 8, static_cast<quint8>(0x80 >> (x % 8))};
}

} // namespace tw
