#pragma once
// One MCS-48 instruction as both passes of the disassembler see it: its row, operand byte, target
// and whether the run goes on after it.
#include "base/CodeImage.h"
#include "isa/Mcs48.h"

#include <string>

namespace tw
{

// How the byte after the opcode is used.
enum class Operand48 : std::uint8_t {
    None,      // one-byte instruction
    Immediate, // "#" + two hex digits + "H"
    Page,      // target within the 256-byte page of the next instruction
    Long,      // target = opcode bits 7-5 as page + operand, plus 800H in memory bank 1
};

constexpr Operand48 operandUse48(const mcs48::OpcodeRow &row)
{
    if (row.has(mcs48::Operand::Imm))
        return Operand48::Immediate;
    if (row.has(mcs48::Operand::Page))
        return Operand48::Page;
    if (row.has(mcs48::Operand::Addr11))
        return Operand48::Long;
    return Operand48::None;
}

struct Instruction48 {
    const mcs48::OpcodeRow *row = nullptr;
    int operandAddress = -1; // -1 for a one-byte instruction
    std::uint8_t operand = 0;
    int target = -1; // code address of a transfer, -1 when there is none
    long next = 0;   // address after the instruction, not wrapped (compared with the range end)
    bool endsRun = false;
    // JMPP @A: its target is read at run time from the page, which neither pass can follow; the
    // run goes on after it instead, and the label pass names the next address.
    bool labelsNext = false;
    bool undefined() const { return !row->defined(); }
};

// Decodes the instruction at pc (0..65535). bank is the memory-bank flag: it selects the upper
// 2 KB for JMP and CALL targets and is switched by SEL MB0 / SEL MB1. Targets wrap at 16 bits.
Instruction48 decode48(const CodeImage &image, int pc, bool &bank);

// The instruction's line up to its operand byte ("MOV R3,#", "JMP "), made once per opcode.
const std::string &lineLead48(const Instruction48 &instruction);

} // namespace tw
