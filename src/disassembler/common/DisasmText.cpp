#include "disassembler/common/DisasmText.h"

#include "base/HexDigits.h"

#include <algorithm>

namespace tw
{

int hexToBin(std::string_view text)
{
    int result = 0;
    int position = 0;
    for (std::size_t i = 0; i < text.size() && position < 4;) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // One character: its lead byte and the continuation bytes after it.
        std::size_t length = 1;
        while (lead >= 0xC0 && i + length < text.size() &&
               (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
            ++length;
        i += length;
        result = result * 16 + (lead < 0x80 ? std::max(hexDigitValue(lead), 0) : 0);
        ++position;
        if (lead >= 0xF0 && position < 4) {
            result *= 16;
            ++position;
        }
    }
    for (; position < 4; ++position)
        result *= 16;
    return result;
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

void appendDbLines(std::string &out, const std::uint8_t *bytes, int count, ByteWriter appendByte)
{
    for (int first = 0; first < count; first += 8) {
        const int last = std::min(first + 8, count);
        out += "DB ";
        for (int i = first; i < last; ++i) {
            if (i > first)
                out += ", ";
            appendByte(out, bytes[i]);
            out += 'H';
        }
        out += '\r';
    }
}

std::string disassemblyFile(std::string_view credit, const std::vector<const std::string *> &body)
{
    std::size_t size = credit.size() + 8;
    for (const std::string *piece : body)
        size += piece->size();
    std::string text;
    text.reserve(size);
    text.append(credit);
    text += "\r\n";
    for (const std::string *piece : body)
        text += *piece;
    text += "END\r\r\n";
    return text;
}

} // namespace tw
