#pragma once
// The hex-text object file (.obj): two upper-case hexadecimal digits per byte of the code image,
// high digit first, in address order, nothing else. 02 00 3A FF is "02003AFF".
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tw
{

QByteArray binToObjText(const QByteArray &image);

// The image of an .obj text. Digits of either case are read; a line end or blanks after the last
// digit (a file saved by an editor) are ignored. Any other character, or an odd number of digits,
// makes the whole text unreadable: std::nullopt, and problem says why.
std::optional<QByteArray> objTextToBin(const QByteArray &text, QString *problem = nullptr);

// The two conversions of the Start command once its checks have passed: read the whole input,
// the output in one piece (nothing when the input is refused, or when the output is the input
// itself), then "转换完成！".
ToolOutcome convertObjToBin(const QString &input, const QString &output);
ToolOutcome convertBinToObj(const QString &input, const QString &output);

} // namespace tw
