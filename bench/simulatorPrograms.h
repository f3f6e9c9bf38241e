#pragma once
// The MCS-51 programs the simulator benchmarks run, as machine code with their listings.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace twbench
{

struct Program {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// clang-format off
inline const Program kAluLoop = {"alu", {
    0x78, 0x00,       //       MOV R0,#0
    0x79, 0x00,       //       MOV R1,#0
    0xE8,             // loop: MOV A,R0
    0x24, 0x37,       //       ADD A,#37h
    0x39,             //       ADDC A,R1
    0x64, 0x5A,       //       XRL A,#5Ah
    0x23,             //       RL A
    0x54, 0x7F,       //       ANL A,#7Fh
    0x44, 0x01,       //       ORL A,#01h
    0x94, 0x03,       //       SUBB A,#03h
    0xC4,             //       SWAP A
    0xF9,             //       MOV R1,A
    0x08,             //       INC R0
    0xD4,             //       DA A
    0x33,             //       RLC A
    0xFA,             //       MOV R2,A
    0xDB, 0xEB,       //       DJNZ R3,loop
    0x80, 0xE9,       //       SJMP loop
}};

inline const Program kMemoryLoop = {"memory", {
    0x75, 0x81, 0x60, //       MOV SP,#60h
    0x90, 0x01, 0x00, //       MOV DPTR,#0100h
    0x78, 0x30,       //       MOV R0,#30h
    0xE6,             // loop: MOV A,@R0
    0x25, 0x40,       //       ADD A,40h
    0xF5, 0x41,       //       MOV 41h,A
    0x85, 0x41, 0x42, //       MOV 42h,41h
    0xF0,             //       MOVX @DPTR,A
    0xE0,             //       MOVX A,@DPTR
    0xA3,             //       INC DPTR
    0x93,             //       MOVC A,@A+DPTR
    0xC0, 0xE0,       //       PUSH ACC
    0xD0, 0x43,       //       POP 43h
    0xF6,             //       MOV @R0,A
    0x08,             //       INC R0
    0x53, 0x00, 0x3F, //       ANL 00h,#3Fh   R0 stays in 30h-3Fh
    0x43, 0x00, 0x30, //       ORL 00h,#30h
    0xC5, 0x44,       //       XCH A,44h
    0x80, 0xE4,       //       SJMP loop
}};

inline const Program kMixedLoop = {"mixed", {
    0x75, 0x81, 0x30, //       MOV SP,#30h
    0x78, 0x40,       //       MOV R0,#40h
    0xEF,             // loop: MOV A,R7
    0x24, 0x03,       //       ADD A,#03h
    0xF6,             //       MOV @R0,A
    0x65, 0x30,       //       XRL A,30h
    0xF5, 0x30,       //       MOV 30h,A
    0x11, 0x20,       //       ACALL sub
    0xB4, 0x55, 0x00, //       CJNE A,#55h,$+3
    0xDF, 0xF1,       //       DJNZ R7,loop
    0x80, 0xEF,       //       SJMP loop
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0xF5, 0xF0,       // sub:  MOV B,A
    0xA4,             //       MUL AB
    0x22,             //       RET
}};

// EA and ET0 set for the whole run; the main loop raises TF0 after 83 instructions of its own,
// and the routine (9 instructions) saves ACC and PSW around its work.
inline const Program kInterruptLoop = {"interrupts", {
    0x02, 0x00, 0x30,                         //       LJMP main
    0, 0, 0, 0, 0, 0, 0, 0,
    0xC0, 0xE0,                               // 000B: PUSH ACC
    0xC0, 0xD0,                               //       PUSH PSW
    0x05, 0x50,                               //       INC 50h
    0xE5, 0x50,                               //       MOV A,50h
    0x25, 0x51,                               //       ADD A,51h
    0xF5, 0x51,                               //       MOV 51h,A
    0xD0, 0xD0,                               //       POP PSW
    0xD0, 0xE0,                               //       POP ACC
    0x32,                                     //       RETI
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x75, 0x81, 0x60,                         // 0030: MOV SP,#60h
    0x75, 0xA8, 0x82,                         //       MOV IE,#82h
    0x7F, 0x10,                               // loop: MOV R7,#16
    0xE8,                                     // in:   MOV A,R0
    0x24, 0x03,                               //       ADD A,#03h
    0xF8,                                     //       MOV R0,A
    0x05, 0x52,                               //       INC 52h
    0xDF, 0xF8,                               //       DJNZ R7,in
    0xD2, 0x8D,                               //       SETB TF0
    0x80, 0xF2,                               //       SJMP loop
}};
// clang-format on

inline const std::vector<const Program *> &corePrograms()
{
    static const std::vector<const Program *> programs = {&kAluLoop, &kMemoryLoop, &kMixedLoop,
                                                          &kInterruptLoop};
    return programs;
}

// The bytes as an Intel hex file, for s51.
inline QByteArray intelHex(const std::vector<std::uint8_t> &bytes)
{
    QByteArray out;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
        unsigned sum = static_cast<unsigned>(count + (at >> 8) + (at & 0xFF));
        QByteArray record = QByteArray::number(static_cast<int>(count), 16).rightJustified(2, '0') +
                            QByteArray::number(static_cast<int>(at), 16).rightJustified(4, '0') + "00";
        for (std::size_t k = 0; k < count; ++k) {
            record += QByteArray::number(bytes[at + k], 16).rightJustified(2, '0');
            sum += bytes[at + k];
        }
        record += QByteArray::number((0x100 - (sum & 0xFF)) & 0xFF, 16).rightJustified(2, '0');
        out += ':' + record.toUpper() + '\n';
    }
    return out + ":00000001FF\n";
}

// A listing-lines file (.lt) for the simulator window: one line per instruction start, as the
// assembler writes them.
inline QByteArray listingLines(const std::vector<std::uint8_t> &bytes, const std::vector<int> &starts)
{
    QByteArray out = "  MCS51\r\n";
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const int from = starts[k];
        const int to = k + 1 < starts.size() ? starts[k + 1] : static_cast<int>(bytes.size());
        QByteArray code;
        for (int at = from; at < to; ++at)
            code +=
                QByteArray::number(bytes[static_cast<std::size_t>(at)], 16).rightJustified(2, '0').toUpper();
        out += "  " + QByteArray::number(from, 16).rightJustified(4, '0').toUpper() + "  " + code + "\r\n";
    }
    return out;
}

} // namespace twbench
