#pragma once
// A CPU with a small program in code memory, for instruction tests.
#include "simulator/Cpu51.h"
#include "simulator/StateDump.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace twtest
{

struct Machine {
    std::unique_ptr<tw::Cpu51> cpu = std::make_unique<tw::Cpu51>();

    explicit Machine(std::initializer_list<std::uint8_t> program, std::uint16_t origin = 0)
    {
        cpu->reset();
        place(origin, program);
        cpu->codeSize = origin + static_cast<int>(program.size());
        cpu->pc = origin;
    }
    void place(std::uint16_t address, std::initializer_list<std::uint8_t> bytes)
    {
        for (std::uint8_t b : bytes)
            cpu->code[address++] = b;
    }
    Machine &step(int count = 1)
    {
        for (int k = 0; k < count; ++k)
            cpu->step();
        return *this;
    }
    std::uint8_t &a() { return cpu->sfr[tw::Sfr::ACC]; }
    std::uint8_t &b() { return cpu->sfr[tw::Sfr::B]; }
    std::uint8_t &psw() { return cpu->sfr[tw::Sfr::PSW]; }
    std::uint8_t &sp() { return cpu->sfr[tw::Sfr::SP]; }
    std::uint8_t &iram(int address) { return cpu->iram[address]; }
    std::uint8_t &sfr(int address) { return cpu->sfr[address]; }
    bool cy() const { return cpu->bit(tw::Bit::CY); }
    bool ac() const { return cpu->bit(tw::Bit::AC); }
    bool ov() const { return cpu->bit(tw::Bit::OV); }
    bool p() const { return cpu->bit(tw::Bit::P); }
    std::string state() const { return tw::registerSummary(*cpu); }
};

} // namespace twtest
