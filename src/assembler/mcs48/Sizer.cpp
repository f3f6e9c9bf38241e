#include "Sizer.h"

#include "assembler/Numbers.h"
#include "assembler/mcs51/Aliases.h"
#include "assembler/mcs51/Operands.h"

#include <QHash>
#include <QSet>

namespace tw::mcs48
{

namespace
{

enum class Size { Org, Db, Dw, One, Two, Jmpp, OperandForm };

const QHash<QString, Size> &sizes()
{
    static const QHash<QString, Size> table = [] {
        QHash<QString, Size> map{{QStringLiteral("ORG"), Size::Org},
                                 {QStringLiteral("DB"), Size::Db},
                                 {QStringLiteral("DW"), Size::Dw},
                                 {QStringLiteral("JMPP"), Size::Jmpp}};
        for (const char *m : {"NOP", "RET", "RETI", "CPL",  "CLR",  "SEL",  "RR",    "RRC",  "RL",   "RLC",
                              "INC", "DEC", "SWAP", "DA",   "XCH",  "XCHD", "MOVX",  "IN",   "INS",  "OUTL",
                              "EN",  "DIS", "STRT", "STOP", "ENT0", "MOVP", "MOVP3", "MOVD", "ORLD", "ANLD"})
            map.insert(QString::fromLatin1(m), Size::One);
        for (const char *m : {"JB0",  "JB1", "JB2",  "JB3", "JB4",  "JB5",  "JB6",  "JB7",  "JC",
                              "JNC",  "JZ",  "JNZ",  "JMP", "CALL", "DJNZ", "JTF",  "JNTF", "JT0",
                              "JNT0", "JT1", "JNT1", "JF0", "JNF0", "JF1",  "JNF1", "JNI"})
            map.insert(QString::fromLatin1(m), Size::Two);
        for (const char *m : {"MOV", "ORL", "ANL", "XRL", "ADD", "ADDC"})
            map.insert(QString::fromLatin1(m), Size::OperandForm);
        return map;
    }();
    return table;
}

// Operands that cost no byte. The register aliases the encoder accepts (ACC, 工作寄存器3, ...)
// are looked up first, so that both agree on the length.
bool isOperandName(const QString &token)
{
    static const QSet<QString> names = {
        QStringLiteral("A"),   QStringLiteral("C"),   QStringLiteral("R0"),  QStringLiteral("R1"),
        QStringLiteral("R2"),  QStringLiteral("R3"),  QStringLiteral("R4"),  QStringLiteral("R5"),
        QStringLiteral("R6"),  QStringLiteral("R7"),  QStringLiteral("@R0"), QStringLiteral("@R1"),
        QStringLiteral("@A"),  QStringLiteral("P1"),  QStringLiteral("P2"),  QStringLiteral("T"),
        QStringLiteral("PSW"), QStringLiteral("BUS"), QStringLiteral("PC")};
    return names.contains(mcs51::standardRegister(token));
}

} // namespace

int operandFormLength(const QString &operands)
{
    int length = 1;
    for (const QString &token : mcs51::dataItems(operands))
        if (!isOperandName(token))
            ++length;
    return length;
}

long long nextAddress(long long pc, const QString &mnemonic, const QString &operands)
{
    const auto it = sizes().constFind(mnemonic);
    if (it == sizes().cend())
        return pc;
    switch (*it) {
    case Size::Org: {
        const QStringList tokens = mcs51::dataItems(operands);
        return tokens.isEmpty() ? 0 : readNumber(tokens.first());
    }
    case Size::Db:
        return pc + mcs51::dataItemCount(operands);
    case Size::Dw:
        return pc + 2 * mcs51::dataItemCount(operands);
    case Size::One:
        return pc + 1;
    case Size::Two:
        return pc + 2;
    case Size::Jmpp: {
        const QStringList tokens = mcs51::dataItems(operands);
        return pc + (!tokens.isEmpty() && tokens.first() == QStringView(u"@A") ? 1 : 2);
    }
    case Size::OperandForm:
        return pc + operandFormLength(operands);
    }
    return pc;
}

} // namespace tw::mcs48
