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

// Each character adds at most two ("：" becomes ":" TAB), plus the leading TAB.
qsizetype mostNormalisedSize(QStringView text)
{
    return 2 * text.size() + 1;
}

// Writes the statement from begin, where mostNormalisedSize characters are free, and gives its
// end. Upper-cases a to z on the way when foldCase is set, as upperCase does. The whole-source
// loop writes every line straight into the copy this way.
QChar *normaliseStatementAt(QChar *const begin, QStringView text, bool foldCase = false)
{
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
            if (!inQuote)
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
        } else if ((c == u' ' || c == kTab) && inQuote) {
            *out++ = c; // quoted text is the user's: 'HELLO, WORLD' keeps its blanks
        } else if (c == u' ' || c == kTab) {
            skipBlanks(text, i);
            appendTabUnlessThere();
        } else {
            if (c == u'\'')
                inQuote = !inQuote;
            *out++ = c;
        }
    }
    return out;
}

void normaliseStatementInto(QString &built, QStringView text, bool foldCase = false)
{
    built.resize(mostNormalisedSize(text));
    built.truncate(normaliseStatementAt(built.data(), text, foldCase) - built.constData());
}

// A label-only line ends in ":" TAB once normalised.
bool isLabelOnly(QStringView built)
{
    // Asked of every line: two characters compared in place.
    const qsizetype n = built.size();
    return n >= 2 && built[n - 2] == u':' && built[n - 1] == kTab;
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
    // The copy is written in place: room is made ahead (its pages cost nothing until written),
    // each line normalised straight to its end, and the text cut to what was written.
    QString &text = out.text;
    text.resize(sizeHint + 64);
    out.lineStarts.reserve(static_cast<std::size_t>(sizeHint / 16)); // most lines are longer
    qsizetype used = 0;
    const auto room = [&](qsizetype more) {
        if (used + more > text.size())
            text.resize(std::max(2 * text.size(), used + more));
        return text.data() + used;
    };
    const auto endLine = [&](QChar *end) {
        *end++ = u'\r';
        *end++ = u'\n';
        used = end - text.constData();
    };
    QString label; // a label-only line waiting for the next kept line
    forEachLine([&](QStringView raw) {
        ++out.linesRead;
        if (isBlankLine(raw))
            return true;
        const QStringView trimmed = trimmedView(raw);
        // A waiting label goes first, and one place is kept for the TAB that may follow it.
        const qsizetype lead = label.isEmpty() ? 0 : label.size() + 1;
        QChar *const line = room(lead + mostNormalisedSize(trimmed) + 2);
        QChar *const statement = line + lead;
        QChar *end = normaliseStatementAt(statement, trimmed, true);
        const QStringView built(statement, end - statement);
        const bool startsWithTab = *statement == kTab;
        if (isLabelOnly(built)) {
            if (!label.isEmpty() && !startsWithTab)
                label += kTab; // labels joined stand TAB-separated, as they come out of one line
            label += built.chopped(1);
            return true;
        }
        if (lead > 0) {
            std::copy(label.cbegin(), label.cend(), line);
            if (startsWithTab)
                end = std::copy(statement, end, statement - 1);
            else
                line[label.size()] = kTab;
            label.clear();
        }
        out.lineStarts.push_back(used);
        out.endFound = isEndStatement(QStringView(line, end - line));
        endLine(end);
        return !out.endFound;
    });
    if (!out.endFound) {
        const QString last = label + QStringLiteral("\tEND");
        QChar *const line = room(last.size() + 4);
        out.lineStarts.push_back(used);
        endLine(std::copy(last.cbegin(), last.cend(), line));
    }
    out.lineStarts.push_back(used);
    endLine(room(2));
    text.truncate(used);
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
