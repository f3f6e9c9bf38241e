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

} // namespace tw
