#pragma once
// Alternative spellings of MCS-51 mnemonics and register names (Chinese and a few English).
#include <QString>
#include <QStringView>

namespace tw
{

// The standard mnemonic for an alias (传送 -> MOV, 等值 and BIT -> EQU, CJNZ -> CJNE, 结束 -> END);
// any other text comes back unchanged. Exact, case-sensitive, whole-text match.
QString standardMnemonic(const QString &mnemonic);

// The same as views, for the per-operand paths: the standard name in static storage, or text
// itself when it is no alias.
QStringView standardMnemonicView(QStringView mnemonic);
QStringView standardRegisterView(QStringView text);

// The standard register name for a register alias (累加器 and ACC -> A, 端口1 -> P1, @工作寄存器0
// -> @R0); any other text comes back unchanged. No variable substitution: see registerName().
QString standardRegister(const QString &text);

} // namespace tw
