#pragma once
// The few things the file sender needs of a serial port, so that the send can run against a real
// port or a recording stand-in.
#include <QByteArray>
#include <QString>

namespace tw
{

class SerialLink
{
  public:
    virtual ~SerialLink() = default;

    // 8 data bits, 1 stop bit; parity 'n', 'o' or 'e'. False when the device cannot be opened or
    // does not take the settings (the link is then closed again); a rate or parity the driver
    // replaces with another is no failure here, but shows in runningBaud() and runningParity().
    virtual bool open(const QString &device, qint32 baud, char parity) = 0;
    // Queues the bytes without waiting for them to go out; false on a port error.
    virtual bool write(const QByteArray &bytes) = 0;
    // The rate the open port runs at, read back from the driver: one that cannot make the rate
    // open() asked for may take another without failing.
    virtual qint32 runningBaud() const = 0;
    // The parity the open port runs with ('n', 'o', 'e'; another letter for one the sender never
    // asks for), read back from the driver: one that takes no parity drops it without failing.
    virtual char runningParity() const = 0;
    // Bytes written but not yet on the wire (ours and the driver's queue); -1 on a port error.
    virtual qint64 pendingOutput() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace tw
