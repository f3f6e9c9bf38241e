#pragma once
// Statement sizes of the MCS-51 assembler, without encoding: pass 1 places labels with it and
// pass 2 advances with it, so it agrees with encodeStatement() on every statement.
#include "assembler/common/Symbols.h"

#include <QString>

namespace tw::mcs51
{

// The address after the statement at pc. mnemonic may be an alias; operands is the text after it
// (comment included). ORG gives its operand's value, read as a number without variable
// substitution (NotANumber for anything else, 0 for none; the driver judges values of 65536 and
// above); EQU, END and unknown mnemonics leave pc unchanged.
// Records no errors.
long long nextAddress(long long pc, const QString &mnemonic, const QString &operands,
                      const VariableTable &variables);

} // namespace tw::mcs51
