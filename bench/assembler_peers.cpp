// Whole processes, paired in the same run: `twdrive asm51` against as31 on real-looking programs of
// 16,000 and 64,000 lines (time and peak memory), and `twdrive asm48` against `twdrive asm51` on
// programs of the same number of lines, statements and comment lines, so per line.
#include "PairedProcesses.h"
#include "Program48.h"
#include "Program51.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace
{

struct Sources {
    QTemporaryDir dir;
    int lines = 0;
    std::string folder() const { return dir.path().toStdString(); }
};

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toLatin1());
}

bool sameFile(const QString &a, const QString &b)
{
    QFile first(a), second(b);
    return first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly) &&
           first.readAll() == second.readAll();
}

// Written once per size: ours.asm and as31.asm (MCS-51), ours48.asm (MCS-48).
const Sources &sources(int lines)
{
    static std::map<int, std::unique_ptr<Sources>> made;
    auto &entry = made[lines];
    if (!entry) {
        entry = std::make_unique<Sources>();
        entry->lines = lines;
        const twbench::Program51 program = twbench::program51(lines);
        writeFile(entry->dir.filePath(QStringLiteral("ours.asm")), program.ours);
        writeFile(entry->dir.filePath(QStringLiteral("as31.asm")), program.as31);
        writeFile(entry->dir.filePath(QStringLiteral("ours48.asm")), twbench::program48(lines));
    }
    return *entry;
}

bool haveTools(benchmark::State &state, bool as31)
{
    if (QString::fromUtf8(TW_TWDRIVE).isEmpty() ||
        (as31 && QStandardPaths::findExecutable(QStringLiteral("as31")).isEmpty())) {
        state.SkipWithError("twdrive is not built or as31 is not installed");
        return false;
    }
    return true;
}

twbench::ProcessRun ourAssembly(const Sources &s, const char *command, const char *file)
{
    return twbench::measuredRun({TW_TWDRIVE, command, file}, s.folder());
}

// as31 is timed making the code image alone, and making it with its listing as well: our
// assembler always writes its listing (.lst and .lt), its normalised copy and its error report.
void asm51Against(benchmark::State &state, const std::vector<std::string> &as31)
{
    if (!haveTools(state, true))
        return;
    const Sources &s = sources(static_cast<int>(state.range(0)));
    const auto total = twbench::measurePairs(
        state, [&] { return ourAssembly(s, "asm51", "ours.asm"); },
        [&] { return twbench::measuredRun(as31, s.folder()); });
    if (!total)
        return;
    if (!sameFile(s.dir.filePath(QStringLiteral("ours.bin")), s.dir.filePath(QStringLiteral("as31.bin"))))
        state.SkipWithError("the two code images differ");
    twbench::reportMilliseconds(state, *total, "as31");
}

void asm51AgainstAs31(benchmark::State &state)
{
    asm51Against(state, {"as31", "-Fbin", "-Oas31.bin", "as31.asm"});
}
BENCHMARK(asm51AgainstAs31)
    ->Arg(16000)
    ->Arg(64000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3.0);

void asm51AgainstAs31WithListing(benchmark::State &state)
{
    asm51Against(state, {"as31", "-l", "-Fbin", "-Oas31.bin", "as31.asm"});
}
BENCHMARK(asm51AgainstAs31WithListing)
    ->Arg(16000)
    ->Arg(64000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3.0);

// asm48_vs_asm51: asm48's time over asm51's for the same number of lines of the same make-up.
void asm48AgainstAsm51(benchmark::State &state)
{
    if (!haveTools(state, false))
        return;
    const Sources &s = sources(static_cast<int>(state.range(0)));
    const auto total = twbench::measurePairs(
        state, [&] { return ourAssembly(s, "asm48", "ours48.asm"); },
        [&] { return ourAssembly(s, "asm51", "ours.asm"); });
    if (!total)
        return;
    const double runs = static_cast<double>(state.iterations());
    state.counters["asm48_ms"] = total->ours / runs * 1e3;
    state.counters["asm51_ms"] = total->peer / runs * 1e3;
    state.counters["asm48_vs_asm51"] = total->ours / total->peer;
}
BENCHMARK(asm48AgainstAsm51)
    ->Arg(16000)
    ->Arg(64000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3.0);

} // namespace
