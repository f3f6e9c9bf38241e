#include "Assemble51.h"

#include "DuplicateList.h"
#include "ErrorList.h"
#include "Normaliser.h"
#include "Numbers.h"
#include "WordScan.h"
#include "common/CodeImage.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "mcs51/Aliases.h"
#include "mcs51/Encoder.h"
#include "mcs51/Operands.h"
#include "mcs51/Sizer.h"
#include "mcs51/Symbols.h"

#include <QFile>
#include <memory>
#include <optional>

namespace tw
{

namespace
{

constexpr long long kAddressSpace = 0x10000;
const QString kEqu = QStringLiteral("EQU");
const QString kOrg = QStringLiteral("ORG");

QString statementText(const QString &line)
{
    return trimBlanks(line).toUpper();
}

bool isBlankStatement(const QString &text)
{
    return text.isEmpty() || text == QStringView(u"\t");
}

// The operand of a "NAME EQU value" remainder (also 等值 and BIT); nullopt for any other text.
// The word test spares most statements the alias look-up.
std::optional<QString> equOperand(const QString &remainder)
{
    if (!remainder.contains(QStringView(u"EQU")) && !remainder.contains(QStringView(u"BIT")) &&
        !remainder.contains(QStringView(u"等值")))
        return std::nullopt;
    mcs51::SplitWords split = mcs51::splitStatement(remainder);
    if (split.mnemonic != kEqu)
        return std::nullopt;
    return std::move(split.operand);
}

QString writeFailureMessage(const QString &path)
{
    return QStringLiteral(u"文件写入失败：") + path;
}

class Assembler51
{
  public:
    Assembler51(const QString &binPath, const AssemblyObserver &observer) : m_observer(observer)
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
    void passOne();
    void passOneLabel(const QString &name, const QString &rest);
    void passTwo();
    void passTwoLabel(const QString &name, const QString &rest);
    void encodeLine(const QString &line, const WordScan &scan);
    long long advance(long long next, const QString &word) const;
    void writeListings(bool withLists);
    void writeFile(const QString &path, const QString &text);
    void writeReportAndImage();
    void fail(const QString &message);

    const AssemblyObserver &m_observer;
    AssemblyResult m_result;
    QStringList m_lines;
    TextEncoding m_encoding = TextEncoding::Gbk;

