#pragma once
// How MCS-51 operands that name a register or a bit are written in disassembled source.
#include <cstdint>
#include <string>

namespace tw
{

// A direct address: the special function register's name ("SP", "Acc", "B") or two hexadecimal
// digits and "H" without a leading 0 ("C8H").
std::string registerName51(std::uint8_t address);

// A bit address: the bit's name ("P1.0", "TR0", "CY", "ACC.7") or dhex and "H" ("0ADH").
std::string bitName51(std::uint8_t address);

// The same, appended to a disassembly's byte buffer.
void appendRegisterName51(std::string &out, std::uint8_t address);
void appendBitName51(std::string &out, std::uint8_t address);

} // namespace tw
