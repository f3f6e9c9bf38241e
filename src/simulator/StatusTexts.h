#pragma once
// Texts of the main window's status panels 2 to 8 while the simulator is open, derived from
// the CPU state after a step: the interrupt sources (2 INT0, 3 timer 0, 4 INT1, 5 timer 1,
// 6 serial port), 7 the CPU mode and 8 the watchdog. UTF-8.
#include <string_view>

namespace tw
{
class Cpu51;

inline constexpr int kFirstSimulatorPanel = 2, kLastSimulatorPanel = 8;

// A source that has vectored shows "：响应中断" until reset; otherwise its enable bit (EA
// and the priorities play no part). An empty text for a panel outside 2..8.
std::string_view statusPanelText(const Cpu51 &cpu, int panel);

} // namespace tw
