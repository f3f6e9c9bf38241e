#pragma once
// The files an assembly writes beside the code image: listing (.lst), listing lines (.lt), error
// report (.err) and the code image (.bin). Shared by the MCS-51 and MCS-48 drivers.
#include "assembler/common/Symbols.h"
#include "base/VbStr.h"
#include "common/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace tw
{

struct CodeImage;

struct OutputPaths {
    QString bin, listing, listingLines, errorReport;
};
// base = the code-image path less its last three characters; + "lst", "lt", "err".
OutputPaths outputPathsFor(const QString &binPath);

// Address fields of a listing line.
QString addressField(long long address); // "  HHHH  ", eight blanks when outside 0..FFFFH
// The same without a heap copy, for the drivers' line loops.
class AddressFieldText
{
  public:
    explicit AddressFieldText(long long address);
    QStringView view() const { return QStringView(m_text, 8); }

  private:
    char16_t m_text[8];
};
// A line with no address: eight blanks, then the TAB of an empty code field.
inline QString blankAddressFieldTab()
{
    return QStringLiteral("        \t");
}

// One listed statement, each line ended by CR LF: address field, code field (padded with blanks
// to eight characters), TAB, Str(line), TAB, the normalised line; a code text longer than eight
// characters continues on lines "  HHHH  " + the next eight characters, four bytes further each.
// Appended as the listing file's bytes, the source line in the source's encoding; the fields
// are ASCII.
void appendListingLines(QByteArray &out, QStringView addressFieldText, QStringView codeText,
                        long long address, long long lineNumber, QStringView sourceLine,
                        TextEncoding encoding);

// A line with no code: fields (the address field, with or without the TAB of an empty code
// field), TAB, Str(line), TAB, the normalised line, CR LF; as appendListingLines appends it.
void appendUnlistedLine(QByteArray &out, QStringView fields, long long lineNumber, QStringView sourceLine,
                        TextEncoding encoding);

// The lists after the listing lines: labels (name TAB HexWord), duplicates, and (MCS-51)
// variables (name TAB value text); each list only when it has entries. Lines end in CR LF.
void appendLabelLists(QString &out, const LabelTable &labels, const std::vector<QString> &duplicates,
                      const VariableTable *variables = nullptr);

// The credit line that opens a listing; readers skip it.
QString listingCreditLine();

// encodeText for generated files: both encodings keep ASCII as it is, and these files are
// mostly ASCII, so a text that is all ASCII takes a quick path.
QByteArray encodeOutputText(const QString &text, TextEncoding encoding);

// The .err text is this summary, and with errors an empty line, the error lines and a CR LF.
QString errorReportHeading(int errorCount);

// listingCreditLine() and errorReportHeading() as encodeOutputText gives them. They are in
// every run's files, so in GBK the fixed ones are spelled out: opening the converter for them
// would cost more than assembling a small source.
QByteArray listingCreditBytes(TextEncoding encoding);
QByteArray errorReportHeadingBytes(int errorCount, TextEncoding encoding);

// Bytes of the code image to write: up to the highest non-zero byte or the highest emitted
// address, whichever is higher; at least one.
int codeImageLength(const CodeImage &image, int highestEmitted);

} // namespace tw
