#pragma once
// The programming cable's two registers of the parallel port: the control register the link
// writes (MOSI on bit 0, SCK on bit 1, both inverted by the port) and the status register it
// reads (MISO on bit 4).
#include <QString>
#include <cstdint>

namespace tw
{

class PortIo
{
  public:
    virtual ~PortIo() = default;

    // Gains the port; false when it is missing or not ours to use.
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void writeControl(std::uint8_t value) = 0;
    virtual std::uint8_t readStatus() = 0;
    virtual void close() = 0;
};

} // namespace tw
