#pragma once
// The assembler and the disassemblers build their texts in buffers of a few hundred kilobytes
// to a few megabytes. glibc hands such blocks back to the system when they are freed and maps
// fresh zeroed pages for the next ones, so every run paid again for every page it touched (about
// a sixth of a 16,000-line assembly). Kept in the process, freed memory is simply used again.
#include <malloc.h>

namespace tw
{

// Call once, before the first large allocation. A block below 32 MB comes from the heap, and the
// heap is given back to the system only once 64 MB at its top are free.
inline void keepFreedMemoryForReuse()
{
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

} // namespace tw
