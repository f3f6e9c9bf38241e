// MCS-48 source, any bytes, through the assembler as the assembler window runs it, in memory.
#include "Assembly.h"

#include "assembler/Assemble48.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return twfuzz::fuzzAssembler(&tw::planAssembly48, data, size);
}
