#include "Assemble48.h"

#include "Assemble51.h"
#include "DuplicateList.h"
#include "ErrorList.h"
#include "Normaliser.h"
#include "Numbers.h"
#include "WordScan.h"
#include "common/CodeImage.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "mcs48/Encoder.h"
#include "mcs48/Sizer.h"
#include "mcs51/Operands.h"
#include "mcs51/Symbols.h"

#include <QFile>
#include <memory>
#include <optional>

namespace tw
{

namespace
{

using namespace Qt::StringLiterals;

const QString kCrLf = u"\r\n"_s;

// Blanks (not TABs) trimmed at both ends, upper-cased: what the word scan reads.
QString statementText(const QString &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin] == u' ')
        ++begin;
    while (end > begin && line[end - 1] == u' ')
        --end;
    return line.mid(begin, end - begin).toUpper();
}

class Assembler48
{
  public:
    Assembler48(const QString &binPath, const AssemblyObserver &observer) : m_observer(observer)
    {
        m_result.paths = outputPathsFor(binPath);
    }

    AssemblyResult run(const QString &sourcePath);

  private:
    void status(const QString &text)
    {
        if (m_observer.status)
            m_observer.status(text);
    }
    template <typename BeforeLine, typename OnStatement>
    void forEachStatement(ScanPass pass, BeforeLine beforeLine, OnStatement onStatement);
    void passOne();
    void passOneLabel(const QString &name, const QString &rest);
    void passTwo();
    void passTwoLabel(const QString &name, const QString &rest);
    void listAddressOnly(const QString &line);
    void encodeLine(const QString &line, const WordScan &scan);
    void writeFile(const QString &path, const QString &text);
    void writeOutputs();
    void fail(const QString &message);

    const AssemblyObserver &m_observer;
    AssemblyResult m_result;
    QStringList m_lines;
    TextEncoding m_encoding = TextEncoding::Gbk;

    std::unique_ptr<CodeImage> m_image = std::make_unique<CodeImage>();
    mcs51::LabelTable m_labels;
    DuplicateList m_duplicates;
    ErrorList m_errors;
    long long m_pc = 0;
    // Highest address a statement of pass 2 filled: the code image is written up to here, so
    // trailing zero bytes of tables and strings reach the chip.
    int m_highestEmitted = -1;
    long long m_lineNumber = 0;
    int m_linesRead = 0;
    bool m_inPassTwo = false;
    QString m_listing;
};

AssemblyResult Assembler48::run(const QString &sourcePath)
{
    status(AsmStatus::Normalising);
    auto a51 = normaliseSourceFile(sourcePath);
    if (!a51) {
        fail(normaliserFailureMessage());
        return m_result;
    }
    m_result.normalisedPath = a51->path;
    m_lines = std::move(a51->lines);
    m_encoding = a51->encoding;
    try {
        status(AsmStatus::PassOne);
        passOne();
        status(AsmStatus::PassTwo);
        passTwo();
        m_inPassTwo = false;
        writeOutputs();
        m_result.completed = true;
        m_result.errorCount = m_errors.count();
    } catch (const AssemblyFailure &failure) {
        fail(failure.message());
    } catch (const std::exception &) {
        fail(unrecognisedStatementMessage());
    }
    return m_result;
}

void Assembler48::fail(const QString &message)
{
    const OutputPaths &paths = m_result.paths;
    bool listingWritten = false;
    if (m_inPassTwo) {
        // The lines gathered so far show where the run stopped.
        m_inPassTwo = false;
        listingWritten =
            writeTextFile(paths.listing, listingCreditLine() + kCrLf + kCrLf + m_listing + kCrLf, m_encoding);
    }
    if (!listingWritten)
        QFile::remove(paths.listing);
    for (const QString &path : {paths.listingLines, paths.errorReport, paths.bin})
        QFile::remove(path);
    m_result.completed = false;
    m_result.failureMessage = message;
}

// The value a label's own statement gives it with "LABEL: EQU value"; nullopt for any other.
std::optional<long long> labelEquValue(const QString &rest)
{
    const QStringList words = mcs51::dataItems(rest);
    if (words.isEmpty() || words.first() != u"EQU"_s)
        return std::nullopt;
    return readNumber(words.value(1));
}

