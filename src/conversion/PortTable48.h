#pragma once
// What porting adds to the MCS-48 instruction table (isa/Mcs48.h): for each form of the table, what
// the MCS-51 program gets in its place. Mnemonics, operand kinds and flows are the table's; a rule
// names a mnemonic and the operand kinds it tests. A word's rules are tried in order and the first
// that matches decides; a word with rules of which none matches is refused as "操作数错误", a word
// without rules as "操作码错误 ".
#include "isa/Mcs48.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace tw
{

using Operand48 = mcs48::Operand;

// A set of operand kinds, one bit per kind. The empty set tests nothing: any operand matches.
using OperandSet = std::uint32_t;
inline constexpr OperandSet kAnyOperand = 0;

constexpr OperandSet operandSet(std::initializer_list<Operand48> kinds)
{
    OperandSet set = 0;
    for (Operand48 kind : kinds)
        set |= OperandSet{1} << static_cast<int>(kind);
    return set;
}

constexpr bool admits(OperandSet set, Operand48 kind)
{
    return set == kAnyOperand || (set & operandSet({kind})) != 0;
}

enum class PortAction {
    Keep,   // the source line is written as read
    Write,  // the text replaces the instruction
    Refuse, // the text is the error message; the line is written as a comment
};

struct PortRule {
    std::string_view word; // a mnemonic of the table, or Intel's name for one (portMnemonicOf)
    OperandSet first;
    OperandSet second;
    PortAction action;
    // Write: "%1" and "%2" stand for the operands, "%d" for the last character of the word, "\r\n"
    // separates two lines. Refuse: the message.
    std::u16string_view text;

    // Whether the operands are read at all: only to test them or to carry them across.
    constexpr bool readsOperands() const
    {
        return first != kAnyOperand || second != kAnyOperand ||
               text.find(u"%1") != std::u16string_view::npos || text.find(u"%2") != std::u16string_view::npos;
    }
};

std::span<const PortRule> portRules48();

// Assembler directives both processors read alike; they are kept as written.
bool isPortDirective48(std::string_view word);

// Whether a source word names this row: its mnemonic, the assembler's second mnemonic, or Intel's
// name where this system's dialect writes another (RETR for RETI).
constexpr bool portWordNames(std::string_view word, const mcs48::OpcodeRow &row)
{
    if (!row.defined())
        return false;
    return word == row.mnemonic || (!row.alias.empty() && word == row.alias) ||
           (word == "RETR" && row.mnemonic == "RETI");
}

// How ported sources write an operand kind without a number: Intel's names for the timer
// interrupt and the timer-counter (TCNTI, TCNT), where this system's assembler reads TCHTI, TCHT.
constexpr std::string_view portOperandName(Operand48 kind)
{
    if (kind == Operand48::Tcnti)
        return "TCNTI";
    if (kind == Operand48::Tcnt)
        return "TCNT";
    return mcs48::operandName(kind);
}

} // namespace tw
