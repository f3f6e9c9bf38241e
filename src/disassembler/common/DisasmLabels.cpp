#include "disassembler/common/DisasmLabels.h"

#include <algorithm>

namespace tw
{

DisasmLabels::DisasmLabels() : m_addresses{0}
{
    m_labelled[0] = 1;
    m_firstIndex.emplace(0, 0);
}

int DisasmLabels::find(int address) const
{
    if (address < 0 || address > 0xFFFF)
        return -1;
    if (!(m_labelled[static_cast<std::size_t>(address) / 64] >> (address % 64) & 1))
        return -1;
    return m_firstIndex.at(address);
}

int DisasmLabels::add(int address)
{
    const int index = static_cast<int>(m_addresses.size());
    m_addresses.push_back(address);
    if (address >= 0 && address <= 0xFFFF) {
        m_labelled[static_cast<std::size_t>(address) / 64] |= std::uint64_t{1} << (address % 64);
        m_firstIndex.emplace(address, index); // keeps an earlier index
    }
    return index;
}

bool PendingLabels::push(int index)
{
    const auto at = static_cast<std::size_t>(index);
    if (m_waiting.size() <= at)
        m_waiting.resize(at + 1, false);
    if (m_waiting[at])
        m_stack.erase(std::find(m_stack.begin(), m_stack.end(), index));
    else if (static_cast<int>(m_stack.size()) >= m_capacity)
        return false;
    m_stack.push_back(index);
    m_waiting[at] = true;
    return true;
}

int PendingLabels::pop()
{
    const int index = m_stack.back();
    m_stack.pop_back();
    m_waiting[static_cast<std::size_t>(index)] = false;
    return index;
}

} // namespace tw
