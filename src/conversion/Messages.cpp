#include "Messages.h"

#include "common/Vb.h"

namespace tw::ConvText
{

QString missingScriptText(const QString &script)
{
    return QStringLiteral(u"找不到转换脚本") + script + QStringLiteral(u"。");
}

QString unconvertibleFormatText(const QString &format)
{
    return QStringLiteral(u"不能转换") + format + QStringLiteral(u"格式的文件！");
}

QString noDataText(const QString &path)
{
    return QStringLiteral(u"文件中没有数据：") + path;
}

QString tooSmallToSplitText(const QString &sizeText)
{
    return QStringLiteral(u"原程序<") + sizeText + QStringLiteral(u",无需拆分！");
}

QString differencesText(int differences)
{
    return QStringLiteral(u"两文件有") + vbStr(differences) + QStringLiteral(u"处不相同！");
}

QString sourceReadFailureText(const QString &path, const QString &reason)
{
    return QStringLiteral(u"源程序文件读取失败：") + path + QStringLiteral(u"（") + reason +
           QStringLiteral(u"）");
}

QString portErrorsText(int errors)
{
    return QStringLiteral(u"转换过程发现") + vbStr(errors) + QStringLiteral(u"处不能转换。");
}

} // namespace tw::ConvText
