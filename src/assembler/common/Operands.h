#pragma once
// Cutting a statement's text into mnemonic and operands, with EQU/BIT variables and register
// aliases replaced: shared by the MCS-51 and MCS-48 assemblers.
#include "assembler/common/Numbers.h"
#include "assembler/common/Symbols.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>

namespace tw
{

// Replaces an operand that names a variable by the variable's value text, keeping a leading "#"
// or "@": with COUNT = 30H, "#COUNT" gives "#30H". One level deep; other text is unchanged.
QString substituteVariable(const QString &operand, const VariableTable &variables);

// substituteVariable, then the register alias: what the operand extractors deliver.
QString registerName(const QString &operand, const VariableTable &variables);

// registerName() of a token the caller keeps alive: the result shares the token's characters
// when nothing replaced them, so it must not outlive them.
QString registerNameOf(QStringView token, const VariableTable &variables);
// The same as a view for a look that keeps nothing: of the token, of a variable's value, of the
// alias table, or of keep when the text had to be built ("#" + value). The table must not change
// while the view is used.
QStringView registerView(QStringView token, const VariableTable &variables, QString &keep);

struct SplitWords {
    QString mnemonic; // first word, through standardMnemonic()
    QString operand;  // second word, unchanged
};

// First two words of a text; TAB, blank, "," and "，" separate, ";" or "；" ends the scan.
SplitWords splitStatement(const QString &text);

// Up to maxCount operands of an operand field, each through registerName(). TAB, blank and ","
// separate (with fullWidthComma also "，"), empty items are skipped, ";" or "；" ends the field.
// One operand too many records "操作数过多" when errors is given and stops. The list always has
// maxCount (1 to 3) entries; an absent operand is "".
QStringList extractOperands(const QString &field, int maxCount, const VariableTable &variables,
                            ErrorSink *errors, bool fullWidthComma = false);

// Up to three operands as extractOperands() gives them, without building a list or copying text:
// an operand no variable or alias replaced shares the field's characters, so these must not
// outlive the field.
struct OperandTexts {
    std::array<QString, 3> items; // absent ones are empty
    const QString &operator[](qsizetype i) const { return items[static_cast<std::size_t>(i)]; }
    const QString &front() const { return items[0]; }
    bool anyEmpty(qsizetype count) const
    {
        return std::any_of(items.cbegin(), items.cbegin() + count,
                           [](const QString &op) { return op.isEmpty(); });
    }
};
OperandTexts operandTexts(QStringView field, int maxCount, const VariableTable &variables, ErrorSink *errors,
                          bool fullWidthComma = false);

// Calls visit(item) with each non-empty item of an operand field until the field ends or visit
// returns false: TAB, blank and "," separate (with fullWidthComma also "，"), ";" or "；" ends it.
template <typename Visit> void forEachItem(QStringView field, bool fullWidthComma, Visit visit)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= field.size(); ++i) {
        const QChar c = i < field.size() ? field[i] : QChar(u';');
        const bool end = c == u';' || c == u'；';
        if (end || c == u'\t' || c == u' ' || c == u',' || (fullWidthComma && c == u'，')) {
            if (start >= 0 && !visit(field.mid(start, i - start)))
                return;
            if (end)
                return;
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
}

// The items of a DB or DW data list: ";" or "；" ends it, TAB, blank and "," separate, empty
// items are skipped. A separator inside apostrophes still separates.
QStringList dataItems(const QString &field);

// How many items dataItems() gives, without building them.
int dataItemCount(QStringView field);

} // namespace tw
