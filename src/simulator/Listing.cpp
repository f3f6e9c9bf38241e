#include "simulator/Listing.h"

#include "common/Hex.h"
#include "simulator/Messages.h"

#include <algorithm>

namespace tw
{
namespace
{

int digitValue(QChar ch)
{
    return hexDigitValue(ch.unicode());
}

} // namespace

bool Listing::setLines(const QStringList &lines)
{
    if (lines.size() > kMaxLines)
        return false;
    m_lines = lines;
    m_lineOfAddress.clear();
    // From the end, so that the first line of an address is the one kept.
    for (int i = m_lines.size() - 1; i >= 0; --i)
        if (const auto address = addressOfLine(i))
            m_lineOfAddress[*address] = i;
    m_pcLine = 0;
    m_breakpointLine = 0;
    return true;
}

QString Listing::line(int index) const
{
    return index >= 0 && index < m_lines.size() ? m_lines[index] : QString();
}

int Listing::lineOfAddress(std::uint16_t address) const
{
    return m_lineOfAddress.value(address, -1);
}

QString Listing::addressText(int index) const
{
    return line(index).mid(2, 4);
}

std::optional<std::uint16_t> Listing::addressOfLine(int index) const
{
    const QString text = addressText(index);
    if (text.size() != 4)
        return std::nullopt;
    int value = 0;
    for (QChar ch : text) {
        const int digit = digitValue(ch);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint16_t>(value);
}

int Listing::looseAddressOfLine(int index) const
{
    return looseHexValue(addressText(index));
}

void Listing::setColumn(int index, int column, QChar mark)
{
    // A line too short for the column is left as it is.
    if (index >= 0 && index < m_lines.size() && m_lines[index].size() > column)
        m_lines[index][column] = mark;
}

void Listing::clearPcMarker()
{
    setColumn(m_pcLine, 0, QLatin1Char(' '));
}

void Listing::setPcLine(int index)
{
    clearPcMarker();
    m_pcLine = index;
    setColumn(m_pcLine, 0, QLatin1Char('>'));
}

void Listing::markFirstCodeLine()
{
    clearPcMarker();
    m_pcLine = 0;
    for (int i = 0; i < m_lines.size(); ++i)
        if (addressOfLine(i)) {
            setPcLine(i);
            return;
        }
}

void Listing::markPc(std::uint16_t pc)
{
    const int index = lineOfAddress(pc);
    if (index >= 0) {
        m_pcLine = index;
        setColumn(index, 0, QLatin1Char('>'));
    }
}

void Listing::setBreakpointMarker(int index, bool on)
{
    m_breakpointLine = index;
    setColumn(index, 1, on ? QLatin1Char('*') : QLatin1Char(' '));
}

int Listing::scrollMax() const
{
    return count() >= kVisibleLines ? count() - kVisibleLines : 0;
}

int Listing::clampTop(int top) const
{
    if (count() > kVisibleLines && top > count() - kVisibleLines)
        return count() - kVisibleLines;
    return top < 0 ? 0 : top;
}

QStringList Listing::pane(int top) const
{
    QStringList lines;
    for (int i = top; i < top + kPaneLines; ++i)
        lines.append(line(i));
    return lines;
}

} // namespace tw

#include "base/CodeImage.h"
#include "common/Paths.h"
#include "common/TextFile.h"

namespace tw
{

int looseHexValue(const QString &text)
{
    int value = 0;
    for (QChar ch : text)
        value = value * 16 + std::max(digitValue(ch), 0);
    return value;
}

QString readProgramFiles(const QString &binPath, ProgramFiles &files)
{
    const QString listingPath = replaceLastThree(binPath, QStringLiteral("lt"));
    // Both files are checked before they are read: a device, a folder or a file far too long
    // is refused with the message its size or absence deserves, never loaded whole first.
    CheckedRead code = readFileChecked(binPath, kMaxCodeFileBytes);
    if (code.fault == ReadFault::TooLarge)
        return QStringLiteral(u"目标文件超过64K字节，不能仿真！");
    if (!code.ok())
        return missingProgramFileMessage(binPath);
    const CheckedRead listing = readFileChecked(listingPath, kMaxTextFileBytes);
    if (listing.fault == ReadFault::TooLarge)
        return QStringLiteral(u"列表文件超过20000行，不能仿真！");
    if (!listing.ok())
        return missingProgramFileMessage(listingPath);
    QStringList lines = splitLines(decodeText(listing.bytes).text);
    if (lines.size() > Listing::kMaxLines)
        return QStringLiteral(u"列表文件超过20000行，不能仿真！");
    files.code = std::move(code.bytes);
    files.lines = std::move(lines);
    return QString();
}

} // namespace tw
