#pragma once
// The disassemblers' message texts and captions in one place.
#include "disassembler/DisasmText.h"

#include <QString>

namespace tw
{

inline const QString kDisassemblyCaption = QStringLiteral(u"反汇编信息");
inline const QString kInformationCaption = QStringLiteral(u"信息");

inline const QString kDisassemblyFailedText = QStringLiteral(u"反汇编失败！");
inline const QString kNotMcs48CodeText = QStringLiteral(u"存在有非MCS48操作码，反汇编失败！");
inline const QString kTooLongFor51Text = QStringLiteral(u"目标代码长度超出范围，此非51单片机机器码？");
inline const QString kTooLongFor48Text = QStringLiteral(u"目标代码长度超出范围，此非48单片机机器码？");
inline const QString kUndefinedCodeText = QStringLiteral(u"存在无定义代码！");
inline const QString kLabelPassFailedText = QStringLiteral(u"出错！");
inline const QString kDisassemblyDoneText = QStringLiteral(u"反汇编完成！\r\n打开汇编语言程序吗？");

// A table of the job reached its bound (the number of entries it holds).
DisasmMessage limitMessage(DisasmLimit limit, int bound);

} // namespace tw
