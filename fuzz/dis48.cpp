// MCS-48 code images and address ranges, whole or partial ("部分代码", loaded at the start
// address), through the disassembler, from memory: its plan is checked as planned, and a
// completed disassembly must assemble back to the bytes of its range.
#include "Reassembly.h"

#include "assembler/AssemblyRun.h"
#include "disassembler/Disassemble48.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A name only: the plan is checked, nothing is written.
    static const std::string outPath = "/nonexistent/image.asm";

    FuzzedDataProvider input(data, size);
    const auto startChoice = input.ConsumeIntegral<std::uint16_t>();
    const auto endChoice = input.ConsumeIntegral<std::uint16_t>();
    const bool partial = input.ConsumeBool();
    std::vector<std::uint8_t> code = input.ConsumeRemainingBytes<std::uint8_t>();
    code.resize(std::min<std::size_t>(code.size(), tw::kImageLimit48));

    const int length = static_cast<int>(code.size());
    const int start = startChoice % (length + 1);
    const int loadAt = partial ? start : 0;
    const int end = endChoice == 0 ? -1 : endChoice % (loadAt + length + 1);
    tw::Disasm48Job job;
    job.outPath = outPath;
    job.startText = twfuzz::rangeText(start).toStdString();
    job.endText = twfuzz::rangeText(end).toStdString();
    job.partialCode = partial;
    const tw::Disasm48Result result = tw::disassemble48Image(
        std::string_view(reinterpret_cast<const char *>(code.data()), code.size()), job);
    const std::string *source =
        twfuzz::plannedSource(result.outcome, result.status == tw::DisasmStatus::Completed,
                              result.status == tw::DisasmStatus::Failed, outPath);
    if (!source)
        return 0;
    QByteArray image(loadAt, '\0');
    image.append(reinterpret_cast<const char *>(code.data()), length);
    twfuzz::expectReassembles(tw::AsmCpu::Mcs48, *source, image, start, end < 0 ? image.size() : end,
                              [](std::uint8_t original, std::uint8_t back) { return back == original; });
    return 0;
}
