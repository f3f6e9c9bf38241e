#pragma once
// Test stand-ins for the programming cable: a recording port with a fixed status value, a virtual
// clock, and a simulated AT89S51 behind the port that decodes the cable's edges as the chip does.
#include "links/IspClock.h"
#include "links/PortIo.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace twtest
{

class VirtualClock : public tw::IspClock
{
  public:
    void delay() override { m_nowNs += m_delayNs; }
    void wait(std::chrono::microseconds time) override { m_nowNs += time.count() * 1000; }
    std::int64_t nowNs() const { return m_nowNs; }
    void setDelayNs(std::int64_t ns) { m_delayNs = ns; }

  private:
    std::int64_t m_nowNs = 0;
    std::int64_t m_delayNs = 2000;
};

// Records every access; the status register always reads the same value.
class RecordingPort : public tw::PortIo
{
  public:
    explicit RecordingPort(std::uint8_t status = 0xFF) : m_status(status) {}
    bool open() override { return m_open = true; }
    bool isOpen() const override { return m_open; }
    void writeControl(std::uint8_t value) override
    {
        writes.push_back(value);
        events.append(QStringLiteral("W%1").arg(value, 2, 16, QChar(u'0')).toUpper());
    }
    std::uint8_t readStatus() override
    {
        events.append(QStringLiteral("R"));
        return m_status;
    }
    void close() override { m_open = false; }

    std::vector<std::uint8_t> writes;
    QStringList events;

  private:
    std::uint8_t m_status;
    bool m_open = false;
};

// An AT89S51 in serial programming mode on the cable. MOSI is taken on SCK's rising edge, MISO
// changes on its falling edge; instructions are 4-byte frames (page read: 2 bytes, then 256 data
// bytes); A15-A12 are ignored; erase and byte or lock writes keep the chip busy for their cycle
// on the virtual clock, and frames that start while it is busy are ignored.
class SimAt89s51 : public tw::PortIo
{
  public:
    static constexpr std::int64_t EraseNs = 500'000'000;
    static constexpr std::int64_t WriteNs = 405'000; // 64 clocks at 12 MHz + 400 us
    static constexpr std::int64_t ClockNs = 83;      // one period of a 12 MHz crystal

    explicit SimAt89s51(VirtualClock &clock);

    bool open() override;
    bool isOpen() const override { return m_open; }
    void writeControl(std::uint8_t value) override;
    std::uint8_t readStatus() override;
    void close() override { m_open = false; }

    void setOpenFails(bool fails) { m_openFails = fails; }
    void setBusyModel(bool on) { m_busyModel = on; }
    // Lock bits as programmed: bit 0 = LB1, bit 1 = LB2, bit 2 = LB3.
    int lockBits() const { return m_lockBits; }
    void setLockBits(int bits) { m_lockBits = bits; }
    bool enabled() const { return m_enabled; }

    std::array<std::uint8_t, 4096> flash{};
    // Every byte the chip took in, every control write, and edges that broke the data sheet's
    // timing (MOSI moving while SCK is high or too close before its rise, phases too short).
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> writes;
    QStringList timingFaults;
    int statusReads = 0;
    // A flash cell that no longer programs (-1: none).
    int brokenAddress = -1;

  private:
    void risingEdge(bool mosi);
    void fallingEdge();
    void byteIn(std::uint8_t byte);
    void execute();
    bool busy() const;
    std::uint8_t codeAt(int address) const;

    VirtualClock &m_clock;
    bool m_open = false;
    bool m_openFails = false;
    bool m_busyModel = true;
    bool m_enabled = false;
    bool m_mosi = false, m_sck = false, m_miso = false;
    std::int64_t m_lastMosiChange = 0, m_lastRise = -1'000'000, m_lastFall = -1'000'000;
    int m_bitsInSlot = 0;
    std::uint8_t m_shiftIn = 0;
    std::uint8_t m_outByte = 0, m_nextOut = 0;
    int m_outBit = 7;
    std::array<std::uint8_t, 4> m_frame{};
    int m_framePos = 0;
    bool m_frameIgnored = false;
    int m_pageBytesLeft = 0;
    int m_pageAddress = 0;
    int m_lockBits = 0;
    std::int64_t m_busyUntil = 0;
    unsigned m_junk = 0;
};

} // namespace twtest
