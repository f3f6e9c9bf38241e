#pragma once
// The MCS-48 assembler's view of the instruction table: one form per accepted operand form (made
// from the table's rows), and one row per mnemonic saying how its operands are taken and what a
// rejection gives. The encoder matches forms; the d48 comparison generates its programs from them.
#include "isa/Mcs48.h"

#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

namespace tw::mcs48
{

struct Form {
    std::string_view mnemonic;
    Operand first;
    Operand second;
    std::uint8_t opcode; // with register, pointer, port and page bits zero
};

// How a mnemonic takes its operands and what a rejected operand gives.
struct Rules {
    enum class Take : std::uint8_t {
        Nothing, // no operand check: the first form's opcode, whatever follows
        One,     // one operand (getOp1)
        Two,     // two operands (getOp2)
    };
    enum class Store : std::uint8_t {
        AfterMatch,        // bytes are stored once the operands matched
        Never,             // NOP: the image keeps the byte it holds
        OpcodeFirst,       // the A form's opcode is stored before the operand is checked
        OpcodeFirstAsText, // as OpcodeFirst, and a rejection keeps the opcode as code text
    };
    std::string_view mnemonic;
    Take take;
    Store store;
    const QString *firstMessage; // first operand fits no form
    std::string_view firstCode;
    const QString *secondMessage; // first operand fits, the pair fits no form
    std::string_view secondCode;
};

// Every form, those of one mnemonic consecutive, a label form after the others of its mnemonic.
std::span<const Form> forms();
// The rules of a mnemonic, nullptr for a text that is not a mnemonic of the dialect.
const Rules *rulesFor(QStringView mnemonic);
// The forms of one mnemonic, in match order (consecutive rows of forms()).
std::span<const Form> formsOf(QStringView mnemonic);
// The same for the mnemonic whose rules rulesFor gave, without looking the name up again.
std::span<const Form> formsOf(const Rules &rules);

struct Classified {
    Operand kind = Operand::None;
    int number = 0; // register, pointer or port number
};
// The form of one operand text as the operand extractors deliver it.
Classified classify(const QString &text);

// True when an operand of this form may stand where the form wants `wanted`.
bool fits(Operand wanted, const Classified &operand, const QString &text);

// The opcode with the operand's number added (Rn: n, @Ri: i, Pp: p - 4).
std::uint8_t opcodeWith(const Form &form, const Classified &first, const Classified &second);

} // namespace tw::mcs48
