// A fast run in the simulator window (offscreen) against the CPU core's own speed on the same
// program: three nested DJNZ loops, about one million instructions, ending at the code size.
#include "common/ScriptedPrompter.h"
#include "simulator/Cpu51.h"
#include "simulator/ui/SimulatorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

// 0000 MOV R5,#20 / 0002 MOV R6,#200 / 0004 MOV R7,#250 / 0006 DJNZ R7,$ / 0008 DJNZ R6,0004 /
// 000A DJNZ R5,0002
const QByteArray kProgram("\x7D\x14\x7E\xC8\x7F\xFA\xDF\xFE\xDE\xFA\xDD\xF6", 12);
constexpr std::uint64_t kInstructions = 1 + 20 * (1 + 200 * (1 + 250 + 1) + 1);

QApplication &application()
{
    static int argc = 3;
    static char name[] = "bench_simulator", platform[] = "-platform", offscreen[] = "offscreen";
    static char *argv[] = {name, platform, offscreen, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void BM_CoreRun(benchmark::State &state)
{
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(reinterpret_cast<const std::uint8_t *>(kProgram.constData()), kProgram.size());
    for (auto _ : state) {
        cpu->reset();
        benchmark::DoNotOptimize(cpu->run(kInstructions));
        if (cpu->pc != kProgram.size())
            state.SkipWithError("the program did not end where expected");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kInstructions));
}
BENCHMARK(BM_CoreRun)->Unit(benchmark::kMillisecond);

void BM_WindowFastRun(benchmark::State &state)
{
    application();
    QTemporaryDir dir;
    QFile bin(dir.filePath(QStringLiteral("loops.bin"))), listing(dir.filePath(QStringLiteral("loops.lt")));
    if (!bin.open(QIODevice::WriteOnly) || !listing.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the program files");
        return;
    }
    bin.write(kProgram);
    listing.write(
        "  MCS51\r\n  0000  7D14\r\n  0002  7EC8\r\n  0004  7FFA\r\n  0006  DFFE\r\n  0008  DEFA\r\n"
        "  000A  DDF6\r\n");
    bin.close();
    listing.close();

    tw::ScriptedPrompter prompter; // the end-of-program question: Yes resets for the next run
    tw::registerSimulatorWindow();
    tw::MainWindow main(prompter);
    main.setCurrentBinPath(bin.fileName());
    main.showTool(QString::fromLatin1(tw::ToolName::Simulator));
    auto *window =
        qobject_cast<tw::SimulatorWindow *>(main.toolWindow(QString::fromLatin1(tw::ToolName::Simulator)));
    if (!window) {
        state.SkipWithError("the simulator window did not open");
        return;
    }
    window->controls().fastMode->click();
    for (auto _ : state) {
        window->controls().run->click();
        QElapsedTimer bound;
        bound.start();
        while (window->running() != tw::RunKind::None && bound.elapsed() < 60000)
            QCoreApplication::processEvents();
        if (window->cpu().pc != 0)
            state.SkipWithError("the run did not reach the end of the program");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kInstructions));
    window->close();
}
BENCHMARK(BM_WindowFastRun)->Unit(benchmark::kMillisecond);

} // namespace
