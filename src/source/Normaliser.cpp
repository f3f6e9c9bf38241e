#include "Normaliser.h"

#include <algorithm>
#include <utility>

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

void skipBlanks(QStringView text, qsizetype &i)
{
    while (i < text.size() && text[i] == u' ')
        ++i;
}

QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

// Trim as the old line reader did: blanks only, TABs stay.
QString trimBlanks(const QString &text)
{
    const QStringView trimmed = trimmedView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

// Only a to z: every other character is the user's text (a GBK comment misread as Cyrillic or
// Greek must come back as it was), and the mnemonics and names are ASCII.
QString upperCase(const QString &text)
{
    const auto lower = [](QChar c) { return c >= u'a' && c <= u'z'; };
    const auto first = std::find_if(text.cbegin(), text.cend(), lower);
    if (first == text.cend())
        return text;
    QString upper = text;
    for (auto c = upper.begin() + (first - text.cbegin()); c != upper.end(); ++c)
        if (lower(*c))
            *c = QChar(c->unicode() - (u'a' - u'A'));
    return upper;
}

bool isBlankLine(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c == u' ' || c == kTab; });
}

namespace
{

// Upper-cases a to z on the way when foldCase is set, as upperCase does. built is the caller's
// buffer: the whole-source loop gives the same one for every line, so its room is made once.
void normaliseStatementInto(QString &built, QStringView text, bool foldCase = false)
{
    // Each character adds at most two ("：" becomes ":" TAB), plus the leading TAB.
    built.resize(2 * text.size() + 1);
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
    const auto folded = [foldCase](QChar c) {
        return foldCase && c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c;
    };
    while (i < n) {
        const QChar c = text[i++];
        // Letters and digits, most of a statement, are copied straight.
        if ((c >= u'A' && c.unicode() < 0x80) || (c >= u'0' && c <= u'9')) {
            *out++ = folded(c);
            continue;
        }
        if (isComma(c)) {
            skipBlanks(text, i);
            *out++ = u',';
        } else if (isSemicolon(c)) {
            skipBlanks(text, i);
            appendTabUnlessThere();
            *out++ = u';';
            out = std::transform(text.begin() + i, text.end(), out, folded);
            break;
        } else if (isColon(c) && !inQuote) {
            skipBlanks(text, i);
            // The first label goes to column 1 by losing the leading TAB. Only that TAB: a second
            // label must not cost the first one a letter, or every save would shorten it again.
            if (out > begin && *begin == kTab) {
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
}

// A label-only line ends in ":" TAB once normalised.
bool isLabelOnly(QStringView built)
{
    return built.endsWith(QStringView(u":\t"));
}

} // namespace

QString normaliseStatement(const QString &text)
{
    QString built;
    normaliseStatementInto(built, text);
    return built;
}

NormalisedLine normaliseLine(const QString &rawLine)
{
    if (isBlankLine(rawLine))
        return {};
    QString built;
    normaliseStatementInto(built, trimmedView(rawLine), true);
    if (isLabelOnly(built)) {
        built.chop(1);
        return {NormalisedLine::Kind::LabelOnly, built};
    }
    return {NormalisedLine::Kind::Statement, built};
}

namespace
{

// The mnemonic field of a normalised line: the first field after any labels, up to a TAB or ";".
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

bool isEndStatement(QStringView line)
{
    const QStringView word = mnemonicView(line);
    return word == QStringView(u"END") || word == QStringView(u"结束");
}

namespace
{

// The whole-source rules over raw lines given by forEachLine(visit), which stops when visit
// returns false.
template <typename ForEachLine> NormalisedSource normaliseLines(qsizetype sizeHint, ForEachLine forEachLine)
{
    NormalisedSource out;
    out.text.reserve(sizeHint + 16);
    QString label; // a label-only line waiting for the next kept line
    QString built; // each line's statement, in one buffer for all of them
    const auto startLine = [&] {
        out.lineStarts.push_back(out.text.size());
        out.text += label;
        label.clear();
    };
    forEachLine([&](QStringView raw) {
        ++out.linesRead;
        if (isBlankLine(raw))
            return true;
        normaliseStatementInto(built, trimmedView(raw), true);
        if (!label.isEmpty() && !built.startsWith(kTab))
            label += kTab; // labels joined stand TAB-separated, as they come out of one line
        if (isLabelOnly(built)) {
            label += QStringView(built).chopped(1);
            return true;
        }
        startLine();
        out.text += built;
        out.endFound = isEndStatement(QStringView(out.text).sliced(out.lineStarts.back()));
        out.text += kCrLf;
        return !out.endFound;
    });
    if (!out.endFound) {
        startLine();
        out.text += QStringLiteral("\tEND");
        out.text += kCrLf;
    }
    out.lineStarts.push_back(out.text.size());
    out.text += kCrLf;
    return out;
}

// The lines of a text as splitLines cuts them (CR LF, LF or a lone CR), without copying them.
template <typename Visit> void forEachTextLine(QStringView text, Visit visit)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r') {
            if (!visit(text.mid(start, i - start)))
                return;
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        visit(text.mid(start));
}

} // namespace

NormalisedSource normaliseSource(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &raw : lines)
        size += raw.size() + 4;
    return normaliseLines(size, [&](auto visit) {
        for (const QString &raw : lines)
            if (!visit(raw))
                return;
    });
}

NormalisedSource normaliseText(const QString &text)
{
    return normaliseLines(text.size() + text.size() / 4, [&](auto visit) { forEachTextLine(text, visit); });
}

} // namespace tw
