#include "GlyphLookup.h"

#include "GlyphPattern.h"
#include "common/TextFile.h"

#include <QDir>
#include <QFile>

namespace tw
{

std::optional<qint16> gbkCodeOf(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype length = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate() ? 2 : 1;
    const QByteArray bytes = encodeText(text.left(length), TextEncoding::Gbk);
    if (bytes.size() == 2)
        return twoByteCode(static_cast<quint8>(bytes[0]), static_cast<quint8>(bytes[1]));
    if (bytes.size() == 1)
        return static_cast<qint16>(static_cast<quint8>(bytes[0]));
    return static_cast<qint16>('?');
}

GlyphMode glyphModeForKey(qint16 keyCode, GlyphMode current, int checkedOption)
{
    if (keyCode >= 0)
        return GlyphMode::Ascii8x16;
    if (checkedOption >= 1 && checkedOption < kGlyphModeCount)
        return static_cast<GlyphMode>(checkedOption);
    return current;
}

namespace
{

QString twoDigits(int value)
{
    return (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

} // namespace

QString glyphCodeText(GlyphMode mode, qint16 code)
{
    if (mode == GlyphMode::Ascii8x16)
        return QString::number(code);
    const int value = code + 65536;
    return twoDigits(value / 256 - 160) + twoDigits(value % 256 - 160);
}

std::optional<QByteArray> readGlyphRows(const QString &folder, GlyphMode mode, qint16 code)
{
    const std::optional<qint64> offset = rasterGlyphOffset(mode, code);
    if (!offset)
        return std::nullopt;
    const RasterFontLayout &layout = rasterFontLayout(mode);
    QFile file(QDir(folder).filePath(QString::fromLatin1(layout.fileName)));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes(layout.glyphBytes, '\0');
    if (file.seek(*offset)) {
        const QByteArray read = file.read(layout.glyphBytes);
        std::copy(read.cbegin(), read.cend(), bytes.begin());
    }
    return layout.byColumns ? transpose24(bytes) : bytes;
}

} // namespace tw
