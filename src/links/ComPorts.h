#pragma once
// Which device stands for COM1 to COM4. USB serial adapters (/dev/ttyUSB*, then /dev/ttyACM*, each
// in number order) come first, the built-in ports /dev/ttyS0, /dev/ttyS1, ... after them; so
// without an adapter COMn is /dev/ttyS(n-1). TARNWICK_COMn in the environment names another device
// for COMn (a pseudo-terminal, say).
#include <QString>
#include <QStringList>

namespace tw
{

// The USB serial adapters in devDir, in the order they take the COM numbers.
QStringList usbSerialAdapters(const QString &devDir = QStringLiteral("/dev"));

// The device COMn (n = 1 to 4) opens.
QString deviceForComPort(int number, const QString &devDir = QStringLiteral("/dev"));

} // namespace tw
