#pragma once
// One MCS-51 instruction of a code image turned into a line of source for our assembler.
#include "base/CodeImage.h"
#include "disassembler/mcs51/Opcodes51.h"

#include <string>

namespace tw
{

struct Instruction51 {
    const Opcode51 *row = nullptr;
    int pc = 0;      // address of the opcode
    int target = -1; // 16-bit transfer target, -1 when the instruction has none
};

// False for an instruction at pc whose bytes would run past FFFFH: our assembler cannot place
// it, so the walks stop before it and its bytes are written as data.
inline bool fitsBelowTop51(const CodeImage &image, int pc)
{
    return pc + opcodes51()[image[pc & 0xFFFF]].length <= 0x10000;
}

// dptr: the data pointer as last seen, the target of JMP @A+DPTR.
Instruction51 fetch51(const CodeImage &image, int pc, int dptr);

// The instruction's text (no label prefix, no line end). targetLabel is the label index of the
// target; JMP @A+DPTR writes no target whatever it is, and a target that wraps past FFFFH is
// written as the instruction's own offset or 11-bit field. A5H is written as a DB line.
std::string instructionText51(const CodeImage &image, const Instruction51 &instruction, int targetLabel);
// The same text appended to a disassembly's byte buffer.
void appendInstructionText51(std::string &out, const CodeImage &image, const Instruction51 &instruction,
                             int targetLabel);

} // namespace tw
