#include "Sizer.h"

#include "assembler/common/Numbers.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Operands.h"
#include "isa/Mcs48.h"

#include "assembler/common/TextHash.h"

namespace tw::mcs48
{

namespace
{

enum class Size { Org, Db, Dw, One, Two, Jmpp, OperandForm };

// A mnemonic whose forms all have one length takes it; one whose forms differ counts its operands.
const TextMap<Size> &sizes()
{
    static const TextMap<Size> table = [] {
        TextMap<Size> map;
        const auto add = [&map](std::string_view mnemonic, int length) {
            const QString name =
                QString::fromLatin1(mnemonic.data(), static_cast<qsizetype>(mnemonic.size()));
            const Size size = length == 1 ? Size::One : Size::Two;
            const auto it = map.find(name);
            map[name] = it == map.end() || it->second == size ? size : Size::OperandForm;
        };
        for (const OpcodeRow &row : kOpcodes) {
            if (!row.defined())
                continue;
            add(row.mnemonic, row.length);
            if (!row.alias.empty())
                add(row.alias, row.length);
        }
        map[QStringLiteral("ORG")] = Size::Org;
        map[QStringLiteral("DB")] = Size::Db;
        map[QStringLiteral("DW")] = Size::Dw;
        map[QStringLiteral("JMPP")] = Size::Jmpp;
        return map;
    }();
    return table;
}

// Operands that cost no byte. The register aliases the encoder accepts (ACC, 工作寄存器3, ...)
// are looked up first, so that both agree on the length.
bool isOperandName(QStringView token)
{
    static const TextSet names = {
        QStringLiteral("A"),   QStringLiteral("C"),   QStringLiteral("R0"),  QStringLiteral("R1"),
        QStringLiteral("R2"),  QStringLiteral("R3"),  QStringLiteral("R4"),  QStringLiteral("R5"),
        QStringLiteral("R6"),  QStringLiteral("R7"),  QStringLiteral("@R0"), QStringLiteral("@R1"),
        QStringLiteral("@A"),  QStringLiteral("P1"),  QStringLiteral("P2"),  QStringLiteral("T"),
        QStringLiteral("PSW"), QStringLiteral("BUS"), QStringLiteral("PC")};
    return names.find(standardRegisterView(token)) != names.end();
}

} // namespace

int operandFormLength(const QString &operands)
{
    int length = 1;
    forEachItem(operands, false, [&](QStringView token) {
        if (!isOperandName(token))
            ++length;
        return true;
    });
    return length;
}

long long nextAddress(long long pc, const QString &mnemonic, const QString &operands)
{
    const auto it = sizes().find(QStringView(mnemonic));
    if (it == sizes().end())
        return pc;
    switch (it->second) {
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
