#include "disassembler/Decode48.h"

namespace tw
{

Instruction48 decode48(const CodeImage &image, int pc, bool &bank)
{
    const std::uint8_t opcode = image[pc];
    Instruction48 in;
    in.row = &kOpcodes48[opcode];
    if (in.undefined())
        return in;
    in.next = pc + in.row->length;
    if (in.row->length == 2) {
        in.operandAddress = (pc + 1) & 0xFFFF;
        in.operand = image[in.operandAddress];
    }
    switch (in.row->operand) {
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
    if (opcode == 0xE5)
        bank = false;
    else if (opcode == 0xF5)
        bank = true;
    in.endsRun = in.row->flow == Flow48::Jump || in.row->flow == Flow48::Return;
    return in;
}

} // namespace tw
