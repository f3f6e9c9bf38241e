#include "PpdevPort.h"

#include <QFile>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tw
{

bool PpdevPort::open()
{
    close();
    const int fd = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::ioctl(fd, PPCLAIM) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void PpdevPort::writeControl(std::uint8_t value)
{
    if (m_fd < 0)
        return;
    // Only the four control lines: the driver takes bit 5 as a switch of the data port's
    // direction and bit 4 as the interrupt enable.
    unsigned char lines = value & 0x0F;
    ::ioctl(m_fd, PPWCONTROL, &lines);
}

std::uint8_t PpdevPort::readStatus()
{
    unsigned char status = 0xFF;
    if (m_fd >= 0)
        ::ioctl(m_fd, PPRSTATUS, &status);
    return status;
}

void PpdevPort::close()
{
    if (m_fd < 0)
        return;
    ::ioctl(m_fd, PPRELEASE);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace tw
