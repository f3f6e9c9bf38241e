#pragma once
// The assembler's message texts in one place: the error report's statement errors, shared by the
// MCS-51 and MCS-48 encoders, and the messages that end a run.
#include <QString>

namespace tw
{

inline const QString kIllegalOperandError = QStringLiteral(u"操作数非法");
inline const QString kOperandOutOfRangeError = QStringLiteral(u"操作数越界");
inline const QString kMissingOperandError = QStringLiteral(u"缺少操作数");
inline const QString kFirstOperandError = QStringLiteral(u"第一操作数错误");
inline const QString kSecondOperandError = QStringLiteral(u"第二操作数错误");
inline const QString kOperandError = QStringLiteral(u"操作数错误");
inline const QString kTooManyOperandsError = QStringLiteral(u"操作数过多");
inline const QString kUndefinedLabelError = QStringLiteral(u"标号未定义");
inline const QString kJumpOutOfRangeError = QStringLiteral(u"转移范围越界");
inline const QString kIllegalOpcodeError = QStringLiteral(u"操作码非法");
inline const QString kWrongOpcodeError = QStringLiteral(u"操作码错误");
// The driver's own error lines: a label defined more than once, a label pass 2 finds at
// another address than pass 1 did.
inline const QString kDuplicateLabelError = QStringLiteral(u"标号重复定义");
inline const QString kLabelAddressError = QStringLiteral(u"标号地址错误");

// Messages that end a run.
QString unrecognisedStatementMessage(); // a failure that has no more specific text
QString tooManyLabelsMessage();
QString missingEquOperandMessage();
QString addressErrorMessage(long long lineNumber);
QString writeFailedMessage(const QString &path);

} // namespace tw
