#pragma once
// Text pieces that both disassemblers write: numbers in their own hexadecimal forms, label, EQU,
// ORG and DB lines, appended as bytes, and the frame of the output file. The disassemblers write
// their many thousand lines straight into one byte buffer per segment (the output is ASCII), not a
// text per field.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw
{

// An address box's text (UTF-8): exactly four character positions, right-padded with "0" ("12"
// is 1200H), later characters ignored, "A"-"F" (upper case only) 10-15, any other character 0.
// A character beyond the 16-bit range takes two positions, as in the window's text. 0..65535.
int hexToBin(std::string_view text);

// Two hexadecimal digits with a "0" before a high digit A-F, so that the text (plus "H") always
// reads as a number: 0x05 gives "05", 0xA5 gives "0A5", 0xFF gives "0FF".
void appendDhex(std::string &out, std::uint8_t value);
void appendHexByte(std::string &out, std::uint8_t value);
void appendHexWord(std::string &out, int value); // value 0..65535
// "L" and the index in decimal: 17 gives "L17".
void appendLabelName(std::string &out, int index);
// "Ln: EQU  xxxxH" without line end (two blanks after EQU). address must be 0..65535.
void appendEquLine(std::string &out, int index, int address);
// "ORG xxxxH" without line end. address must be 0..65535.
void appendOrgLine(std::string &out, int address);
// The DB lines of a stretch of count bytes: up to eight items per line, each written by
// appendByte and followed by "H", joined by ", ", every line ended by a lone CR.
using ByteWriter = void (*)(std::string &out, std::uint8_t value);
void appendDbLines(std::string &out, const std::uint8_t *bytes, int count, ByteWriter appendByte);

// The whole output file: the credit comment line, CR LF, the body's pieces in order, "END", CR,
// and the closing CR LF.
std::string disassemblyFile(std::string_view credit, const std::vector<const std::string *> &body);

} // namespace tw
