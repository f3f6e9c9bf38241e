#include "SimAt89s51.h"

namespace twtest
{

namespace
{
constexpr std::int64_t kMinPhaseNs = 8 * SimAt89s51::ClockNs;
}

SimAt89s51::SimAt89s51(VirtualClock &clock) : m_clock(clock)
{
    flash.fill(0xFF);
}

bool SimAt89s51::open()
{
    m_open = !m_openFails;
    return m_open;
}

bool SimAt89s51::busy() const
{
    return m_busyModel && m_clock.nowNs() < m_busyUntil;
}

void SimAt89s51::writeControl(std::uint8_t value)
{
    if (!m_open)
        return;
    writes.push_back(value);
    const std::int64_t now = m_clock.nowNs();
    const bool mosi = !(value & 0x01);
    const bool sck = !(value & 0x02);
    if (mosi != m_mosi && m_sck && sck)
        timingFaults.append(QStringLiteral("MOSI changed while SCK high at %1 ns").arg(now));
    if (mosi != m_mosi)
        m_lastMosiChange = now;
    m_mosi = mosi;
    if (sck && !m_sck) {
        if (now - m_lastMosiChange < ClockNs)
            timingFaults.append(QStringLiteral("MOSI set up too late before SCK rose at %1 ns").arg(now));
        if (now - m_lastFall < kMinPhaseNs)
            timingFaults.append(QStringLiteral("SCK low too short at %1 ns").arg(now));
        m_sck = true;
        m_lastRise = now;
        risingEdge(mosi);
    } else if (!sck && m_sck) {
        if (now - m_lastRise < kMinPhaseNs)
            timingFaults.append(QStringLiteral("SCK high too short at %1 ns").arg(now));
        m_sck = false;
        m_lastFall = now;
        fallingEdge();
    }
}

std::uint8_t SimAt89s51::readStatus()
{
    ++statusReads;
    // The other status lines carry whatever the port has on them.
    m_junk = m_junk * 1103515245u + 12345u;
    const std::uint8_t junk = static_cast<std::uint8_t>(m_junk >> 16) & ~0x10;
    if (!m_open)
        return junk | 0x10;
    return junk | (m_miso ? 0x00 : 0x10);
}

void SimAt89s51::risingEdge(bool mosi)
{
    m_shiftIn = static_cast<std::uint8_t>((m_shiftIn << 1) | (mosi ? 1 : 0));
    if (++m_bitsInSlot == 8) {
        byteIn(m_shiftIn);
        m_shiftIn = 0;
    }
}

void SimAt89s51::fallingEdge()
{
    if (m_bitsInSlot == 8) {
        m_bitsInSlot = 0;
        m_outByte = m_nextOut;
        m_outBit = 7;
    }
    m_miso = (m_outByte >> m_outBit) & 1;
    if (m_outBit > 0)
        --m_outBit;
}

std::uint8_t SimAt89s51::codeAt(int address) const
{
    // Code that the second lock bit protects no longer reads back.
    if (m_lockBits & 2)
        return 0x00;
    return flash[static_cast<std::size_t>(address & 0x0FFF)];
}

void SimAt89s51::byteIn(std::uint8_t byte)
{
    received.push_back(byte);
    m_nextOut = 0x00;
    if (m_pageBytesLeft > 0) {
        // Every byte after the page number is a data slot until the page is out.
        if (--m_pageBytesLeft > 0 && !m_frameIgnored)
            m_nextOut = codeAt(++m_pageAddress);
        return;
    }
    m_frame[static_cast<std::size_t>(m_framePos++)] = byte;
    if (m_framePos == 1)
        m_frameIgnored = busy();
    const bool live = !m_frameIgnored && (m_enabled || m_frame[0] == 0xAC);
    if (m_framePos == 2 && m_frame[0] == 0x30) {
        m_framePos = 0;
        m_pageBytesLeft = 256;
        m_pageAddress = (m_frame[1] & 0x0F) * 256;
        m_frameIgnored = !live;
        if (live)
            m_nextOut = codeAt(m_pageAddress);
        return;
    }
    if (m_framePos == 3 && live) {
        if (m_frame[0] == 0xAC && m_frame[1] == 0x53)
            m_nextOut = 0x69;
        else if (m_frame[0] == 0x20 && m_enabled)
            m_nextOut = codeAt(m_frame[1] * 256 + m_frame[2]);
        else if (m_frame[0] == 0x24 && m_enabled)
            m_nextOut = static_cast<std::uint8_t>(0xE3 | (m_lockBits << 2));
    }
    if (m_framePos == 4) {
        m_framePos = 0;
        if (live)
            execute();
    }
}

void SimAt89s51::execute()
{
    const std::int64_t now = m_clock.nowNs();
    if (m_frame[0] == 0xAC && m_frame[1] == 0x53) {
        m_enabled = true;
        return;
    }
    if (!m_enabled)
        return;
    if (m_frame[0] == 0xAC && m_frame[1] == 0x80) {
        flash.fill(0xFF);
        m_lockBits = 0;
        m_busyUntil = now + EraseNs;
    } else if (m_frame[0] == 0x40) {
        const int address = (m_frame[1] * 256 + m_frame[2]) & 0x0FFF;
        if (!(m_lockBits & 1) && address != brokenAddress)
            flash[static_cast<std::size_t>(address)] &= m_frame[3];
        m_busyUntil = now + WriteNs;
    } else if (m_frame[0] == 0xAC && (m_frame[1] & 0xFC) == 0xE0) {
        // Lock modes only in sequence.
        const int mode = m_frame[1] & 3;
        if (mode == 1 || (mode == 2 && (m_lockBits & 1)) || (mode == 3 && (m_lockBits & 3) == 3))
            m_lockBits |= 1 << (mode - 1);
        m_busyUntil = now + WriteNs;
    }
}

} // namespace twtest
