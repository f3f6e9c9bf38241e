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

QString errorLimitMessage()
{
    return QStringLiteral(u"汇编中止：错误数目达到上限！\r\n本软件限定错误数目最大为1000000");
}

QString duplicateLimitMessage()
{
    return QStringLiteral(u"汇编中止：重复定义的标号太多！\r\n本软件限定标号重复定义的次数最大为1024");
}

QString tooManyVariablesMessage()
{
    return QStringLiteral(u"源程序中用EQU定义的名称数目太多！\r\n本软件限定其数目最大为1024");
}

QString sourceReadFailureMessage(const QString &path, const QString &reason)
{
    return QStringLiteral(u"源程序文件读取失败：") + path + QStringLiteral(u"（") + reason +
           QStringLiteral(u"）");
}

QString internalErrorMessage(const QString &what, long long lineNumber, const QString &statement)
{
    QString message = QStringLiteral(u"汇编程序内部错误：") + what;
    if (lineNumber > 0)
        message +=
            QStringLiteral(u"\r\n出错语句：第") + vbStr(lineNumber) + QStringLiteral(u"行\t") + statement;
    return message + QStringLiteral(u"\r\n本次汇编没有生成目标文件。");
}

QString outOfMemoryMessage()
{
    return QStringLiteral(u"内存不足，汇编中止！");
}

} // namespace tw
