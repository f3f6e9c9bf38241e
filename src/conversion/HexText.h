#pragma once
// Reading the window's hexadecimal boxes. The four-position reader of the address boxes and the
// disassemblers' byte writer live with the disassembler (hexToBin, appendDhex in
// disassembler/common/DisasmText.h).
#include <QString>
#include <optional>

namespace tw
{

// Every character is a digit position: "0"-"9" and "A"-"F" count their value, any other
// character (lower-case letters too) counts 0. "1A" gives 26, "1a" gives 16, "" gives 0.
long long hexD(const QString &text);

// A start-address box as the merge and bin-to-hex read it: 1 to 4 digits "0"-"9", "A"-"F" (and
// "a"-"f" when lowerCaseAllowed); std::nullopt for anything else.
std::optional<int> readAddressBox(const QString &text, bool lowerCaseAllowed);

} // namespace tw
