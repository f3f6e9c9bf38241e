#pragma once
// What an instruction does to the flow of control, for every CPU's table: the disassemblers
// follow it to tell code from data, the porting tool to carry jumps across.
#include <cstdint>

namespace tw::isa
{

enum class Flow : std::uint8_t {
    None,        // goes on with the next instruction
    Jump,        // goes to its target only
    Call,        // goes to its target, which comes back to the next instruction
    Return,      // goes back to where a call or an interrupt came from
    Conditional, // goes to its target or on with the next instruction
    Indirect,    // goes to an address the program computes (JMP @A+DPTR, JMPP @A)
    BankSelect,  // goes on, and selects the memory bank of later JMP and CALL targets
};

// True when the instruction never goes on with the next byte.
constexpr bool endsRun(Flow flow)
{
    switch (flow) {
    case Flow::Jump:
    case Flow::Return:
    case Flow::Indirect:
        return true;
    case Flow::None:
    case Flow::Call:
    case Flow::Conditional:
    case Flow::BankSelect:
        return false;
    }
    return false;
}

} // namespace tw::isa
