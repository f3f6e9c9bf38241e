#pragma once
// The MCS-48 instruction set as this system's disassembler writes it (the dialect of its MCS-48
// assembler): one row per opcode, data only.
#include <array>
#include <cstdint>
#include <string_view>

namespace tw
{

// How the byte after the opcode is used.
enum class Operand48 : std::uint8_t {
    None,      // one-byte instruction
    Immediate, // "#" + two hex digits + "H"
    Page,      // target within the 256-byte page of the next instruction
    Long,      // target = opcode bits 7-5 as page + operand, plus 800H in memory bank 1
};

// What follows the instruction in the flow of control.
enum class Flow48 : std::uint8_t {
    FallsThrough,
    Branch,     // conditional: both the target and the next instruction
    Jump,       // only the target (JMPP @A: unknown target)
    Call,       // the target, then the next instruction
    Return,     // nothing
    BankSelect, // falls through, switches the memory bank of later JMP/CALL targets
    Undefined,  // no instruction: the disassembly fails
};

struct Opcode48 {
    std::uint8_t opcode;
    std::string_view text; // includes the operand's lead-in: "#", blank or comma
    std::uint8_t length;   // 0 for an undefined code
    Operand48 operand;
    Flow48 flow;
};

inline constexpr std::array<Opcode48, 256> kOpcodes48{{
    {0x00, "NOP", 1, Operand48::None, Flow48::FallsThrough},
    {0x01, "", 0, Operand48::None, Flow48::Undefined},
    {0x02, "OUTL BUS,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x03, "ADD A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x04, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0x05, "EN I", 1, Operand48::None, Flow48::FallsThrough},
    {0x06, "JNTF ", 2, Operand48::Page, Flow48::Branch},
    {0x07, "DEC A", 1, Operand48::None, Flow48::FallsThrough},
    {0x08, "INS A,BUS", 1, Operand48::None, Flow48::FallsThrough},
    {0x09, "IN A,P1", 1, Operand48::None, Flow48::FallsThrough},
    {0x0A, "IN A,P2", 1, Operand48::None, Flow48::FallsThrough},
    {0x0B, "", 0, Operand48::None, Flow48::Undefined},
    {0x0C, "MOVD A,P4", 1, Operand48::None, Flow48::FallsThrough},
    {0x0D, "MOVD A,P5", 1, Operand48::None, Flow48::FallsThrough},
    {0x0E, "MOVD A,P6", 1, Operand48::None, Flow48::FallsThrough},
    {0x0F, "MOVD A,P7", 1, Operand48::None, Flow48::FallsThrough},
    {0x10, "INC @R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x11, "INC @R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x12, "JB0 ", 2, Operand48::Page, Flow48::Branch},
    {0x13, "ADDC A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x14, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0x15, "DIS I", 1, Operand48::None, Flow48::FallsThrough},
    {0x16, "JTF ", 2, Operand48::Page, Flow48::Branch},
    {0x17, "INC A", 1, Operand48::None, Flow48::FallsThrough},
    {0x18, "INC R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x19, "INC R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x1A, "INC R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x1B, "INC R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x1C, "INC R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x1D, "INC R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x1E, "INC R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x1F, "INC R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x20, "XCH A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x21, "XCH A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x22, "MOV A,PC", 1, Operand48::None, Flow48::FallsThrough},
    {0x23, "MOV A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x24, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0x25, "EN TCHTI", 1, Operand48::None, Flow48::FallsThrough},
    {0x26, "JNT0 ", 2, Operand48::Page, Flow48::Branch},
    {0x27, "CLR A", 1, Operand48::None, Flow48::FallsThrough},
    {0x28, "XCH A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x29, "XCH A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x2A, "XCH A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x2B, "XCH A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x2C, "XCH A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x2D, "XCH A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x2E, "XCH A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x2F, "XCH A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x30, "XCHD A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x31, "XCHD A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x32, "JB1 ", 2, Operand48::Page, Flow48::Branch},
    {0x33, "", 0, Operand48::None, Flow48::Undefined},
    {0x34, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0x35, "DIS TCHTI", 1, Operand48::None, Flow48::FallsThrough},
    {0x36, "JT0 ", 2, Operand48::Page, Flow48::Branch},
    {0x37, "CPL A", 1, Operand48::None, Flow48::FallsThrough},
    {0x38, "", 0, Operand48::None, Flow48::Undefined},
    {0x39, "OUTL P1,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x3A, "OUTL P2,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x3B, "", 0, Operand48::None, Flow48::Undefined},
    {0x3C, "MOVD P4,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x3D, "MOVD P5,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x3E, "MOVD P6,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x3F, "MOVD P7,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x40, "ORL A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x41, "ORL A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x42, "MOV A,T", 1, Operand48::None, Flow48::FallsThrough},
    {0x43, "ORL A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x44, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0x45, "STRT CNT", 1, Operand48::None, Flow48::FallsThrough},
    {0x46, "JNT1 ", 2, Operand48::Page, Flow48::Branch},
    {0x47, "SWAP A", 1, Operand48::None, Flow48::FallsThrough},
    {0x48, "ORL A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x49, "ORL A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x4A, "ORL A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x4B, "ORL A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x4C, "ORL A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x4D, "ORL A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x4E, "ORL A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x4F, "ORL A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x50, "ANL A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x51, "ANL A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x52, "JB2 ", 2, Operand48::Page, Flow48::Branch},
    {0x53, "ANL A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x54, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0x55, "STRT T", 1, Operand48::None, Flow48::FallsThrough},
    {0x56, "JT1 ", 2, Operand48::Page, Flow48::Branch},
    {0x57, "DA A", 1, Operand48::None, Flow48::FallsThrough},
    {0x58, "ANL A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x59, "ANL A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x5A, "ANL A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x5B, "ANL A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x5C, "ANL A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x5D, "ANL A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x5E, "ANL A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x5F, "ANL A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x60, "ADD A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x61, "ADD A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x62, "MOV T,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x63, "", 0, Operand48::None, Flow48::Undefined},
    {0x64, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0x65, "STOP TCHT", 1, Operand48::None, Flow48::FallsThrough},
    {0x66, "JNF1 ", 2, Operand48::Page, Flow48::Branch},
    {0x67, "RRC A", 1, Operand48::None, Flow48::FallsThrough},
    {0x68, "ADD A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x69, "ADD A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x6A, "ADD A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x6B, "ADD A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x6C, "ADD A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x6D, "ADD A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x6E, "ADD A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x6F, "ADD A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x70, "ADDC A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x71, "ADDC A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x72, "JB3 ", 2, Operand48::Page, Flow48::Branch},
    {0x73, "", 0, Operand48::None, Flow48::Undefined},
    {0x74, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0x75, "ENT0 CLK", 1, Operand48::None, Flow48::FallsThrough},
    {0x76, "JF1 ", 2, Operand48::Page, Flow48::Branch},
    {0x77, "RR A", 1, Operand48::None, Flow48::FallsThrough},
    {0x78, "ADDC A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x79, "ADDC A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x7A, "ADDC A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0x7B, "ADDC A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0x7C, "ADDC A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0x7D, "ADDC A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0x7E, "ADDC A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0x7F, "ADDC A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0x80, "MOVX A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0x81, "MOVX A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0x82, "", 0, Operand48::None, Flow48::Undefined},
    {0x83, "RET", 1, Operand48::None, Flow48::Return},
    {0x84, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0x85, "CLR F0", 1, Operand48::None, Flow48::FallsThrough},
    {0x86, "JNI ", 2, Operand48::Page, Flow48::Branch},
    {0x87, "CLR AH", 1, Operand48::None, Flow48::FallsThrough},
    {0x88, "ORL BUS,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x89, "ORL P1,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x8A, "ORL P2,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x8B, "", 0, Operand48::None, Flow48::Undefined},
    {0x8C, "ORLD P4,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x8D, "ORLD P5,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x8E, "ORLD P6,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x8F, "ORLD P7,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x90, "MOVX @R0,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x91, "MOVX @R1,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x92, "JB4 ", 2, Operand48::Page, Flow48::Branch},
    {0x93, "RETI", 1, Operand48::None, Flow48::Return},
    {0x94, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0x95, "CPL F0", 1, Operand48::None, Flow48::FallsThrough},
    {0x96, "JNZ ", 2, Operand48::Page, Flow48::Branch},
    {0x97, "CLR C", 1, Operand48::None, Flow48::FallsThrough},
    {0x98, "ANL BUS,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x99, "ANL P1,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x9A, "ANL P2,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0x9B, "", 0, Operand48::None, Flow48::Undefined},
    {0x9C, "ANLD P4,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x9D, "ANLD P5,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x9E, "ANLD P6,A", 1, Operand48::None, Flow48::FallsThrough},
    {0x9F, "ANLD P7,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xA0, "MOV @R0,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xA1, "MOV @R1,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xA2, "", 0, Operand48::None, Flow48::Undefined},
    {0xA3, "MOVP A,@A", 1, Operand48::None, Flow48::FallsThrough},
    {0xA4, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0xA5, "CLR F1", 1, Operand48::None, Flow48::FallsThrough},
    {0xA6, "JNF0 ", 2, Operand48::Page, Flow48::Branch},
    {0xA7, "CPL C", 1, Operand48::None, Flow48::FallsThrough},
    {0xA8, "MOV R0,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xA9, "MOV R1,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAA, "MOV R2,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAB, "MOV R3,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAC, "MOV R4,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAD, "MOV R5,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAE, "MOV R6,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xAF, "MOV R7,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xB0, "MOV @R0,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xB1, "MOV @R1,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xB2, "JB5 ", 2, Operand48::Page, Flow48::Branch},
    {0xB3, "JMPP @A", 1, Operand48::None, Flow48::Jump},
    {0xB4, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0xB5, "CPL F1", 1, Operand48::None, Flow48::FallsThrough},
    {0xB6, "JF0 ", 2, Operand48::Page, Flow48::Branch},
    {0xB7, "", 0, Operand48::None, Flow48::Undefined},
    {0xB8, "MOV R0,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xB9, "MOV R1,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBA, "MOV R2,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBB, "MOV R3,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBC, "MOV R4,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBD, "MOV R5,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBE, "MOV R6,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xBF, "MOV R7,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xC0, "DEC @R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xC1, "DEC @R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xC2, "", 0, Operand48::None, Flow48::Undefined},
    {0xC3, "", 0, Operand48::None, Flow48::Undefined},
    {0xC4, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0xC5, "SEL RB0", 1, Operand48::None, Flow48::FallsThrough},
    {0xC6, "JZ ", 2, Operand48::Page, Flow48::Branch},
    {0xC7, "MOV A,PSW", 1, Operand48::None, Flow48::FallsThrough},
    {0xC8, "DEC R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xC9, "DEC R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xCA, "DEC R2", 1, Operand48::None, Flow48::FallsThrough},
    {0xCB, "DEC R3", 1, Operand48::None, Flow48::FallsThrough},
    {0xCC, "DEC R4", 1, Operand48::None, Flow48::FallsThrough},
    {0xCD, "DEC R5", 1, Operand48::None, Flow48::FallsThrough},
    {0xCE, "DEC R6", 1, Operand48::None, Flow48::FallsThrough},
    {0xCF, "DEC R7", 1, Operand48::None, Flow48::FallsThrough},
    {0xD0, "XRL A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xD1, "XRL A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xD2, "JB6 ", 2, Operand48::Page, Flow48::Branch},
    {0xD3, "XRL A,#", 2, Operand48::Immediate, Flow48::FallsThrough},
    {0xD4, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0xD5, "SEL RB1", 1, Operand48::None, Flow48::FallsThrough},
    {0xD6, "JMPP ", 2, Operand48::Page, Flow48::Jump},
    {0xD7, "MOV PSW,A", 1, Operand48::None, Flow48::FallsThrough},
    {0xD8, "XRL A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xD9, "XRL A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xDA, "XRL A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0xDB, "XRL A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0xDC, "XRL A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0xDD, "XRL A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0xDE, "XRL A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0xDF, "XRL A,R7", 1, Operand48::None, Flow48::FallsThrough},
    {0xE0, "DJNZ @R0,", 2, Operand48::Page, Flow48::Branch},
    {0xE1, "DJNZ @R1,", 2, Operand48::Page, Flow48::Branch},
    {0xE2, "", 0, Operand48::None, Flow48::Undefined},
    {0xE3, "MOVP3 A,@A", 1, Operand48::None, Flow48::FallsThrough},
    {0xE4, "JMP ", 2, Operand48::Long, Flow48::Jump},
    {0xE5, "SEL MB0", 1, Operand48::None, Flow48::BankSelect},
    {0xE6, "JNC ", 2, Operand48::Page, Flow48::Branch},
    {0xE7, "RL A", 1, Operand48::None, Flow48::FallsThrough},
    {0xE8, "DJNZ R0,", 2, Operand48::Page, Flow48::Branch},
    {0xE9, "DJNZ R1,", 2, Operand48::Page, Flow48::Branch},
    {0xEA, "DJNZ R2,", 2, Operand48::Page, Flow48::Branch},
    {0xEB, "DJNZ R3,", 2, Operand48::Page, Flow48::Branch},
    {0xEC, "DJNZ R4,", 2, Operand48::Page, Flow48::Branch},
    {0xED, "DJNZ R5,", 2, Operand48::Page, Flow48::Branch},
    {0xEE, "DJNZ R6,", 2, Operand48::Page, Flow48::Branch},
    {0xEF, "DJNZ R7,", 2, Operand48::Page, Flow48::Branch},
    {0xF0, "MOV A,@R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xF1, "MOV A,@R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xF2, "JB7 ", 2, Operand48::Page, Flow48::Branch},
    {0xF3, "", 0, Operand48::None, Flow48::Undefined},
    {0xF4, "CALL ", 2, Operand48::Long, Flow48::Call},
    {0xF5, "SEL MB1", 1, Operand48::None, Flow48::BankSelect},
    {0xF6, "JC ", 2, Operand48::Page, Flow48::Branch},
    {0xF7, "RLC A", 1, Operand48::None, Flow48::FallsThrough},
    {0xF8, "MOV A,R0", 1, Operand48::None, Flow48::FallsThrough},
    {0xF9, "MOV A,R1", 1, Operand48::None, Flow48::FallsThrough},
    {0xFA, "MOV A,R2", 1, Operand48::None, Flow48::FallsThrough},
    {0xFB, "MOV A,R3", 1, Operand48::None, Flow48::FallsThrough},
    {0xFC, "MOV A,R4", 1, Operand48::None, Flow48::FallsThrough},
    {0xFD, "MOV A,R5", 1, Operand48::None, Flow48::FallsThrough},
    {0xFE, "MOV A,R6", 1, Operand48::None, Flow48::FallsThrough},
    {0xFF, "MOV A,R7", 1, Operand48::None, Flow48::FallsThrough},
}};

namespace opcodes48_checks
{
constexpr bool rowsInOpcodeOrder()
{
    for (std::size_t i = 0; i < kOpcodes48.size(); ++i)
        if (kOpcodes48[i].opcode != i)
            return false;
    return true;
}

// Length, operand and flow must agree: a row that says two bytes has an operand, a transfer has an
// address operand, and an undefined code has nothing.
constexpr bool rowsConsistent()
{
    for (const Opcode48 &row : kOpcodes48) {
        const bool undefined = row.flow == Flow48::Undefined;
        if (undefined != (row.length == 0) || undefined != row.text.empty())
            return false;
        if (!undefined && (row.length == 2) != (row.operand != Operand48::None))
            return false;
        const bool addressOperand = row.operand == Operand48::Page || row.operand == Operand48::Long;
        const bool transfer = row.flow == Flow48::Branch || row.flow == Flow48::Call ||
                              (row.flow == Flow48::Jump && row.length == 2);
        if (addressOperand != transfer)
            return false;
        if (row.operand == Operand48::Immediate && row.text.back() != '#')
            return false;
        if (addressOperand && row.text.back() != ' ' && row.text.back() != ',')
            return false;
    }
    return true;
}

constexpr int count(Operand48 operand, int length)
{
    int n = 0;
    for (const Opcode48 &row : kOpcodes48)
        n += row.operand == operand && row.length == length;
    return n;
}

constexpr int count(Flow48 flow)
{
    int n = 0;
    for (const Opcode48 &row : kOpcodes48)
        n += row.flow == flow;
    return n;
}

static_assert(rowsInOpcodeOrder());
static_assert(rowsConsistent());
static_assert(count(Operand48::None, 1) == 168);
static_assert(count(Operand48::Immediate, 2) == 22);
static_assert(count(Operand48::Long, 2) == 16);
static_assert(count(Operand48::Page, 2) == 34);
static_assert(count(Flow48::Undefined) == 16);
static_assert(count(Flow48::FallsThrough) == 185);
static_assert(count(Flow48::Branch) == 33);
static_assert(count(Flow48::Jump) == 10); // 8 JMP, JMPP addr, JMPP @A
static_assert(count(Flow48::Call) == 8);
static_assert(count(Flow48::Return) == 2);
static_assert(count(Flow48::BankSelect) == 2);
} // namespace opcodes48_checks

} // namespace tw
