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
    // Views into the scanned text.
    QStringView word;
    QStringView remainder;
};

// A QString over a view's characters without copying them, for calls that take QString: the
// characters must outlive it and whatever copies of it the callee keeps.
inline QString borrowedText(QStringView view)
{
    return QString::fromRawData(view.data(), view.size());
}

// Scans text (already trimmed and upper-cased) from the left. Each "NAME:" met before the first
// word calls onLabel(name, text after the colon, leading blanks dropped), both views into text. A colon
// inside quotes belongs to the word.
template <typename OnLabel> WordScan scanWords(QStringView text, ScanPass pass, OnLabel &&onLabel)
{
    // The word is always one run of the text: it begins after a label colon or a separator.
    WordScan scan;
    bool inQuote = false;
    // Pass 1 skips a line whose first word holds a ",", but a "," before a label colon belongs
    // to the label, as in pass 2: both passes must meet the same labels.
    bool commaInWord = false;
    const qsizetype n = text.size();
    qsizetype wordStart = 0;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && text[i] == u' ')
            ++i;
    };
    while (i < n) {
        const QChar c = text[i++];
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            continue; // most of a word, and never a separator
        if (!inQuote && (c == u':' || c == u'：')) {
            const QStringView name = text.mid(wordStart, i - 1 - wordStart);
            skipBlanks();
            onLabel(name, text.mid(i));
            wordStart = i;
            commaInWord = false;
        } else if (!inQuote && (c == u' ' || c == u'\t')) {
            const qsizetype wordEnd = i - 1;
            skipBlanks();
            if (commaInWord) {
                scan.end = WordScan::End::Skipped;
                return scan;
            }
            if (wordEnd > wordStart) {
                scan.end = WordScan::End::Word;
                scan.word = text.mid(wordStart, wordEnd - wordStart);
                scan.remainder = text.mid(i);
                return scan;
            }
            wordStart = i;
        } else if (!inQuote && pass == ScanPass::One && c == u',') {
            commaInWord = true;
        } else if (!inQuote && pass == ScanPass::One && c == u';') {
            scan.end = WordScan::End::Skipped;
            return scan;
        } else if (!inQuote && pass == ScanPass::Two && (c == u';' || c == u'；')) {
            scan.end = WordScan::End::Comment;
            return scan;
        } else if (c == u'\'') {
            inQuote = !inQuote;
        }
    }
    if (commaInWord) {
        scan.end = WordScan::End::Skipped;
    } else if (n > wordStart) {
        scan.end = WordScan::End::Word;
        scan.word = text.mid(wordStart);
    }
    return scan;
}

} // namespace tw
