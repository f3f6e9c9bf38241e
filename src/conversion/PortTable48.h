#pragma once
// What the porting tool knows of MCS-48 instructions: for each 8048 word, how its operands are
// split and what MCS-51 text replaces it. Rows are tried in order; the first whose word and operand
// patterns match decides. A word no row names is refused as "操作码错误 ".
#include <span>

namespace tw
{

enum class PortSplit { None, One, Two };
enum class PortAction {
    Keep,   // the source line is written as read
    Write,  // the text replaces the instruction
    Refuse, // the text is the error message; the line is written as a comment
};

struct PortRow {
    const char16_t *words; // "|"-separated
    PortSplit split;
    const char16_t *op1; // "|"-separated alternatives; nullptr matches anything
    const char16_t *op2;
    PortAction action;
    // Write: "%1" and "%2" stand for the operands, "%d" for the last character of the word, "\r\n"
    // separates two lines. Refuse: the message.
    const char16_t *text;
};

std::span<const PortRow> portTable48();

} // namespace tw
