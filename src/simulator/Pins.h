#pragma once
// The 32 port-pin buttons of the I/O page: each shows the level the user last gave its pin.
// A click toggles it and drives the port latch bit, and a falling edge drives the external
// interrupt, counter and timer 2 capture/reload inputs (Cpu51::pinEdge).
#include <array>

namespace tw
{
class Cpu51;

struct PinButtons {
    // Button i = port * 8 + bit; true shows "1".
    std::array<bool, 32> level{};

    PinButtons() { level.fill(true); }
    // The click on button i: toggles it and applies the edge to the CPU.
    void click(Cpu51 &cpu, int index);
    // After the RESET command the buttons show the port latches again.
    void showLatches(const Cpu51 &cpu);
};

// Bit address of the latch bit behind button i: port p, bit b gives 80h + p*10h + b.
constexpr int pinBitAddress(int index)
{
    return 0x80 + (index / 8) * 0x10 + index % 8;
}

} // namespace tw
