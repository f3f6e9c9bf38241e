#include "ComPorts.h"

#include <QDir>
#include <algorithm>

namespace tw
{

namespace
{

// ttyUSB2 before ttyUSB10.
QStringList numbered(const QDir &dir, const QString &prefix)
{
    QStringList names = dir.entryList({prefix + u'*'}, QDir::Files | QDir::System);
    names.removeIf([&prefix](const QString &name) {
        bool ok = false;
        name.mid(prefix.size()).toInt(&ok);
        return !ok;
    });
    std::sort(names.begin(), names.end(), [&prefix](const QString &a, const QString &b) {
        return a.mid(prefix.size()).toInt() < b.mid(prefix.size()).toInt();
    });
    return names;
}

} // namespace

QStringList usbSerialAdapters(const QString &devDir)
{
    const QDir dir(devDir);
    QStringList devices;
    for (const QString &prefix : {QStringLiteral("ttyUSB"), QStringLiteral("ttyACM")})
        for (const QString &name : numbered(dir, prefix))
            devices.append(dir.filePath(name));
    return devices;
}

QString deviceForComPort(int number, const QString &devDir)
{
    const QString chosen = qEnvironmentVariable(qPrintable(QStringLiteral("TARNWICK_COM%1").arg(number)));
    if (!chosen.isEmpty())
        return chosen;
    const QStringList adapters = usbSerialAdapters(devDir);
    const int index = number - 1;
    if (index < adapters.size())
        return adapters[index];
    return QDir(devDir).filePath(QStringLiteral("ttyS%1").arg(index - adapters.size()));
}

} // namespace tw
