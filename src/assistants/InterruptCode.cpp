#include "InterruptCode.h"

#include "CodeText.h"

namespace tw
{

namespace
{

int bitsOf(const std::array<bool, kInterruptSources> &chosen)
{
    int sum = 0;
    for (int source = 0; source < kInterruptSources; ++source)
        if (chosen[source])
            sum |= 1 << source;
    return sum;
}

} // namespace

InterruptCode interruptCode(const std::array<bool, kInterruptSources> &highPriority,
                            const std::array<bool, kInterruptSources> &enabled)
{
    constexpr int kGlobalEnable = 0x80; // EA, set whenever one source is enabled
    InterruptCode code;
    if (const int ip = bitsOf(highPriority))
        code.priority = QStringLiteral("MOV IP,#") + byteOperand(ip);
    if (const int ie = bitsOf(enabled))
        code.enable = QStringLiteral("MOV IE,#") + byteOperand(ie + kGlobalEnable);
    return code;
}

} // namespace tw
