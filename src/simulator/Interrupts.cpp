#include "simulator/Cpu51.h"

#include <bit>

namespace tw
{
namespace
{

// The eight request sources in the order each priority pass tests them; the bits of
// requestMask() and spreadToSources() follow this order.
struct Source {
    std::uint16_t vector;
    std::int8_t panel;        // index into interruptEntered; -1: timer 2 has no panel
    std::uint8_t clearedFlag; // request flag the entry clears; 0: the routine clears it
};
constexpr Source kSources[8] = {
    {0x03, 0, Bit::IE0}, {0x0B, 1, Bit::TF0}, {0x13, 2, Bit::IE1},   {0x1B, 3, Bit::TF1},
    {0x23, 4, 0} /*RI*/, {0x23, 4, 0} /*TI*/, {0x2B, -1, 0} /*TF2*/, {0x2B, -1, 0} /*EXF2*/,
};

std::uint8_t requestMask(const Cpu51 &c)
{
    const unsigned tcon = c.sfr[Sfr::TCON], scon = c.sfr[Sfr::SCON], t2con = c.sfr[Sfr::T2CON];
    return static_cast<std::uint8_t>(((tcon >> 1) & 1)       // IE0
                                     | ((tcon >> 4) & 2)     // TF0
                                     | ((tcon >> 1) & 4)     // IE1
                                     | ((tcon >> 4) & 8)     // TF1
                                     | ((scon & 3) << 4)     // RI, TI
                                     | ((t2con >> 7) << 6)   // TF2
                                     | ((t2con & 0x40) << 1) // EXF2
    );
}

// IE or IP bits 0-5 (INT0, T0, INT1, T1, serial, timer 2) spread over the eight sources: the
// serial bit covers RI and TI, the timer 2 bit TF2 and EXF2.
std::uint8_t spreadToSources(std::uint8_t bits)
{
    return static_cast<std::uint8_t>((bits & 0x0F) | ((bits & 0x10) ? 0x30 : 0) | ((bits & 0x20) ? 0xC0 : 0));
}

void enter(Cpu51 &c, int source, bool high)
{
    const Source &s = kSources[source];
    c.pushPc(); // wraps past FFh like every other push
    c.pc = s.vector;
    if (s.panel >= 0)
        c.interruptEntered[static_cast<std::size_t>(s.panel)] = true;
    c.sfr[Sfr::PCON] &= 0xFE;
    if (c.cpuMode == 1)
        c.cpuMode = 0;
    if (s.clearedFlag)
        c.setBit(s.clearedFlag, false);
    (high ? c.intHigh : c.intLow) = true;
}

// The source the poll would take now, or -1; high tells its priority.
int chooseSource(const Cpu51 &c, bool &high)
{
    if (c.intHigh || !(c.sfr[Sfr::IE] & 0x80))
        return -1;
    const std::uint8_t wanted = requestMask(c) & spreadToSources(c.sfr[Sfr::IE]);
    if (!wanted)
        return -1;
    if (const std::uint8_t highWanted = wanted & spreadToSources(c.sfr[Sfr::IP])) {
        high = true;
        return std::countr_zero(highWanted);
    }
    high = false;
    return c.intLow ? -1 : std::countr_zero(wanted);
}

} // namespace

void Cpu51::refreshInterrupts()
{
    bool high = false;
    m_poll =
        static_cast<std::uint8_t>((m_poll & kPollHeld) | (chooseSource(*this, high) >= 0 ? kPollReady : 0));
}

void Cpu51::holdPollAndRefresh()
{
    m_poll |= kPollHeld;
    refreshInterrupts();
}

void Cpu51::interruptBitWritten(unsigned row)
{
    if (row == (Sfr::IE >> 3 & 15) || row == (Sfr::IP >> 3 & 15))
        holdPollAndRefresh();
    else
        refreshInterrupts();
}

void Cpu51::pollInterrupts()
{
    if (m_poll & kPollHeld) {
        m_poll &= kPollReady;
        return;
    }
    bool high = false;
    const int source = chooseSource(*this, high);
    if (source >= 0)
        enter(*this, source, high);
    refreshInterrupts();
}

} // namespace tw
