// A full 64 KB MCS-51 image disassembled, files in and out (through the writer, which asks before
// replacing the last run's files: answered Yes), in this process. The whole-process
// runs against d52 are in disassembler_peers.cpp.
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "disassembler/Disassemble51.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

// 512 subroutines of 128 bytes, each calling the next, with a counted loop and two data bytes:
// about 26,000 instructions and 1,030 labels.
QByteArray sixtyFourKilobytes()
{
    QByteArray image(0x10000, '\0');
    const char pattern[] = {0x74, 0x55, 0x28, static_cast<char>(0xF5), 0x30, static_cast<char>(0xE4)};
    for (int base = 0; base < 0x10000; base += 128) {
        const int next = base + 128;
        if (next < 0x10000) {
            image[base] = 0x12;
            image[base + 1] = static_cast<char>(next >> 8);
            image[base + 2] = static_cast<char>(next & 0xFF);
        }
        for (int k = 0; k < 120; ++k)
            image[base + 3 + k] = pattern[k % 6];
        image[base + 123] = static_cast<char>(0xDF); // DJNZ R7 back to base + 3
        image[base + 124] = static_cast<char>(-122);
        image[base + 125] = 0x22;
        image[base + 126] = 0x11;
        image[base + 127] = 0x22;
    }
    return image;
}

bool writeImage(const QString &path)
{
    QFile bin(path);
    return bin.open(QIODevice::WriteOnly) && bin.write(sixtyFourKilobytes()) == 0x10000;
}

void disassembleFullImage(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("full.bin"));
    if (!writeImage(bin)) {
        state.SkipWithError("cannot write the image");
        return;
    }
    tw::Disasm51Job job;
    job.binPath = tw::nativePath(bin);
    job.outPath = tw::nativePath(dir.filePath(QStringLiteral("full.asm")));
    tw::ScriptedPrompter yes;
    for (auto _ : state) {
        const tw::Disasm51Result result = tw::disassemble51(job);
        if (result.status != tw::DisasmStatus::Completed ||
            tw::carryOut(result.outcome, yes).result != tw::WriteResult::Written) {
            state.SkipWithError("the disassembly failed");
            return;
        }
        yes.clearCalls();
    }
}
BENCHMARK(disassembleFullImage)->Unit(benchmark::kMillisecond);

} // namespace