    std::unique_ptr<CodeImage> m_image = std::make_unique<CodeImage>();
    mcs51::LabelTable m_labels;
    mcs51::VariableTable m_variables;
    DuplicateList m_duplicates;
    ErrorList m_errors;
    long long m_pc = 0;
    long long m_lineNumber = 0;
    int m_linesRead = 0;
    int m_highestEmitted = -1;
    bool m_inPassTwo = false;
    QString m_listing;
};

AssemblyResult Assembler51::run(const QString &sourcePath)
{
    QFile::remove(m_result.paths.listing);
    QFile::remove(m_result.paths.listingLines);
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
        writeListings(true);
        writeReportAndImage();
        m_result.completed = true;
        m_result.errorCount = m_errors.count();
    } catch (const AssemblyFailure &failure) {
        fail(failure.message());
    } catch (const std::exception &) {
        fail(unrecognisedStatementMessage());
    }
    return m_result;
}

void Assembler51::fail(const QString &message)
{
    if (m_inPassTwo) {
        // The listing so far shows where the run stopped.
        m_inPassTwo = false;
        try {
            writeListings(false);
        } catch (const AssemblyFailure &) {
        }
    }
    QFile::remove(m_result.paths.errorReport);
    QFile::remove(m_result.paths.bin);
    m_result.completed = false;
    m_result.failureMessage = message;
}

long long Assembler51::advance(long long next, const QString &word) const
{
    // ORG may not leave the address space; a statement may end exactly at its end.
    if (next > kAddressSpace || next < 0 || (next == kAddressSpace && mcs51::standardMnemonic(word) == kOrg))
        throw AssemblyFailure(addressErrorMessage(m_lineNumber));
    return next;
}

void Assembler51::passOne()
{
    for (const QString &line : std::as_const(m_lines)) {
        ++m_lineNumber;
        ++m_linesRead;
        m_errors.setLineNumber(m_lineNumber);
        const QString text = statementText(line);
        if (isBlankStatement(text))
            continue;
        const WordScan scan =
            scanWords(text, ScanPass::One,
                      [this](const QString &name, const QString &rest) { passOneLabel(name, rest); });
        if (scan.end == WordScan::End::Word) {
            if (const auto operand = equOperand(scan.remainder)) {
                if (operand->isEmpty())
                    throw AssemblyFailure(missingEquOperandMessage());
                if (!m_variables.set(scan.word, *operand))
                    throw AssemblyFailure(unrecognisedStatementMessage());
            }
            const long long next = mcs51::nextAddress(m_pc, scan.word, scan.remainder, m_variables);
            m_pc = advance(next, scan.word);
        }
        if (isEndStatement(line))
            break;
    }
}

void Assembler51::passOneLabel(const QString &name, const QString &rest)
{
    if (m_labels.contains(name)) {
        m_duplicates.add(name);
        return;
    }
    if (m_labels.count() >= mcs51::kMaxLabels)
        throw AssemblyFailure(tooManyLabelsMessage());
    long long value = m_pc;
    if (const auto operand = equOperand(rest)) {
        if (operand->isEmpty())
            throw AssemblyFailure(missingEquOperandMessage());
        value = readNumber(*operand);
    }
    m_labels.define(name, value);
}

void Assembler51::passTwo()
{
    m_inPassTwo = true;
    m_variables.clear();
    m_pc = 0;
    m_lineNumber = 0;
    m_errors.clear();
    if (m_observer.passTwoStarts)
        m_observer.passTwoStarts(m_linesRead);
    for (const QString &line : std::as_const(m_lines)) {
        ++m_lineNumber;
        if (m_observer.lineDone)
            m_observer.lineDone();
        m_errors.clearLastLine();
        m_errors.setLineNumber(m_lineNumber);
        const QString text = statementText(line);
        if (isBlankStatement(text))
            continue;
        const WordScan scan =
            scanWords(text, ScanPass::Two,
                      [this](const QString &name, const QString &rest) { passTwoLabel(name, rest); });
        if (scan.end == WordScan::End::Comment)
            m_listing +=
                blankAddressFieldTab() + u'\t' + vbStr(m_lineNumber) + u'\t' + line + QStringLiteral("\r\n");
        else if (scan.end == WordScan::End::Word)
            encodeLine(line, scan);
        if (isEndStatement(line))
            break;
    }
}

void Assembler51::passTwoLabel(const QString &name, const QString &rest)
{
    for (int i = m_duplicates.countOf(name); i > 0; --i)
        m_errors.record(kDuplicateLabelError);
    // A label given a value by EQU must get an address-sized number.
    const auto operand = equOperand(rest);
    if (operand && readNumber(*operand) >= NotANumber)
        m_errors.record(QStringLiteral(u"操作数非法"));
}

void Assembler51::encodeLine(const QString &line, const WordScan &scan)
{
    // A NAME EQU value statement enters its name as it is encoded, so look at it before.
    const bool definesName = equOperand(scan.remainder).has_value();
    mcs51::EncodeContext context{*m_image, m_labels, m_variables, m_errors};
    const mcs51::Encoded encoded = mcs51::encodeStatement(m_pc, scan.word, scan.remainder, context);
    const QString &mnemonic = encoded.mnemonic;
    const bool noAddress = mnemonic == kOrg || mnemonic == kEqu || definesName;
    QString field = noAddress ? blankAddressField() : addressField(m_pc);
    if (scan.remainder.isEmpty() && encoded.codeField.startsWith(u'\t'))
        field = blankAddressFieldTab();
    appendListingLines(m_listing, field, encoded.codeField, m_pc, m_lineNumber, line);
    if (encoded.length > 0 && mnemonic != kOrg) {
        const long long last = m_pc + encoded.length - 1;
        if (last >= kAddressSpace)
            throw AssemblyFailure(addressErrorMessage(m_lineNumber));
        m_highestEmitted = std::max(m_highestEmitted, static_cast<int>(last));
    }
    m_pc = advance(mcs51::nextAddress(m_pc, scan.word, scan.remainder, m_variables), scan.word);
}

void Assembler51::writeFile(const QString &path, const QString &text)
{
    if (!writeTextFile(path, text, m_encoding))
        throw AssemblyFailure(writeFailureMessage(path));
    m_result.filesWritten << path;
}

void Assembler51::writeListings(bool withLists)
{
    const QString title = QStringLiteral("  MCS51\r\n");
    QString listing =
        listingCreditLine() + QStringLiteral("\r\n") + title + QStringLiteral("\r\n") + m_listing;
    if (withLists) {
        std::vector<NamedValue> labels;
        for (const auto &label : m_labels.entries())
            labels.push_back({label.name, label.value});
        std::vector<NamedText> variables;
        for (const auto &variable : m_variables.entries())
            variables.push_back({variable.name, variable.text});
        appendLabelLists(listing, labels, m_duplicates.names(), variables);
    }
    writeFile(m_result.paths.listing, listing);
    writeFile(m_result.paths.listingLines, title + m_listing);
}

void Assembler51::writeReportAndImage()
{
    const OutputPaths &paths = m_result.paths;
    writeFile(paths.errorReport, errorReportText(m_errors.count(), m_errors.text()));
    QFile::remove(paths.bin);
    if (!saveCodeImage(paths.bin, *m_image, codeImageLength(*m_image, m_highestEmitted)))
        throw AssemblyFailure(writeFailureMessage(paths.bin));
    m_result.filesWritten << paths.bin;
}

} // namespace

QString tooManyLabelsMessage()
{
    return QStringLiteral(u"源程序中使用的标号数目太多！\r\n本软件限定标号数目最大为2048");
}

QString missingEquOperandMessage()
{
    return QStringLiteral(u"汇编失败，EQU语句缺操作数！");
}

QString addressErrorMessage(long long lineNumber)
{
    return QStringLiteral(u"第") + vbStr(lineNumber) + QStringLiteral(u"行地址错误！");
}

AssemblyResult assemble51(const QString &sourcePath, const QString &binPath, const AssemblyObserver &observer)
{
    Assembler51 assembler(binPath, observer);
    return assembler.run(sourcePath);
}

} // namespace tw
