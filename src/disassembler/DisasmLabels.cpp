#include "disassembler/DisasmLabels.h"

namespace tw
{

DisasmLabels::DisasmLabels() : m_addresses{0}, m_firstIndex(65536, -1)
{
    m_firstIndex[0] = 0;
}

int DisasmLabels::find(int address) const
{
    if (address < 0 || address > 0xFFFF)
        return -1;
    return m_firstIndex[static_cast<std::size_t>(address)];
}

int DisasmLabels::add(int address)
{
    const int index = static_cast<int>(m_addresses.size());
    m_addresses.push_back(address);
    if (address >= 0 && address <= 0xFFFF && m_firstIndex[static_cast<std::size_t>(address)] < 0)
        m_firstIndex[static_cast<std::size_t>(address)] = index;
    return index;
}

} // namespace tw
