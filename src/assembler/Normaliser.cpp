#include "Normaliser.h"

#include <algorithm>

namespace tw
{

namespace
{

const QChar kTab = u'\t';
const QString kCrLf = QStringLiteral("\r\n");

bool isComma(QChar c)
{
    return c == u',' || c == u'，';
}
bool isSemicolon(QChar c)
{
    return c == u';' || c == u'；';
}
bool isColon(QChar c)
{
    return c == u':' || c == u'：';
}

void skipBlanks(const QString &text, qsizetype &i)
{
    while (i < text.size() && text[i] == u' ')
        ++i;
}

} // namespace

// Trim as the old line reader did: blanks only, TABs stay.
QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString upperCase(const QString &text)
{
    bool lower = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return text.toUpper();
        lower = lower || (u >= u'a' && u <= u'z');
    }
    if (!lower)
        return text;
    QString upper = text;
    for (QChar &c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return upper;
}

QString normaliseStatement(const QString &text)
{
    // Each character adds at most two ("：" becomes ":" TAB), plus the leading TAB.
    QString built(2 * text.size() + 1, Qt::Uninitialized);
    QChar *const begin = built.data();
    QChar *out = begin;
    const auto endsWithTab = [&] { return out > begin && out[-1] == kTab; };
    const auto appendTabUnlessThere = [&] {
        if (!endsWithTab())
            *out++ = kTab;
    };
    *out++ = kTab;
    bool inQuote = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i++];
        if (isComma(c)) {
            skipBlanks(text, i);
            *out++ = u',';
        } else if (isSemicolon(c)) {
            skipBlanks(text, i);
            appendTabUnlessThere();
            *out++ = u';';
            std::copy(text.constData() + i, text.constData() + n, out);
            out += n - i;
            break;
        } else if (isColon(c) && !inQuote) {
            skipBlanks(text, i);
            if (out > begin) {
                std::move(begin + 1, out, begin);
                --out;
            }
            if (endsWithTab())
                --out;
            *out++ = u':';
            *out++ = kTab;
        } else if (c == u' ' || c == kTab) {
            skipBlanks(text, i);
            appendTabUnlessThere();
        } else {
            if (c == u'\'')
                inQuote = !inQuote;
            *out++ = c;
        }
    }
    built.truncate(out - begin);
    return built;
}

NormalisedLine normaliseLine(const QString &rawLine)
{
    const QString rest = upperCase(trimBlanks(rawLine));
    if (rest.isEmpty() || rest == QStringView(u"\t"))
        return {};
    QString built = normaliseStatement(rest);
    if (built.endsWith(QStringView(u":\t"))) {
        built.chop(1);
        return {NormalisedLine::Kind::LabelOnly, built};
    }
    return {NormalisedLine::Kind::Statement, built};
}

namespace
{

QStringView mnemonicView(QStringView line)
{
    // Labels: fields ending in a colon, with no quote or ";" before it; TABs may stand between
    // them, as the passes' word scan reads them.
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && line[i] == kTab)
            ++i;
        qsizetype j = i;
        while (j < n && line[j] != kTab && line[j] != u':' && line[j] != u'\'' && line[j] != u';')
            ++j;
        if (j == n || line[j] != u':')
            break;
        i = j + 1;
    }
    const qsizetype start = i;
    while (i < n && line[i] != kTab && line[i] != u' ' && !isSemicolon(line[i]) && line[i] != u',')
        ++i;
    return line.mid(start, i - start);
}

} // namespace

QString mnemonicField(const QString &line)
{
    return mnemonicView(line).toString();
}

bool isEndStatement(const QString &line)
{
    const QStringView word = mnemonicView(line);
    return word == QStringView(u"END") || word == QStringView(u"结束");
}

NormalisedSource normaliseSource(const QStringList &lines)
{
    NormalisedSource out;
    qsizetype size = 0;
    for (const QString &raw : lines)
        size += raw.size() + 4;
    out.text.reserve(size + 16);
    out.lines.reserve(lines.size() + 2);
    QString label; // a label-only line waiting for the next kept line
    for (const QString &raw : lines) {
        NormalisedLine line = normaliseLine(raw);
        if (line.kind == NormalisedLine::Kind::Dropped)
            continue;
        if (line.kind == NormalisedLine::Kind::LabelOnly) {
            label += line.text;
            continue;
        }
        if (!label.isEmpty())
            line.text.prepend(std::exchange(label, QString()));
        out.text += line.text;
        out.text += kCrLf;
        out.lines.append(std::move(line.text));
        if (isEndStatement(out.lines.constLast())) {
            out.endFound = true;
            break;
        }
    }
    if (!out.endFound) {
        out.lines.append(label + QStringLiteral("\tEND"));
        out.text += out.lines.constLast();
        out.text += kCrLf;
    }
    out.text += kCrLf;
    out.lines.append(QString());
    return out;
}

std::optional<NormalisedFile> normaliseSourceFile(const QString &sourcePath)
{
    if (sourcePath.size() < 3)
        return std::nullopt;
    const auto content = readTextFile(sourcePath);
    if (!content)
        return std::nullopt;
    NormalisedFile out;
    out.path = sourcePath.left(sourcePath.size() - 3) + QStringLiteral("a51");
    out.encoding = content->encoding;
    NormalisedSource normalised = normaliseSource(splitLines(content->text));
    // A work file the next run writes again: it need not wait for the disk.
    if (!writeTextFile(out.path, normalised.text, out.encoding, WriteSync::Generated))
        return std::nullopt;
    out.lines = std::move(normalised.lines);
    return out;
}

QString normaliserFailureMessage()
{
    return QStringLiteral(u"规格化出错，请检查你的源程序！");
}

} // namespace tw
