#pragma once
// Timers 0, 1 and 2: one count step each, as the 1 ms tick and the counter pins apply it.
// The counts are steps, not machine cycles: the tick gives every running timer one count.

namespace tw
{
class Cpu51;

// Timer 0 or 1 may count: TRx set and, with GATE set in TMOD, its INTx pin high (the timer/counter
// choice is the caller's). Read the decoded TMOD, so decodeTimers() comes first.
bool timer0Enabled(const Cpu51 &cpu);
bool timer1Enabled(const Cpu51 &cpu);

void countTimer0(Cpu51 &cpu);
void countTimer1(Cpu51 &cpu);

// Timer 2 counts by slightly different rules on the tick and on its T2 pin: the pin's
// auto-reload overflow also raises EXF2 when T2MOD is not 0, and the pin does not drive the
// baud-rate generator.
enum class Timer2Source { Tick, Pin };
void countTimer2(Cpu51 &cpu, Timer2Source source);

// TL2/TH2 := RCAP2L/RCAP2H, on an auto-reload overflow or a reload through T2EX.
void reloadTimer2(Cpu51 &cpu);

} // namespace tw
