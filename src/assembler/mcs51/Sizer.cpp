#include "Sizer.h"

#include "assembler/common/Numbers.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Operands.h"
#include "assembler/mcs51/Names.h"

#include "assembler/common/TextHash.h"

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

// A, C, R0..R7, @R0, @R1, @A: the operand forms that add no byte.
bool isRegisterText(QStringView text)
{
    switch (text.size()) {
    case 1:
        return text[0] == u'A' || text[0] == u'C';
    case 2:
        return (text[0] == u'R' && text[1] >= u'0' && text[1] <= u'7') ||
               (text[0] == u'@' && text[1] == u'A');
    case 3:
        return text[0] == u'@' && text[1] == u'R' && (text[2] == u'0' || text[2] == u'1');
    default:
        return false;
    }
}

struct OperandsSize {
    int size = 1;          // 1 + one byte per operand that is not a register form
    bool firstIsA = false; // the first two operands, as the encoder reads them, are A
    bool secondIsA = false;
};

OperandsSize operandsSize(QStringView field, const VariableTable &variables)
{
    OperandsSize result;
    int index = 0;
    // "，" separates as it does for the encoder's two-operand forms, so both count the same items.
    forEachItem(field, true, [&](QStringView item) {
        QString keep;
        const QStringView text = registerView(item, variables, keep);
        result.size += isRegisterText(text) ? 0 : 1;
        if (index < 2)
            (index == 0 ? result.firstIsA : result.secondIsA) = text == u"A";
        ++index;
        return true;
    });
    return result;
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

// INC A, Rn, @Ri and DPTR take one byte, INC direct two.
int incSize(QStringView field, const VariableTable &variables)
{
    QStringView operand;
    forEachItem(field, false, [&](QStringView item) {
        operand = item;
        return false;
    });
    QString keep;
    const QStringView text = registerView(operand, variables, keep);
    const bool oneByte = text == u"DPTR" || (isRegisterText(text) && text != u"C" && text != u"@A");
    return oneByte ? 1 : 2;
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
        return pc + operandsSize(operands, variables).size;
    case Size::OperandsAccBoth: {
        const OperandsSize counted = operandsSize(operands, variables);
        return pc + counted.size + (counted.firstIsA && counted.secondIsA ? 1 : 0);
    }
    case Size::OperandsAccFirst: {
        const OperandsSize counted = operandsSize(operands, variables);
        return pc + counted.size + (counted.firstIsA ? 1 : 0);
    }
    case Size::Inc:
        return pc + incSize(operands, variables);
    }
    return pc;
}

} // namespace tw::mcs51
