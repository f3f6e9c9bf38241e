#include "QtSerialLink.h"

#include <sys/ioctl.h>
#include <termios.h>

namespace tw
{

namespace
{

QSerialPort::Parity parityOf(char letter)
{
    switch (letter) {
    case 'o':
        return QSerialPort::OddParity;
    case 'e':
        return QSerialPort::EvenParity;
    default:
        return QSerialPort::NoParity;
    }
}

} // namespace

bool QtSerialLink::open(const QString &device, qint32 baud, char parity)
{
    close();
    m_port.setPortName(device);
    // Nothing is ever read back, so nothing piles up in a read buffer.
    if (baud <= 0 || !m_port.open(QIODevice::WriteOnly))
        return false;
    const bool configured = m_port.setBaudRate(baud) && m_port.setDataBits(QSerialPort::Data8) &&
                            m_port.setParity(parityOf(parity)) && m_port.setStopBits(QSerialPort::OneStop) &&
                            m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        close();
        return false;
    }
    m_port.clearError();
    return true;
}

bool QtSerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen() || m_port.write(bytes) != bytes.size())
        return false;
    m_port.flush();
    return m_port.error() == QSerialPort::NoError;
}

qint64 QtSerialLink::pendingOutput()
{
    if (!m_port.isOpen() || m_port.error() != QSerialPort::NoError)
        return -1;
    // Hand what QSerialPort still holds to the driver first, then count both queues.
    if (m_port.bytesToWrite() > 0)
        m_port.flush();
    int queued = 0;
    if (::ioctl(m_port.handle(), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_port.bytesToWrite() + queued;
}

void QtSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

} // namespace tw
