#pragma once
// PortIo on Linux's ppdev driver (/dev/parport0): the port is claimed while the programmer window
// is open. Needs the parport_pc and ppdev modules and membership of the device's group (lp).
#include "PortIo.h"

namespace tw
{

class PpdevPort : public PortIo
{
  public:
    explicit PpdevPort(QString device = QStringLiteral("/dev/parport0")) : m_device(std::move(device)) {}
    ~PpdevPort() override { close(); }

    bool open() override;
    bool isOpen() const override { return m_fd >= 0; }
    void writeControl(std::uint8_t value) override;
    std::uint8_t readStatus() override;
    void close() override;

  private:
    QString m_device;
    int m_fd = -1;
};

} // namespace tw
