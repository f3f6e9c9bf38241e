#pragma once
// Text pieces that both disassemblers write and read: numbers in their own hexadecimal forms,
// label, EQU, ORG and DB lines, and the frame of the output file.
#include <QString>
#include <cstdint>
#include <string>

namespace tw
{

// A message the conversion window shows, in the Prompter's terms.
struct DisasmMessage {
    QString text;
    int style = 0;
    QString title;
};

// The bounds of a disassembly's tables. Reaching one ends the job with a message naming it, then
// the disassembler's own failure message.
enum class DisasmLimit { None, PendingTargets, Labels, Segments };

// Line ends of the disassembly output: instruction, EQU, DB, END and the first ORG end in a lone
// CR; separators and later ORG lines in CR LF.
inline const QString kCr = QStringLiteral("\r");
inline const QString kCrLf = QStringLiteral("\r\n");

// Names our assemblers take in one source: a disassembly that would define more cannot be
// assembled again, so it fails instead.
constexpr int kMaxOutputLabels = 2048;

// Two hexadecimal digits with a "0" before a high digit A-F, so that the text (plus "H") always
// reads as a number: 0x05 gives "05", 0xA5 gives "0A5", 0xFF gives "0FF".
QString dhex(std::uint8_t value);

// An address box's text: exactly four digit positions, right-padded with "0" ("12" is 1200H),
// later characters ignored, "A"-"F" (upper case only) 10-15, any other non-digit 0. 0..65535.
int hexToBin(const QString &text);

// "L" and the index in decimal: 17 gives "L17".
QString labelName(int index);

// "Ln: EQU  xxxxH" without line end (two blanks after EQU). address must be 0..65535.
QString equLine(int index, long long address);

// "ORG xxxxH" without line end. address must be 0..65535.
QString orgLine(long long address);

// Appends the DB lines of a stretch of count bytes: up to eight items per line, each written by
// byteText and followed by "H", joined by ", ", every line ended by a lone CR.
void appendDbLines(QString &out, const std::uint8_t *bytes, int count, QString (*byteText)(std::uint8_t));

// The same pieces appended as bytes: the MCS-51 disassembler writes its many thousand lines
// straight into one byte buffer per segment (the output is ASCII), not a text per field.
void appendDhex(std::string &out, std::uint8_t value);
void appendHexByte(std::string &out, std::uint8_t value);
void appendHexWord(std::string &out, int value); // value 0..65535
void appendLabelName(std::string &out, int index);
void appendEquLine(std::string &out, int index, int address);
void appendOrgLine(std::string &out, int address);
void appendDhexDbLines(std::string &out, const std::uint8_t *bytes, int count);

// The whole output file: credit comment line, CR LF, body, "END", CR, and the closing CR LF.
QString disassemblyFile(const QString &creditLine, const QString &body);

} // namespace tw
