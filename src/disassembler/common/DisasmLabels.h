#pragma once
// The label table of a disassembly: label index -> code address. Index 0 always stands for
// address 0000H; indices 1.. are given in the order the targets are registered.
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tw
{

class DisasmLabels
{
  public:
    DisasmLabels();

    // Number of labels registered (indices 1..count()).
    int count() const { return static_cast<int>(m_addresses.size()) - 1; }
    int address(int index) const { return m_addresses[static_cast<std::size_t>(index)]; }
    // The first index holding the address, -1 when none does. address 0..65535.
    int find(int address) const;
    // Registers an address that is not in the table yet; returns its new index.
    int add(int address);

  private:
    std::vector<int> m_addresses;
    // Which addresses hold a label (one bit each), and the first index of those that do: a few
    // thousand labels, where a table of every address would cost a quarter megabyte to fill.
    std::vector<std::uint64_t> m_labelled = std::vector<std::uint64_t>(0x10000 / 64, 0);
    std::unordered_map<int, int> m_firstIndex;
};

// Label indices waiting for a run, last in first out. Each waits once: pushing one that waits
// already moves it to the top, where pushing it again would have put it, so a routine called from
// many places takes one place.
class PendingLabels
{
  public:
    explicit PendingLabels(int capacity) : m_capacity(capacity) {}
    // False, changing nothing, when a new index finds every place taken.
    bool push(int index);
    int pop();
    bool empty() const { return m_stack.empty(); }

  private:
    int m_capacity;
    std::vector<int> m_stack;
    std::vector<bool> m_waiting; // by index
};

} // namespace tw
