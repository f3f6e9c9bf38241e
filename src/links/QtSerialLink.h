#pragma once
// SerialLink on QSerialPort. The bytes are written to the port's descriptor here rather than
// through QSerialPort: a receiver that stops reading fills the driver's queue, the descriptor
// (non-blocking) refuses more with EAGAIN, and QSerialPort would call that a resource error, so a
// stalled line would look like a bad port. Here the refused bytes simply stay pending. The pending
// count adds the kernel's output queue (TIOCOUTQ) to them: without it a block would count as sent
// while the UART still holds it.
#include "SerialLink.h"

#include <QSerialPort>

namespace tw
{

class QtSerialLink : public SerialLink
{
  public:
    bool open(const QString &device, qint32 baud, char parity) override;
    bool write(const QByteArray &bytes) override;
    // Where the driver cannot be asked, the rate and parity Qt set.
    qint32 runningBaud() const override;
    char runningParity() const override;
    qint64 pendingOutput() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

  private:
    // Hands the driver what it takes of m_unsent; false on a port error (not on a full queue).
    bool pushUnsent();
    // Bytes the driver holds that have not gone out yet.
    int driverQueue() const;

    QSerialPort m_port;
    QByteArray m_unsent;
    bool m_failed = false;
};

} // namespace tw
