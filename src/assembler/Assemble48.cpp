#include "Assemble48.h"

#include "AssemblyDriver.h"
#include "DuplicateList.h"
#include "ErrorList.h"
#include "Numbers.h"
#include "WordScan.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Operands.h"
#include "assembler/common/Symbols.h"
#include "common/CodeImage.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "mcs48/Encoder.h"
#include "mcs48/Sizer.h"
#include "source/Normaliser.h"

#include <optional>

namespace tw
{

namespace
{

using namespace Qt::StringLiterals;

const QString kCrLf = u"\r\n"_s;

class Assembler48 : public AssemblyDriver
{
  public:
    using AssemblyDriver::AssemblyDriver;

  private:
    template <typename BeforeLine, typename OnStatement>
    void forEachStatement(ScanPass pass, BeforeLine beforeLine, OnStatement onStatement);
    void passOne() override;
    void passOneLabel(const QString &name, const QString &rest);
    void passTwo() override;
    void passTwoLabel(const QString &name, const QString &rest);
    void listAddressOnly(const QString &line);
    void encodeLine(const QString &line, const WordScan &scan);
    void writeOutputs() override;
    QStringList writePartialListing() override
    {
        writeText(m_result.paths.listing, listingCreditLine() + kCrLf + kCrLf + m_listing + kCrLf);
        return {m_result.paths.listing};
    }
    QStringList removedOnFailure() const override
    {
        const OutputPaths &paths = m_result.paths;
        return {paths.listing, paths.listingLines, paths.errorReport, paths.bin};
    }
};

// The value a label's own statement gives it with "LABEL: EQU value"; nullopt for any other.
std::optional<long long> labelEquValue(const QString &rest)
{
    const QStringList words = dataItems(rest);
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
    if (isNewLabel(name))
        m_labels.define(name, labelEquValue(rest).value_or(m_pc));
}

void Assembler48::passTwo()
{
    startPassTwo();
    forEachStatement(
        ScanPass::Two, [this] { passTwoLineStarts(); },
        [this](const QString &line, const WordScan &scan) {
            if (scan.end == WordScan::End::Word)
                encodeLine(line, scan);
            else
                listAddressOnly(line); // a comment, or a line with nothing to encode
        });
}

void Assembler48::passTwoLabel(const QString &name, const QString &rest)
{
    // A label given its value by EQU must get a code address.
    const std::optional<long long> equ = labelEquValue(rest);
    checkLabel(name, equ.value_or(0) >= NotANumber, !equ);
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

void Assembler48::writeOutputs()
{
    const OutputPaths &paths = m_result.paths;
    writeText(paths.listingLines, m_listing + kCrLf);
    QString listing = listingCreditLine() + kCrLf + kCrLf + m_listing;
    appendLabelLists(listing, m_labels, m_duplicates.names());
    writeText(paths.listing, listing + kCrLf);
    writeReportAndImage();
}

} // namespace

AssemblyResult assemble48(const QString &sourcePath, const QString &binPath, const AssemblyObserver &observer)
{
    Assembler48 assembler(binPath, observer);
    return assembler.run(sourcePath);
}

} // namespace tw
