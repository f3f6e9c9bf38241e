// Whole processes, paired in the same run: `twdrive dis51` against d52 on 8, 16 and 32 KB of
// real-looking code (a generated program assembled by our assembler), both writing their source
// files. d52 runs with -b only, its quickest form.
#include "PairedProcesses.h"
#include "Program51.h"
#include "assembler/AssemblyRun.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace
{

struct Image {
    QTemporaryDir dir;
    qint64 bytes = 0;
    std::string folder() const { return dir.path().toStdString(); }
};

// Lines of program51 that make about the given number of kilobytes of code.
int linesFor(int kilobytes)
{
    return kilobytes * 1024 * 16000 / 20600;
}

// code.bin, assembled once per size.
Image &image(int kilobytes)
{
    static std::map<int, std::unique_ptr<Image>> made;
    auto &entry = made[kilobytes];
    if (!entry) {
        entry = std::make_unique<Image>();
        const QString source = entry->dir.filePath(QStringLiteral("code.asm"));
        QFile file(source);
        if (file.open(QIODevice::WriteOnly))
            file.write(twbench::program51(linesFor(kilobytes)).ours.toLatin1());
        file.close();
        const QString bin = entry->dir.filePath(QStringLiteral("code.bin"));
        const tw::AssemblyResult result = tw::assembleFile(tw::AsmCpu::Mcs51, source, bin);
        entry->bytes = result.completed && result.errorCount == 0 ? QFile(bin).size() : 0;
    }
    return *entry;
}

void dis51AgainstD52(benchmark::State &state)
{
    if (QString::fromUtf8(TW_TWDRIVE).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("d52")).isEmpty()) {
        state.SkipWithError("twdrive was not built or d52 is not installed");
        return;
    }
    const Image &code = image(static_cast<int>(state.range(0)));
    if (code.bytes == 0) {
        state.SkipWithError("the program did not assemble");
        return;
    }
    const auto total = twbench::measurePairs(
        state,
        [&] {
            return twbench::measuredRun({TW_TWDRIVE, "dis51", "code.bin", "dis.asm"}, code.folder());
        },
        [&] {
            return twbench::measuredRun({"d52", "-b", "code"}, code.folder());
        });
    if (!total)
        return;
    twbench::reportMilliseconds(state, *total, "d52");
    state.counters["code_bytes"] = static_cast<double>(code.bytes);
}
BENCHMARK(dis51AgainstD52)
    ->Arg(8)
    ->Arg(16)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3.0);

} // namespace
