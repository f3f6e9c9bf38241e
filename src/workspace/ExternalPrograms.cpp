#include "ExternalPrograms.h"

#include <QStandardPaths>

namespace tw
{

QStringList calculatorPrograms()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

QStringList systemInfoPrograms()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("hardinfo2")};
}

QString findFirstProgram(const QStringList &programs)
{
    for (const QString &program : programs) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QString programNotFoundMessage(const QString &kind, const QStringList &programs)
{
    return QStringLiteral(u"找不到%1程序。已查找：%2").arg(kind, programs.join(QStringLiteral(u"、")));
}

QString programNotStartedMessage(const QString &kind, const QString &path)
{
    return QStringLiteral(u"无法启动%1程序：%2").arg(kind, path);
}

QString linkNotOpenedMessage(const QUrl &url)
{
    if (url.scheme() == QLatin1String("mailto"))
        return QStringLiteral(u"无法启动邮件程序，请直接发邮件到：") + url.path();
    if (url.isLocalFile())
        return QStringLiteral(u"无法打开文件，请直接打开：") + url.toLocalFile();
    return QStringLiteral(u"无法启动浏览器，请直接访问：") + url.toString();
}

} // namespace tw
