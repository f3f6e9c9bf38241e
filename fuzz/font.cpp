// Any bytes as one of the raster font files, looked up with any code in any mode. The file holds
// the bytes at a chosen place (zeros before it), so a lookup reads inside, across and beyond the
// file's end; what it gives must be exactly the file's bytes there, zeros past the end.
#include "FuzzSupport.h"

#include "assistants/GlyphLookup.h"
#include "assistants/GlyphPattern.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fuzzer/FuzzedDataProvider.h>

namespace
{

void writeFontFile(const QString &path, qint64 start, const std::string &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(start) || !file.seek(start) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        twfuzz::finding("cannot write the font file", path);
}

void checkPattern(tw::GlyphMode mode, const QByteArray &rows)
{
    const tw::GridCells cells = tw::glyphCells(mode, rows);
    const tw::RasterFontLayout &layout = tw::rasterFontLayout(mode);
    for (int row = 0; row < tw::kGridSize; ++row)
        for (int column = 0; column < tw::kGridSize; ++column) {
            const std::optional<tw::GlyphBit> bit = tw::glyphBitOfCell(mode, row, column);
            if (bit && (bit->byte < 0 || bit->byte >= layout.glyphBytes))
                twfuzz::finding("a grid cell outside the glyph's bytes");
            const bool set = bit && (static_cast<quint8>(rows[bit->byte]) & bit->mask) != 0;
            if (set != cells.test(static_cast<std::size_t>(tw::kGridSize * row + column)))
                twfuzz::finding("the grid and the pattern's bits disagree");
        }
    if (tw::glyphDbText(rows).count(QStringLiteral("DB ")) != (rows.size() + 7) / 8)
        twfuzz::finding("not one DB line for every eight bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto mode = static_cast<tw::GlyphMode>(input.ConsumeIntegralInRange(0, tw::kGlyphModeCount - 1));
    const auto code = input.ConsumeIntegral<qint16>();
    const int shift = input.ConsumeIntegralInRange(-100, 100);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const tw::RasterFontLayout &layout = tw::rasterFontLayout(mode);

    static const QString folder = QFileInfo(twfuzz::workPath("x")).path();
    const QString path = QDir(folder).filePath(QString::fromLatin1(layout.fileName));
    const std::optional<qint64> offset = tw::rasterGlyphOffset(mode, code);
    const qint64 start = std::max<qint64>(0, offset.value_or(0) + shift);
    writeFontFile(path, start, bytes);

    const std::optional<QByteArray> rows = tw::readGlyphRows(folder, mode, code);
    QFile::remove(path);
    if (rows.has_value() != offset.has_value())
        twfuzz::finding("a lookup and the font's table disagree on a code", QString::number(code));
    if (!rows)
        return 0;
    if (*offset < 0 || *offset + layout.glyphBytes > tw::rasterFileSize(mode))
        twfuzz::finding("a glyph outside a complete file", QString::number(code));
    QByteArray expected(layout.glyphBytes, '\0');
    for (int i = 0; i < layout.glyphBytes; ++i) {
        const qint64 at = *offset + i - start;
        if (at >= 0 && at < static_cast<qint64>(bytes.size()))
            expected[i] = bytes[static_cast<std::size_t>(at)];
    }
    if (layout.byColumns)
        expected = tw::transpose24(expected);
    if (*rows != expected)
        twfuzz::finding("a glyph is not the file's bytes at its place");
    checkPattern(mode, *rows);

    const QString typed =
        QString::fromUtf8(bytes.data(), static_cast<qsizetype>(std::min<std::size_t>(bytes.size(), 8)));
    if (const std::optional<qint16> typedCode = tw::gbkCodeOf(typed))
        tw::glyphCodeText(tw::glyphModeForKey(*typedCode, mode, shift & 3), *typedCode);
    return 0;
}
