#include "disassembler/mcs51/Decoder51.h"

#include "disassembler/common/DisasmText.h"
#include "disassembler/mcs51/Names51.h"

#include <algorithm>

namespace tw
{

Instruction51 fetch51(const CodeImage &image, int pc, int dptr)
{
    Instruction51 instruction;
    instruction.row = &opcodes51()[image[pc & 0xFFFF]];
    instruction.pc = pc;
    instruction.target = transferTarget51(*instruction.row, pc, dptr,
                                          [&](int address) { return static_cast<int>(image[address]); });
    return instruction;
}

namespace
{

// The target field of a jump whose target wraps past FFFFH or below 0000H, appended as a number;
// false, appending nothing, for any other. Our assembler measures a label from the statement
// without wrapping and refuses such a target, but it takes a number as the field itself: the same
// bytes come back.
bool appendWrappedTarget(std::string &out, const CodeImage &image, const Instruction51 &instruction)
{
    const Opcode51 &row = *instruction.row;
    const int next = instruction.pc + row.length;
    if (row.target == Target51::Relative) {
        const std::uint8_t offset = image[(next - 1) & 0xFFFF];
        const int target = next + static_cast<std::int8_t>(offset);
        if (target >= 0 && target <= 0xFFFF)
            return false;
        appendDhex(out, offset);
    } else if (row.target == Target51::Block && next > 0xFFFF) {
        appendHexWord(out,
                      ((image[instruction.pc & 0xFFFF] >> 5) << 8) | image[(instruction.pc + 1) & 0xFFFF]);
    } else {
        return false;
    }
    out += 'H';
    return true;
}

} // namespace

void appendInstructionText51(std::string &out, const CodeImage &image, const Instruction51 &instruction,
                             int targetLabel)
{
    const std::string_view pattern = instruction.row->pattern;
    const auto operand = [&](char index) { return image[(instruction.pc + (index - '0')) & 0xFFFF]; };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        // The fixed text up to the next field goes in one piece.
        const std::size_t field = std::min(pattern.find('%', i), pattern.size());
        if (field > i) {
            out.append(pattern.data() + i, field - i);
            i = field - 1;
            continue;
        }
        const char kind = pattern[++i];
        if (kind == 't') {
            if (!appendWrappedTarget(out, image, instruction))
                appendLabelName(out, targetLabel);
            continue;
        }
        const std::uint8_t byte = operand(pattern[++i]);
        switch (kind) {
        case 'd':
            appendRegisterName51(out, byte);
            break;
        case 'e':
            if (byte == 0xE0)
                out += "0E0H";
            else
                appendRegisterName51(out, byte);
            break;
        case 'i':
            appendDhex(out, byte);
            out += 'H';
            break;
        case 'b':
            appendBitName51(out, byte);
            break;
        case 'w':
            appendDhex(out, byte);
            appendHexByte(out, operand(static_cast<char>(pattern[i] + 1)));
            out += 'H';
            break;
        }
    }
}

std::string instructionText51(const CodeImage &image, const Instruction51 &instruction, int targetLabel)
{
    std::string text;
    appendInstructionText51(text, image, instruction, targetLabel);
    return text;
}

} // namespace tw
