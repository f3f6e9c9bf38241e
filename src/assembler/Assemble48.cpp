// The MCS-48 passes over the shared run (AssemblyDriver), for the assembler window's MCS-48 choice.
#include "AssemblyDriver.h"
#include "DuplicateList.h"
#include "ErrorList.h"
#include "WordScan.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Numbers.h"
#include "assembler/common/Operands.h"
#include "assembler/common/Symbols.h"
#include "base/CodeImage.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "mcs48/Encoder.h"
#include "mcs48/Sizer.h"
#include "source/Normaliser.h"

#include <cstdint>
#include <optional>
#include <vector>

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
    void encodeLine(qsizetype index, const QString &line, const WordScan &scan);
    void writeOutputs() override;
    QStringList writePartialListing() override
    {
        writeFile(m_result.paths.listing, {listingCreditBytes(m_encoding), "\r\n\r\n", m_listing, "\r\n"});
        return {m_result.paths.listing};
    }
    QStringList removedOnFailure() const override
    {
        const OutputPaths &paths = m_result.paths;
        return {paths.listing, paths.listingLines, paths.errorReport, paths.bin};
    }

    // The address each line's statement starts at and the one after it, as pass 1 sized them
    // (-1: no statement). The sizer reads only the statement's own text, so pass 2 takes the
    // step again wherever it reaches the line at the same address.
    struct Sized {
        std::int32_t pc = -1;
        std::int32_t next = -1;
    };
    std::vector<Sized> m_sized;
};

// The value a label's own statement gives it with "LABEL: EQU value"; nullopt for any other.
std::optional<long long> labelEquValue(const QString &rest)
{
    int index = 0;
    bool equ = false;
    QStringView value;
    forEachItem(rest, false, [&](QStringView item) {
        if (index++ == 0)
            equ = item == QStringView(u"EQU");
        else
            value = item;
        return equ && index < 2;
    });
    if (!equ)
        return std::nullopt;
    return readNumber(value);
}

template <typename BeforeLine, typename OnStatement>
void Assembler48::forEachStatement(ScanPass pass, BeforeLine beforeLine, OnStatement onStatement)
{
    m_lineNumber = 0;
    // The copy ends with its one END statement and then the empty line of the final CR LF: the
    // passes stop at the END.
    for (qsizetype index = 0; index + 1 < lineCount(); ++index) {
        const QString line = lineAt(index);
        ++m_lineNumber;
        beforeLine();
        m_errors.setLineNumber(m_lineNumber);
        const QString text = scanText(index);
        if (text.isEmpty())
            continue;
        const WordScan scan = scanWords(text, pass, [this, pass](QStringView name, QStringView rest) {
            const QString owned = name.toString(), after = rest.toString();
            pass == ScanPass::One ? passOneLabel(owned, after) : passTwoLabel(owned, after);
        });
        onStatement(index, line, scan);
    }
}

void Assembler48::passOne()
{
    m_sized.assign(static_cast<std::size_t>(lineCount()), Sized{});
    forEachStatement(
        ScanPass::One, [this] { ++m_linesRead; },
        [this](qsizetype index, const QString &, const WordScan &scan) {
            if (scan.end != WordScan::End::Word)
                return;
            const long long next =
                mcs48::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder));
            // A statement may not reach past FFFFH, nor ORG point there.
            if (next >= NotANumber)
                throw AssemblyFailure(addressErrorMessage(m_lineNumber));
            if (m_pc >= 0 && m_pc <= 0xFFFF && next >= 0 && next <= 0x10000)
                m_sized[static_cast<std::size_t>(index)] = {static_cast<std::int32_t>(m_pc),
                                                            static_cast<std::int32_t>(next)};
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
    reserveListing();
    forEachStatement(
        ScanPass::Two, [this] { passTwoLineStarts(); },
        [this](qsizetype index, const QString &line, const WordScan &scan) {
            if (scan.end == WordScan::End::Word)
                encodeLine(index, line, scan);
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
    appendUnlistedLine(m_listing, AddressFieldText(m_pc).view(), m_lineNumber, line, m_encoding);
}

void Assembler48::encodeLine(qsizetype index, const QString &line, const WordScan &scan)
{
    mcs48::EncodeContext context{*m_image, m_labels, m_errors};
    const QString code =
        mcs48::encodeStatement(m_pc, borrowedText(scan.word), borrowedText(scan.remainder), context);
    appendListingLines(m_listing, AddressFieldText(m_pc).view(), code, m_pc, m_lineNumber, line, m_encoding);
    const Sized &sized = m_sized[static_cast<std::size_t>(index)];
    const long long next =
        sized.pc >= 0 && sized.pc == m_pc
            ? sized.next
            : mcs48::nextAddress(m_pc, borrowedText(scan.word), borrowedText(scan.remainder));
    // The statement text is upper-cased, so ORG is ORG in whatever case it was typed.
    if (next > m_pc && scan.word != QStringView(u"ORG"))
        m_highestEmitted =
            std::max(m_highestEmitted, static_cast<int>(std::min<long long>(next - 1, 0xFFFF)));
    m_pc = next;
}

void Assembler48::writeOutputs()
{
    const OutputPaths &paths = m_result.paths;
    writeFile(paths.listingLines, {m_listing, "\r\n"});
    QString lists;
    appendLabelLists(lists, m_labels, m_duplicates.names());
    writeFile(paths.listing, {listingCreditBytes(m_encoding), "\r\n\r\n", m_listing,
                              encodeOutputText(lists + kCrLf, m_encoding)});
    writeReportAndImage();
}

} // namespace

std::unique_ptr<AssemblyDriver> makeAssembler48(const QString &binPath, const AssemblyObserver &observer)
{
    return std::make_unique<Assembler48>(binPath, observer);
}

} // namespace tw
