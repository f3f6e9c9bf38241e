#include "PortTable48.h"

#include <array>

namespace tw
{

namespace
{

constexpr PortSplit None = PortSplit::None, One = PortSplit::One, Two = PortSplit::Two;
constexpr PortAction Keep = PortAction::Keep, Write = PortAction::Write, Refuse = PortAction::Refuse;
constexpr const char16_t *Any = nullptr;

constexpr const char16_t *kBadOperand = u"操作数错误";
constexpr const char16_t *kExpander = u"对8243扩展芯片的操作";
constexpr const char16_t *kProgramCounter = u"对程序指针PC的操作";
constexpr const char16_t *kNoF1 = u"MCS51无F1标志";
constexpr const char16_t *kNoSuchFeature = u"MCS51无此功能";

constexpr std::array kRows = {
    PortRow{u"ORG|END|DB|EQU|DW|NOP|RET", None, Any, Any, Keep, nullptr},
    PortRow{u"RETR", None, Any, Any, Write, u"RETI"},
    PortRow{u"RETI|INC|DEC|ADD|ADDC|XCH|XCHD", None, Any, Any, Keep, nullptr},
    PortRow{u"ORL", Two, u"A|P1|P2", Any, Keep, nullptr},
    PortRow{u"ORL", Two, u"BUS", Any, Write, u"ORL  P0,%2"},
    PortRow{u"ORL", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"ANL", Two, u"A|P1|P2", Any, Keep, nullptr},
    PortRow{u"ANL", Two, u"BUS", Any, Write, u"ANL  P0,%2"},
    PortRow{u"ANL", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"XRL", None, Any, Any, Keep, nullptr},
    PortRow{u"ORLD|ANLD|MOVD", None, Any, Any, Refuse, kExpander},
    // The jump through the accumulator within a page has no MCS-51 counterpart either.
    PortRow{u"MOVP|MOVP3|JMPP", None, Any, Any, Refuse, kProgramCounter},
    PortRow{u"MOVX", None, Any, Any, Keep, nullptr},
    PortRow{u"MOV", Two, u"A", u"T", Write, u"MOV A,TL0"},
    PortRow{u"MOV", Two, u"A", u"PC", Refuse, kProgramCounter},
    PortRow{u"MOV", Two, u"A", Any, Keep, nullptr},
    PortRow{u"MOV", Two, u"@R0|@R1|R0|R1|R2|R3|R4|R5|R6|R7|PSW", Any, Keep, nullptr},
    PortRow{u"MOV", Two, u"T", Any, Write, u"MOV TL0,A"},
    PortRow{u"MOV", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"DJNZ", Two, u"@R0", Any, Write, u"DEC @R0\r\nCJNE @R0,#00H,%2"},
    PortRow{u"DJNZ", Two, u"@R1", Any, Write, u"DEC @R1\r\nCJNE @R1,#00H,%2"},
    PortRow{u"DJNZ", Two, u"R0|R1|R2|R3|R4|R5|R6|R7", Any, Keep, nullptr},
    PortRow{u"DJNZ", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"RR|RRC|RL|RLC|SWAP|DA", None, Any, Any, Keep, nullptr},
    PortRow{u"IN", Two, Any, u"BUS", Write, u"MOV  A,P0"},
    PortRow{u"IN", Two, Any, u"P1", Write, u"MOV  A,P1"},
    PortRow{u"IN", Two, Any, u"P2", Write, u"MOV  A,P2"},
    PortRow{u"IN", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"CPL", One, u"A|C|F0", Any, Keep, nullptr},
    PortRow{u"CPL", One, u"F1", Any, Refuse, kNoF1},
    PortRow{u"CPL", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"CLR", One, u"A|C|F0", Any, Keep, nullptr},
    PortRow{u"CLR", One, u"F1", Any, Refuse, kNoF1},
    PortRow{u"CLR", One, u"AH", Any, Write, u"ANL A,#0FH"},
    PortRow{u"CLR", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"SEL", One, u"RB0", Any, Write, u"CLR RS0"},
    PortRow{u"SEL", One, u"RB1", Any, Write, u"SETB RS0"},
    PortRow{u"SEL", One, u"MB0|MB1", Any, Refuse, kNoSuchFeature},
    PortRow{u"SEL", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"JB0|JB1|JB2|JB3|JB4|JB5|JB6|JB7", One, Any, Any, Write, u"JB ACC.%d,%1"},
    PortRow{u"JMP", One, Any, Any, Write, u"LJMP  %1"},
    PortRow{u"CALL", One, Any, Any, Write, u"LCALL  %1"},
    PortRow{u"EN", One, u"I", Any, Write, u"SETB EA\r\nSETB EX0"},
    PortRow{u"EN", One, u"TCNTI", Any, Write, u"SETB EA\r\nSETB ET0"},
    PortRow{u"EN", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"DIS", One, u"I", Any, Write, u"CLR EX0"},
    PortRow{u"DIS", One, u"TCNTI", Any, Write, u"CLR ET0"},
    PortRow{u"DIS", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"STRT", One, u"T", Any, Write, u"MOV TMOD,#02H\r\nSETB TR0"},
    PortRow{u"STRT", One, u"CNT", Any, Write, u"MOV TMOD,#06H\r\nSETB TR0"},
    PortRow{u"STRT", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"STOP", One, u"TCNT|T", Any, Write, u"CLR TR0"},
    PortRow{u"STOP", One, Any, Any, Refuse, kBadOperand},
    PortRow{u"ENT0", None, Any, Any, Refuse, kNoSuchFeature},
    PortRow{u"OUTL", Two, u"BUS", Any, Write, u"MOV P0,A"},
    PortRow{u"OUTL", Two, u"P1", Any, Write, u"MOV P1,A"},
    PortRow{u"OUTL", Two, u"P2", Any, Write, u"MOV P2,A"},
    PortRow{u"OUTL", Two, Any, Any, Refuse, kBadOperand},
    PortRow{u"JNTF", One, Any, Any, Write, u"JNB TF0,  %1"},
    PortRow{u"JTF", One, Any, Any, Write, u"JB TF0,  %1"},
    PortRow{u"JNT0", One, Any, Any, Write, u"JNB T0,  %1"},
    PortRow{u"JT0", One, Any, Any, Write, u"JB T0,  %1"},
    PortRow{u"JNT1", One, Any, Any, Write, u"JNB T1,  %1"},
    PortRow{u"JT1", One, Any, Any, Write, u"JB T1,  %1"},
    PortRow{u"JNF1|JF1", None, Any, Any, Refuse, kNoF1},
    PortRow{u"JNF0", One, Any, Any, Write, u"JNB F0,  %1"},
    PortRow{u"JF0", One, Any, Any, Write, u"JB F0,  %1"},
    PortRow{u"JNI", One, Any, Any, Write, u"JNB INT0,  %1"},
    PortRow{u"JNZ|JZ|JNC|JC", None, Any, Any, Keep, nullptr},
};

} // namespace

std::span<const PortRow> portTable48()
{
    return kRows;
}

} // namespace tw
