#pragma once
// SerialLink on QSerialPort. The pending count adds the kernel's output queue (TIOCOUTQ) to
// QSerialPort's own buffer, which alone would call a block sent while the UART still holds it.
#include "SerialLink.h"

#include <QSerialPort>

namespace tw
{

class QtSerialLink : public SerialLink
{
  public:
    bool open(const QString &device, qint32 baud, char parity) override;
    bool write(const QByteArray &bytes) override;
    qint64 pendingOutput() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

  private:
    QSerialPort m_port;
};

} // namespace tw
