#pragma once
// The normalised layout of assembly source: one statement per line, upper case, fields separated
// by one TAB, labels in column 1, comments after a TAB. The assembler works on this form (the a51
// copy), the editor writes it back into a saved .asm, and the find dialog's by-instruction mode
// puts its pattern into it, so all three go through the functions below.
#include <QString>
#include <QStringList>
#include <vector>

namespace tw
{

// The line with leading and trailing blanks removed; TABs stay.
QString trimBlanks(const QString &text);
// The text with a to z upper-cased; no other character changes.
QString upperCase(const QString &text);
// The one rule for empty lines: a line of nothing but blanks and TABs is dropped by the
// normaliser, and so by the tidier, so the saved source and the a51 copy keep the same lines.
bool isBlankLine(QStringView line);

// The character rules for one statement text, applied to text that is already trimmed (and
// upper-cased where wanted): comma, semicolon and colon forms (full-width ones included), blank
// and TAB runs made one TAB, a label moved to column 1 and followed by ":" TAB, a comment after a
// TAB. The result begins with TAB, or with the label. A colon inside quotes or in a comment is
// kept as it stands (DB 'TIME:' is no label).
QString normaliseStatement(const QString &text);

struct NormalisedLine {
    enum class Kind {
        Dropped,   // a blank line (isBlankLine): nothing is written
        Statement, // a line of its own
        LabelOnly  // ends in ":": joined to the next kept line
    };
    Kind kind = Kind::Dropped;
    QString text; // without line end; for LabelOnly the label and ":" (no TAB)
};

// One source line: blanks (not TABs) trimmed at both ends, a to z upper-cased, then
// normaliseStatement.
NormalisedLine normaliseLine(const QString &rawLine);

// True when the line is an END statement (END or 结束 as mnemonic, outside comments and quotes).
bool isEndStatement(QStringView normalisedLine);

struct NormalisedSource {
    QString text; // CR LF ended lines, followed by one more CR LF
    // Where each line of text starts, the last one the empty line of the final CR LF. The lines
    // are views of text, not strings of their own: a large source holds each character once.
    std::vector<qsizetype> lineStarts;
    bool endFound = false;   // false: the source ran out and TAB END was added
    qsizetype linesRead = 0; // source lines read, the END line included; any after it are left out

    qsizetype lineCount() const { return static_cast<qsizetype>(lineStarts.size()); }
    // Line index without its CR LF; valid while text is.
    QStringView line(qsizetype index) const
    {
        const auto at = static_cast<std::size_t>(index);
        const qsizetype end = at + 1 < lineStarts.size() ? lineStarts[at + 1] : text.size();
        return QStringView(text).sliced(lineStarts[at], end - 2 - lineStarts[at]);
    }
};

// The whole-source rules: lines up to and including the first END statement, label-only lines
// joined to the next kept line, TAB END added when the source has none.
NormalisedSource normaliseSource(const QStringList &lines);
// The same for a whole text, cut into lines as splitLines does.
NormalisedSource normaliseText(const QString &text);

} // namespace tw
