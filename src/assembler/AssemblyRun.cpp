#include "AssemblyRun.h"

#include "common/Paths.h"
#include "source/Tidier.h"

#include <QFileInfo>

namespace tw
{

QString AssemblyResult::summary() const
{
    if (!completed)
        return failureMessage;
    return errorReportText(errorCount, QString()).section(QStringLiteral("\r\n"), 0, 0);
}

QString startCheckMessage(const QString &source, const QString &bin)
{
    if (source.isEmpty())
        return QStringLiteral(u"请选择待汇编的文件！");
    if (!QFileInfo(source).isFile())
        return QStringLiteral(u"待汇编的文件不存在！");
    // The assembler takes the sources the editor tidies on saving.
    if (!isTidiedSourcePath(source))
        return QStringLiteral(u"待汇编的文件不是汇编语言源程序！");
    if (bin.isEmpty())
        return QStringLiteral(u"请选择汇编后的文件存放地址！");
    return QString();
}

QString binPathForSource(const QString &source)
{
    return replaceLastThree(source, QStringLiteral("bin"));
}

} // namespace tw
