#pragma once
// The rate and parity a serial driver runs a port at, as the driver itself reports them. Qt's
// QSerialPort only echoes the rate it was asked for, and a driver that cannot make a setting takes
// another without a word: a 16550 asked for 128000 baud runs 115200 or 9600, and a pseudo-terminal
// drops any parity it is given.
#include <QtGlobal>

namespace tw
{

// The output rate of the terminal open on descriptor; 0 where the driver cannot be asked.
qint32 driverOutputRate(int descriptor);

// The parity the terminal open on descriptor runs with: 'n' none, 'o' odd, 'e' even, 'm' or 's'
// for mark or space; 0 where the driver cannot be asked.
char driverParity(int descriptor);

} // namespace tw
