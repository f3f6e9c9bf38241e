#pragma once
// The MCS-51 instruction set as data: one row per opcode with its mnemonic, length, operand kinds
// in source order, flow of control and the line the disassembler writes for it. The assembler's
// encoder, the disassembler and the every-opcode tests read it. The simulator's executor keeps a
// switch of its own on the opcode, for speed; a test over every opcode holds it to this table's
// lengths and flows.
#include "isa/Flow.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tw::mcs51
{

// Operand forms of the instruction set. Rn and @Ri carry their register in the opcode's low bits.
enum class Operand : std::uint8_t {
    None,
    A,       // accumulator as a register
    C,       // carry
    AB,      // MUL/DIV pair
    Dptr,    // DPTR
    R,       // R0..R7
    AtR,     // @R0, @R1
    AtDptr,  // @DPTR
    AtADptr, // @A+DPTR
    AtAPc,   // @A+PC
    Imm,     // #data
    Imm16,   // #data16
    Direct,  // direct address
    Bit,     // bit address
    NotBit,  // /bit
    Rel,     // relative offset
    Addr11,  // 11-bit page target
    Addr16,  // 16-bit target
};

// Bytes an operand adds after the opcode.
constexpr int operandBytes(Operand kind)
{
    switch (kind) {
    case Operand::None:
    case Operand::A:
    case Operand::C:
    case Operand::AB:
    case Operand::Dptr:
    case Operand::R:
    case Operand::AtR:
    case Operand::AtDptr:
    case Operand::AtADptr:
    case Operand::AtAPc:
        return 0;
    case Operand::Imm:
    case Operand::Direct:
    case Operand::Bit:
    case Operand::NotBit:
    case Operand::Rel:
    case Operand::Addr11: // the high three bits go into the opcode
        return 1;
    case Operand::Imm16:
    case Operand::Addr16:
        return 2;
    }
    return 0;
}

using isa::Flow;

struct OpcodeRow {
    std::uint8_t opcode;
    std::string_view mnemonic; // empty for the one undefined opcode A5H
    std::uint8_t length;
    std::array<Operand, 3> operands;
    Flow flow;
    // The disassembler's line, in the dialect of our assembler, with operand fields: %d direct,
    // %e direct where the assembler would read ACC as the register A and pick another opcode (E0H
    // is then written as a number), %i immediate, %b bit, %w 16-bit immediate, %t the target
    // label; each field but %t is followed by the index (1 or 2) of the operand byte it reads.
    // A5H, which the opcode map leaves undefined, is written as the byte itself: "NOP" would
    // assemble to 00H.
    std::string_view disassembly;

    constexpr int operandCount() const
    {
        int n = 0;
        while (n < 3 && operands[static_cast<std::size_t>(n)] != Operand::None)
            ++n;
        return n;
    }
};

using Row = OpcodeRow;

inline constexpr std::array<OpcodeRow, 256> kOpcodes = {{
    Row{0x00, "NOP", 1, {}, Flow::None, "NOP"},
    Row{0x01, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0x02, "LJMP", 3, {Operand::Addr16}, Flow::Jump, "LJMP %t"},
    Row{0x03, "RR", 1, {Operand::A}, Flow::None, "RR A"},
    Row{0x04, "INC", 1, {Operand::A}, Flow::None, "INC  A"},
    Row{0x05, "INC", 2, {Operand::Direct}, Flow::None, "INC %e1"},
    Row{0x06, "INC", 1, {Operand::AtR}, Flow::None, "INC @R0"},
    Row{0x07, "INC", 1, {Operand::AtR}, Flow::None, "INC @R1"},
    Row{0x08, "INC", 1, {Operand::R}, Flow::None, "INC R0"},
    Row{0x09, "INC", 1, {Operand::R}, Flow::None, "INC R1"},
    Row{0x0A, "INC", 1, {Operand::R}, Flow::None, "INC R2"},
    Row{0x0B, "INC", 1, {Operand::R}, Flow::None, "INC R3"},
    Row{0x0C, "INC", 1, {Operand::R}, Flow::None, "INC R4"},
    Row{0x0D, "INC", 1, {Operand::R}, Flow::None, "INC R5"},
    Row{0x0E, "INC", 1, {Operand::R}, Flow::None, "INC R6"},
    Row{0x0F, "INC", 1, {Operand::R}, Flow::None, "INC R7"},
    Row{0x10, "JBC", 3, {Operand::Bit, Operand::Rel}, Flow::Conditional, "JBC %b1, %t"},
    Row{0x11, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0x12, "LCALL", 3, {Operand::Addr16}, Flow::Call, "LCALL %t"},
    Row{0x13, "RRC", 1, {Operand::A}, Flow::None, "RRC A"},
    Row{0x14, "DEC", 1, {Operand::A}, Flow::None, "DEC A"},
    Row{0x15, "DEC", 2, {Operand::Direct}, Flow::None, "DEC %e1"},
    Row{0x16, "DEC", 1, {Operand::AtR}, Flow::None, "DEC @R0"},
    Row{0x17, "DEC", 1, {Operand::AtR}, Flow::None, "DEC @R1"},
    Row{0x18, "DEC", 1, {Operand::R}, Flow::None, "DEC R0"},
    Row{0x19, "DEC", 1, {Operand::R}, Flow::None, "DEC R1"},
    Row{0x1A, "DEC", 1, {Operand::R}, Flow::None, "DEC R2"},
    Row{0x1B, "DEC", 1, {Operand::R}, Flow::None, "DEC R3"},
    Row{0x1C, "DEC", 1, {Operand::R}, Flow::None, "DEC R4"},
    Row{0x1D, "DEC", 1, {Operand::R}, Flow::None, "DEC R5"},
    Row{0x1E, "DEC", 1, {Operand::R}, Flow::None, "DEC R6"},
    Row{0x1F, "DEC", 1, {Operand::R}, Flow::None, "DEC R7"},
    Row{0x20, "JB", 3, {Operand::Bit, Operand::Rel}, Flow::Conditional, "JB %b1, %t"},
    Row{0x21, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0x22, "RET", 1, {}, Flow::Return, "RET"},
    Row{0x23, "RL", 1, {Operand::A}, Flow::None, "RL A"},
    Row{0x24, "ADD", 2, {Operand::A, Operand::Imm}, Flow::None, "ADD A,#%i1"},
    Row{0x25, "ADD", 2, {Operand::A, Operand::Direct}, Flow::None, "ADD A,%d1"},
    Row{0x26, "ADD", 1, {Operand::A, Operand::AtR}, Flow::None, "ADD A,@R0"},
    Row{0x27, "ADD", 1, {Operand::A, Operand::AtR}, Flow::None, "ADD A,@R1"},
    Row{0x28, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R0"},
    Row{0x29, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R1"},
    Row{0x2A, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R2"},
    Row{0x2B, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R3"},
    Row{0x2C, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R4"},
    Row{0x2D, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R5"},
    Row{0x2E, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R6"},
    Row{0x2F, "ADD", 1, {Operand::A, Operand::R}, Flow::None, "ADD A,R7"},
    Row{0x30, "JNB", 3, {Operand::Bit, Operand::Rel}, Flow::Conditional, "JNB %b1, %t"},
    Row{0x31, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0x32, "RETI", 1, {}, Flow::Return, "RETI"},
    Row{0x33, "RLC", 1, {Operand::A}, Flow::None, "RLC A"},
    Row{0x34, "ADDC", 2, {Operand::A, Operand::Imm}, Flow::None, "ADDC A,#%i1"},
    Row{0x35, "ADDC", 2, {Operand::A, Operand::Direct}, Flow::None, "ADDC A,%d1"},
    Row{0x36, "ADDC", 1, {Operand::A, Operand::AtR}, Flow::None, "ADDC A,@R0"},
    Row{0x37, "ADDC", 1, {Operand::A, Operand::AtR}, Flow::None, "ADDC A,@R1"},
    Row{0x38, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R0"},
    Row{0x39, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R1"},
    Row{0x3A, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R2"},
    Row{0x3B, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R3"},
    Row{0x3C, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R4"},
    Row{0x3D, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R5"},
    Row{0x3E, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R6"},
    Row{0x3F, "ADDC", 1, {Operand::A, Operand::R}, Flow::None, "ADDC A,R7"},
    Row{0x40, "JC", 2, {Operand::Rel}, Flow::Conditional, "JC %t"},
    Row{0x41, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0x42, "ORL", 2, {Operand::Direct, Operand::A}, Flow::None, "ORL %e1,A"},
    Row{0x43, "ORL", 3, {Operand::Direct, Operand::Imm}, Flow::None, "ORL %e1,#%i2"},
    Row{0x44, "ORL", 2, {Operand::A, Operand::Imm}, Flow::None, "ORL A,#%i1"},
    Row{0x45, "ORL", 2, {Operand::A, Operand::Direct}, Flow::None, "ORL A,%d1"},
    Row{0x46, "ORL", 1, {Operand::A, Operand::AtR}, Flow::None, "ORL A,@R0"},
    Row{0x47, "ORL", 1, {Operand::A, Operand::AtR}, Flow::None, "ORL A,@R1"},
    Row{0x48, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R0"},
    Row{0x49, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R1"},
    Row{0x4A, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R2"},
    Row{0x4B, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R3"},
    Row{0x4C, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R4"},
    Row{0x4D, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R5"},
    Row{0x4E, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R6"},
    Row{0x4F, "ORL", 1, {Operand::A, Operand::R}, Flow::None, "ORL A,R7"},
    Row{0x50, "JNC", 2, {Operand::Rel}, Flow::Conditional, "JNC %t"},
    Row{0x51, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0x52, "ANL", 2, {Operand::Direct, Operand::A}, Flow::None, "ANL %e1,A"},
    Row{0x53, "ANL", 3, {Operand::Direct, Operand::Imm}, Flow::None, "ANL %e1,#%i2"},
    Row{0x54, "ANL", 2, {Operand::A, Operand::Imm}, Flow::None, "ANL A,#%i1"},
    Row{0x55, "ANL", 2, {Operand::A, Operand::Direct}, Flow::None, "ANL A,%d1"},
    Row{0x56, "ANL", 1, {Operand::A, Operand::AtR}, Flow::None, "ANL A,@R0"},
    Row{0x57, "ANL", 1, {Operand::A, Operand::AtR}, Flow::None, "ANL A,@R1"},
    Row{0x58, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R0"},
    Row{0x59, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R1"},
    Row{0x5A, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R2"},
    Row{0x5B, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R3"},
    Row{0x5C, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R4"},
    Row{0x5D, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R5"},
    Row{0x5E, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R6"},
    Row{0x5F, "ANL", 1, {Operand::A, Operand::R}, Flow::None, "ANL A,R7"},
    Row{0x60, "JZ", 2, {Operand::Rel}, Flow::Conditional, "JZ %t"},
    Row{0x61, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0x62, "XRL", 2, {Operand::Direct, Operand::A}, Flow::None, "XRL %e1,A"},
    Row{0x63, "XRL", 3, {Operand::Direct, Operand::Imm}, Flow::None, "XRL %e1,#%i2"},
    Row{0x64, "XRL", 2, {Operand::A, Operand::Imm}, Flow::None, "XRL A,#%i1"},
    Row{0x65, "XRL", 2, {Operand::A, Operand::Direct}, Flow::None, "XRL A,%d1"},
    Row{0x66, "XRL", 1, {Operand::A, Operand::AtR}, Flow::None, "XRL A,@R0"},
    Row{0x67, "XRL", 1, {Operand::A, Operand::AtR}, Flow::None, "XRL A,@R1"},
    Row{0x68, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R0"},
    Row{0x69, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R1"},
    Row{0x6A, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R2"},
    Row{0x6B, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R3"},
    Row{0x6C, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R4"},
    Row{0x6D, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R5"},
    Row{0x6E, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R6"},
    Row{0x6F, "XRL", 1, {Operand::A, Operand::R}, Flow::None, "XRL A,R7"},
    Row{0x70, "JNZ", 2, {Operand::Rel}, Flow::Conditional, "JNZ %t"},
    Row{0x71, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0x72, "ORL", 2, {Operand::C, Operand::Bit}, Flow::None, "ORL C,%b1"},
    Row{0x73, "JMP", 1, {Operand::AtADptr}, Flow::Indirect, "JMP @A+DPTR"},
    Row{0x74, "MOV", 2, {Operand::A, Operand::Imm}, Flow::None, "MOV A,#%i1"},
    Row{0x75, "MOV", 3, {Operand::Direct, Operand::Imm}, Flow::None, "MOV %e1,#%i2"},
    Row{0x76, "MOV", 2, {Operand::AtR, Operand::Imm}, Flow::None, "MOV @R0,#%i1"},
    Row{0x77, "MOV", 2, {Operand::AtR, Operand::Imm}, Flow::None, "MOV @R1,#%i1"},
    Row{0x78, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R0,#%i1"},
    Row{0x79, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R1,#%i1"},
    Row{0x7A, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R2,#%i1"},
    Row{0x7B, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R3,#%i1"},
    Row{0x7C, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R4,#%i1"},
    Row{0x7D, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R5,#%i1"},
    Row{0x7E, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R6,#%i1"},
    Row{0x7F, "MOV", 2, {Operand::R, Operand::Imm}, Flow::None, "MOV R7,#%i1"},
    Row{0x80, "SJMP", 2, {Operand::Rel}, Flow::Jump, "SJMP %t"},
    Row{0x81, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0x82, "ANL", 2, {Operand::C, Operand::Bit}, Flow::None, "ANL C,%b1"},
    Row{0x83, "MOVC", 1, {Operand::A, Operand::AtAPc}, Flow::None, "MOVC A,@A+PC"},
    Row{0x84, "DIV", 1, {Operand::AB}, Flow::None, "DIV AB"},
    Row{0x85, "MOV", 3, {Operand::Direct, Operand::Direct}, Flow::None, "MOV %e2,%e1"},
    Row{0x86, "MOV", 2, {Operand::Direct, Operand::AtR}, Flow::None, "MOV %e1,@R0"},
    Row{0x87, "MOV", 2, {Operand::Direct, Operand::AtR}, Flow::None, "MOV %e1,@R1"},
    Row{0x88, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R0"},
    Row{0x89, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R1"},
    Row{0x8A, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R2"},
    Row{0x8B, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R3"},
    Row{0x8C, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R4"},
    Row{0x8D, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R5"},
    Row{0x8E, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R6"},
    Row{0x8F, "MOV", 2, {Operand::Direct, Operand::R}, Flow::None, "MOV %e1,R7"},
    Row{0x90, "MOV", 3, {Operand::Dptr, Operand::Imm16}, Flow::None, "MOV DPTR,#%w1"},
    Row{0x91, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0x92, "MOV", 2, {Operand::Bit, Operand::C}, Flow::None, "MOV %b1,C"},
    Row{0x93, "MOVC", 1, {Operand::A, Operand::AtADptr}, Flow::None, "MOVC A,@A+DPTR"},
    Row{0x94, "SUBB", 2, {Operand::A, Operand::Imm}, Flow::None, "SUBB A,#%i1"},
    Row{0x95, "SUBB", 2, {Operand::A, Operand::Direct}, Flow::None, "SUBB A,%d1"},
    Row{0x96, "SUBB", 1, {Operand::A, Operand::AtR}, Flow::None, "SUBB A,@R0"},
    Row{0x97, "SUBB", 1, {Operand::A, Operand::AtR}, Flow::None, "SUBB A,@R1"},
    Row{0x98, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R0"},
    Row{0x99, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R1"},
    Row{0x9A, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R2"},
    Row{0x9B, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R3"},
    Row{0x9C, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R4"},
    Row{0x9D, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R5"},
    Row{0x9E, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R6"},
    Row{0x9F, "SUBB", 1, {Operand::A, Operand::R}, Flow::None, "SUBB A,R7"},
    Row{0xA0, "ORL", 2, {Operand::C, Operand::NotBit}, Flow::None, "ORL C,/%b1"},
    Row{0xA1, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0xA2, "MOV", 2, {Operand::C, Operand::Bit}, Flow::None, "MOV C,%b1"},
    Row{0xA3, "INC", 1, {Operand::Dptr}, Flow::None, "INC DPTR"},
    Row{0xA4, "MUL", 1, {Operand::AB}, Flow::None, "MUL AB"},
    Row{0xA5, "", 1, {}, Flow::None, "DB 0A5H"},
    Row{0xA6, "MOV", 2, {Operand::AtR, Operand::Direct}, Flow::None, "MOV @R0,%e1"},
    Row{0xA7, "MOV", 2, {Operand::AtR, Operand::Direct}, Flow::None, "MOV @R1,%e1"},
    Row{0xA8, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R0,%e1"},
    Row{0xA9, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R1,%e1"},
    Row{0xAA, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R2,%e1"},
    Row{0xAB, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R3,%e1"},
    Row{0xAC, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R4,%e1"},
    Row{0xAD, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R5,%e1"},
    Row{0xAE, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R6,%e1"},
    Row{0xAF, "MOV", 2, {Operand::R, Operand::Direct}, Flow::None, "MOV R7,%e1"},
    Row{0xB0, "ANL", 2, {Operand::C, Operand::NotBit}, Flow::None, "ANL C,/%b1"},
    Row{0xB1, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0xB2, "CPL", 2, {Operand::Bit}, Flow::None, "CPL %b1"},
    Row{0xB3, "CPL", 1, {Operand::C}, Flow::None, "CPL C"},
    Row{0xB4, "CJNE", 3, {Operand::A, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE A,#%i1, %t"},
    Row{0xB5, "CJNE", 3, {Operand::A, Operand::Direct, Operand::Rel}, Flow::Conditional, "CJNE A,%d1, %t"},
    Row{0xB6, "CJNE", 3, {Operand::AtR, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE @R0,#%i1, %t"},
    Row{0xB7, "CJNE", 3, {Operand::AtR, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE @R1,#%i1, %t"},
    Row{0xB8, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R0,#%i1, %t"},
    Row{0xB9, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R1,#%i1, %t"},
    Row{0xBA, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R2,#%i1, %t"},
    Row{0xBB, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R3,#%i1, %t"},
    Row{0xBC, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R4,#%i1, %t"},
    Row{0xBD, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R5,#%i1, %t"},
    Row{0xBE, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R6,#%i1, %t"},
    Row{0xBF, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}, Flow::Conditional, "CJNE R7,#%i1, %t"},
    Row{0xC0, "PUSH", 2, {Operand::Direct}, Flow::None, "PUSH %d1"},
    Row{0xC1, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0xC2, "CLR", 2, {Operand::Bit}, Flow::None, "CLR %b1"},
    Row{0xC3, "CLR", 1, {Operand::C}, Flow::None, "CLR C"},
    Row{0xC4, "SWAP", 1, {Operand::A}, Flow::None, "SWAP A"},
    Row{0xC5, "XCH", 2, {Operand::A, Operand::Direct}, Flow::None, "XCH A,%d1"},
    Row{0xC6, "XCH", 1, {Operand::A, Operand::AtR}, Flow::None, "XCH A,@R0"},
    Row{0xC7, "XCH", 1, {Operand::A, Operand::AtR}, Flow::None, "XCH A,@R1"},
    Row{0xC8, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R0"},
    Row{0xC9, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R1"},
    Row{0xCA, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R2"},
    Row{0xCB, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R3"},
    Row{0xCC, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R4"},
    Row{0xCD, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R5"},
    Row{0xCE, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R6"},
    Row{0xCF, "XCH", 1, {Operand::A, Operand::R}, Flow::None, "XCH A,R7"},
    Row{0xD0, "POP", 2, {Operand::Direct}, Flow::None, "POP %d1"},
    Row{0xD1, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0xD2, "SETB", 2, {Operand::Bit}, Flow::None, "SETB %b1"},
    Row{0xD3, "SETB", 1, {Operand::C}, Flow::None, "SETB C"},
    Row{0xD4, "DA", 1, {Operand::A}, Flow::None, "DA A"},
    Row{0xD5, "DJNZ", 3, {Operand::Direct, Operand::Rel}, Flow::Conditional, "DJNZ %d1, %t"},
    Row{0xD6, "XCHD", 1, {Operand::A, Operand::AtR}, Flow::None, "XCHD A,@R0"},
    Row{0xD7, "XCHD", 1, {Operand::A, Operand::AtR}, Flow::None, "XCHD A,@R1"},
    Row{0xD8, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R0,%t"},
    Row{0xD9, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R1,%t"},
    Row{0xDA, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R2,%t"},
    Row{0xDB, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R3,%t"},
    Row{0xDC, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R4,%t"},
    Row{0xDD, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R5,%t"},
    Row{0xDE, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R6,%t"},
    Row{0xDF, "DJNZ", 2, {Operand::R, Operand::Rel}, Flow::Conditional, "DJNZ R7,%t"},
    Row{0xE0, "MOVX", 1, {Operand::A, Operand::AtDptr}, Flow::None, "MOVX A,@DPTR"},
    Row{0xE1, "AJMP", 2, {Operand::Addr11}, Flow::Jump, "AJMP %t"},
    Row{0xE2, "MOVX", 1, {Operand::A, Operand::AtR}, Flow::None, "MOVX A,@R0"},
    Row{0xE3, "MOVX", 1, {Operand::A, Operand::AtR}, Flow::None, "MOVX A,@R1"},
    Row{0xE4, "CLR", 1, {Operand::A}, Flow::None, "CLR A"},
    Row{0xE5, "MOV", 2, {Operand::A, Operand::Direct}, Flow::None, "MOV A,%d1"},
    Row{0xE6, "MOV", 1, {Operand::A, Operand::AtR}, Flow::None, "MOV A,@R0"},
    Row{0xE7, "MOV", 1, {Operand::A, Operand::AtR}, Flow::None, "MOV A,@R1"},
    Row{0xE8, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R0"},
    Row{0xE9, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R1"},
    Row{0xEA, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R2"},
    Row{0xEB, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R3"},
    Row{0xEC, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R4"},
    Row{0xED, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R5"},
    Row{0xEE, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R6"},
    Row{0xEF, "MOV", 1, {Operand::A, Operand::R}, Flow::None, "MOV A,R7"},
    Row{0xF0, "MOVX", 1, {Operand::AtDptr, Operand::A}, Flow::None, "MOVX @DPTR,A"},
    Row{0xF1, "ACALL", 2, {Operand::Addr11}, Flow::Call, "ACALL %t"},
    Row{0xF2, "MOVX", 1, {Operand::AtR, Operand::A}, Flow::None, "MOVX @R0,A"},
    Row{0xF3, "MOVX", 1, {Operand::AtR, Operand::A}, Flow::None, "MOVX @R1,A"},
    Row{0xF4, "CPL", 1, {Operand::A}, Flow::None, "CPL A"},
    Row{0xF5, "MOV", 2, {Operand::Direct, Operand::A}, Flow::None, "MOV %e1,A"},
    Row{0xF6, "MOV", 1, {Operand::AtR, Operand::A}, Flow::None, "MOV @R0,A"},
    Row{0xF7, "MOV", 1, {Operand::AtR, Operand::A}, Flow::None, "MOV @R1,A"},
    Row{0xF8, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R0,A"},
    Row{0xF9, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R1,A"},
    Row{0xFA, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R2,A"},
    Row{0xFB, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R3,A"},
    Row{0xFC, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R4,A"},
    Row{0xFD, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R5,A"},
    Row{0xFE, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R6,A"},
    Row{0xFF, "MOV", 1, {Operand::R, Operand::A}, Flow::None, "MOV R7,A"},
}};

constexpr bool rowsAreInOpcodeOrder()
{
    for (std::size_t i = 0; i < kOpcodes.size(); ++i)
        if (kOpcodes[i].opcode != i)
            return false;
    return true;
}

constexpr bool lengthsMatchOperands()
{
    for (const auto &row : kOpcodes) {
        int length = 1;
        for (Operand kind : row.operands)
            length += operandBytes(kind);
        if (length != row.length)
            return false;
    }
    return true;
}

constexpr bool hasOperand(const OpcodeRow &row, Operand kind)
{
    for (Operand k : row.operands)
        if (k == kind)
            return true;
    return false;
}

// A row names a target exactly when it transfers control to an address its bytes give, and its
// line writes that target.
constexpr bool flowMatchesOperands()
{
    for (const auto &row : kOpcodes) {
        const bool addressed = hasOperand(row, Operand::Rel) || hasOperand(row, Operand::Addr11) ||
                               hasOperand(row, Operand::Addr16);
        const bool transfer =
            row.flow == Flow::Jump || row.flow == Flow::Call || row.flow == Flow::Conditional;
        if (addressed != transfer || addressed != (row.disassembly.find("%t") != std::string_view::npos))
            return false;
        if (row.flow == Flow::Indirect && !hasOperand(row, Operand::AtADptr))
            return false;
    }
    return true;
}

// A line begins with its mnemonic and reads each operand byte that is no target exactly once.
constexpr bool disassemblyMatchesRow()
{
    for (const auto &row : kOpcodes) {
        const std::string_view text = row.disassembly;
        if (!text.starts_with(row.mnemonic.empty() ? std::string_view("DB") : row.mnemonic))
            return false;
        int fields = 0;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != '%' || text[i + 1] == 't')
                continue;
            if (i + 2 >= text.size() || text[i + 2] < '1' || text[i + 2] - '0' >= row.length)
                return false;
            fields += text[i + 1] == 'w' ? 2 : 1;
        }
        int operandBytesWritten = 0;
        for (Operand kind : row.operands)
            if (kind != Operand::Rel && kind != Operand::Addr11 && kind != Operand::Addr16)
                operandBytesWritten += operandBytes(kind);
        if (fields != operandBytesWritten)
            return false;
    }
    return true;
}

static_assert(rowsAreInOpcodeOrder(), "row i must describe opcode i");
static_assert(lengthsMatchOperands(), "a row's length must be 1 plus its operands' bytes");
static_assert(flowMatchesOperands(), "a row's flow must agree with its operand kinds and line");
static_assert(disassemblyMatchesRow(),
              "a row's line must begin with its mnemonic and read its operand bytes");

// The first opcode of a mnemonic with these operand kinds (for Rn and @Ri forms the one of R0 and
// @R0; the caller adds the register); -1 when the instruction set has no such form.
int findOpcode(std::string_view mnemonic, Operand first = Operand::None, Operand second = Operand::None,
               Operand third = Operand::None);
// The same for a mnemonic in UTF-16, as the assembler holds it.
int findOpcode(std::u16string_view mnemonic, Operand first = Operand::None, Operand second = Operand::None,
               Operand third = Operand::None);

} // namespace tw::mcs51
