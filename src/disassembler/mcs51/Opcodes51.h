#pragma once
// The MCS-51 opcode map as the disassembler reads it: the instruction table's rows with the
// transfer and data-pointer facts the passes need worked out once.
#include "isa/Mcs51.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tw
{

// How an instruction names the address it may transfer control to.
enum class Target51 : std::uint8_t {
    None,
    Relative,    // signed offset in the last byte, from the next instruction
    Block,       // AJMP/ACALL: eleven bits within the 2 KB block of the next instruction
    Long,        // LJMP/LCALL: the two operand bytes, high first
    DataPointer, // JMP @A+DPTR: the value DPTR was last seen to hold, as if A were 0
};

// Effect on the data-pointer tracker that JMP @A+DPTR reads.
enum class Dptr51 : std::uint8_t { None, Load, Increment };

struct Opcode51 {
    std::string_view pattern; // the row's disassembly line with its operand fields
    std::uint8_t length = 1;
    bool endsRun = false; // unconditional transfer: the flow does not reach the next byte
    Target51 target = Target51::None;
    Dptr51 dptr = Dptr51::None;
};

constexpr Opcode51 disassemblyRow51(const mcs51::OpcodeRow &row)
{
    using mcs51::Operand;
    Opcode51 out{row.disassembly, row.length, isa::endsRun(row.flow), Target51::None, Dptr51::None};
    if (row.flow == isa::Flow::Indirect)
        out.target = Target51::DataPointer;
    else if (mcs51::hasOperand(row, Operand::Rel))
        out.target = Target51::Relative;
    else if (mcs51::hasOperand(row, Operand::Addr11))
        out.target = Target51::Block;
    else if (mcs51::hasOperand(row, Operand::Addr16))
        out.target = Target51::Long;
    if (row.operands[0] == Operand::Dptr)
        out.dptr = row.operands[1] == Operand::Imm16 ? Dptr51::Load : Dptr51::Increment;
    return out;
}

inline constexpr std::array<Opcode51, 256> kOpcodes51 = [] {
    std::array<Opcode51, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = disassemblyRow51(mcs51::kOpcodes[i]);
    return table;
}();

// All 256 rows; A5H, which the opcode map leaves undefined, is a one-byte "DB 0A5H".
constexpr const std::array<Opcode51, 256> &opcodes51()
{
    return kOpcodes51;
}

// The address an instruction at pc transfers control to, wrapped to 16 bits as the CPU does;
// -1 for an instruction without a target. image reads the byte at an address (already wrapped).
template <typename ReadByte> int transferTarget51(const Opcode51 &row, int pc, int dptr, ReadByte readByte)
{
    const int next = pc + row.length;
    switch (row.target) {
    case Target51::None:
        return -1;
    case Target51::Relative: {
        const int offset = static_cast<std::int8_t>(readByte((next - 1) & 0xFFFF));
        return (next + offset) & 0xFFFF;
    }
    case Target51::Block: {
        const int opcode = readByte(pc & 0xFFFF);
        return ((next & ~0x7FF) + ((opcode >> 5) << 8) + readByte((pc + 1) & 0xFFFF)) & 0xFFFF;
    }
    case Target51::Long:
        return (readByte((pc + 1) & 0xFFFF) << 8) | readByte((pc + 2) & 0xFFFF);
    case Target51::DataPointer:
        return dptr & 0xFFFF;
    }
    return -1;
}

// The data pointer as the tracker sees it after the instruction at pc (MOV DPTR,# loads it,
// INC DPTR counts it on); readByte as above.
template <typename ReadByte> int trackedDptr51(const Opcode51 &row, int pc, int dptr, ReadByte readByte)
{
    switch (row.dptr) {
    case Dptr51::None:
        return dptr;
    case Dptr51::Load:
        return (readByte((pc + 1) & 0xFFFF) << 8) | readByte((pc + 2) & 0xFFFF);
    case Dptr51::Increment:
        return (dptr + 1) & 0xFFFF;
    }
    return dptr;
}

} // namespace tw
