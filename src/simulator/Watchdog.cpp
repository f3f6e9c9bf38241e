#include "simulator/Watchdog.h"

#include "simulator/Cpu51.h"

namespace tw
{

void noteWatchdogWrite(Cpu51 &cpu, std::uint8_t value)
{
    cpu.wdtSequence = (cpu.wdtSequence & 0xFF) * 256 + value;
    if (cpu.wdtSequence == 0x1EE1) {
        cpu.wdtCount = 0;
        cpu.wdtArmed = true;
    }
}

void resetCommand(Cpu51 &cpu)
{
    cpu.reset();
    cpu.intHigh = false;
    cpu.intLow = false;
}

bool resetIfWatchdogExpired(Cpu51 &cpu)
{
    if (!cpu.watchdogExpired())
        return false;
    resetCommand(cpu);
    return true;
}

} // namespace tw
