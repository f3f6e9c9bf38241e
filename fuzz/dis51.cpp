// MCS-51 code images and address ranges through the disassembler, from memory: its plan is
// checked as planned, and a completed disassembly must assemble back to the bytes of its range.
// The image starts with 100H zero bytes and the range starts at 100H or later, so that no
// relative branch can wrap below address 0.
#include "Reassembly.h"

#include "assembler/AssemblyRun.h"
#include "disassembler/Disassemble51.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A name only: the plan is checked, nothing is written.
    static const std::string outPath = "/nonexistent/image.asm";
    constexpr int kBase = 0x100;

    FuzzedDataProvider input(data, size);
    const auto startChoice = input.ConsumeIntegral<std::uint16_t>();
    const auto endChoice = input.ConsumeIntegral<std::uint16_t>();
    std::vector<std::uint8_t> code = input.ConsumeRemainingBytes<std::uint8_t>();
    code.resize(std::min<std::size_t>(code.size(), 0xFFFF - kBase));
    QByteArray image(kBase, '\0');
    image.append(reinterpret_cast<const char *>(code.data()), static_cast<qsizetype>(code.size()));

    const int span = static_cast<int>(code.size()) + 1;
    const int start = kBase + startChoice % span;
    // 0: the end box left empty (the file's length).
    const int end = endChoice == 0 ? -1 : kBase + endChoice % span;
    tw::Disasm51Job job;
    job.outPath = outPath;
    job.startText = twfuzz::rangeText(start).toStdString();
    job.endText = twfuzz::rangeText(end).toStdString();
    const tw::Disasm51Result result = tw::disassemble51Image(
        std::string_view(image.constData(), static_cast<std::size_t>(image.size())), job);
    const std::string *source =
        twfuzz::plannedSource(result.outcome, result.status == tw::DisasmStatus::Completed,
                              result.status == tw::DisasmStatus::Failed, outPath);
    if (!source)
        return 0;
    twfuzz::expectReassembles(tw::AsmCpu::Mcs51, *source, image, start, end < 0 ? image.size() : end,
                              [](std::uint8_t original, std::uint8_t back) {
                                  return back == original || (original == 0xA5 && back == 0x00);
                              });
    return 0;
}
