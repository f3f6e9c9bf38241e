#include "disassembler/mcs48/LabelPass48.h"

#include "disassembler/mcs48/Decoder48.h"

namespace tw
{

int Labels48::find(int address) const
{
    if (address == 0)
        return 0;
    const auto it = m_numbers.find(address);
    return it == m_numbers.end() ? -1 : it->second;
}

int Labels48::add(int address)
{
    m_addresses.push_back(address);
    const int number = count();
    m_numbers.emplace(address, number);
    return number;
}

void Labels48::clear()
{
    m_addresses.assign(1, 0);
    m_numbers.clear();
}

bool labelPass48(const CodeImage &image, int start, int end, Labels48 &labels, DisasmLimit &limit)
{
    labels.clear();
    limit = DisasmLimit::None;
    std::vector<bool> visited(kCodeImageSize, false);
    std::vector<int> pending;
    bool bank = false;
    if (start == 0) {
        pending.push_back(labels.add(0x0007));
        pending.push_back(labels.add(0x0003));
    }
    long pc = start;
    for (;;) {
        while (pc < end && !visited[static_cast<std::size_t>(pc)]) {
            visited[static_cast<std::size_t>(pc)] = true;
            const Instruction48 in = decode48(image, static_cast<int>(pc), bank);
            if (in.undefined())
                return false;
            if (in.operandAddress >= 0)
                visited[static_cast<std::size_t>(in.operandAddress)] = true;
            const int target = in.labelsNext ? static_cast<int>(in.next & 0xFFFF) : in.target;
            if (target >= 0 && labels.find(target) < 0) {
                if (labels.count() >= kMaxLabels48) {
                    limit = DisasmLimit::Labels;
                    return false;
                }
                const int number = labels.add(target);
                // A target walked already needs no walk of its own.
                const bool walk = !visited[static_cast<std::size_t>(target)];
                if (walk && pending.size() >= kLabelPassPending48) {
                    limit = DisasmLimit::PendingTargets;
                    return false;
                }
                if (walk)
                    pending.push_back(number);
            }
            pc = in.next;
            if (in.endsRun)
                break;
        }
        do {
            if (pending.empty())
                return true;
            pc = labels.address(pending.back());
            pending.pop_back();
        } while (visited[static_cast<std::size_t>(pc)]);
    }
}

} // namespace tw
