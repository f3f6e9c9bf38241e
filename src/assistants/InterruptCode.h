#pragma once
// The interrupt page's two instructions from the enable and priority choices of the five sources.
#include <QString>
#include <array>

namespace tw
{

// The five sources in the order of their IE and IP bits (bit 0 first).
enum class InterruptSource { External0, Timer0, External1, Timer1, Serial };
inline constexpr int kInterruptSources = 5;

struct InterruptCode {
    QString priority; // "MOV IP,#..H", empty when every source is low
    QString enable;   // "MOV IE,#..H" with EA set, empty when every source is disabled
};

InterruptCode interruptCode(const std::array<bool, kInterruptSources> &highPriority,
                            const std::array<bool, kInterruptSources> &enabled);

} // namespace tw
