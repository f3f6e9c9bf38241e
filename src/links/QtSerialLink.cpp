#include "QtSerialLink.h"
#include "DriverRate.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tw
{

namespace
{

// The parity letters of the settings string and Qt's parities, both ways.
constexpr struct {
    char letter;
    QSerialPort::Parity parity;
} kParities[] = {{'n', QSerialPort::NoParity},   {'o', QSerialPort::OddParity},
                 {'e', QSerialPort::EvenParity}, {'m', QSerialPort::MarkParity},
                 {'s', QSerialPort::SpaceParity}};

// Only odd and even are chosen in the window; any other letter sends without parity.
QSerialPort::Parity parityOf(char letter)
{
    for (const auto &entry : kParities)
        if (entry.letter == letter && (letter == 'o' || letter == 'e'))
            return entry.parity;
    return QSerialPort::NoParity;
}

char letterOf(QSerialPort::Parity parity)
{
    for (const auto &entry : kParities)
        if (entry.parity == parity)
            return entry.letter;
    return 0;
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
                            m_port.setStopBits(QSerialPort::OneStop) &&
                            m_port.setFlowControl(QSerialPort::NoFlowControl);
    // A driver that drops the parity (a pseudo-terminal) makes Qt fail even parity and pass odd
    // parity, which then goes out as none; the parity read back decides for both alike.
    m_port.setParity(parityOf(parity));
    if (!configured) {
        close();
        return false;
    }
    m_port.clearError();
    return true;
}

bool QtSerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen() || m_failed)
        return false;
    m_unsent += bytes;
    return pushUnsent();
}

bool QtSerialLink::pushUnsent()
{
    while (!m_unsent.isEmpty()) {
        const ssize_t written =
            ::write(m_port.handle(), m_unsent.constData(), static_cast<size_t>(m_unsent.size()));
        if (written > 0) {
            m_unsent.remove(0, written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true; // the queue is full: the rest waits for the receiver
        m_failed = true;
        return false;
    }
    return true;
}

qint32 QtSerialLink::runningBaud() const
{
    const qint32 taken = m_port.isOpen() ? driverOutputRate(m_port.handle()) : 0;
    return taken > 0 ? taken : m_port.baudRate(QSerialPort::Output);
}

char QtSerialLink::runningParity() const
{
    const char taken = m_port.isOpen() ? driverParity(m_port.handle()) : 0;
    return taken != 0 ? taken : letterOf(m_port.parity());
}

int QtSerialLink::driverQueue() const
{
    int queued = 0;
    if (::ioctl(m_port.handle(), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return queued;
}

qint64 QtSerialLink::pendingOutput()
{
    if (!m_port.isOpen() || m_failed || !pushUnsent())
        return -1;
    return m_unsent.size() + driverQueue();
}

void QtSerialLink::close()
{
    if (m_port.isOpen()) {
        // What a stalled receiver never took is dropped, so that closing does not wait for it.
        if (!m_unsent.isEmpty() || driverQueue() > 0)
            ::tcflush(m_port.handle(), TCOFLUSH);
        m_port.close();
    }
    m_unsent.clear();
    m_failed = false;
    m_port.clearError();
}

} // namespace tw
