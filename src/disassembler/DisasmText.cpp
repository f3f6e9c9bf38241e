#include "disassembler/DisasmText.h"

#include "common/Hex.h"

#include <algorithm>

namespace tw
{

QString dhex(std::uint8_t value)
{
    return value >= 0xA0 ? u'0' + hexByte(value) : hexByte(value);
}

int hexToBin(const QString &text)
{
    int result = 0;
    for (int position = 0; position < 4; ++position) {
        const int digit = position < text.size() ? hexDigitValue(text.at(position).unicode()) : 0;
        result = result * 16 + std::max(digit, 0);
    }
    return result;
}

QString labelName(int index)
{
    return QStringLiteral("L") + QString::number(index);
}

QString equLine(int index, long long address)
{
    return labelName(index) + QStringLiteral(": EQU  ") + hexWord(address) + u'H';
}

QString orgLine(long long address)
{
    return QStringLiteral("ORG ") + hexWord(address) + u'H';
}

void appendDbLines(QString &out, const std::uint8_t *bytes, int count, QString (*byteText)(std::uint8_t))
{
    for (int first = 0; first < count; first += 8) {
        const int last = std::min(first + 8, count);
        out += QStringLiteral("DB ");
        for (int i = first; i < last; ++i) {
            if (i > first)
                out += QStringLiteral(", ");
            out += byteText(bytes[i]);
            out += u'H';
        }
        out += kCr;
    }
}

void appendDhex(std::string &out, std::uint8_t value)
{
    if (value >= 0xA0)
        out += '0';
    appendHexByte(out, value);
}

void appendHexByte(std::string &out, std::uint8_t value)
{
    const char digits[2] = {hexDigit(value >> 4), hexDigit(value)};
    out.append(digits, 2);
}

void appendHexWord(std::string &out, int value)
{
    appendHexByte(out, static_cast<std::uint8_t>(value >> 8));
    appendHexByte(out, static_cast<std::uint8_t>(value));
}

void appendLabelName(std::string &out, int index)
{
    char digits[12];
    char *p = digits + sizeof digits;
    unsigned magnitude = static_cast<unsigned>(index);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    out += 'L';
    out.append(p, digits + sizeof digits - p);
}

void appendEquLine(std::string &out, int index, int address)
{
    appendLabelName(out, index);
    out += ": EQU  ";
    appendHexWord(out, address);
    out += 'H';
}

void appendOrgLine(std::string &out, int address)
{
    out += "ORG ";
    appendHexWord(out, address);
    out += 'H';
}

void appendDhexDbLines(std::string &out, const std::uint8_t *bytes, int count)
{
    for (int first = 0; first < count; first += 8) {
        const int last = std::min(first + 8, count);
        out += "DB ";
        for (int i = first; i < last; ++i) {
            if (i > first)
                out += ", ";
            appendDhex(out, bytes[i]);
            out += 'H';
        }
        out += '\r';
    }
}

QString disassemblyFile(const QString &creditLine, const QString &body)
{
    return creditLine + kCrLf + body + QStringLiteral("END") + kCr + kCrLf;
}

} // namespace tw
