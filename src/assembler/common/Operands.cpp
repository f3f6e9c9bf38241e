#include "Operands.h"

#include "assembler/common/Aliases.h"
#include "assembler/common/Messages.h"

namespace tw
{

using namespace Qt::StringLiterals;

namespace
{

// Calls take(token) for each non-empty token until the field ends or take returns false.
template <typename Take> void forEachToken(const QString &field, bool fullWidthComma, Take take)
{
    forEachItem(field, fullWidthComma, [&](QStringView item) { return take(item.toString()); });
}

// The value of the variable a token names, after a "#" or "@" when prefixed; nullptr for none.
const QString *variableOf(QStringView token, const VariableTable &variables, bool &prefixed)
{
    if (variables.count() == 0)
        return nullptr;
    prefixed = token.startsWith(u'#') || token.startsWith(u'@');
    return variables.find(token.mid(prefixed ? 1 : 0));
}

// substituteVariable() of a token: the variable's value, "#" or "@" with it, or else the token's
// own characters, not copied.
QString substitutedOf(QStringView token, const VariableTable &variables)
{
    bool prefixed = false;
    if (const QString *value = variableOf(token, variables, prefixed))
        return prefixed ? token.left(1).toString() + *value : *value;
    return QString::fromRawData(token.data(), token.size());
}

// Whether text is operand's own characters (or both are empty), so operand itself can be given.
bool sameText(const QString &text, const QString &operand)
{
    return text.constData() == operand.constData() || (text.isEmpty() && operand.isEmpty());
}

} // namespace

QString substituteVariable(const QString &operand, const VariableTable &variables)
{
    QString text = substitutedOf(operand, variables);
    return sameText(text, operand) ? operand : text;
}

QString registerNameOf(QStringView token, const VariableTable &variables)
{
    if (variables.count() == 0) {
        // The common case: nothing to substitute, so no text of our own.
        const QStringView standard = standardRegisterView(token);
        return QString::fromRawData(standard.data(), standard.size());
    }
    QString text = substitutedOf(token, variables);
    const QStringView standard = standardRegisterView(text);
    if (standard.data() == text.constData())
        return text;
    return QString::fromRawData(standard.data(), standard.size()); // the alias table's own text
}

QStringView registerView(QStringView token, const VariableTable &variables, QString &keep)
{
    bool prefixed = false;
    const QString *value = variableOf(token, variables, prefixed);
    if (!value)
        return standardRegisterView(token);
    if (!prefixed)
        return standardRegisterView(*value);
    keep = token.left(1).toString() + *value;
    return standardRegisterView(keep);
}

QString registerName(const QString &operand, const VariableTable &variables)
{
    QString text = registerNameOf(operand, variables);
    return sameText(text, operand) ? operand : text;
}

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
                errors->record(kTooManyOperandsError);
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

} // namespace tw
