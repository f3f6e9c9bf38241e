#include "Messages.h"

#include "common/Vb.h"

namespace tw
{

QString tooManyLabelsMessage()
{
    return QStringLiteral(u"源程序中使用的标号数目太多！\r\n本软件限定标号数目最大为2048");
}

QString missingEquOperandMessage()
{
    return QStringLiteral(u"汇编失败，EQU语句缺操作数！");
}

QString addressErrorMessage(long long lineNumber)
{
    return QStringLiteral(u"第") + vbStr(lineNumber) + QStringLiteral(u"行地址错误！");
}

} // namespace tw
