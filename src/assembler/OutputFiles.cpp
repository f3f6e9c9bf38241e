#include "OutputFiles.h"

#include "base/CodeImage.h"
#include "common/Hex.h"
#include "common/Paths.h"
#include "common/Vb.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tw
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// Four upper-case hex digits of a value 0..65535, written in place: the lists and the listing
// show one per line, and a QString for each would cost an allocation.
void putHexWord(char16_t *out, long long value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char16_t>(hexDigit(static_cast<unsigned>(value >> (12 - 4 * i))));
}

// Listings run to many thousand lines: each line is written straight into the listing's bytes, in
// the room reserved for it. Both encodings keep ASCII as it is, so only a line holding other
// characters goes through the encoder.
class LineWriter
{
  public:
    LineWriter(QByteArray &out, qsizetype most) : m_out(out), m_start(out.size())
    {
        if (m_out.capacity() < m_start + most)
            m_out.reserve(std::max(2 * m_out.capacity(), m_start + most));
        m_out.resize(m_start + most);
        m_at = m_out.data() + m_start;
    }
    ~LineWriter() { m_out.truncate(m_at - m_out.constData()); }

    void put(QStringView text)
    {
        // Only ASCII reaches here (fields, numbers, ASCII lines).
        for (const QChar c : text)
            *m_at++ = static_cast<char>(c.unicode());
    }
    void put(char c) { *m_at++ = c; }
    void line(QStringView text, TextEncoding encoding)
    {
        if (QtPrivate::isAscii(text)) {
            put(text);
            return;
        }
        // The room asked for was that of the ASCII form; the encoded line may be longer.
        const QByteArray encoded = encodeText(text.toString(), encoding);
        const qsizetype at = m_at - m_out.constData();
        m_out.resize(m_out.size() + encoded.size());
        m_at = std::copy(encoded.begin(), encoded.end(), m_out.data() + at);
    }
    void padded8(QStringView text)
    {
        put(text);
        for (qsizetype i = text.size(); i < 8; ++i)
            put(' ');
    }
    // Str(n): one blank, then the decimal digits (a "-" instead of the blank below zero).
    void vbStr(long long value)
    {
        char digits[kVbStrDigits];
        char *const end = digits + kVbStrDigits;
        m_at = std::copy(putVbStr(value, end), end, m_at);
    }

  private:
    QByteArray &m_out;
    qsizetype m_start;
    char *m_at;
};

// A label's value as the lists show it: four hex digits. Values outside the address space (a
// colon EQU of a large number) still get listed, in as many digits as they take.
class ListedValue
{
  public:
    explicit ListedValue(long long value)
    {
        if (value < 0 || value > 0xFFFF) {
            m_wide = QString::number(value, 16).toUpper();
            return;
        }
        putHexWord(m_digits, value);
    }
    QStringView view() const { return m_wide.isNull() ? QStringView(m_digits, 4) : QStringView(m_wide); }

  private:
    char16_t m_digits[4] = {};
    QString m_wide;
};

// One line of a list: two blanks, the name, and a TAB and the value when there is one.
void appendEntry(QString &out, const QString &name, std::optional<QStringView> value = std::nullopt)
{
    out += QStringView(u"  ");
    out += name;
    if (value) {
        out += u'\t';
        out += *value;
    }
    out += kCrLf;
}

void appendHeading(QString &out, const QString &heading)
{
    out += kCrLf + kCrLf + heading + kCrLf + kCrLf;
}

} // namespace

OutputPaths outputPathsFor(const QString &binPath)
{
    return {binPath, replaceLastThree(binPath, QStringLiteral("lst")),
            replaceLastThree(binPath, QStringLiteral("lt")),
            replaceLastThree(binPath, QStringLiteral("err"))};
}

AddressFieldText::AddressFieldText(long long address)
{
    for (char16_t &c : m_text)
        c = u' ';
    if (address >= 0 && address <= 0xFFFF)
        putHexWord(m_text + 2, address);
}

QString addressField(long long address)
{
    return AddressFieldText(address).view().toString();
}

