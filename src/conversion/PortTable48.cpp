#include "PortTable48.h"

#include "Messages.h"

#include <array>

namespace tw
{

namespace
{

using O = Operand48;
constexpr PortAction Keep = PortAction::Keep, Write = PortAction::Write, Refuse = PortAction::Refuse;
constexpr OperandSet Any = kAnyOperand;
constexpr std::u16string_view Nothing = {};

constexpr PortRule keep(std::string_view word, OperandSet first = Any, OperandSet second = Any)
{
    return {word, first, second, Keep, Nothing};
}

// Tried in order: a word's rules run from its most to its least specific operands.
constexpr std::array kRules = {
    keep("NOP"),
    keep("RET"),
    PortRule{"RETR", Any, Any, Write, u"RETI"},
    keep("RETI"),
    keep("INC"),
    keep("DEC"),
    keep("ADD"),
    keep("ADDC"),
    keep("XCH"),
    keep("XCHD"),
    keep("ORL", operandSet({O::A, O::P1, O::P2})),
    PortRule{"ORL", operandSet({O::Bus}), Any, Write, u"ORL  P0,%2"},
    keep("ANL", operandSet({O::A, O::P1, O::P2})),
    PortRule{"ANL", operandSet({O::Bus}), Any, Write, u"ANL  P0,%2"},
    keep("XRL"),
    PortRule{"ORLD", Any, Any, Refuse, PortText::Expander},
    PortRule{"ANLD", Any, Any, Refuse, PortText::Expander},
    PortRule{"MOVD", Any, Any, Refuse, PortText::Expander},
    PortRule{"MOVP", Any, Any, Refuse, PortText::ProgramCounter},
    PortRule{"MOVP3", Any, Any, Refuse, PortText::ProgramCounter},
    // The jump within a page, to a label or through the accumulator, has no MCS-51 counterpart.
    PortRule{"JMPP", Any, Any, Refuse, PortText::ProgramCounter},
    keep("MOVX"),
    PortRule{"MOV", operandSet({O::A}), operandSet({O::T}), Write, u"MOV A,TL0"},
    PortRule{"MOV", operandSet({O::A}), operandSet({O::Pc}), Refuse, PortText::ProgramCounter},
    keep("MOV", operandSet({O::A})),
    keep("MOV", operandSet({O::AtRi, O::Rn, O::Psw})),
    PortRule{"MOV", operandSet({O::T}), Any, Write, u"MOV TL0,A"},
    // MCS-51's DJNZ has no indirect form.
    PortRule{"DJNZ", operandSet({O::AtRi}), Any, Write, u"DEC %1\r\nCJNE %1,#00H,%2"},
    keep("DJNZ", operandSet({O::Rn})),
    keep("RR"),
    keep("RRC"),
    keep("RL"),
    keep("RLC"),
    keep("SWAP"),
    keep("DA"),
    PortRule{"IN", Any, operandSet({O::Bus}), Write, u"MOV  A,P0"},
    PortRule{"IN", Any, operandSet({O::P1}), Write, u"MOV  A,P1"},
    PortRule{"IN", Any, operandSet({O::P2}), Write, u"MOV  A,P2"},
    keep("CPL", operandSet({O::A, O::C, O::F0})),
    PortRule{"CPL", operandSet({O::F1}), Any, Refuse, PortText::NoF1},
    keep("CLR", operandSet({O::A, O::C, O::F0})),
    PortRule{"CLR", operandSet({O::F1}), Any, Refuse, PortText::NoF1},
    PortRule{"CLR", operandSet({O::Ah}), Any, Write, u"ANL A,#0FH"},
    PortRule{"SEL", operandSet({O::Rb0}), Any, Write, u"CLR RS0"},
    PortRule{"SEL", operandSet({O::Rb1}), Any, Write, u"SETB RS0"},
    PortRule{"SEL", operandSet({O::Mb0, O::Mb1}), Any, Refuse, PortText::NoSuchFeature},
    PortRule{"JB0", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB1", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB2", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB3", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB4", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB5", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB6", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JB7", Any, Any, Write, u"JB ACC.%d,%1"},
    PortRule{"JMP", Any, Any, Write, u"LJMP  %1"},
    PortRule{"CALL", Any, Any, Write, u"LCALL  %1"},
    PortRule{"EN", operandSet({O::I}), Any, Write, u"SETB EA\r\nSETB EX0"},
    PortRule{"EN", operandSet({O::Tcnti}), Any, Write, u"SETB EA\r\nSETB ET0"},
    PortRule{"DIS", operandSet({O::I}), Any, Write, u"CLR EX0"},
    PortRule{"DIS", operandSet({O::Tcnti}), Any, Write, u"CLR ET0"},
    PortRule{"STRT", operandSet({O::T}), Any, Write, u"MOV TMOD,#02H\r\nSETB TR0"},
    PortRule{"STRT", operandSet({O::Cnt}), Any, Write, u"MOV TMOD,#06H\r\nSETB TR0"},
    // "STOP T" is taken for the timer-counter too.
    PortRule{"STOP", operandSet({O::Tcnt, O::T}), Any, Write, u"CLR TR0"},
    PortRule{"ENT0", Any, Any, Refuse, PortText::NoSuchFeature},
    PortRule{"OUTL", operandSet({O::Bus}), Any, Write, u"MOV P0,A"},
    PortRule{"OUTL", operandSet({O::P1}), Any, Write, u"MOV P1,A"},
    PortRule{"OUTL", operandSet({O::P2}), Any, Write, u"MOV P2,A"},
    PortRule{"JNTF", Any, Any, Write, u"JNB TF0,  %1"},
    PortRule{"JTF", Any, Any, Write, u"JB TF0,  %1"},
    PortRule{"JNT0", Any, Any, Write, u"JNB T0,  %1"},
    PortRule{"JT0", Any, Any, Write, u"JB T0,  %1"},
    PortRule{"JNT1", Any, Any, Write, u"JNB T1,  %1"},
    PortRule{"JT1", Any, Any, Write, u"JB T1,  %1"},
    PortRule{"JNF1", Any, Any, Refuse, PortText::NoF1},
    PortRule{"JF1", Any, Any, Refuse, PortText::NoF1},
    PortRule{"JNF0", Any, Any, Write, u"JNB F0,  %1"},
    PortRule{"JF0", Any, Any, Write, u"JB F0,  %1"},
    PortRule{"JNI", Any, Any, Write, u"JNB INT0,  %1"},
    keep("JNZ"),
    keep("JZ"),
    keep("JNC"),
    keep("JC"),
};

constexpr std::array<std::string_view, 5> kDirectives = {"ORG", "END", "DB", "EQU", "DW"};

constexpr bool ruleCovers(const PortRule &rule, const mcs48::OpcodeRow &row)
{
    return portWordNames(rule.word, row) && admits(rule.first, row.operands[0]) &&
           admits(rule.second, row.operands[1]);
}

// Every form of the instruction table is ported, kept or deliberately refused.
constexpr bool everyFormHasARule()
{
    for (const mcs48::OpcodeRow &row : mcs48::kOpcodes) {
        bool covered = !row.defined();
        for (const PortRule &rule : kRules)
            covered = covered || ruleCovers(rule, row);
        if (!covered)
            return false;
    }
    return true;
}

// No rule names a word or an operand the table does not have.
constexpr bool everyRuleNamesAForm()
{
    for (const PortRule &rule : kRules) {
        bool named = false;
        for (const mcs48::OpcodeRow &row : mcs48::kOpcodes)
            named = named || ruleCovers(rule, row);
        if (!named)
            return false;
    }
    return true;
}

// A jump, call or conditional jump keeps its target: the rule keeps the line, refuses it, or
// writes the target's operand into the MCS-51 text. A jump to a computed address is refused.
constexpr bool targetsCarriedAcross()
{
    for (const mcs48::OpcodeRow &row : mcs48::kOpcodes) {
        const bool computed = row.flow == isa::Flow::Indirect;
        const bool targeted = row.has(O::Page) || row.has(O::Addr11);
        const std::u16string_view placeholder =
            row.operands[0] == O::Page || row.operands[0] == O::Addr11 ? u"%1" : u"%2";
        for (const PortRule &rule : kRules) {
            if (!ruleCovers(rule, row))
                continue;
            if (computed && rule.action != Refuse)
                return false;
            if (targeted && rule.action == Write && rule.text.find(placeholder) == std::u16string_view::npos)
                return false;
        }
    }
    return true;
}

// The operands a rule reads are split as the table's forms of its word have them.
constexpr bool operandsWithinForms()
{
    for (const PortRule &rule : kRules)
        if (rule.second != Any || rule.text.find(u"%2") != std::u16string_view::npos) {
            bool twoOperands = false;
            for (const mcs48::OpcodeRow &row : mcs48::kOpcodes)
                twoOperands = twoOperands || (portWordNames(rule.word, row) && row.operands[1] != O::None);
            if (!twoOperands)
                return false;
        }
    return true;
}

static_assert(everyFormHasARule(), "every MCS-48 form needs a porting rule");
static_assert(everyRuleNamesAForm(), "a porting rule must name a form of the MCS-48 table");
static_assert(targetsCarriedAcross(), "a ported jump must keep its target");
static_assert(operandsWithinForms(), "a rule reads a second operand only where the word has one");

} // namespace

std::span<const PortRule> portRules48()
{
    return kRules;
}

bool isPortDirective48(std::string_view word)
{
    for (std::string_view directive : kDirectives)
        if (word == directive)
            return true;
    return false;
}

} // namespace tw
