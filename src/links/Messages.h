#pragma once
// Texts both link windows show.
#include <QString>

namespace tw
{

namespace LinkText
{
inline const QString BinFilter = QStringLiteral(u"二进制代码文件 (*.bin)");
// Followed by the file's path.
inline const QString CannotRead = QStringLiteral(u"文件不能读取：");
} // namespace LinkText

} // namespace tw
