#include "TextFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace tw
{

namespace
{

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// GBK keeps ASCII as it is, so only the runs of other characters need the converter; listings are
// mostly ASCII and the converter is slow. The converter's error flag tells of characters it could
// not hold.
QByteArray encodeGbk(QStringView text, QStringEncoder &gbk)
{
    const qsizetype n = text.size();
    QByteArray out(n, Qt::Uninitialized);
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < n) {
        const char16_t *src = text.utf16();
        char *dst = out.data();
        while (i < n && src[i] < 0x80)
            dst[used++] = static_cast<char>(src[i++]);
        qsizetype j = i;
        while (j < n && src[j] >= 0x80)
            ++j;
        if (j > i) {
            const QByteArray run = gbk.encode(text.mid(i, j - i));
            // ASCII still to come needs at most one byte per character.
            out.resize(std::max(out.size(), used + run.size() + (n - j)));
            std::copy(run.cbegin(), run.cend(), out.data() + used);
            used += run.size();
            i = j;
        }
    }
    out.truncate(used);
    return out;
}

QString decodeGbk(QByteArrayView bytes, bool &stray)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid()) {
        stray = true;
        return QString::fromLatin1(bytes);
    }
    // The converter drops a lead byte at the very end without a word; it is a stray byte too.
    const bool cutLead = endsInsideGbkCharacter(bytes);
    QString text = gbk.decode(cutLead ? bytes.chopped(1) : bytes);
    stray = gbk.hasError() || cutLead;
    if (cutLead)
        text += QChar::ReplacementCharacter;
    return text;
}

QString decodeUtf8(QByteArrayView bytes, bool &stray)
{
    // The caller has taken off a byte-order mark; a second one is text.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    stray = utf8.hasError();
    return text;
}

} // namespace

TextFileContent decodeText(const QByteArray &bytes)
{
    return decodeText(bytes, detectEncoding(bytes));
}

TextFileContent decodeText(const QByteArray &bytes, TextEncoding encoding)
{
    TextFileContent content;
    content.encoding = encoding;
    if (encoding == TextEncoding::Gbk) {
        content.text = decodeGbk(bytes, content.strayBytes);
        return content;
    }
    content.byteOrderMark = hasUtf8ByteOrderMark(bytes);
    content.text =
        decodeUtf8(QByteArrayView(bytes).sliced(content.byteOrderMark ? 3 : 0), content.strayBytes);
    return content;
}

std::optional<QByteArray> tryEncodeText(const QString &text, TextEncoding encoding, bool byteOrderMark)
{
    if (encoding == TextEncoding::Utf8) {
        QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
        QByteArray bytes = utf8.encode(text);
        if (utf8.hasError())
            return std::nullopt;
        if (byteOrderMark)
            bytes.prepend("\xEF\xBB\xBF");
        return bytes;
    }
    if (isAscii(QStringView(text)))
        return text.toLatin1();
    QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid())
        return std::nullopt;
    QByteArray bytes = encodeGbk(text, gbk);
    if (gbk.hasError())
        return std::nullopt;
    return bytes;
}

QByteArray encodeText(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return text.toUtf8();
    // Opening the converter costs far more than a line of text, and listings are encoded line by
    // line. Stateless, so that nothing of one text is kept for the next.
    thread_local QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid())
        return text.toUtf8();
    return encodeGbk(text, gbk);
}

std::optional<TextFileContent> readTextFile(const QString &path)
{
    auto bytes = readBinaryFile(path);
    if (!bytes)
        return std::nullopt;
    return decodeText(*bytes);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || c == u'\r') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding, WriteSync sync)
{
    const auto bytes = tryEncodeText(text, encoding);
    return bytes && writeBinaryFile(path, *bytes, sync);
}

bool writeLines(const QString &path, const QStringList &lines, TextEncoding encoding)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return writeTextFile(path, text, encoding);
}

std::optional<QByteArray> readBinaryFile(const QString &path)
{
    CheckedRead read = readFileChecked(path, kMaxTextFileBytes);
    if (!read.ok())
        return std::nullopt;
    return std::move(read.bytes);
}

bool writeBinaryFile(const QString &path, const QByteArray &bytes, WriteSync sync)
{
    return replaceFileChecked(path, bytes, sync).isEmpty();
}

bool writeBinaryFile(const QString &path, std::initializer_list<QByteArrayView> pieces, WriteSync sync)
{
    return writeBinaryFile(path, std::span<const QByteArrayView>(pieces.begin(), pieces.size()), sync);
}

bool writeBinaryFile(const QString &path, std::span<const QByteArrayView> pieces, WriteSync sync)
{
    return replaceFileChecked(path, pieces, sync).isEmpty();
}

} // namespace tw
