// Writes the program's four raster font files from free bitmap fonts, at build time:
//   make_raster_fonts OUTDIR ASCII_8x16 HANZI_12 HANZI_16 HANZI_24
// Each output holds every glyph place of its layout; a character the source font lacks stays
// blank, so lookups of it show an empty pattern rather than another glyph.
#include "BitmapFont.h"
#include "assistants/GlyphPattern.h"
#include "assistants/RasterFontLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QStringDecoder>
#include <cstdio>

using namespace tw;

namespace
{

// The character a code-page-936 byte sequence stands for: nothing for bytes that are no
// character there, or only a private-use place (user-defined zones).
std::optional<unsigned long> unicodeOf(const QByteArray &bytes)
{
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(bytes);
    if (gbk.hasError() || text.isEmpty())
        return std::nullopt;
    const char32_t c = text.toUcs4().value(0);
    if (text.toUcs4().size() != 1 || c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF))
        return std::nullopt;
    return c;
}

// The font's code for a glyph place of the layout.
std::optional<unsigned long> sourceCode(const BitmapFont &font, const RasterFontLayout &layout, int glyph)
{
    if (layout.firstLead == 0)
        return unicodeOf(QByteArray(1, static_cast<char>(glyph)));
    const int lead = layout.firstLead + glyph / kPlacesPerZone;
    const int trail = kFirstTrail + glyph % kPlacesPerZone;
    if (font.indexedByGb2312())
        return static_cast<unsigned long>(((lead - 0x80) << 8) | (trail - 0x80));
    QByteArray bytes;
    bytes.append(static_cast<char>(lead)).append(static_cast<char>(trail));
    return unicodeOf(bytes);
}

// The glyph's bytes by rows, bit 7 the leftmost pixel.
QByteArray rowBytes(const GlyphCell &cell, const RasterFontLayout &layout)
{
    QByteArray bytes(layout.glyphBytes, '\0');
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x)
            if (cell.at(x, y)) {
                char &byte = bytes[y * layout.bytesPerRow + x / 8];
                byte = static_cast<char>(static_cast<quint8>(byte) | (0x80 >> (x % 8)));
            }
    return bytes;
}

bool writeFont(const QString &folder, GlyphMode mode, const QString &sourcePath)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    const BitmapFont font(sourcePath, layout.height);
    if (!font.error().isEmpty()) {
        std::fprintf(stderr, "make_raster_fonts: %s\n", qPrintable(font.error()));
        return false;
    }
    QByteArray file;
    file.reserve(rasterFileSize(mode));
    int drawn = 0;
    for (int glyph = 0; glyph < rasterGlyphCount(mode); ++glyph) {
        QByteArray bytes(layout.glyphBytes, '\0');
        if (const auto code = sourceCode(font, layout, glyph))
            if (const auto cell = font.glyph(*code, layout.width, layout.height)) {
                bytes = rowBytes(*cell, layout);
                ++drawn;
            }
        file += layout.byColumns ? transpose24(bytes) : bytes;
    }
    QSaveFile out(QDir(folder).filePath(QString::fromLatin1(layout.fileName)));
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
        std::fprintf(stderr, "make_raster_fonts: cannot write %s\n", qPrintable(out.fileName()));
        return false;
    }
    std::printf("%s: %d of %d glyphs from %s\n", layout.fileName, drawn, rasterGlyphCount(mode),
                qPrintable(sourcePath));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: make_raster_fonts OUTDIR ASCII_8x16 HANZI_12 HANZI_16 HANZI_24\n");
        return 2;
    }
    if (!QDir().mkpath(args[1])) {
        std::fprintf(stderr, "make_raster_fonts: cannot make %s\n", qPrintable(args[1]));
        return 1;
    }
    for (int mode = 0; mode < kGlyphModeCount; ++mode)
        if (!writeFont(args[1], static_cast<GlyphMode>(mode), args[2 + mode]))
            return 1;
    return 0;
}
