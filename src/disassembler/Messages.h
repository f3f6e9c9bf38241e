#pragma once
// The disassemblers' message texts and captions as Qt texts.
#include "disasm51/MessageTexts.h"
#include "disassembler/DisasmText.h"

#include <QString>

namespace tw
{

inline QString qtText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline const QString kDisassemblyCaption = qtText(disasmText::kDisassemblyCaption);
inline const QString kInformationCaption = qtText(disasmText::kInformationCaption);

inline const QString kDisassemblyFailedText = qtText(disasmText::kDisassemblyFailed);
inline const QString kNotMcs48CodeText = qtText(disasmText::kNotMcs48Code);
inline const QString kTooLongFor51Text = qtText(disasmText::kTooLongFor51);
inline const QString kTooLongFor48Text = qtText(disasmText::kTooLongFor48);
inline const QString kUndefinedCodeText = qtText(disasmText::kUndefinedCode);
inline const QString kLabelPassFailedText = qtText(disasmText::kLabelPassFailed);
inline const QString kDisassemblyDoneText = qtText(disasmText::kDisassemblyDone);

// A message of the disassembler's own, as the window shows it.
DisasmMessage qtMessage(const DisasmNote &note);

// A table of the job reached its bound (the number of entries it holds).
DisasmMessage limitMessage(DisasmLimit limit, int bound);

} // namespace tw
