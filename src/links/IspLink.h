#pragma once
// The AT89S51 serial programming interface clocked bit by bit through the parallel port.
// Edges as the chip's data sheet wants them: MOSI changes only while SCK is low and is held a
// delay before SCK rises; MISO is sampled while SCK is high, before the falling edge on which the
// chip shifts its next bit out. Bytes go most significant bit first both ways.
#include "IspClock.h"
#include "PortIo.h"

#include <QString>
#include <array>
#include <cstdint>

namespace tw
{

// Control-register values: bits 0 (MOSI) and 1 (SCK) are inverted by the port, bits 2-7 stay 1.
namespace IspLines
{
constexpr std::uint8_t MosiHighSckHigh = 0xFC, MosiLowSckHigh = 0xFD, MosiHighSckLow = 0xFE,
                       MosiLowSckLow = 0xFF;
constexpr std::uint8_t MosiBit = 0x01, SckBit = 0x02, MisoBit = 0x10;
} // namespace IspLines

// Chip timing the commands wait for.
namespace IspTiming
{
constexpr std::chrono::microseconds ChipErase{500000};
// The byte-write cycle is 64 clocks + 400 us; this covers clocks down to 3 MHz with room to spare.
constexpr std::chrono::microseconds ByteWrite{1000};
} // namespace IspTiming

constexpr int kIspPageSize = 256;
constexpr int kIspPages = 16;
constexpr int kIspFlashSize = kIspPageSize * kIspPages;

class IspLink
{
  public:
    IspLink(PortIo &port, IspClock &clock) : m_port(port), m_clock(clock) {}

    // Byte operations.
    void writeByte(std::uint8_t value);
    std::uint8_t readByte();
    std::uint8_t exchange(std::uint8_t value);

    // Instructions.
    std::array<std::uint8_t, 4> programmingEnable();
    void chipErase();
    std::uint8_t readCode(int address);
    void writeCode(int address, std::uint8_t value);
    // Sends the page-read instruction; the caller then reads exactly 256 bytes.
    void startPageRead(int page);
    std::uint8_t readLockBits();
    // Lock modes go in sequence: B1 alone, then B2 after it, then B3 after both. Without B1 only
    // the "no lock" frame is sent. Each frame is followed by the write cycle's wait.
    void writeLockBits(bool b1, bool b2, bool b3);

    // Cable test: one line at a time, and MISO as the port reads it.
    void setLine(std::uint8_t bit, bool high);
    bool readMiso();

    std::uint8_t outValue() const { return m_outValue; }
    IspClock &clock() { return m_clock; }

  private:
    void write(std::uint8_t value);
    bool readBit();
    void delays(int count);
    void frame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);

    PortIo &m_port;
    IspClock &m_clock;
    std::uint8_t m_outValue = 0;
};

// Lock level 0-3 from the read lock byte (bits 4-2 are the lock bits 3-2-1) and its text.
int lockLevel(std::uint8_t lockByte);
QString lockLevelText(int level);

} // namespace tw
