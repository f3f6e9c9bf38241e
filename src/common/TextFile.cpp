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

// GBK keeps ASCII as it is, so only the runs of other characters need the converter; listings are
// mostly ASCII and the converter is slow.
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

} // namespace

TextFileContent decodeText(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return {QString::fromLatin1(bytes), TextEncoding::Gbk};
    // Valid UTF-8 first: most UTF-8 Chinese (three bytes a character, all of them 80h-EFh) is
    // also valid GBK and would read as the wrong characters, while real GBK text almost never
    // forms valid UTF-8 sequences.
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return {text, TextEncoding::Utf8};
    }
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return {gbk.decode(bytes), TextEncoding::Gbk};
    return {QString::fromLatin1(bytes), TextEncoding::Gbk};
}

QByteArray encodeText(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return text.toUtf8();
    QStringEncoder gbk("GBK");
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
    return writeBinaryFile(path, encodeText(text, encoding), sync);
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

} // namespace tw
