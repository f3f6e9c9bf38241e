#pragma once
// Operand names of the MCS-51 assembler: EQU/BIT variables, registers, SFR and bit names.
#include "assembler/Numbers.h"
#include "assembler/mcs51/Symbols.h"

#include <QString>
#include <cstdint>

namespace tw::mcs51
{

// Replaces an operand that names a variable by the variable's value text, keeping a leading "#"
// or "@": with COUNT = 30H, "#COUNT" gives "#30H". One level deep; other text is unchanged.
QString substituteVariable(const QString &operand, const VariableTable &variables);

// substituteVariable, then the register alias: what the operand extractors deliver.
QString registerName(const QString &operand, const VariableTable &variables);

// registerName() of a token the caller keeps alive: the result shares the token's characters
// when nothing replaced them, so it must not outlive them.
QString registerNameOf(QStringView token, const VariableTable &variables);
// The same as a view for a look that keeps nothing: of the token, of a variable's value, of the
// alias table, or of keep when the text had to be built ("#" + value). The table must not change
// while the view is used.
QStringView registerView(QStringView token, const VariableTable &variables, QString &keep);

// A direct address from an SFR name (ACC and A give E0H) or a number 0..255. Anything else
// records "操作数越界" and gives 0.
std::uint8_t directAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors);

// A bit address from a bit name (TR0, P1.0, ACC.7), a byte.bit text of a bit-addressable byte
// (20H.0, 0E0H is not accepted: the byte is written without a leading 0) or a number 0..255.
// Anything else records "操作数越界" and gives 0.
std::uint8_t bitAddress(const QString &operand, const VariableTable &variables, ErrorSink &errors);

} // namespace tw::mcs51
