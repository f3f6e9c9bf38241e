#pragma once
// What both disassemblers say about how a job ended, and the bounds of their tables.
#include <cstddef>

namespace tw
{

enum class DisasmStatus {
    Completed,    // the source (and its side file) planned; the last note of done asks whether to open it
    Unreadable,   // the input is missing, no regular file or not readable: named, nothing planned
    InputTooLong, // the file is no code image of the chip; nothing planned
    Failed,       // the failure text and what was made before the fault, only where no file is yet
};

// The bounds of a disassembly's tables. Reaching one ends the job with a message naming it, then
// the disassembler's own failure message.
enum class DisasmLimit { None, PendingTargets, Labels, Segments };

// Names our assemblers take in one source: a disassembly that would define more cannot be
// assembled again, so it fails instead.
constexpr int kMaxOutputLabels = 2048;

// The first of a job's segments whose end is address, -1 for none: a run that starts there goes on
// in that segment.
template <typename Segments> int segmentEndingAt(const Segments &segments, long address)
{
    for (std::size_t k = 0; k < segments.size(); ++k)
        if (segments[k].end == address)
            return static_cast<int>(k);
    return -1;
}

} // namespace tw
