#include "disassembler/DisasmLabels.h"

#include <algorithm>

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

bool PendingLabels::push(int index)
{
    const auto at = static_cast<std::size_t>(index);
    if (waiting_.size() <= at)
        waiting_.resize(at + 1, false);
    if (waiting_[at])
        stack_.erase(std::find(stack_.begin(), stack_.end(), index));
    else if (static_cast<int>(stack_.size()) >= capacity_)
        return false;
    stack_.push_back(index);
    waiting_[at] = true;
    return true;
}

int PendingLabels::pop()
{
    const int index = stack_.back();
    stack_.pop_back();
    waiting_[static_cast<std::size_t>(index)] = false;
    return index;
}

} // namespace tw
