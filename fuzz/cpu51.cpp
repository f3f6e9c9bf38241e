// A random code image run by the CPU core for a bounded number of instructions.
#include "FuzzSupport.h"

#include "simulator/Cpu51.h"

#include <algorithm>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static auto cpu = std::make_unique<tw::Cpu51>();
    // A fresh state each time: nothing of the last input may decide this one.
    *cpu = tw::Cpu51();
    cpu->loadCode(data, static_cast<std::int32_t>(std::min<std::size_t>(size, 65536)));
    cpu->reset();
    const std::uint64_t steps = cpu->run(4096);
    if (steps > 4096)
        twfuzz::finding("ran more instructions than asked");
    return 0;
}
