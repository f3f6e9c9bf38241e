#pragma once
// The watchdog: armed and fed by the byte pair 1Eh, E1h written to WDTRST, counted per
// instruction by the executor, and the reset it forces when the count passes its limit.
#include <cstdint>

namespace tw
{
class Cpu51;

// A listed direct write stored value in WDTRST: shifts it into the last-two-bytes record and
// arms (or feeds) the watchdog on the pair 1Eh, E1h.
void noteWatchdogWrite(Cpu51 &cpu, std::uint8_t value);

// The RESET command's CPU part: reset() and both in-service flags cleared.
void resetCommand(Cpu51 &cpu);

// Before an instruction: when the count has passed its limit, performs the RESET command and
// returns true (the window then refreshes everything and goes on at 0000h).
bool resetIfWatchdogExpired(Cpu51 &cpu);

} // namespace tw
