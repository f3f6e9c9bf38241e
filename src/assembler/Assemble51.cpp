// The MCS-51 passes over the shared run (AssemblyDriver): sizing, encoding, the listing with its
// variable list, and the image.
#include "AssemblyDriver.h"
#include "DuplicateList.h"
#include "ErrorList.h"
#include "WordScan.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Numbers.h"
#include "assembler/common/Operands.h"
#include "assembler/common/Symbols.h"
#include "base/CodeImage.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "mcs51/Encoder.h"
#include "mcs51/Sizer.h"
#include "source/Normaliser.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tw
{

namespace
{

constexpr long long kAddressSpace = 0x10000;
const QString kEqu = QStringLiteral("EQU");
const QString kOrg = QStringLiteral("ORG");

bool isBlankStatement(const QString &text)
{
    return text.isEmpty() || text == QStringView(u"\t");
}

// The operand of a "NAME EQU value" remainder (also 等值 and BIT); nullopt for any other text.
// Only a first word beginning like one of those three can be one: the rest skip the alias look-up.
std::optional<QString> equOperand(QStringView remainder)
{
    // The first character of the first operand item (as forEachItem finds it).
    const auto first = std::find_if(remainder.begin(), remainder.end(), [](QChar c) {
        return c != u'\t' && c != u' ' && c != u',' && c != u'，';
    });
    if (first == remainder.end() || (*first != u'E' && *first != u'B' && *first != u'等'))
        return std::nullopt;
    SplitWords split = splitStatement(borrowedText(remainder));
    if (split.mnemonic != kEqu)
        return std::nullopt;
    return std::move(split.operand);
}

class Assembler51 : public AssemblyDriver
{
  public:
    using AssemblyDriver::AssemblyDriver;

  private:
    void passOne() override;
    void passOneLabel(QStringView name, QStringView rest);
    void passTwo() override;
    void passTwoLabel(QStringView name, QStringView rest);
    void encodeLine(qsizetype index, const QString &line, const WordScan &scan);
    long long advance(long long next, QStringView word) const;
    void writeListings(bool withLists);
    void writeOutputs() override
    {
        writeListings(true);
        writeReportAndImage();
    }
    QStringList writePartialListing() override
    {
        writeListings(false);
        return {m_result.paths.listing, m_result.paths.listingLines};
    }
    QStringList removedOnFailure() const override { return {m_result.paths.errorReport, m_result.paths.bin}; }

    qsizetype m_lineCount = 0; // lines up to the END statement
    VariableTable m_variables;

    // What pass 1 sized on each line. Pass 2 scans the same text, so where both passes find a
    // word they find the same one; it takes pass 1's address step without sizing again when the
    // PC is the same and the variable table went through the same definitions.
    struct Sized {
        std::int32_t pc = -1; // -1: pass 1 found no word
        std::int32_t next = -1;
        bool defines = false; // the line entered a variable
    };
    std::vector<Sized> m_sized;
    bool m_tablesAgree = true;
    long long sizeInPassTwo(qsizetype index, const WordScan &scan, const std::optional<QString> &equ);
};

long long Assembler51::advance(long long next, QStringView word) const
{
    // ORG may not leave the address space; a statement may end exactly at its end.
    if (next > kAddressSpace || next < 0 ||
        (next == kAddressSpace && standardMnemonic(borrowedText(word)) == kOrg))
        throw AssemblyFailure(addressErrorMessage(m_lineNumber));
    return next;
}

void Assembler51::passOne()
{
    // The copy ends with its first END statement and then the empty line of the final CR LF, so
    // both passes stop at the line before last.
    m_lineCount = std::max<qsizetype>(lineCount() - 1, 0);
    m_sized.resize(lineCount());
    for (qsizetype index = 0; index < m_lineCount; ++index) {
        ++m_lineNumber;
        ++m_linesRead;
        m_errors.setLineNumber(m_lineNumber);
        Sized &sized = m_sized[index];
        const QString text = scanText(index);
        if (isBlankStatement(text))
            continue;
        const WordScan scan = scanWords(
            text, ScanPass::One, [this](QStringView name, QStringView rest) { passOneLabel(name, rest); });
        if (scan.end == WordScan::End::Word) {
            if (const auto operand = equOperand(scan.remainder)) {
                if (operand->isEmpty())
                    throw AssemblyFailure(missingEquOperandMessage());
                if (!m_variables.set(scan.word.toString(), *operand))
                    throw AssemblyFailure(tooManyVariablesMessage());
                sized.defines = true;
            }
            const long long next =
                mcs51::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder), m_variables);
            sized.pc = static_cast<std::int32_t>(m_pc);
            m_pc = advance(next, scan.word);
            sized.next = static_cast<std::int32_t>(m_pc);
        }
    }
}

