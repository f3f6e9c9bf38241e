#include "Sizer.h"

#include "assembler/Numbers.h"
#include "assembler/mcs51/Aliases.h"
#include "assembler/mcs51/Names.h"
#include "assembler/mcs51/Operands.h"

#include "assembler/mcs51/TextHash.h"

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

enum class Size {
    Org,
    Db,
    Dw,
    None,
    One,
    Two,
    Three,
    Operands,        // 1 + one byte per operand that is not a register form
    OperandsAccBoth, // the same, + 1 when both operands are A (the second is then ACC's address)
    OperandsAccFirst,
    Inc,
};

const TextMap<Size> &sizeRules()
{
    static const TextMap<Size> rules = [] {
        TextMap<Size> map{{u"ORG"_s, Size::Org},
                          {u"DB"_s, Size::Db},
                          {u"DW"_s, Size::Dw},
                          {u"EQU"_s, Size::None},
                          {u"END"_s, Size::None},
                          {u"INC"_s, Size::Inc},
                          {u"DJNZ"_s, Size::OperandsAccFirst}};
        auto add = [&map](std::initializer_list<const char16_t *> names, Size size) {
            for (const char16_t *name : names)
                map.emplace(QString::fromUtf16(name), size);
        };
        add({u"NOP", u"JMP", u"MOVX", u"MOVC", u"RET", u"RETI", u"RR", u"RRC", u"RL", u"RLC", u"MUL", u"DIV",
             u"SWAP", u"DA", u"XCHD"},
            Size::One);
        add({u"JC", u"JNC", u"JZ", u"JNZ", u"SJMP", u"AJMP", u"ACALL", u"PUSH", u"POP"}, Size::Two);
        add({u"JBC", u"JB", u"JNB", u"LJMP", u"LCALL", u"CJNE"}, Size::Three);
        add({u"CPL", u"CLR", u"SETB", u"DEC"}, Size::Operands);
        add({u"ORL", u"ANL", u"XRL", u"ADD", u"ADDC", u"SUBB", u"MOV", u"XCH"}, Size::OperandsAccBoth);
        return map;
    }();
    return rules;
}

bool isRegisterForm(QStringView operand, const VariableTable &variables)
{
    static const TextSet forms = {u"A"_s,  u"C"_s,  u"R0"_s, u"R1"_s,  u"R2"_s,  u"R3"_s, u"R4"_s,
                                  u"R5"_s, u"R6"_s, u"R7"_s, u"@R0"_s, u"@R1"_s, u"@A"_s};
    return forms.count(registerNameOf(operand, variables)) != 0;
}

int operandsSize(QStringView field, const VariableTable &variables)
{
    int size = 1;
    // "，" separates as it does for the encoder's two-operand forms, so both count the same items.
    forEachItem(field, true, [&](QStringView item) {
        size += isRegisterForm(item, variables) ? 0 : 1;
        return true;
    });
    return size;
}

// Bytes of one DB item as the encoder stores it: a quoted string one per character, else one.
int dataByteCount(QStringView item, const VariableTable &variables)
{
    const QString text = substituteVariable(QString::fromRawData(item.data(), item.size()), variables);
    if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\''))
        return static_cast<int>(text.size()) - 2;
    return 1;
}

// ORG takes a number only: a variable's name is no number here, so the driver reports the line.
long long orgAddress(QStringView field)
{
    long long address = 0;
    forEachItem(field, false, [&](QStringView item) {
        address = readNumber(item);
        return false;
    });
    return address;
}

int incSize(QStringView field, const VariableTable &variables)
{
    static const TextSet oneByte = {u"A"_s,  u"R0"_s, u"R1"_s, u"R2"_s,  u"R3"_s,  u"R4"_s,
                                    u"R5"_s, u"R6"_s, u"R7"_s, u"@R0"_s, u"@R1"_s, u"DPTR"_s};
    return oneByte.count(operandTexts(field, 1, variables, nullptr).front()) ? 1 : 2;
}

} // namespace

long long nextAddress(long long pc, const QString &mnemonic, const QString &operands,
                      const VariableTable &variables)
{
    const auto &rules = sizeRules();
    const auto rule = rules.find(standardMnemonicView(mnemonic));
    if (rule == rules.end())
        return pc;
    switch (rule->second) {
    case Size::Org:
        return orgAddress(operands);
    case Size::Db: {
        long long size = 0;
        forEachItem(operands, false, [&](QStringView item) {
            size += dataByteCount(item, variables);
            return true;
        });
        return pc + size;
    }
    case Size::Dw:
        return pc + 2 * dataItemCount(operands);
    case Size::None:
        return pc;
    case Size::One:
        return pc + 1;
    case Size::Two:
        return pc + 2;
    case Size::Three:
        return pc + 3;
    case Size::Operands:
        return pc + operandsSize(operands, variables);
    case Size::OperandsAccBoth: {
        const OperandTexts ops = operandTexts(operands, 2, variables, nullptr, true);
        return pc + operandsSize(operands, variables) + (ops[0] == u"A" && ops[1] == u"A" ? 1 : 0);
    }
    case Size::OperandsAccFirst: {
        const OperandTexts ops = operandTexts(operands, 2, variables, nullptr, true);
        return pc + operandsSize(operands, variables) + (ops[0] == u"A" ? 1 : 0);
    }
    case Size::Inc:
        return pc + incSize(operands, variables);
    }
    return pc;
}

} // namespace tw::mcs51
