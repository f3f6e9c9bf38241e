#include "Messages.h"

#include "common/Vb.h"

namespace tw
{

QString unrecognisedStatementMessage()
{
    return QStringLiteral(u"汇编失败，存在有不可识别的语句！");
}

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

QString writeFailedMessage(const QString &path)
{
    return QStringLiteral(u"文件写入失败：") + path;
}

} // namespace tw
