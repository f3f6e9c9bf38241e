#include "disassembler/mcs51/LabelPass51.h"

#include "disassembler/mcs51/Decoder51.h"
#include "disassembler/mcs51/Opcodes51.h"

#include <vector>

namespace tw
{

bool collectLabels51(const CodeImage &image, int start, int end, DisasmLabels &labels, DisasmLimit &limit)
{
    limit = DisasmLimit::None;
    labels = DisasmLabels();
    std::vector<bool> visited(0x10000, false);
    std::vector<int> pending;
    int dptr = 0;
    const auto readByte = [&](int address) { return static_cast<int>(image[address]); };

    if (start == 0)
        for (int vector : kVectors51)
            pending.push_back(labels.add(vector));

    const auto &table = opcodes51();
    int pc = start;
    for (;;) {
        // One walk: until the range ends, the flow leaves, or it meets code already walked.
        while (pc < end && !visited[static_cast<std::size_t>(pc)] && fitsBelowTop51(image, pc)) {
            const Opcode51 &row = table[image[pc]];
            for (int k = 0; k < row.length; ++k)
                visited[static_cast<std::size_t>((pc + k) & 0xFFFF)] = true;
            dptr = trackedDptr51(row, pc, dptr, readByte);
            const int target = transferTarget51(row, pc, dptr, readByte);
            if (target >= 0 && labels.find(target) < 0) {
                // A target walked already needs no walk of its own.
                const bool walk = !visited[static_cast<std::size_t>(target)];
                if (labels.count() >= kLabelPassMaxLabels) {
                    limit = DisasmLimit::Labels;
                    return false;
                }
                if (walk && static_cast<int>(pending.size()) >= kPendingLimit51) {
                    limit = DisasmLimit::PendingTargets;
                    return false;
                }
                const int index = labels.add(target);
                if (walk)
                    pending.push_back(index);
            }
            pc += row.length;
            if (row.endsRun)
                break;
        }
        if (pending.empty())
            return true;
        pc = labels.address(pending.back());
        pending.pop_back();
    }
}

} // namespace tw
