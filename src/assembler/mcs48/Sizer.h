#pragma once
// Statement lengths of the MCS-48 assembler: pass 1 places every label with them and pass 2 steps
// its address with them, so they must equal what the encoder emits for every accepted form.
#include <QString>

namespace tw::mcs48
{

// The address after a statement at pc. ORG gives its operand's value (0 without one, NotANumber
// for a text that is no number); a mnemonic the dialect does not know takes no space. No range
// check: the driver decides what an address past the code space means.
long long nextAddress(long long pc, const QString &mnemonic, const QString &operands);

// Length of MOV, ORL, ANL, XRL, ADD and ADDC: 1 plus one byte per operand that is not a name.
int operandFormLength(const QString &operands);

} // namespace tw::mcs48
