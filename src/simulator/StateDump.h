#pragma once
// Text views of the CPU state: the headless driver's dump and the test failure messages.
#include "simulator/Cpu51.h"

#include <cstdint>
#include <string>

namespace tw
{

// The dump format of `twdrive sim51`: STEPS, PC, 16 IRAM rows, 8 SFR rows and the XRAM rows
// that hold a non-zero byte, each line ending in "\n".
std::string stateDump(const Cpu51 &cpu, std::uint64_t steps);

// One line of registers for a failure message: PC, A, B, PSW, SP, DPTR, DPTR1, R0-R7.
std::string registerSummary(const Cpu51 &cpu);

} // namespace tw