void Assembler51::passOneLabel(QStringView nameView, QStringView rest)
{
    const QString name = nameView.toString();
    if (!isNewLabel(name))
        return;
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
    startPassTwo();
    reserveListing();
    m_variables.clear();
    for (qsizetype index = 0; index < m_lineCount; ++index) {
        const QString line = lineAt(index);
        ++m_lineNumber;
        passTwoLineStarts();
        m_errors.setLineNumber(m_lineNumber);
        const QString text = scanText(index);
        if (isBlankStatement(text))
            continue;
        const WordScan scan = scanWords(
            text, ScanPass::Two, [this](QStringView name, QStringView rest) { passTwoLabel(name, rest); });
        if (scan.end == WordScan::End::Comment)
            appendUnlistedLine(m_listing, blankAddressFieldTab(), m_lineNumber, line, m_encoding);
        else if (scan.end == WordScan::End::Word)
            encodeLine(index, line, scan);
        else if (m_sized[index].defines)
            m_tablesAgree = false; // pass 1 entered a variable that pass 2 does not
    }
}

void Assembler51::passTwoLabel(QStringView name, QStringView rest)
{
    // A label given a value by EQU must get an address-sized number.
    const auto operand = equOperand(rest);
    checkLabel(borrowedText(name), operand && readNumber(*operand) >= NotANumber, !operand);
}

long long Assembler51::sizeInPassTwo(qsizetype index, const WordScan &scan, const std::optional<QString> &equ)
{
    const Sized &sized = m_sized[index];
    const bool sameStatement = sized.pc >= 0;
    if (equ || sized.defines) {
        // Pass 1 entered word = operand here; the encoder has just met the same statement.
        const QString *now = sameStatement && sized.defines ? m_variables.find(scan.word) : nullptr;
        if (!now || !equ || *now != *equ)
            m_tablesAgree = false;
    }
    if (m_tablesAgree && sameStatement && sized.pc == m_pc)
        return sized.next;
    return mcs51::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder), m_variables);
}

void Assembler51::encodeLine(qsizetype index, const QString &line, const WordScan &scan)
{
    // A NAME EQU value statement enters its name as it is encoded, so look at it before.
    const std::optional<QString> equ = equOperand(scan.remainder);
    const bool definesName = equ.has_value();
    mcs51::EncodeContext context{*m_image, m_labels, m_variables, m_errors};
    mcs51::Encoded encoded =
        mcs51::encodeCode(m_pc, borrowedText(scan.word), borrowedText(scan.remainder), context);
    // The address after the statement, as the sizer gives it now that the statement has set any
    // variable: it fixes the statement's length, so the encoder need not size again.
    const long long next = sizeInPassTwo(index, scan, equ);
    mcs51::placeCode(encoded, m_pc, next, *m_image);
    const QString &mnemonic = encoded.mnemonic;
    // ORG as written: an ORG spelled 起点 keeps the address it stands at in the listing.
    const bool noAddress = scan.word == kOrg || TextEqual{}(mnemonic, kEqu) || definesName;
    const AddressFieldText numbered(m_pc);
    QStringView field = noAddress ? QStringView(u"        ") : numbered.view();
    if (scan.remainder.isEmpty() && encoded.codeField.startsWith(u'\t'))
        field = QStringView(u"        \t");
    appendListingLines(m_listing, field, encoded.codeField, m_pc, m_lineNumber, line, m_encoding);
    if (encoded.length > 0 && mnemonic != kOrg) {
        const long long last = m_pc + encoded.length - 1;
        if (last >= kAddressSpace)
            throw AssemblyFailure(addressErrorMessage(m_lineNumber));
        m_highestEmitted = std::max(m_highestEmitted, static_cast<int>(last));
    }
    m_pc = advance(next, scan.word);
}

void Assembler51::writeListings(bool withLists)
{
    // The listing lines are most of both files: both take them as they stand.
    const QString title = QStringLiteral("  MCS51\r\n");
    QString lists;
    if (withLists)
        appendLabelLists(lists, m_labels, m_duplicates.names(), &m_variables);
    writeFile(m_result.paths.listing,
              {listingCreditBytes(m_encoding),
               encodeOutputText(QStringLiteral("\r\n") + title + QStringLiteral("\r\n"), m_encoding),
               m_listing, encodeOutputText(lists, m_encoding)});
    writeFile(m_result.paths.listingLines, {encodeOutputText(title, m_encoding), m_listing});
}

} // namespace

std::unique_ptr<AssemblyDriver> makeAssembler51(const QString &binPath, const AssemblyObserver &observer)
{
    return std::make_unique<Assembler51>(binPath, observer);
}

} // namespace tw
