#include "disassembler/mcs48/Decoder48.h"

#include <array>

namespace tw
{

Instruction48 decode48(const CodeImage &image, int pc, bool &bank)
{
    using mcs48::Operand;
    const std::uint8_t opcode = image[pc];
    Instruction48 in;
    in.row = &mcs48::kOpcodes[opcode];
    if (in.undefined())
        return in;
    in.next = pc + in.row->length;
    if (in.row->length == 2) {
        in.operandAddress = (pc + 1) & 0xFFFF;
        in.operand = image[in.operandAddress];
    }
    switch (operandUse48(*in.row)) {
    case Operand48::Page:
        // The page of the second byte: a jump at xxFEH stays in page xx, one at xxFFH reaches xx+1.
        in.target = (in.operandAddress & 0xFF00) | in.operand;
        break;
    case Operand48::Long:
        in.target = (opcode >> 5) * 0x100 + in.operand + (bank ? 0x800 : 0);
        break;
    case Operand48::None:
    case Operand48::Immediate:
        break;
    }
    if (in.row->flow == isa::Flow::BankSelect)
        bank = in.row->has(Operand::Mb1);
    in.labelsNext = in.row->flow == isa::Flow::Indirect;
    in.endsRun = !in.labelsNext && isa::endsRun(in.row->flow);
    return in;
}

const std::string &lineLead48(const Instruction48 &instruction)
{
    static const std::array<std::string, 256> leads = [] {
        std::array<std::string, 256> texts;
        for (const mcs48::OpcodeRow &row : mcs48::kOpcodes)
            if (row.defined())
                texts[row.opcode] = mcs48::disassemblyLead(row);
        return texts;
    }();
    return leads[instruction.row->opcode];
}

} // namespace tw
