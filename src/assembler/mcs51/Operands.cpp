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

OperandTexts operandTexts(QStringView field, int maxCount, const VariableTable &variables, ErrorSink *errors,
                          bool fullWidthComma)
{
    OperandTexts operands;
    int count = 0;
    forEachItem(field, fullWidthComma, [&](QStringView token) {
        if (count >= maxCount) {
            if (errors)
                errors->record(u"操作数过多"_s);
            return false;
        }
        operands.items[static_cast<std::size_t>(count++)] = registerNameOf(token, variables);
        return true;
    });
    return operands;
}

QStringList extractOperands(const QString &field, int maxCount, const VariableTable &variables,
                            ErrorSink *errors, bool fullWidthComma)
{
    // Callers keep these longer than the field: each is a copy of its own.
    const OperandTexts texts = operandTexts(field, maxCount, variables, errors, fullWidthComma);
    QStringList operands;
    operands.reserve(maxCount);
    for (int i = 0; i < maxCount; ++i)
        operands.append(texts[i].isEmpty() ? QString() : QStringView(texts[i]).toString());
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

int dataItemCount(QStringView field)
{
    int count = 0;
    forEachItem(field, false, [&](QStringView) {
        ++count;
        return true;
    });
    return count;
}

} // namespace tw::mcs51
