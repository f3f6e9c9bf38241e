#pragma once
// Texts both link windows show.
#include <QString>

namespace tw
{

namespace LinkText
{
inline const QString BinFilter = QStringLiteral(u"二进制代码文件 (*.bin)");
// Followed by the file's path.
} // namespace LinkText

} // namespace tw
