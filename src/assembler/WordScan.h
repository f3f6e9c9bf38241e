#pragma once
// The drivers' first look at a statement: labels, then the first word and what follows it.
#include <QString>

namespace tw
{

enum class ScanPass { One, Two };

struct WordScan {
    enum class End {
        Word,    // a first word was found; remainder holds the text after it
        Comment, // pass 2: a ";" came before any word
        Skipped, // pass 1: a "," or ";" came before the word ended
        Empty    // the text ran out without a word
    };
    End end = End::Empty;
    QString word;
    QString remainder;
};

// Scans text (already trimmed and upper-cased) from the left. Each "NAME:" met before the first
// word calls onLabel(name, text after the colon, leading blanks dropped). A colon inside quotes
// belongs to the word.
template <typename OnLabel> WordScan scanWords(const QString &text, ScanPass pass, OnLabel &&onLabel)
{
    WordScan scan;
    bool inQuote = false;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && text[i] == u' ')
            ++i;
    };
    while (i < text.size()) {
        const QChar c = text[i++];
        if (!inQuote && (c == u':' || c == u'：')) {
            skipBlanks();
            onLabel(scan.word, text.mid(i));
            scan.word.clear();
        } else if (!inQuote && (c == u' ' || c == u'\t')) {
            skipBlanks();
            if (!scan.word.isEmpty()) {
                scan.end = WordScan::End::Word;
                scan.remainder = text.mid(i);
                return scan;
            }
        } else if (!inQuote && pass == ScanPass::One && (c == u',' || c == u';')) {
            scan.end = WordScan::End::Skipped;
            return scan;
        } else if (!inQuote && pass == ScanPass::Two && (c == u';' || c == u'；')) {
            scan.end = WordScan::End::Comment;
            return scan;
        } else {
            if (c == u'\'')
                inQuote = !inQuote;
            scan.word += c;
        }
    }
    if (!scan.word.isEmpty())
        scan.end = WordScan::End::Word;
    return scan;
}

} // namespace tw
