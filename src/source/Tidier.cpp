#include "Tidier.h"

#include "Normaliser.h"

namespace tw
{

namespace
{

// The characters the rewrite must keep: all but ASCII and the full-width separators the line
// rules turn into ASCII ones.
QString keptCharacters(QStringView text)
{
    QString kept;
    for (const QChar c : text)
        if (c.unicode() >= 0x80 && c != u'，' && c != u'；' && c != u'：')
            kept += c;
    return kept;
}

// The text of the first count lines, as splitLines cuts them.
QStringView firstLines(QStringView text, qsizetype count)
{
    qsizetype i = 0;
    for (const qsizetype n = text.size(); i < n && count > 0; ++i) {
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        if (text[i] == u'\n' || text[i] == u'\r')
            --count;
    }
    return text.first(i);
}

} // namespace

bool isTidiedSourcePath(const QString &path)
{
    return path.endsWith(QStringView(u"asm")) || path.endsWith(QStringView(u"ASM"));
}

QString tidySourceText(const QString &text)
{
    return normaliseText(text).text;
}

TidyOutcome tidySourceFile(const QString &path, std::optional<TextEncoding> encoding,
                           const std::optional<FileState> &expected)
{
    using Result = TidyOutcome::Result;
    if (!isTidiedSourcePath(path))
        return {};
    const FileState before = fileStateAt(path);
    if (expected && before != *expected)
        return {};
    const auto bytes = readBinaryFile(path);
    // What was read must be what was looked at: a file saved meanwhile is not this tidier's.
    if (!bytes || fileStateAt(path) != before)
        return {};
    const TextFileContent content = encoding ? decodeText(*bytes, *encoding) : decodeText(*bytes);
    if (content.strayBytes)
        return {Result::Refused, {}, {}};
    NormalisedSource tidied = normaliseText(content.text);
    if (keptCharacters(firstLines(content.text, tidied.linesRead)) != keptCharacters(tidied.text))
        return {Result::Refused, {}, {}};
    const auto out = tryEncodeText(tidied.text, content.encoding, content.byteOrderMark);
    if (!out)
        return {Result::Refused, {}, {}};
    const CheckedReplacement done = replaceFileExpecting(path, *out, WriteSync::Durable, before);
    if (!done.reason.isEmpty())
        return {};
    return {Result::Tidied, std::move(tidied.text), done.written};
}

} // namespace tw
