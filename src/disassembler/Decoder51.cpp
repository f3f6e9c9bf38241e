#include "disassembler/Decoder51.h"

#include "disassembler/DisasmText.h"
#include "disassembler/Names51.h"

#include "common/Hex.h"

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

// The target field of a jump whose target wraps past FFFFH or below 0000H, as a number; empty for
// any other. Our assembler measures a label from the statement without wrapping and refuses such a
// target, but it takes a number as the field itself: the same bytes come back.
QString wrappedTargetField(const CodeImage &image, const Instruction51 &instruction)
{
    const Opcode51 &row = *instruction.row;
    const int next = instruction.pc + row.length;
    if (row.target == Target51::Relative) {
        const std::uint8_t offset = image[(next - 1) & 0xFFFF];
        const int target = next + static_cast<std::int8_t>(offset);
        return target < 0 || target > 0xFFFF ? dhex(offset) + u'H' : QString();
    }
    if (row.target == Target51::Block && next > 0xFFFF) {
        const int field = ((image[instruction.pc & 0xFFFF] >> 5) << 8) | image[(instruction.pc + 1) & 0xFFFF];
        return hexWord(field) + u'H';
    }
    return QString();
}

} // namespace

QString instructionText51(const CodeImage &image, const Instruction51 &instruction, int targetLabel)
{
    const std::string_view pattern = instruction.row->pattern;
    const auto operand = [&](char index) { return image[(instruction.pc + (index - '0')) & 0xFFFF]; };
    QString text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            text += QLatin1Char(pattern[i]);
            continue;
        }
        const char kind = pattern[++i];
        if (kind == 't') {
            const QString field = wrappedTargetField(image, instruction);
            text += field.isEmpty() ? labelName(targetLabel) : field;
            continue;
        }
        const std::uint8_t byte = operand(pattern[++i]);
        switch (kind) {
        case 'd':
            text += registerName51(byte);
            break;
        case 'e':
            text += byte == 0xE0 ? QStringLiteral("0E0H") : registerName51(byte);
            break;
        case 'i':
            text += dhex(byte) + u'H';
            break;
        case 'b':
            text += bitName51(byte);
            break;
        case 'w':
            text += dhex(byte) + hexByte(operand(pattern[i] + 1)) + u'H';
            break;
        }
    }
    return text;
}

} // namespace tw