void appendListingLines(QByteArray &out, QStringView addressFieldText, QStringView codeText,
                        long long address, long long lineNumber, QStringView sourceLine,
                        TextEncoding encoding)
{
    const qsizetype continuations = codeText.size() > 8 ? (codeText.size() - 1) / 8 : 0;
    LineWriter line(out, addressFieldText.size() + std::max<qsizetype>(codeText.size(), 8) + 24 +
                             sourceLine.size() + 18 * continuations + 2);
    line.put(addressFieldText);
    line.padded8(QStringView(codeText).left(8));
    line.put('\t');
    line.vbStr(lineNumber);
    line.put('\t');
    line.line(sourceLine, encoding);
    line.put(kCrLf);
    for (qsizetype k = 1; k <= continuations; ++k) {
        line.put(AddressFieldText(address + 4 * k).view());
        line.padded8(codeText.mid(8 * k, 8));
        line.put(kCrLf);
    }
}

void appendUnlistedLine(QByteArray &out, QStringView fields, long long lineNumber, QStringView sourceLine,
                        TextEncoding encoding)
{
    LineWriter line(out, fields.size() + 24 + sourceLine.size() + 2);
    line.put(fields);
    line.put('\t');
    line.vbStr(lineNumber);
    line.put('\t');
    line.line(sourceLine, encoding);
    line.put(kCrLf);
}

void appendLabelLists(QString &out, const LabelTable &labels, const std::vector<QString> &duplicates,
                      const VariableTable *variables)
{
    if (labels.count() > 0) {
        appendHeading(out, QStringLiteral(u"  程序中使用的标号如下："));
        for (const auto &label : labels.entries())
            appendEntry(out, label.name, ListedValue(label.value).view());
    }
    if (!duplicates.empty()) {
        appendHeading(out, QStringLiteral(u"  程序中重复定义的标号如下："));
        for (const QString &name : duplicates)
            appendEntry(out, name);
    }
    if (variables && variables->count() > 0) {
        appendHeading(out, QStringLiteral(u"  程序中定义的变量如下："));
        for (const auto &variable : variables->entries())
            appendEntry(out, variable.name, QStringView(variable.value));
    }
}

QByteArray encodeOutputText(const QString &text, TextEncoding encoding)
{
    return QtPrivate::isAscii(QStringView(text)) ? text.toLatin1() : encodeText(text, encoding);
}

QString listingCreditLine()
{
    return QStringLiteral(u"  Tarnwick 汇编程序清单");
}

QString errorReportHeading(int errorCount)
{
    if (errorCount == 0)
        return QStringLiteral(u"    汇编成功，没有发现错误！\r\n");
    return QStringLiteral(u"    汇编过程发现") + vbStr(errorCount) + QStringLiteral(u"处错误。\r\n\r\n");
}

QByteArray listingCreditBytes(TextEncoding encoding)
{
    if (encoding == TextEncoding::Gbk)
        return QByteArrayLiteral("  Tarnwick \xBB\xE3\xB1\xE0\xB3\xCC\xD0\xF2\xC7\xE5\xB5\xA5");
    return encodeOutputText(listingCreditLine(), encoding);
}

QByteArray errorReportHeadingBytes(int errorCount, TextEncoding encoding)
{
    if (errorCount == 0 && encoding == TextEncoding::Gbk)
        return QByteArrayLiteral(
            "    \xBB\xE3\xB1\xE0\xB3\xC9\xB9\xA6\xA3\xAC\xC3\xBB\xD3\xD0\xB7\xA2\xCF\xD6"
            "\xB4\xED\xCE\xF3\xA3\xA1\r\n");
    return encodeOutputText(errorReportHeading(errorCount), encoding);
}

int codeImageLength(const CodeImage &image, int highestEmitted)
{
    // Most of the 64K lies empty above a program: passed over a block at a time.
    constexpr int kBlock = 64;
    static constexpr std::uint8_t kEmpty[kBlock] = {};
    int top = 0x10000; // every address from here up is zero
    while (top >= kBlock &&
           std::memcmp(&image.bytes[static_cast<std::size_t>(top - kBlock)], kEmpty, kBlock) == 0)
        top -= kBlock;
    int last = std::max(top - 1, 0);
    while (last > 0 && image[last] == 0)
        --last;
    return std::max(last, std::min(highestEmitted, 0xFFFF)) + 1;
}

} // namespace tw
