#include "TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tw {

TextFileContent decodeText(const QByteArray &bytes)
{
    {
        QStringDecoder gbk("GBK");
        if (gbk.isValid()) {
            QString text = gbk.decode(bytes);
            if (!gbk.hasError())
                return {text, TextEncoding::Gbk};
        }
    }
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
    return gbk.encode(text);
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

bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding)
{
    return writeBinaryFile(path, encodeText(text, encoding));
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeBinaryFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tw
