#include "simulator/Pins.h"

#include "simulator/Cpu51.h"
#include "simulator/Timers.h"

namespace tw
{
namespace
{
enum Pin { T2 = 8, T2EX = 9, INT0 = 26, INT1 = 27, T0 = 28, T1 = 29 };

// A falling edge on T2EX reloads (auto-reload mode) or captures (capture mode).
void timer2External(Cpu51 &c)
{
    const bool exen2 = c.bit(Bit::EXEN2);
    switch (c.timers.t2Mode) {
    case 0:
        if (exen2 && !(c.sfr[Sfr::T2MOD] & 1)) {
            reloadTimer2(c);
            c.setBit(Bit::EXF2, true);
        }
        break;
    case 1:
        if (exen2) {
            c.sfr[Sfr::RCAP2L] = c.sfr[Sfr::TL2];
            c.sfr[Sfr::RCAP2H] = c.sfr[Sfr::TH2];
            c.setBit(Bit::EXF2, true);
        }
        break;
    default:
        break;
    }
}

// The counter inputs T0, T1, T2 and the T2EX capture/reload on a falling edge.
void countFallingEdge(Cpu51 &c, int index)
{
    switch (index) {
    case T0:
        if (c.timers.t0Counter && timer0Enabled(c))
            countTimer0(c);
        break;
    case T1:
        if (c.timers.t1Counter && timer1Enabled(c))
            countTimer1(c);
        break;
    case T2:
        if (c.timers.t2Counter && c.bit(Bit::TR2))
            countTimer2(c, Timer2Source::Pin);
        break;
    case T2EX:
        timer2External(c);
        break;
    default:
        break;
    }
}

} // namespace

void Cpu51::pinEdge(int index, bool level)
{
    if (index < 0 || index > 31)
        return;
    decodeTimers();
    const bool falling = !level;
    // Edge-triggered whatever IT0/IT1, EX0/EX1 and EA say: the flag stays pending.
    if (falling && index == INT0)
        setBit(Bit::IE0, true);
    if (falling && index == INT1)
        setBit(Bit::IE1, true);
    setBit(static_cast<std::uint8_t>(pinBitAddress(index)), level);
    if (falling)
        countFallingEdge(*this, index);
    refreshInterrupts();
}

void PinButtons::click(Cpu51 &cpu, int index)
{
    if (index < 0 || index > 31)
        return;
    level[static_cast<std::size_t>(index)] = !level[static_cast<std::size_t>(index)];
    cpu.pinEdge(index, level[static_cast<std::size_t>(index)]);
}

void PinButtons::showLatches(const Cpu51 &cpu)
{
    for (int i = 0; i < 32; ++i)
        level[static_cast<std::size_t>(i)] = cpu.bit(static_cast<std::uint8_t>(pinBitAddress(i)));
}

} // namespace tw
