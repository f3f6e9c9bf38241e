#include "simulator/Timers.h"

#include "simulator/Cpu51.h"

namespace tw
{
namespace
{
using u8 = std::uint8_t;
// Pin latch bits the timers read: INT0 (P3.2) and INT1 (P3.3) gate timers 0 and 1, T2EX (P1.1)
// chooses timer 2's count direction.
constexpr u8 kInt0Pin = 0xB2, kInt1Pin = 0xB3, kT2exPin = 0x91;

// Counts the high byte after a low-byte rollover; true when it rolled over too.
bool carryIntoHigh(u8 &high)
{
    return ++high == 0;
}

// Timer 0 or 1 in mode 0 (13 bits: five of the low byte), 1 (16 bits) or 2 (8-bit reload).
void countBasic(Cpu51 &c, u8 mode, u8 low, u8 high, u8 overflowFlag)
{
    u8 &tl = c.sfr[low];
    u8 &th = c.sfr[high];
    switch (mode) {
    case 0:
        if ((tl & 0x1F) == 0x1F) {
            tl = 0;
            if (carryIntoHigh(th))
                c.setBit(overflowFlag, true);
        } else {
            ++tl;
        }
        break;
    case 1:
        if (++tl == 0 && carryIntoHigh(th))
            c.setBit(overflowFlag, true);
        break;
    case 2:
        if (tl == 0xFF) {
            c.setBit(overflowFlag, true);
            tl = th;
        } else {
            ++tl;
        }
        break;
    default:
        break;
    }
}

// Returns true on the FFFFh -> 0000h rollover.
bool countTimer2Up(Cpu51 &c)
{
    return ++c.sfr[Sfr::TL2] == 0 && carryIntoHigh(c.sfr[Sfr::TH2]);
}

// Returns true on the 0000h -> FFFFh rollover.
bool countTimer2Down(Cpu51 &c)
{
    return c.sfr[Sfr::TL2]-- == 0 && c.sfr[Sfr::TH2]-- == 0;
}

} // namespace

bool timer0Enabled(const Cpu51 &c)
{
    return c.bit(Bit::TR0) && (c.timers.t0Ungated || c.bit(kInt0Pin));
}

bool timer1Enabled(const Cpu51 &c)
{
    return c.bit(Bit::TR1) && (c.timers.t1Ungated || c.bit(kInt1Pin));
}

void reloadTimer2(Cpu51 &c)
{
    c.sfr[Sfr::TL2] = c.sfr[Sfr::RCAP2L];
    c.sfr[Sfr::TH2] = c.sfr[Sfr::RCAP2H];
}

void Cpu51::decodeTimers()
{
    const u8 tmod = sfr[Sfr::TMOD];
    const u8 high = tmod >> 4;
    timers.t1Mode = high & 3;
    timers.t1Ungated = !(high & 8);
    timers.t1Counter = (high & 4) != 0;
    switch (timers.t1Mode) {
    case 0:
        timers.t1BaudCount = latches.th1 * 32 + (latches.tl1 & 0x1F);
        break;
    case 1:
        timers.t1BaudCount = latches.th1 * 256 + latches.tl1;
        break;
    case 2:
        timers.t1BaudCount = latches.th1;
        break;
    default: // mode 3 keeps the count of the mode before
        break;
    }
    timers.rcap2Count = latches.rcap2h * 256 + latches.rcap2l;
    timers.t0Mode = tmod & 3;
    timers.t0Ungated = !(tmod & 8);
    timers.t0Counter = (tmod & 4) != 0;

    const u8 t2con = sfr[Sfr::T2CON];
    timers.t2Counter = (t2con & 0x02) != 0;
    timers.t2TransmitClock = (t2con & 0x10) != 0;
    timers.t2ReceiveClock = (t2con & 0x20) != 0;
    if (t2con & 0x30)
        timers.t2Mode = 2;
    else
        timers.t2Mode = (t2con & 1) ? 1 : 0;
}

void countTimer0(Cpu51 &c)
{
    if (c.timers.t0Mode != 3) {
        countBasic(c, c.timers.t0Mode, Sfr::TL0, Sfr::TH0, Bit::TF0);
        return;
    }
    // Split mode: TL0 is an 8-bit timer with TF0, TH0 one with TR1 and TF1.
    if (++c.sfr[Sfr::TL0] == 0)
        c.setBit(Bit::TF0, true);
    if (c.bit(Bit::TR1) && ++c.sfr[Sfr::TH0] == 0)
        c.setBit(Bit::TF1, true);
}

void countTimer1(Cpu51 &c)
{
    countBasic(c, c.timers.t1Mode, Sfr::TL1, Sfr::TH1, Bit::TF1);
}

void countTimer2(Cpu51 &c, Timer2Source source)
{
    switch (c.timers.t2Mode) {
    case 0: {
        const bool down = (c.sfr[Sfr::T2MOD] & 1) && !c.bit(kT2exPin); // DCEN and T2EX low
        if (down ? countTimer2Down(c) : countTimer2Up(c)) {
            c.setBit(Bit::TF2, true);
            reloadTimer2(c);
            if (!down && source == Timer2Source::Pin && c.sfr[Sfr::T2MOD] != 0)
                c.setBit(Bit::EXF2, true);
        }
        break;
    }
    case 1:
        if (countTimer2Up(c))
            c.setBit(Bit::TF2, true);
        break;
    case 2:
        // The baud-rate generator reloads but raises no TF2, as on the 8052.
        if (source == Timer2Source::Tick && countTimer2Up(c))
            reloadTimer2(c);
        break;
    default:
        break;
    }
}

void Cpu51::tick1ms()
{
    decodeTimers();
    if (!timers.t0Counter && timer0Enabled(*this))
        countTimer0(*this);
    if (!timers.t1Counter && timer1Enabled(*this))
        countTimer1(*this);
    if (!timers.t2Counter && bit(Bit::TR2))
        countTimer2(*this, Timer2Source::Tick);
    refreshInterrupts();
}

} // namespace tw
