#include "simulator/Cpu51.h"
#include "simulator/Watchdog.h"

namespace tw
{

void Cpu51::afterDirectWrite(std::uint8_t address)
{
    const std::uint8_t value = sfr[address];
    switch (address) {
    case Sfr::PCON:
        // A PCON write with neither IDL nor PD leaves the mode; power-down wins over idle.
        if (value & 1)
            cpuMode = 1;
        if (value & 2)
            cpuMode = 2;
        break;
    case Sfr::TL1:
        latches.tl1 = value;
        break;
    case Sfr::TH1:
        latches.th1 = value;
        break;
    case Sfr::RCAP2L:
        latches.rcap2l = value;
        break;
    case Sfr::RCAP2H:
        latches.rcap2h = value;
        break;
    case Sfr::WDTRST:
        noteWatchdogWrite(*this, value);
        break;
    case Sfr::PSW:
        bank = static_cast<std::uint8_t>((value >> 3) & 3);
        break;
    case Sfr::SBUF:
        serialTransmit();
        break;
    case Sfr::IE:
    case Sfr::IP:
        holdPollAndRefresh();
        break;
    case Sfr::TCON:
    case Sfr::SCON:
    case Sfr::T2CON:
        refreshInterrupts();
        break;
    default:
        break;
    }
}

} // namespace tw
