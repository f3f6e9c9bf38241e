#pragma once
// The MCS-48 instruction set as data, in the dialect of this system's assembler: one row per
// opcode with its mnemonic, length, operand kinds in source order and flow of control. The
// assembler's forms, the disassembler's lines and the porting tool come from these rows.
#include "isa/Flow.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw::mcs48
{

using isa::Flow;

// Operand kinds. Rn, @Ri and Pp carry their number in the opcode's low bits, Addr11 its page in
// the high three.
enum class Operand : std::uint8_t {
    None,
    A,
    C,
    Rn,   // R0..R7
    AtRi, // @R0, @R1
    AtA,  // @A
    T,
    Psw,
    Pc,
    Ah,
    F0,
    F1,
    P1,
    P2,
    Pp, // P4..P7
    Bus,
    I,
    Tcnti, // TCNTI, written TCHTI in this dialect
    Cnt,
    Tcnt, // TCNT, written TCHT in this dialect
    Clk,
    Rb0,
    Rb1,
    Mb0,
    Mb1,
    Imm,    // #data: the second byte
    Page,   // label in the page of the next instruction: its low eight bits are the second byte
    Addr11, // label: bits 8-10 into opcode bits 5-7, bits 0-7 the second byte
    Other,  // no row has it: what the assembler calls a text that is none of the above
};

// Bytes an operand adds after the opcode.
constexpr int operandBytes(Operand kind)
{
    switch (kind) {
    case Operand::Imm:
    case Operand::Page:
    case Operand::Addr11:
        return 1;
    case Operand::None:
    case Operand::A:
    case Operand::C:
    case Operand::Rn:
    case Operand::AtRi:
    case Operand::AtA:
    case Operand::T:
    case Operand::Psw:
    case Operand::Pc:
    case Operand::Ah:
    case Operand::F0:
    case Operand::F1:
    case Operand::P1:
    case Operand::P2:
    case Operand::Pp:
    case Operand::Bus:
    case Operand::I:
    case Operand::Tcnti:
    case Operand::Cnt:
    case Operand::Tcnt:
    case Operand::Clk:
    case Operand::Rb0:
    case Operand::Rb1:
    case Operand::Mb0:
    case Operand::Mb1:
    case Operand::Other:
        return 0;
    }
    return 0;
}

// The opcode bits an operand's number or page fills; 0 for a kind without one.
constexpr int numberBits(Operand kind)
{
    switch (kind) {
    case Operand::Rn:
        return 0x07;
    case Operand::AtRi:
        return 0x01;
    case Operand::Pp:
        return 0x03;
    case Operand::Addr11:
        return 0xE0;
    case Operand::None:
    case Operand::A:
    case Operand::C:
    case Operand::AtA:
    case Operand::T:
    case Operand::Psw:
    case Operand::Pc:
    case Operand::Ah:
    case Operand::F0:
    case Operand::F1:
    case Operand::P1:
    case Operand::P2:
    case Operand::Bus:
    case Operand::I:
    case Operand::Tcnti:
    case Operand::Cnt:
    case Operand::Tcnt:
    case Operand::Clk:
    case Operand::Rb0:
    case Operand::Rb1:
    case Operand::Mb0:
    case Operand::Mb1:
    case Operand::Imm:
    case Operand::Page:
    case Operand::Other:
        return 0;
    }
    return 0;
}

struct OpcodeRow {
    std::uint8_t opcode;
    std::string_view mnemonic; // empty for the sixteen undefined codes
    std::uint8_t length;
    std::array<Operand, 2> operands;
    Flow flow;
    std::string_view alias = {}; // a second mnemonic the assembler takes for the same form

    constexpr bool defined() const { return !mnemonic.empty(); }
    constexpr bool has(Operand kind) const { return operands[0] == kind || operands[1] == kind; }
    // The row whose numbered operands are all zero: the one an assembler form stands for.
    constexpr bool firstOfGroup() const
    {
        return (opcode & (numberBits(operands[0]) | numberBits(operands[1]))) == 0;
    }
};

using Row = OpcodeRow;

// Intel's encodings, plus the dialect's own: MOV A,PC 22H, CLR AH 87H, DEC @Ri C0H/C1H,
// DJNZ @Ri E0H/E1H, JMPP label D6H, JNTF 06H, JNF1 66H, JNF0 A6H, and IN A,BUS for INS A,BUS.
inline constexpr std::array<OpcodeRow, 256> kOpcodes = {{
    Row{0x00, "NOP", 1, {}, Flow::None},
    Row{0x01, "", 1, {}, Flow::None},
    Row{0x02, "OUTL", 1, {Operand::Bus, Operand::A}, Flow::None},
    Row{0x03, "ADD", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0x04, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0x05, "EN", 1, {Operand::I}, Flow::None},
    Row{0x06, "JNTF", 2, {Operand::Page}, Flow::Conditional},
    Row{0x07, "DEC", 1, {Operand::A}, Flow::None},
    Row{0x08, "INS", 1, {Operand::A, Operand::Bus}, Flow::None, "IN"},
    Row{0x09, "IN", 1, {Operand::A, Operand::P1}, Flow::None},
    Row{0x0A, "IN", 1, {Operand::A, Operand::P2}, Flow::None},
    Row{0x0B, "", 1, {}, Flow::None},
    Row{0x0C, "MOVD", 1, {Operand::A, Operand::Pp}, Flow::None},
    Row{0x0D, "MOVD", 1, {Operand::A, Operand::Pp}, Flow::None},
    Row{0x0E, "MOVD", 1, {Operand::A, Operand::Pp}, Flow::None},
    Row{0x0F, "MOVD", 1, {Operand::A, Operand::Pp}, Flow::None},
    Row{0x10, "INC", 1, {Operand::AtRi}, Flow::None},
    Row{0x11, "INC", 1, {Operand::AtRi}, Flow::None},
    Row{0x12, "JB0", 2, {Operand::Page}, Flow::Conditional},
    Row{0x13, "ADDC", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0x14, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0x15, "DIS", 1, {Operand::I}, Flow::None},
    Row{0x16, "JTF", 2, {Operand::Page}, Flow::Conditional},
    Row{0x17, "INC", 1, {Operand::A}, Flow::None},
    Row{0x18, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x19, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1A, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1B, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1C, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1D, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1E, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x1F, "INC", 1, {Operand::Rn}, Flow::None},
    Row{0x20, "XCH", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x21, "XCH", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x22, "MOV", 1, {Operand::A, Operand::Pc}, Flow::None},
    Row{0x23, "MOV", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0x24, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0x25, "EN", 1, {Operand::Tcnti}, Flow::None},
    Row{0x26, "JNT0", 2, {Operand::Page}, Flow::Conditional},
    Row{0x27, "CLR", 1, {Operand::A}, Flow::None},
    Row{0x28, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x29, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2A, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2B, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2C, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2D, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2E, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x2F, "XCH", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x30, "XCHD", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x31, "XCHD", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x32, "JB1", 2, {Operand::Page}, Flow::Conditional},
    Row{0x33, "", 1, {}, Flow::None},
    Row{0x34, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0x35, "DIS", 1, {Operand::Tcnti}, Flow::None},
    Row{0x36, "JT0", 2, {Operand::Page}, Flow::Conditional},
    Row{0x37, "CPL", 1, {Operand::A}, Flow::None},
    Row{0x38, "", 1, {}, Flow::None},
    Row{0x39, "OUTL", 1, {Operand::P1, Operand::A}, Flow::None},
    Row{0x3A, "OUTL", 1, {Operand::P2, Operand::A}, Flow::None},
    Row{0x3B, "", 1, {}, Flow::None},
    Row{0x3C, "MOVD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x3D, "MOVD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x3E, "MOVD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x3F, "MOVD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x40, "ORL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x41, "ORL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x42, "MOV", 1, {Operand::A, Operand::T}, Flow::None},
    Row{0x43, "ORL", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0x44, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0x45, "STRT", 1, {Operand::Cnt}, Flow::None},
    Row{0x46, "JNT1", 2, {Operand::Page}, Flow::Conditional},
    Row{0x47, "SWAP", 1, {Operand::A}, Flow::None},
    Row{0x48, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x49, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4A, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4B, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4C, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4D, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4E, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x4F, "ORL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x50, "ANL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x51, "ANL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x52, "JB2", 2, {Operand::Page}, Flow::Conditional},
    Row{0x53, "ANL", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0x54, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0x55, "STRT", 1, {Operand::T}, Flow::None},
    Row{0x56, "JT1", 2, {Operand::Page}, Flow::Conditional},
    Row{0x57, "DA", 1, {Operand::A}, Flow::None},
    Row{0x58, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x59, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5A, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5B, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5C, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5D, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5E, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x5F, "ANL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x60, "ADD", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x61, "ADD", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x62, "MOV", 1, {Operand::T, Operand::A}, Flow::None},
    Row{0x63, "", 1, {}, Flow::None},
    Row{0x64, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0x65, "STOP", 1, {Operand::Tcnt}, Flow::None},
    Row{0x66, "JNF1", 2, {Operand::Page}, Flow::Conditional},
    Row{0x67, "RRC", 1, {Operand::A}, Flow::None},
    Row{0x68, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x69, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6A, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6B, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6C, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6D, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6E, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x6F, "ADD", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x70, "ADDC", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x71, "ADDC", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x72, "JB3", 2, {Operand::Page}, Flow::Conditional},
    Row{0x73, "", 1, {}, Flow::None},
    Row{0x74, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0x75, "ENT0", 1, {Operand::Clk}, Flow::None},
    Row{0x76, "JF1", 2, {Operand::Page}, Flow::Conditional},
    Row{0x77, "RR", 1, {Operand::A}, Flow::None},
    Row{0x78, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x79, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7A, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7B, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7C, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7D, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7E, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x7F, "ADDC", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0x80, "MOVX", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x81, "MOVX", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0x82, "", 1, {}, Flow::None},
    Row{0x83, "RET", 1, {}, Flow::Return},
    Row{0x84, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0x85, "CLR", 1, {Operand::F0}, Flow::None},
    Row{0x86, "JNI", 2, {Operand::Page}, Flow::Conditional},
    Row{0x87, "CLR", 1, {Operand::Ah}, Flow::None},
    Row{0x88, "ORL", 2, {Operand::Bus, Operand::Imm}, Flow::None},
    Row{0x89, "ORL", 2, {Operand::P1, Operand::Imm}, Flow::None},
    Row{0x8A, "ORL", 2, {Operand::P2, Operand::Imm}, Flow::None},
    Row{0x8B, "", 1, {}, Flow::None},
    Row{0x8C, "ORLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x8D, "ORLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x8E, "ORLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x8F, "ORLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x90, "MOVX", 1, {Operand::AtRi, Operand::A}, Flow::None},
    Row{0x91, "MOVX", 1, {Operand::AtRi, Operand::A}, Flow::None},
    Row{0x92, "JB4", 2, {Operand::Page}, Flow::Conditional},
    Row{0x93, "RETI", 1, {}, Flow::Return},
    Row{0x94, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0x95, "CPL", 1, {Operand::F0}, Flow::None},
    Row{0x96, "JNZ", 2, {Operand::Page}, Flow::Conditional},
    Row{0x97, "CLR", 1, {Operand::C}, Flow::None},
    Row{0x98, "ANL", 2, {Operand::Bus, Operand::Imm}, Flow::None},
    Row{0x99, "ANL", 2, {Operand::P1, Operand::Imm}, Flow::None},
    Row{0x9A, "ANL", 2, {Operand::P2, Operand::Imm}, Flow::None},
    Row{0x9B, "", 1, {}, Flow::None},
    Row{0x9C, "ANLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x9D, "ANLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x9E, "ANLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0x9F, "ANLD", 1, {Operand::Pp, Operand::A}, Flow::None},
    Row{0xA0, "MOV", 1, {Operand::AtRi, Operand::A}, Flow::None},
    Row{0xA1, "MOV", 1, {Operand::AtRi, Operand::A}, Flow::None},
    Row{0xA2, "", 1, {}, Flow::None},
    Row{0xA3, "MOVP", 1, {Operand::A, Operand::AtA}, Flow::None},
    Row{0xA4, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0xA5, "CLR", 1, {Operand::F1}, Flow::None},
    Row{0xA6, "JNF0", 2, {Operand::Page}, Flow::Conditional},
    Row{0xA7, "CPL", 1, {Operand::C}, Flow::None},
    Row{0xA8, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xA9, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAA, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAB, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAC, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAD, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAE, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xAF, "MOV", 1, {Operand::Rn, Operand::A}, Flow::None},
    Row{0xB0, "MOV", 2, {Operand::AtRi, Operand::Imm}, Flow::None},
    Row{0xB1, "MOV", 2, {Operand::AtRi, Operand::Imm}, Flow::None},
    Row{0xB2, "JB5", 2, {Operand::Page}, Flow::Conditional},
    Row{0xB3, "JMPP", 1, {Operand::AtA}, Flow::Indirect},
    Row{0xB4, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0xB5, "CPL", 1, {Operand::F1}, Flow::None},
    Row{0xB6, "JF0", 2, {Operand::Page}, Flow::Conditional},
    Row{0xB7, "", 1, {}, Flow::None},
    Row{0xB8, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xB9, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBA, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBB, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBC, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBD, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBE, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xBF, "MOV", 2, {Operand::Rn, Operand::Imm}, Flow::None},
    Row{0xC0, "DEC", 1, {Operand::AtRi}, Flow::None},
    Row{0xC1, "DEC", 1, {Operand::AtRi}, Flow::None},
    Row{0xC2, "", 1, {}, Flow::None},
    Row{0xC3, "", 1, {}, Flow::None},
    Row{0xC4, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0xC5, "SEL", 1, {Operand::Rb0}, Flow::None},
    Row{0xC6, "JZ", 2, {Operand::Page}, Flow::Conditional},
    Row{0xC7, "MOV", 1, {Operand::A, Operand::Psw}, Flow::None},
    Row{0xC8, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xC9, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCA, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCB, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCC, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCD, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCE, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xCF, "DEC", 1, {Operand::Rn}, Flow::None},
    Row{0xD0, "XRL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0xD1, "XRL", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0xD2, "JB6", 2, {Operand::Page}, Flow::Conditional},
    Row{0xD3, "XRL", 2, {Operand::A, Operand::Imm}, Flow::None},
    Row{0xD4, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0xD5, "SEL", 1, {Operand::Rb1}, Flow::None},
    Row{0xD6, "JMPP", 2, {Operand::Page}, Flow::Jump},
    Row{0xD7, "MOV", 1, {Operand::Psw, Operand::A}, Flow::None},
    Row{0xD8, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xD9, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDA, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDB, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDC, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDD, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDE, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xDF, "XRL", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xE0, "DJNZ", 2, {Operand::AtRi, Operand::Page}, Flow::Conditional},
    Row{0xE1, "DJNZ", 2, {Operand::AtRi, Operand::Page}, Flow::Conditional},
    Row{0xE2, "", 1, {}, Flow::None},
    Row{0xE3, "MOVP3", 1, {Operand::A, Operand::AtA}, Flow::None},
    Row{0xE4, "JMP", 2, {Operand::Addr11}, Flow::Jump},
    Row{0xE5, "SEL", 1, {Operand::Mb0}, Flow::BankSelect},
    Row{0xE6, "JNC", 2, {Operand::Page}, Flow::Conditional},
    Row{0xE7, "RL", 1, {Operand::A}, Flow::None},
    Row{0xE8, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xE9, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xEA, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xEB, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xEC, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xED, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xEE, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xEF, "DJNZ", 2, {Operand::Rn, Operand::Page}, Flow::Conditional},
    Row{0xF0, "MOV", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0xF1, "MOV", 1, {Operand::A, Operand::AtRi}, Flow::None},
    Row{0xF2, "JB7", 2, {Operand::Page}, Flow::Conditional},
    Row{0xF3, "", 1, {}, Flow::None},
    Row{0xF4, "CALL", 2, {Operand::Addr11}, Flow::Call},
    Row{0xF5, "SEL", 1, {Operand::Mb1}, Flow::BankSelect},
    Row{0xF6, "JC", 2, {Operand::Page}, Flow::Conditional},
    Row{0xF7, "RLC", 1, {Operand::A}, Flow::None},
    Row{0xF8, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xF9, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFA, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFB, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFC, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFD, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFE, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
    Row{0xFF, "MOV", 1, {Operand::A, Operand::Rn}, Flow::None},
}};

// The name this dialect writes for an operand kind without a number; empty for the others.
constexpr std::string_view operandName(Operand kind)
{
    switch (kind) {
    case Operand::A:
        return "A";
    case Operand::C:
        return "C";
    case Operand::AtA:
        return "@A";
    case Operand::T:
        return "T";
    case Operand::Psw:
        return "PSW";
    case Operand::Pc:
        return "PC";
    case Operand::Ah:
        return "AH";
    case Operand::F0:
        return "F0";
    case Operand::F1:
        return "F1";
    case Operand::P1:
        return "P1";
    case Operand::P2:
        return "P2";
    case Operand::Bus:
        return "BUS";
    case Operand::I:
        return "I";
    case Operand::Tcnti:
        return "TCHTI";
    case Operand::Cnt:
        return "CNT";
    case Operand::Tcnt:
        return "TCHT";
    case Operand::Clk:
        return "CLK";
    case Operand::Rb0:
        return "RB0";
    case Operand::Rb1:
        return "RB1";
    case Operand::Mb0:
        return "MB0";
    case Operand::Mb1:
        return "MB1";
    case Operand::None:
    case Operand::Rn:
    case Operand::AtRi:
    case Operand::Pp:
    case Operand::Imm:
    case Operand::Page:
    case Operand::Addr11:
    case Operand::Other:
        return {};
    }
    return {};
}

// A defined row's line as the disassembler writes it, up to the operand byte: "MOV R3,#",
// "DJNZ R0,", "JMP ", "INS A,BUS". The immediate's digits or the target's label follow.
std::string disassemblyLead(const OpcodeRow &row);

namespace checks
{
constexpr bool rowsInOpcodeOrder()
{
    for (std::size_t i = 0; i < kOpcodes.size(); ++i)
        if (kOpcodes[i].opcode != i)
            return false;
    return true;
}

// Lengths agree with operand kinds; a row has a target operand exactly when it transfers to an
// address its bytes give; the numbered operands of a row agree with its opcode's group.
constexpr bool rowsConsistent()
{
    for (const OpcodeRow &row : kOpcodes) {
        if (row.length != 1 + operandBytes(row.operands[0]) + operandBytes(row.operands[1]))
            return false;
        if (!row.defined() && (row.length != 1 || row.flow != Flow::None || row.operands[0] != Operand::None))
            return false;
        const bool addressed = row.has(Operand::Page) || row.has(Operand::Addr11);
        const bool transfer =
            row.flow == Flow::Jump || row.flow == Flow::Call || row.flow == Flow::Conditional;
        if (addressed != transfer)
            return false;
        if (row.flow == Flow::Indirect && !row.has(Operand::AtA))
            return false;
        if (row.has(Operand::Other) || (row.operands[0] == Operand::None && row.operands[1] != Operand::None))
            return false;
        // Every member of a group has the same mnemonic and kinds as the group's first row.
        const int bits = numberBits(row.operands[0]) | numberBits(row.operands[1]);
        const OpcodeRow &first = kOpcodes[static_cast<std::size_t>(row.opcode & ~bits)];
        if (first.mnemonic != row.mnemonic || first.operands != row.operands)
            return false;
    }
    return true;
}

constexpr int count(Flow flow, bool defined = true)
{
    int n = 0;
    for (const OpcodeRow &row : kOpcodes)
        n += row.flow == flow && row.defined() == defined;
    return n;
}

constexpr int countWith(Operand kind)
{
    int n = 0;
    for (const OpcodeRow &row : kOpcodes)
        n += row.has(kind);
    return n;
}

static_assert(rowsInOpcodeOrder(), "row i must describe opcode i");
static_assert(rowsConsistent(), "a row's length, flow and groups must agree with its operand kinds");
static_assert(count(Flow::None, false) == 16);
static_assert(count(Flow::None) == 185);
static_assert(countWith(Operand::Imm) == 22);
static_assert(countWith(Operand::Addr11) == 16);
static_assert(countWith(Operand::Page) == 34);
static_assert(count(Flow::Conditional) == 33);
static_assert(count(Flow::Jump) == 9); // 8 JMP, JMPP label
static_assert(count(Flow::Indirect) == 1);
static_assert(count(Flow::Call) == 8);
static_assert(count(Flow::Return) == 2);
static_assert(count(Flow::BankSelect) == 2);
} // namespace checks

} // namespace tw::mcs48
