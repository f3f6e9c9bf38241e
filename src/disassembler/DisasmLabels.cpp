#include "disassembler/DisasmLabels.h"

namespace tw
{

DisasmLabels::DisasmLabels() : addresses_{0}, firstIndex_(65536, -1)
{
    firstIndex_[0] = 0;
}

int DisasmLabels::find(int address) const
{
    if (address < 0 || address > 0xFFFF)
        return -1;
    return firstIndex_[static_cast<std::size_t>(address)];
}

int DisasmLabels::add(int address)
{
    const int index = static_cast<int>(addresses_.size());
    addresses_.push_back(address);
    if (address >= 0 && address <= 0xFFFF && firstIndex_[static_cast<std::size_t>(address)] < 0)
        firstIndex_[static_cast<std::size_t>(address)] = index;
    return index;
}

} // namespace tw
