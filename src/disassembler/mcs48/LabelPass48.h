#pragma once
// The MCS-48 label pass: follows the flow of control through a code image and numbers every jump,
// branch and call target, so that the disassembly can print targets and definitions as "Ln".
#include "base/CodeImage.h"
#include "disassembler/common/DisasmJob.h"

#include <unordered_map>
#include <vector>

namespace tw
{

// Label numbers of one disassembly. Entry 0 is address 0000H and is never stored, so 0000H is
// always "L0"; entries 1.. hold distinct addresses in the order they were found.
class Labels48
{
  public:
    int count() const { return static_cast<int>(m_addresses.size()) - 1; }
    int address(int index) const { return m_addresses[static_cast<std::size_t>(index)]; }
    // The label number of an address, or -1.
    int find(int address) const;
    // Stores an address as the next label number and returns that number.
    int add(int address);
    void clear();

  private:
    std::vector<int> m_addresses{0};
    std::unordered_map<int, int> m_numbers;
};

// Label numbers stop at the largest 16-bit count; the pass's pending list holds 1,025 entries.
constexpr int kMaxLabels48 = 32767;
constexpr int kLabelPassPending48 = 1025;

// Fills labels by walking from start and, when start is 0, from the vectors 0007H (label 1) and
// 0003H (label 2). Only opcode addresses below end are walked. False on an undefined opcode met by
// a walk or a full label table or pending list (limit then names it); labels then hold what was
// found so far.
bool labelPass48(const CodeImage &image, int start, int end, Labels48 &labels, DisasmLimit &limit);

} // namespace tw
