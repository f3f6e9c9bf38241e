#pragma once
// The rate a serial driver runs a port at, as the driver itself reports it. Qt's QSerialPort only
// echoes the rate it was asked for, and a driver that cannot make a rate takes another without a
// word (a 16550 asked for 128000 baud runs 115200 or 9600).
#include <QtGlobal>

namespace tw
{

// The output rate of the terminal open on descriptor; 0 where the driver cannot be asked.
qint32 driverOutputRate(int descriptor);

} // namespace tw
