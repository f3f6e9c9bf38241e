#include "Operands.h"

#include "assembler/mcs51/Aliases.h"
#include "assembler/mcs51/Names.h"

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

// Calls take(token) for each non-empty token until the field ends or take returns false.
template <typename Take> void forEachToken(const QString &field, bool fullWidthComma, Take take)
{
    forEachItem(field, fullWidthComma, [&](QStringView item) { return take(item.toString()); });
}

} // namespace

SplitWords splitStatement(const QString &text)
{
    SplitWords words;
    int count = 0;
    forEachToken(text, true, [&](const QString &token) {
        if (count++ == 0)
            words.mnemonic = standardMnemonic(token);
        else
            words.operand = token;
        return count < 2;
    });
    return words;
}

QStringList extractOperands(const QString &field, int maxCount, const VariableTable &variables,
                            ErrorSink *errors, bool fullWidthComma)
{
    QStringList operands;
    operands.reserve(maxCount);
    forEachToken(field, fullWidthComma, [&](const QString &token) {
        if (operands.size() >= maxCount) {
            if (errors)
                errors->record(u"操作数过多"_s);
            return false;
        }
        operands.append(registerName(token, variables));
        return true;
    });
    while (operands.size() < maxCount)
        operands.append(QString());
    return operands;
}

QStringList dataItems(const QString &field)
{
    QStringList items;
    forEachToken(field, false, [&](const QString &token) {
        items.append(token);
        return true;
    });
    return items;
}

} // namespace tw::mcs51
