#pragma once
// Text pieces that both disassemblers write and read as Qt texts: numbers in their own
// hexadecimal forms, label, EQU, ORG and DB lines, and the frame of the output file.
#include "disasm51/DisasmText.h"

#include <QString>
#include <cstdint>

namespace tw
{

// Line ends of the disassembly output: instruction, EQU, DB, END and the first ORG end in a lone
// CR; separators and later ORG lines in CR LF.
inline const QString kCr = QStringLiteral("\r");
inline const QString kCrLf = QStringLiteral("\r\n");

// Two hexadecimal digits with a "0" before a high digit A-F, so that the text (plus "H") always
// reads as a number: 0x05 gives "05", 0xA5 gives "0A5", 0xFF gives "0FF".
QString dhex(std::uint8_t value);

// An address box's text, read as the UTF-8 form is (disasm51/DisasmText.h).
int hexToBin(const QString &text);

// The file a disassembly writes beside its output (disasm51/DisasmText.h): "lst", "err".
QString sideFilePath(const QString &output, const char *ending);

// "L" and the index in decimal: 17 gives "L17".
QString labelName(int index);

// "Ln: EQU  xxxxH" without line end (two blanks after EQU). address must be 0..65535.
QString equLine(int index, long long address);

// "ORG xxxxH" without line end. address must be 0..65535.
QString orgLine(long long address);

// Appends the DB lines of a stretch of count bytes: up to eight items per line, each written by
// byteText and followed by "H", joined by ", ", every line ended by a lone CR.
void appendDbLines(QString &out, const std::uint8_t *bytes, int count, QString (*byteText)(std::uint8_t));

// The whole output file: credit comment line, CR LF, body, "END", CR, and the closing CR LF.
QString disassemblyFile(const QString &creditLine, const QString &body);

} // namespace tw
