// Speed of the MCS-51 core on four programs: ALU work on A and the registers, memory moves
// (direct, indirect, stack, MOVX, MOVC), a mixed loop with calls, and a loop with EA set and a
// timer 0 interrupt every 92 instructions. Each program runs in this process (Cpu51::run), then
// as whole processes in `twdrive sim51` and in s51, paired in one benchmark so that the ratio
// compares runs made under the same load.
#include "PairedProcesses.h"
#include "simulatorPrograms.h"

#include "simulator/Cpu51.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace
{

using twbench::Program;

constexpr std::uint64_t kCoreInstructions = 200'000'000;
// s51 runs a few million instructions a second: a tenth of the steps keeps its run near 3 s.
constexpr std::uint64_t kS51Instructions = 20'000'000;

void coreRun(benchmark::State &state, const Program &program)
{
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(program.bytes.data(), static_cast<std::int32_t>(program.bytes.size()));
    for (auto _ : state) {
        cpu->reset();
        if (cpu->run(kCoreInstructions) != kCoreInstructions)
            state.SkipWithError("the program stopped early");
        benchmark::DoNotOptimize(cpu->iram.data());
    }
    state.counters["MIPS"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kCoreInstructions) / 1e6, benchmark::Counter::kIsRate);
}

// twdrive sim51 and s51 on the same image, one after the other in each iteration.
void processRuns(benchmark::State &state, const Program &program)
{
    const QString s51 = QStandardPaths::findExecutable(QStringLiteral("s51"));
    if (QString::fromUtf8(TW_TWDRIVE).isEmpty()) {
        state.SkipWithError("twdrive is not built (tests are off)");
        return;
    }
    if (s51.isEmpty()) {
        state.SkipWithError("s51 (sdcc-ucsim) is not installed");
        return;
    }
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("program.bin")),
                  hex = dir.filePath(QStringLiteral("program.ihx")),
                  commands = dir.filePath(QStringLiteral("commands"));
    QFile binFile(bin), hexFile(hex), commandFile(commands);
    if (!binFile.open(QIODevice::WriteOnly) || !hexFile.open(QIODevice::WriteOnly) ||
        !commandFile.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the program files");
        return;
    }
    binFile.write(reinterpret_cast<const char *>(program.bytes.data()),
                  static_cast<qint64>(program.bytes.size()));
    hexFile.write(twbench::intelHex(program.bytes));
    commandFile.write(QStringLiteral("load \"%1\"\nstep %2\nquit\n").arg(hex).arg(kS51Instructions).toUtf8());
    binFile.close();
    hexFile.close();
    commandFile.close();

    const QStringList ours = {QStringLiteral("sim51"), bin, QStringLiteral("--steps"),
                              QString::number(kCoreInstructions)};
    const QStringList peer = {QStringLiteral("-t"), QStringLiteral("8052"), QStringLiteral("-C"), commands};
    const auto total = twbench::timePairs(
        state, [&] { return twbench::processSeconds(QString::fromUtf8(TW_TWDRIVE), ours); },
        [&] { return twbench::processSeconds(s51, peer); });
    if (!total)
        return;
    const double runs = static_cast<double>(state.iterations());
    state.counters["twdrive_MIPS"] = runs * static_cast<double>(kCoreInstructions) / total->ours / 1e6;
    state.counters["s51_MIPS"] = runs * static_cast<double>(kS51Instructions) / total->peer / 1e6;
    state.counters["speedup"] = state.counters["twdrive_MIPS"].value / state.counters["s51_MIPS"].value;
}

void registerAll()
{
    for (const Program *p : twbench::corePrograms()) {
        benchmark::RegisterBenchmark(("BM_Cpu51/" + p->name).c_str(), coreRun, *p)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
        benchmark::RegisterBenchmark(("BM_Sim51Process/" + p->name).c_str(), processRuns, *p)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
}

const bool kRegistered = (registerAll(), true);

} // namespace
