#include "disassembler/Opcodes51.h"

namespace tw
{
namespace
{

using Table = std::array<Opcode51, 256>;

void set(Table &table, int opcode, std::string pattern, int length, bool endsRun = false)
{
    Opcode51 &row = table[static_cast<std::size_t>(opcode)];
    row.pattern = std::move(pattern);
    row.length = static_cast<std::uint8_t>(length);
    row.endsRun = endsRun;
}

// The eight register forms Rn (n = opcode AND 7) and the two indirect forms @Ri (i = opcode AND 1)
// of one operation, with "#" marking where the register goes.
void setRegisterForms(Table &table, int base, const std::string &pattern, int length)
{
    const auto place = [&](const std::string &reg) {
        std::string text = pattern;
        text.replace(text.find('#'), 1, reg);
        return text;
    };
    for (int n = 0; n < 8; ++n)
        set(table, base + 8 + n, place("R" + std::to_string(n)), length);
    for (int i = 0; i < 2; ++i)
        set(table, base + 6 + i, place("@R" + std::to_string(i)), length);
}

Target51 targetOf(const Opcode51 &row, int opcode)
{
    if (row.pattern.find("%t") == std::string::npos && opcode != 0x73)
        return Target51::None;
    if (opcode == 0x73)
        return Target51::DataPointer;
    if ((opcode & 0x0F) == 0x01)
        return Target51::Block;
    if (opcode == 0x02 || opcode == 0x12)
        return Target51::Long;
    return Target51::Relative;
}

Table build()
{
    Table t;
    set(t, 0x00, "NOP", 1);
    set(t, 0xA5, "NOP", 1);
    for (int page = 0; page < 8; ++page) {
        set(t, (page << 5) | 0x01, "AJMP %t", 2, true);
        set(t, (page << 5) | 0x11, "ACALL %t", 2);
    }
    set(t, 0x02, "LJMP %t", 3, true);
    set(t, 0x12, "LCALL %t", 3);
    set(t, 0x22, "RET", 1, true);
    set(t, 0x32, "RETI", 1, true);
    set(t, 0x03, "RR A", 1);
    set(t, 0x13, "RRC A", 1);
    set(t, 0x23, "RL A", 1);
    set(t, 0x33, "RLC A", 1);
    set(t, 0x73, "JMP @A+DPTR", 1, true);
    set(t, 0x83, "MOVC A,@A+PC", 1);
    set(t, 0x93, "MOVC A,@A+DPTR", 1);
    set(t, 0xA3, "INC DPTR", 1);
    set(t, 0xB3, "CPL C", 1);
    set(t, 0xC3, "CLR C", 1);
    set(t, 0xD3, "SETB C", 1);
    set(t, 0xE3, "MOVX A,@R1", 1);
    set(t, 0xF3, "MOVX @R1,A", 1);

    set(t, 0x04, "INC  A", 1);
    set(t, 0x14, "DEC A", 1);
    set(t, 0x24, "ADD A,#%i1", 2);
    set(t, 0x34, "ADDC A,#%i1", 2);
    set(t, 0x44, "ORL A,#%i1", 2);
    set(t, 0x54, "ANL A,#%i1", 2);
    set(t, 0x64, "XRL A,#%i1", 2);
    set(t, 0x74, "MOV A,#%i1", 2);
    set(t, 0x84, "DIV AB", 1);
    set(t, 0x94, "SUBB A,#%i1", 2);
    set(t, 0xA4, "MUL AB", 1);
    set(t, 0xB4, "CJNE A,#%i1, %t", 3);
    set(t, 0xC4, "SWAP A", 1);
    set(t, 0xD4, "DA A", 1);
    set(t, 0xE4, "CLR A", 1);
    set(t, 0xF4, "CPL A", 1);

    // Where the assembler would read ACC as the register A and pick another opcode, E0H is
    // written as a number (%e) so the bytes reassemble unchanged.
    set(t, 0x05, "INC %e1", 2);
    set(t, 0x15, "DEC %e1", 2);
    set(t, 0x25, "ADD A,%d1", 2);
    set(t, 0x35, "ADDC A,%d1", 2);
    set(t, 0x45, "ORL A,%d1", 2);
    set(t, 0x55, "ANL A,%d1", 2);
    set(t, 0x65, "XRL A,%d1", 2);
    set(t, 0x75, "MOV %e1,#%i2", 3);
    set(t, 0x85, "MOV %e2,%e1", 3);
    set(t, 0x95, "SUBB A,%d1", 2);
    set(t, 0xB5, "CJNE A,%d1, %t", 3);
    set(t, 0xC5, "XCH A,%d1", 2);
    set(t, 0xD5, "DJNZ %d1, %t", 3);
    set(t, 0xE5, "MOV A,%d1", 2);
    set(t, 0xF5, "MOV %e1,A", 2);

    setRegisterForms(t, 0x00, "INC #", 1);
    setRegisterForms(t, 0x10, "DEC #", 1);
    setRegisterForms(t, 0x20, "ADD A,#", 1);
    setRegisterForms(t, 0x30, "ADDC A,#", 1);
    setRegisterForms(t, 0x40, "ORL A,#", 1);
    setRegisterForms(t, 0x50, "ANL A,#", 1);
    setRegisterForms(t, 0x60, "XRL A,#", 1);
    setRegisterForms(t, 0x70, "MOV #,#%i1", 2);
    setRegisterForms(t, 0x80, "MOV %e1,#", 2);
    setRegisterForms(t, 0x90, "SUBB A,#", 1);
    setRegisterForms(t, 0xA0, "MOV #,%e1", 2);
    setRegisterForms(t, 0xB0, "CJNE #,#%i1, %t", 3);
    setRegisterForms(t, 0xC0, "XCH A,#", 1);
    setRegisterForms(t, 0xE0, "MOV A,#", 1);
    setRegisterForms(t, 0xF0, "MOV #,A", 1);
    for (int n = 0; n < 8; ++n)
        set(t, 0xD8 + n, "DJNZ R" + std::to_string(n) + ",%t", 2);
    set(t, 0xD6, "XCHD A,@R0", 1);
    set(t, 0xD7, "XCHD A,@R1", 1);

    set(t, 0x10, "JBC %b1, %t", 3);
    set(t, 0x20, "JB %b1, %t", 3);
    set(t, 0x30, "JNB %b1, %t", 3);
    set(t, 0x40, "JC %t", 2);
    set(t, 0x50, "JNC %t", 2);
    set(t, 0x60, "JZ %t", 2);
    set(t, 0x70, "JNZ %t", 2);
    set(t, 0x80, "SJMP %t", 2, true);
    set(t, 0x90, "MOV DPTR,#%w1", 3);
    set(t, 0xA0, "ORL C,/%b1", 2);
    set(t, 0xB0, "ANL C,/%b1", 2);
    set(t, 0xC0, "PUSH %d1", 2);
    set(t, 0xD0, "POP %d1", 2);
    set(t, 0xE0, "MOVX A,@DPTR", 1);
    set(t, 0xF0, "MOVX @DPTR,A", 1);

    set(t, 0x42, "ORL %e1,A", 2);
    set(t, 0x52, "ANL %e1,A", 2);
    set(t, 0x62, "XRL %e1,A", 2);
    set(t, 0x72, "ORL C,%b1", 2);
    set(t, 0x82, "ANL C,%b1", 2);
    set(t, 0x92, "MOV %b1,C", 2);
    set(t, 0xA2, "MOV C,%b1", 2);
    set(t, 0xB2, "CPL %b1", 2);
    set(t, 0xC2, "CLR %b1", 2);
    set(t, 0xD2, "SETB %b1", 2);
    set(t, 0xE2, "MOVX A,@R0", 1);
    set(t, 0xF2, "MOVX @R0,A", 1);

    set(t, 0x43, "ORL %e1,#%i2", 3);
    set(t, 0x53, "ANL %e1,#%i2", 3);
    set(t, 0x63, "XRL %e1,#%i2", 3);

    for (int opcode = 0; opcode < 256; ++opcode) {
        Opcode51 &row = t[static_cast<std::size_t>(opcode)];
        row.target = targetOf(row, opcode);
    }
    t[0x90].dptr = Dptr51::Load;
    t[0xA3].dptr = Dptr51::Increment;
    return t;
}

} // namespace

const std::array<Opcode51, 256> &opcodes51()
{
    static const Table table = build();
    return table;
}

} // namespace tw
