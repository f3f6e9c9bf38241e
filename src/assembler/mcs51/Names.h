#pragma once
// Operand names of the MCS-51 assembler: SFR and bit names.
#include "assembler/common/Numbers.h"
#include "assembler/common/Symbols.h"

#include <QString>
#include <cstdint>

namespace tw::mcs51
{

// A direct address from an SFR name (ACC and A give E0H) or a number 0..255. Anything else
// records "操作数越界" and gives 0.
std::uint8_t directAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors);

// A bit address from a bit name (TR0, P1.0, ACC.7), a byte.bit text of a bit-addressable byte
// (20H.0, 0E0H is not accepted: the byte is written without a leading 0) or a number 0..255.
// Anything else records "操作数越界" and gives 0.
std::uint8_t bitAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors);

} // namespace tw::mcs51
