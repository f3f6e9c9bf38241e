#pragma once
// The MCS-51 instruction set as data: one row per opcode, its mnemonic, its length and the kinds
// of its operands in source order. The encoder, the every-opcode tests and any decoder read it.
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

struct OpcodeRow {
    std::uint8_t opcode;
    std::string_view mnemonic; // empty for the one undefined opcode A5H
    std::uint8_t length;
    std::array<Operand, 3> operands;

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
    Row{0x00, "NOP", 1, {}},
    Row{0x01, "AJMP", 2, {Operand::Addr11}},
    Row{0x02, "LJMP", 3, {Operand::Addr16}},
    Row{0x03, "RR", 1, {Operand::A}},
    Row{0x04, "INC", 1, {Operand::A}},
    Row{0x05, "INC", 2, {Operand::Direct}},
    Row{0x06, "INC", 1, {Operand::AtR}},
    Row{0x07, "INC", 1, {Operand::AtR}},
    Row{0x08, "INC", 1, {Operand::R}},
    Row{0x09, "INC", 1, {Operand::R}},
    Row{0x0A, "INC", 1, {Operand::R}},
    Row{0x0B, "INC", 1, {Operand::R}},
    Row{0x0C, "INC", 1, {Operand::R}},
    Row{0x0D, "INC", 1, {Operand::R}},
    Row{0x0E, "INC", 1, {Operand::R}},
    Row{0x0F, "INC", 1, {Operand::R}},
    Row{0x10, "JBC", 3, {Operand::Bit, Operand::Rel}},
    Row{0x11, "ACALL", 2, {Operand::Addr11}},
    Row{0x12, "LCALL", 3, {Operand::Addr16}},
    Row{0x13, "RRC", 1, {Operand::A}},
    Row{0x14, "DEC", 1, {Operand::A}},
    Row{0x15, "DEC", 2, {Operand::Direct}},
    Row{0x16, "DEC", 1, {Operand::AtR}},
    Row{0x17, "DEC", 1, {Operand::AtR}},
    Row{0x18, "DEC", 1, {Operand::R}},
    Row{0x19, "DEC", 1, {Operand::R}},
    Row{0x1A, "DEC", 1, {Operand::R}},
    Row{0x1B, "DEC", 1, {Operand::R}},
    Row{0x1C, "DEC", 1, {Operand::R}},
    Row{0x1D, "DEC", 1, {Operand::R}},
    Row{0x1E, "DEC", 1, {Operand::R}},
    Row{0x1F, "DEC", 1, {Operand::R}},
    Row{0x20, "JB", 3, {Operand::Bit, Operand::Rel}},
    Row{0x21, "AJMP", 2, {Operand::Addr11}},
    Row{0x22, "RET", 1, {}},
    Row{0x23, "RL", 1, {Operand::A}},
    Row{0x24, "ADD", 2, {Operand::A, Operand::Imm}},
    Row{0x25, "ADD", 2, {Operand::A, Operand::Direct}},
    Row{0x26, "ADD", 1, {Operand::A, Operand::AtR}},
    Row{0x27, "ADD", 1, {Operand::A, Operand::AtR}},
    Row{0x28, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x29, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2A, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2B, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2C, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2D, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2E, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x2F, "ADD", 1, {Operand::A, Operand::R}},
    Row{0x30, "JNB", 3, {Operand::Bit, Operand::Rel}},
    Row{0x31, "ACALL", 2, {Operand::Addr11}},
    Row{0x32, "RETI", 1, {}},
    Row{0x33, "RLC", 1, {Operand::A}},
    Row{0x34, "ADDC", 2, {Operand::A, Operand::Imm}},
    Row{0x35, "ADDC", 2, {Operand::A, Operand::Direct}},
    Row{0x36, "ADDC", 1, {Operand::A, Operand::AtR}},
    Row{0x37, "ADDC", 1, {Operand::A, Operand::AtR}},
    Row{0x38, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x39, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3A, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3B, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3C, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3D, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3E, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x3F, "ADDC", 1, {Operand::A, Operand::R}},
    Row{0x40, "JC", 2, {Operand::Rel}},
    Row{0x41, "AJMP", 2, {Operand::Addr11}},
    Row{0x42, "ORL", 2, {Operand::Direct, Operand::A}},
    Row{0x43, "ORL", 3, {Operand::Direct, Operand::Imm}},
    Row{0x44, "ORL", 2, {Operand::A, Operand::Imm}},
    Row{0x45, "ORL", 2, {Operand::A, Operand::Direct}},
    Row{0x46, "ORL", 1, {Operand::A, Operand::AtR}},
    Row{0x47, "ORL", 1, {Operand::A, Operand::AtR}},
    Row{0x48, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x49, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4A, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4B, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4C, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4D, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4E, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x4F, "ORL", 1, {Operand::A, Operand::R}},
    Row{0x50, "JNC", 2, {Operand::Rel}},
    Row{0x51, "ACALL", 2, {Operand::Addr11}},
    Row{0x52, "ANL", 2, {Operand::Direct, Operand::A}},
    Row{0x53, "ANL", 3, {Operand::Direct, Operand::Imm}},
    Row{0x54, "ANL", 2, {Operand::A, Operand::Imm}},
    Row{0x55, "ANL", 2, {Operand::A, Operand::Direct}},
    Row{0x56, "ANL", 1, {Operand::A, Operand::AtR}},
    Row{0x57, "ANL", 1, {Operand::A, Operand::AtR}},
    Row{0x58, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x59, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5A, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5B, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5C, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5D, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5E, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x5F, "ANL", 1, {Operand::A, Operand::R}},
    Row{0x60, "JZ", 2, {Operand::Rel}},
    Row{0x61, "AJMP", 2, {Operand::Addr11}},
    Row{0x62, "XRL", 2, {Operand::Direct, Operand::A}},
    Row{0x63, "XRL", 3, {Operand::Direct, Operand::Imm}},
    Row{0x64, "XRL", 2, {Operand::A, Operand::Imm}},
    Row{0x65, "XRL", 2, {Operand::A, Operand::Direct}},
    Row{0x66, "XRL", 1, {Operand::A, Operand::AtR}},
    Row{0x67, "XRL", 1, {Operand::A, Operand::AtR}},
    Row{0x68, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x69, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6A, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6B, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6C, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6D, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6E, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x6F, "XRL", 1, {Operand::A, Operand::R}},
    Row{0x70, "JNZ", 2, {Operand::Rel}},
    Row{0x71, "ACALL", 2, {Operand::Addr11}},
    Row{0x72, "ORL", 2, {Operand::C, Operand::Bit}},
    Row{0x73, "JMP", 1, {Operand::AtADptr}},
    Row{0x74, "MOV", 2, {Operand::A, Operand::Imm}},
    Row{0x75, "MOV", 3, {Operand::Direct, Operand::Imm}},
    Row{0x76, "MOV", 2, {Operand::AtR, Operand::Imm}},
    Row{0x77, "MOV", 2, {Operand::AtR, Operand::Imm}},
    Row{0x78, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x79, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7A, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7B, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7C, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7D, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7E, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x7F, "MOV", 2, {Operand::R, Operand::Imm}},
    Row{0x80, "SJMP", 2, {Operand::Rel}},
    Row{0x81, "AJMP", 2, {Operand::Addr11}},
    Row{0x82, "ANL", 2, {Operand::C, Operand::Bit}},
    Row{0x83, "MOVC", 1, {Operand::A, Operand::AtAPc}},
    Row{0x84, "DIV", 1, {Operand::AB}},
    Row{0x85, "MOV", 3, {Operand::Direct, Operand::Direct}},
    Row{0x86, "MOV", 2, {Operand::Direct, Operand::AtR}},
    Row{0x87, "MOV", 2, {Operand::Direct, Operand::AtR}},
    Row{0x88, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x89, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8A, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8B, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8C, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8D, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8E, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x8F, "MOV", 2, {Operand::Direct, Operand::R}},
    Row{0x90, "MOV", 3, {Operand::Dptr, Operand::Imm16}},
    Row{0x91, "ACALL", 2, {Operand::Addr11}},
    Row{0x92, "MOV", 2, {Operand::Bit, Operand::C}},
    Row{0x93, "MOVC", 1, {Operand::A, Operand::AtADptr}},
    Row{0x94, "SUBB", 2, {Operand::A, Operand::Imm}},
    Row{0x95, "SUBB", 2, {Operand::A, Operand::Direct}},
    Row{0x96, "SUBB", 1, {Operand::A, Operand::AtR}},
    Row{0x97, "SUBB", 1, {Operand::A, Operand::AtR}},
    Row{0x98, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x99, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9A, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9B, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9C, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9D, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9E, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0x9F, "SUBB", 1, {Operand::A, Operand::R}},
    Row{0xA0, "ORL", 2, {Operand::C, Operand::NotBit}},
    Row{0xA1, "AJMP", 2, {Operand::Addr11}},
    Row{0xA2, "MOV", 2, {Operand::C, Operand::Bit}},
    Row{0xA3, "INC", 1, {Operand::Dptr}},
    Row{0xA4, "MUL", 1, {Operand::AB}},
    Row{0xA5, "", 1, {}},
    Row{0xA6, "MOV", 2, {Operand::AtR, Operand::Direct}},
    Row{0xA7, "MOV", 2, {Operand::AtR, Operand::Direct}},
    Row{0xA8, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xA9, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAA, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAB, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAC, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAD, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAE, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xAF, "MOV", 2, {Operand::R, Operand::Direct}},
    Row{0xB0, "ANL", 2, {Operand::C, Operand::NotBit}},
    Row{0xB1, "ACALL", 2, {Operand::Addr11}},
    Row{0xB2, "CPL", 2, {Operand::Bit}},
    Row{0xB3, "CPL", 1, {Operand::C}},
    Row{0xB4, "CJNE", 3, {Operand::A, Operand::Imm, Operand::Rel}},
    Row{0xB5, "CJNE", 3, {Operand::A, Operand::Direct, Operand::Rel}},
    Row{0xB6, "CJNE", 3, {Operand::AtR, Operand::Imm, Operand::Rel}},
    Row{0xB7, "CJNE", 3, {Operand::AtR, Operand::Imm, Operand::Rel}},
    Row{0xB8, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xB9, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBA, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBB, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBC, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBD, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBE, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xBF, "CJNE", 3, {Operand::R, Operand::Imm, Operand::Rel}},
    Row{0xC0, "PUSH", 2, {Operand::Direct}},
    Row{0xC1, "AJMP", 2, {Operand::Addr11}},
    Row{0xC2, "CLR", 2, {Operand::Bit}},
    Row{0xC3, "CLR", 1, {Operand::C}},
    Row{0xC4, "SWAP", 1, {Operand::A}},
    Row{0xC5, "XCH", 2, {Operand::A, Operand::Direct}},
    Row{0xC6, "XCH", 1, {Operand::A, Operand::AtR}},
    Row{0xC7, "XCH", 1, {Operand::A, Operand::AtR}},
    Row{0xC8, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xC9, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCA, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCB, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCC, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCD, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCE, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xCF, "XCH", 1, {Operand::A, Operand::R}},
    Row{0xD0, "POP", 2, {Operand::Direct}},
    Row{0xD1, "ACALL", 2, {Operand::Addr11}},
    Row{0xD2, "SETB", 2, {Operand::Bit}},
    Row{0xD3, "SETB", 1, {Operand::C}},
    Row{0xD4, "DA", 1, {Operand::A}},
    Row{0xD5, "DJNZ", 3, {Operand::Direct, Operand::Rel}},
    Row{0xD6, "XCHD", 1, {Operand::A, Operand::AtR}},
    Row{0xD7, "XCHD", 1, {Operand::A, Operand::AtR}},
    Row{0xD8, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xD9, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDA, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDB, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDC, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDD, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDE, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xDF, "DJNZ", 2, {Operand::R, Operand::Rel}},
    Row{0xE0, "MOVX", 1, {Operand::A, Operand::AtDptr}},
    Row{0xE1, "AJMP", 2, {Operand::Addr11}},
    Row{0xE2, "MOVX", 1, {Operand::A, Operand::AtR}},
    Row{0xE3, "MOVX", 1, {Operand::A, Operand::AtR}},
    Row{0xE4, "CLR", 1, {Operand::A}},
    Row{0xE5, "MOV", 2, {Operand::A, Operand::Direct}},
    Row{0xE6, "MOV", 1, {Operand::A, Operand::AtR}},
    Row{0xE7, "MOV", 1, {Operand::A, Operand::AtR}},
    Row{0xE8, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xE9, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xEA, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xEB, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xEC, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xED, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xEE, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xEF, "MOV", 1, {Operand::A, Operand::R}},
    Row{0xF0, "MOVX", 1, {Operand::AtDptr, Operand::A}},
    Row{0xF1, "ACALL", 2, {Operand::Addr11}},
    Row{0xF2, "MOVX", 1, {Operand::AtR, Operand::A}},
    Row{0xF3, "MOVX", 1, {Operand::AtR, Operand::A}},
    Row{0xF4, "CPL", 1, {Operand::A}},
    Row{0xF5, "MOV", 2, {Operand::Direct, Operand::A}},
    Row{0xF6, "MOV", 1, {Operand::AtR, Operand::A}},
    Row{0xF7, "MOV", 1, {Operand::AtR, Operand::A}},
    Row{0xF8, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xF9, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFA, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFB, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFC, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFD, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFE, "MOV", 1, {Operand::R, Operand::A}},
    Row{0xFF, "MOV", 1, {Operand::R, Operand::A}},
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

static_assert(rowsAreInOpcodeOrder(), "row i must describe opcode i");
static_assert(lengthsMatchOperands(), "a row's length must be 1 plus its operands' bytes");

// The first opcode of a mnemonic with these operand kinds (for Rn and @Ri forms the one of R0 and
// @R0; the caller adds the register); -1 when the instruction set has no such form.
int findOpcode(std::string_view mnemonic, Operand first = Operand::None, Operand second = Operand::None,
               Operand third = Operand::None);
// The same for a mnemonic in UTF-16, as the assembler holds it.
int findOpcode(std::u16string_view mnemonic, Operand first = Operand::None, Operand second = Operand::None,
               Operand third = Operand::None);

} // namespace tw::mcs51
