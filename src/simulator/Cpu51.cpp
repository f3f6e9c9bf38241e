#include "simulator/Cpu51.h"

#include <algorithm>

namespace tw
{

void Cpu51::reset()
{
    pc = 0;
    cpuMode = 0;
    wdtArmed = false;
    wdtCount = 0;
    interruptEntered.fill(false);

    sfr[Sfr::SP] = 0x07;
    sfr[Sfr::DPL] = 0;
    sfr[Sfr::DPH] = 0;
    for (std::uint8_t port : {Sfr::P0, Sfr::P1, Sfr::P2, Sfr::P3})
        sfr[port] = 0xFF;
    for (std::uint8_t cleared :
         {Sfr::ACC,  Sfr::B,      Sfr::PSW,   Sfr::TMOD,  Sfr::TCON,   Sfr::TL0,    Sfr::TL1,
          Sfr::TH0,  Sfr::TH1,    Sfr::SCON,  Sfr::SPCR,  Sfr::SPSR,   Sfr::SPDR,   Sfr::WCON,
          Sfr::DP1L, Sfr::DP1H,   Sfr::T2CON, Sfr::T2MOD, Sfr::RCAP2L, Sfr::RCAP2H, Sfr::TL2,
          Sfr::TH2,  Sfr::WDTRST, Sfr::AUXR1, Sfr::AUXR})
        sfr[cleared] = 0;
    // Only the reserved bits survive: keeping IDL/PD would put the CPU back to sleep at the
    // next ORL PCON, and ET2/PT2 clear as on the 8052.
    sfr[Sfr::IP] &= 0xC0;
    sfr[Sfr::IE] &= 0x40;
    sfr[Sfr::PCON] &= 0x70;
    syncDerivedState();
}

void Cpu51::loadCode(const std::uint8_t *bytes, std::int32_t size)
{
    code.fill(0);
    size = std::clamp<std::int32_t>(size, 0, 65536);
    std::copy(bytes, bytes + size, code.begin());
    codeSize = size;
}

} // namespace tw