template <typename BeforeLine, typename OnStatement>
void Assembler48::forEachStatement(ScanPass pass, BeforeLine beforeLine, OnStatement onStatement)
{
    m_lineNumber = 0;
    for (const QString &line : std::as_const(m_lines)) {
        ++m_lineNumber;
        beforeLine();
        m_errors.setLineNumber(m_lineNumber);
        const QString text = statementText(line);
        if (text.isEmpty())
            continue;
        const WordScan scan = scanWords(text, pass, [this, pass](QStringView name, QStringView rest) {
            const QString owned = name.toString(), after = rest.toString();
            pass == ScanPass::One ? passOneLabel(owned, after) : passTwoLabel(owned, after);
        });
        onStatement(line, scan);
        if (isEndStatement(line))
            break;
    }
}

void Assembler48::passOne()
{
    forEachStatement(
        ScanPass::One, [this] { ++m_linesRead; },
        [this](const QString &, const WordScan &scan) {
            if (scan.end != WordScan::End::Word)
                return;
            const long long next =
                mcs48::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder));
            // A statement may not reach past FFFFH, nor ORG point there.
            if (next >= NotANumber)
                throw AssemblyFailure(addressErrorMessage(m_lineNumber));
            m_pc = next;
        });
}

void Assembler48::passOneLabel(const QString &name, const QString &rest)
{
    if (m_labels.contains(name)) {
        m_duplicates.add(name);
        return;
    }
    if (m_labels.count() >= mcs51::kMaxLabels)
        throw AssemblyFailure(tooManyLabelsMessage());
    m_labels.define(name, labelEquValue(rest).value_or(m_pc));
}

void Assembler48::passTwo()
{
    m_inPassTwo = true;
    m_pc = 0;
    m_errors.clear();
    m_listing.clear();
    if (m_observer.passTwoStarts)
        m_observer.passTwoStarts(m_linesRead);
    const auto beforeLine = [this] {
        if (m_observer.lineDone)
            m_observer.lineDone();
        m_errors.clearLastLine();
    };
    forEachStatement(ScanPass::Two, beforeLine, [this](const QString &line, const WordScan &scan) {
        if (scan.end == WordScan::End::Word)
            encodeLine(line, scan);
        else
            listAddressOnly(line); // a comment, or a line with nothing to encode
    });
}

void Assembler48::passTwoLabel(const QString &name, const QString &rest)
{
    for (int i = m_duplicates.countOf(name); i > 0; --i)
        m_errors.record(kDuplicateLabelError);
    // A label given its value by EQU must get a code address.
    if (labelEquValue(rest).value_or(0) >= NotANumber)
        m_errors.record(u"操作数非法"_s);
}

void Assembler48::listAddressOnly(const QString &line)
{
    m_listing += addressField(m_pc) + u'\t' + vbStr(m_lineNumber) + u'\t' + line + kCrLf;
}

void Assembler48::encodeLine(const QString &line, const WordScan &scan)
{
    mcs48::EncodeContext context{*m_image, m_labels, m_errors};
    const QString code =
        mcs48::encodeStatement(m_pc, borrowedText(scan.word), borrowedText(scan.remainder), context);
    appendListingLines(m_listing, addressField(m_pc), code, m_pc, m_lineNumber, line);
    const long long next = mcs48::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder));
    if (next > m_pc && scan.word.compare(u"ORG", Qt::CaseInsensitive) != 0)
        m_highestEmitted =
            std::max(m_highestEmitted, static_cast<int>(std::min<long long>(next - 1, 0xFFFF)));
    m_pc = next;
}

void Assembler48::writeFile(const QString &path, const QString &text)
{
    if (!writeTextFile(path, text, m_encoding))
        throw AssemblyFailure(QStringLiteral(u"文件写入失败：") + path);
    m_result.filesWritten << path;
}

void Assembler48::writeOutputs()
{
    const OutputPaths &paths = m_result.paths;
    writeFile(paths.listingLines, m_listing + kCrLf);
    QString listing = listingCreditLine() + kCrLf + kCrLf + m_listing;
    std::vector<NamedValue> labels;
    for (const auto &label : m_labels.entries())
        labels.push_back({label.name, label.value});
    appendLabelLists(listing, labels, m_duplicates.names(), {});
    writeFile(paths.listing, listing + kCrLf);
    writeFile(paths.errorReport, errorReportText(m_errors.count(), m_errors.text()));
    QFile::remove(paths.bin);
    if (!saveCodeImage(paths.bin, *m_image, codeImageLength(*m_image, m_highestEmitted)))
        throw AssemblyFailure(QStringLiteral(u"文件写入失败：") + paths.bin);
    m_result.filesWritten << paths.bin;
}

} // namespace

AssemblyResult assemble48(const QString &sourcePath, const QString &binPath, const AssemblyObserver &observer)
{
    Assembler48 assembler(binPath, observer);
    return assembler.run(sourcePath);
}

} // namespace tw
