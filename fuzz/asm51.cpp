// MCS-51 source, any bytes, through the assembler as the assembler window runs it, in memory.
#include "Assembly.h"

#include "assembler/AssemblyRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return twfuzz::fuzzAssembler(tw::AsmCpu::Mcs51, data, size);
}
