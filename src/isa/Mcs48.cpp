#include "isa/Mcs48.h"

namespace tw::mcs48
{

namespace
{

// An operand as the line shows it before the operand byte: a target label and the digits of an
// immediate come after the text.
std::string operandText(Operand kind, int opcode)
{
    // The register and port numbers are one digit each (and "R" + std::to_string(...) draws a
    // false -Wrestrict from GCC 12.2 about a literal put before a temporary string).
    if (kind == Operand::Rn)
        return {'R', static_cast<char>('0' + (opcode & 0x07))};
    if (kind == Operand::AtRi)
        return {'@', 'R', static_cast<char>('0' + (opcode & 0x01))};
    if (kind == Operand::Pp)
        return {'P', static_cast<char>('4' + (opcode & 0x03))};
    if (kind == Operand::Imm)
        return "#";
    // A target's label follows the text; every other kind has its name.
    return std::string(operandName(kind));
}

} // namespace

std::string disassemblyLead(const OpcodeRow &row)
{
    std::string text(row.mnemonic);
    for (std::size_t i = 0; i < row.operands.size() && row.operands[i] != Operand::None; ++i) {
        text += i == 0 ? ' ' : ',';
        text += operandText(row.operands[i], row.opcode);
    }
    return text;
}

} // namespace tw::mcs48
