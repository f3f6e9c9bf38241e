#include "Normaliser.h"

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

void appendTabUnlessThere(QString &built)
{
    if (!built.endsWith(kTab))
        built += kTab;
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

QString normaliseStatement(const QString &text)
{
    QString built;
    built.reserve(text.size() + 8);
    built += kTab;
    bool inQuote = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i++];
        if (isComma(c)) {
            skipBlanks(text, i);
            built += u',';
        } else if (isSemicolon(c)) {
            skipBlanks(text, i);
            appendTabUnlessThere(built);
            built += u';';
            built += QStringView(text).mid(i);
            break;
        } else if (isColon(c) && !inQuote) {
            skipBlanks(text, i);
            built.remove(0, 1);
            if (built.endsWith(kTab))
                built.chop(1);
            built += QStringLiteral(":\t");
        } else if (c == u' ' || c == kTab) {
            skipBlanks(text, i);
            appendTabUnlessThere(built);
        } else {
            if (c == u'\'')
                inQuote = !inQuote;
            built += c;
        }
    }
    return built;
}

NormalisedLine normaliseLine(const QString &rawLine)
{
    const QString rest = trimBlanks(rawLine).toUpper();
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
    qsizetype i = 0;
    // Labels: text up to a colon, outside quotes and before any comment or TAB.
    while (i < line.size() && line[i] != kTab) {
        const qsizetype colon = line.indexOf(u':', i);
        const qsizetype tab = line.indexOf(kTab, i);
        if (colon < 0 || (tab >= 0 && tab < colon))
            break;
        const QStringView label = line.mid(i, colon - i);
        if (label.contains(u'\'') || label.contains(u';'))
            break;
        i = colon + 1;
    }
    while (i < line.size() && line[i] == kTab)
        ++i;
    const qsizetype start = i;
    while (i < line.size() && line[i] != kTab && line[i] != u' ' && !isSemicolon(line[i]) && line[i] != u',')
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
    // Most lines hold neither word; they need no field scan.
    if (!line.contains(QStringView(u"END")) && !line.contains(QStringView(u"结束")))
        return false;
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
    for (const QString &raw : lines) {
        const NormalisedLine line = normaliseLine(raw);
        if (line.kind == NormalisedLine::Kind::Dropped)
            continue;
        out.text += line.text;
        if (line.kind == NormalisedLine::Kind::LabelOnly)
            continue;
        out.text += kCrLf;
        if (isEndStatement(line.text)) {
            out.endFound = true;
            break;
        }
    }
    if (!out.endFound)
        out.text += QStringLiteral("\tEND\r\n");
    out.text += kCrLf;
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
    const NormalisedSource normalised = normaliseSource(splitLines(content->text));
    if (!writeTextFile(out.path, normalised.text, out.encoding))
        return std::nullopt;
    out.lines = splitLines(normalised.text);
    return out;
}

QString normaliserFailureMessage()
{
    return QStringLiteral(u"规格化出错，请检查你的源程序！");
}

} // namespace tw
