#include "Sizer.h"

#include "assembler/Numbers.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Operands.h"
#include "isa/Mcs48.h"

#include <QHash>
#include <QSet>

namespace tw::mcs48
{

namespace
{

enum class Size { Org, Db, Dw, One, Two, Jmpp, OperandForm };

// A mnemonic whose forms all have one length takes it; one whose forms differ counts its operands.
const QHash<QString, Size> &sizes()
{
    static const QHash<QString, Size> table = [] {
        QHash<QString, Size> map;
        const auto add = [&map](std::string_view mnemonic, int length) {
            const QString name =
                QString::fromLatin1(mnemonic.data(), static_cast<qsizetype>(mnemonic.size()));
            const Size size = length == 1 ? Size::One : Size::Two;
            const auto it = map.constFind(name);
            map.insert(name, it == map.cend() || *it == size ? size : Size::OperandForm);
        };
        for (const OpcodeRow &row : kOpcodes) {
            if (!row.defined())
                continue;
            add(row.mnemonic, row.length);
            if (!row.alias.empty())
                add(row.alias, row.length);
        }
        map.insert(QStringLiteral("ORG"), Size::Org);
        map.insert(QStringLiteral("DB"), Size::Db);
        map.insert(QStringLiteral("DW"), Size::Dw);
        map.insert(QStringLiteral("JMPP"), Size::Jmpp);
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
    return names.contains(standardRegister(token));
}

} // namespace

int operandFormLength(const QString &operands)
{
    int length = 1;
    for (const QString &token : dataItems(operands))
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
        const QStringList tokens = dataItems(operands);
        return tokens.isEmpty() ? 0 : readNumber(tokens.first());
    }
    case Size::Db:
        return pc + dataItemCount(operands);
    case Size::Dw:
        return pc + 2 * dataItemCount(operands);
    case Size::One:
        return pc + 1;
    case Size::Two:
        return pc + 2;
    case Size::Jmpp: {
        const QStringList tokens = dataItems(operands);
        return pc + (!tokens.isEmpty() && tokens.first() == QStringView(u"@A") ? 1 : 2);
    }
    case Size::OperandForm:
        return pc + operandFormLength(operands);
    }
    return pc;
}

} // namespace tw::mcs48
