// Runs in the simulator window (offscreen, main window shown) against the CPU core's own speed:
// a fast run of 52 million instructions with a MOVX write every 104, many slices long, ending at
// the code size; and a dynamic run of a counting loop for a few seconds.
#include "simulatorPrograms.h"

#include "common/ScriptedPrompter.h"
#include "simulator/Cpu51.h"
#include "simulator/ui/SimulatorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

// clang-format off
const std::vector<std::uint8_t> kNestedLoops = {
    0x7C, 0x08,       //     MOV R4,#8
    0x7D, 0xFA,       // L4: MOV R5,#250
    0x7E, 0xFA,       // L5: MOV R6,#250
    0xF0,             // L6: MOVX @DPTR,A
    0xA3,             //     INC DPTR
    0x7F, 0x64,       //     MOV R7,#100
    0xDF, 0xFE,       //     DJNZ R7,$
    0xDE, 0xF8,       //     DJNZ R6,L6
    0xDD, 0xF4,       //     DJNZ R5,L5
    0xDC, 0xF0,       //     DJNZ R4,L4
};
const std::vector<int> kNestedStarts = {0, 2, 4, 6, 7, 8, 10, 12, 14, 16};
constexpr std::uint64_t kNestedInstructions = 1 + 8 * (1 + 250 * (1 + 250 * (4 + 100) + 1) + 1);

// R2:R1:R0 counts the passes: two instructions a pass, two more at each carry.
const std::vector<std::uint8_t> kCounter = {
    0x08,             // L: INC R0
    0xB8, 0x00, 0xFC, //    CJNE R0,#0,L
    0x09,             //    INC R1
    0xB9, 0x00, 0xF8, //    CJNE R1,#0,L
    0x0A,             //    INC R2
    0x80, 0xF5,       //    SJMP L
};
const std::vector<int> kCounterStarts = {0, 1, 4, 5, 8, 9};
// clang-format on

struct OpenWindow {
    QTemporaryDir dir;
    tw::ScriptedPrompter prompter; // the end-of-program question: Yes resets for the next run
    std::unique_ptr<tw::MainWindow> main;
    tw::SimulatorWindow *window = nullptr;

    OpenWindow(const std::vector<std::uint8_t> &program, const std::vector<int> &starts)
    {
        QFile bin(dir.filePath(QStringLiteral("bench.bin"))),
            listing(dir.filePath(QStringLiteral("bench.lt")));
        if (!bin.open(QIODevice::WriteOnly) || !listing.open(QIODevice::WriteOnly))
            return;
        bin.write(reinterpret_cast<const char *>(program.data()), static_cast<qint64>(program.size()));
        listing.write(twbench::listingLines(program, starts));
        bin.close();
        listing.close();
        tw::registerSimulatorWindow();
        main = std::make_unique<tw::MainWindow>(prompter);
        main->show();
        main->setCurrentBinPath(bin.fileName());
        main->showTool(QString::fromLatin1(tw::ToolName::Simulator));
        window = qobject_cast<tw::SimulatorWindow *>(
            main->toolWindow(QString::fromLatin1(tw::ToolName::Simulator)));
    }
    ~OpenWindow()
    {
        if (window)
            window->close();
    }
};

// Lets the event loop run, as the application's would, until the run ends or limitMs passed.
void waitForRunEnd(tw::SimulatorWindow *window, int limitMs)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer bound;
    bound.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (window->running() == tw::RunKind::None || bound.elapsed() > limitMs)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
}

double coreSeconds(const std::vector<std::uint8_t> &program, std::uint64_t instructions)
{
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(program.data(), static_cast<std::int32_t>(program.size()));
    cpu->reset();
    QElapsedTimer clock;
    clock.start();
    benchmark::DoNotOptimize(cpu->run(instructions));
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

void BM_WindowFastRun(benchmark::State &state)
{
    OpenWindow open(kNestedLoops, kNestedStarts);
    if (!open.window) {
        state.SkipWithError("the simulator window did not open");
        return;
    }
    open.window->controls().fastMode->click();
    double window = 0, core = 0;
    for (auto _ : state) {
        core += coreSeconds(kNestedLoops, kNestedInstructions);
        QElapsedTimer clock;
        clock.start();
        open.window->controls().run->click();
        waitForRunEnd(open.window, 120000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        window += seconds;
        if (open.window->cpu().pc != 0 || open.prompter.calls().isEmpty())
            state.SkipWithError("the run did not reach the end of the program");
    }
    const double runs = static_cast<double>(state.iterations()) * static_cast<double>(kNestedInstructions);
    state.counters["window_MIPS"] = runs / window / 1e6;
    state.counters["core_MIPS"] = runs / core / 1e6;
    state.counters["of_core"] = core / window; // the window's rate / the core's
}
BENCHMARK(BM_WindowFastRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// Instructions the counting loop ran, from its counter and where it stands.
std::uint64_t counterInstructions(const tw::Cpu51 &cpu)
{
    const std::uint64_t passes = cpu.iram[0] + cpu.iram[1] * 256ull + cpu.iram[2] * 65536ull;
    return 2 * passes + 2 * (passes / 256) + 2 * (passes / 65536);
}

void BM_WindowDynamicRun(benchmark::State &state)
{
    OpenWindow open(kCounter, kCounterStarts);
    if (!open.window) {
        state.SkipWithError("the simulator window did not open");
        return;
    }
    open.window->controls().dynamicMode->click();
    std::uint64_t executed = 0;
    double seconds = 0;
    for (auto _ : state) {
        open.window->controls().reset->click();
        const std::uint64_t before = counterInstructions(open.window->cpu());
        QElapsedTimer clock;
        clock.start();
        open.window->controls().run->click();
        QTimer::singleShot(3000, open.window, [&] { open.window->controls().run->click(); });
        waitForRunEnd(open.window, 60000);
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        executed += counterInstructions(open.window->cpu()) - before;
    }
    state.counters["instructions_per_s"] = static_cast<double>(executed) / seconds;
}
BENCHMARK(BM_WindowDynamicRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

} // namespace
