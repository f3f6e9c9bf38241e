// The 16,000-line MCS-51 program (about 30 KB of code): our whole assembly with every output file
// written, against as31 assembling the same program as a whole process.
#include "PairedProcesses.h"

#include "assembler/Assemble51.h"
#include "common/TextFile.h"
#include "source/Normaliser.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

// 2000 blocks of eight statements, fifteen bytes each; one label per block keeps within the
// 2048-label limit. The text is in the common subset of this dialect and as31's.
QString programText()
{
    QString text;
    for (int i = 0; i < 2000; ++i) {
        const QString label = QStringLiteral("L%1").arg(i);
        text += label + QStringLiteral(": MOV A,#12H\r\n MOV R0,#30H\r\n ADD A,R1\r\n MOV 30H,A\r\n");
        text += QStringLiteral(" DJNZ R2,") + label + QStringLiteral("\r\n LCALL L0\r\n SJMP ") + label +
                QStringLiteral("\r\n NOP\r\n");
    }
    return text;
}

struct Program {
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("big.asm"));
    QString as31Source = dir.filePath(QStringLiteral("big31.asm"));
    QString text = programText();
    Program()
    {
        tw::writeTextFile(source, text);
        QString plain = text;
        tw::writeTextFile(as31Source, plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
};

Program &program()
{
    static Program p;
    return p;
}

void assemble51WithAllFiles(benchmark::State &state)
{
    Program &p = program();
    const QString bin = p.dir.filePath(QStringLiteral("big.bin"));
    for (auto _ : state) {
        const tw::AssemblyResult result = tw::assemble51(p.source, bin);
        if (!result.completed || result.errorCount != 0)
            state.SkipWithError("the program did not assemble cleanly");
    }
}
BENCHMARK(assemble51WithAllFiles)->Unit(benchmark::kMillisecond);

void normaliseOnly(benchmark::State &state)
{
    const QStringList lines = tw::splitLines(program().text);
    for (auto _ : state)
        benchmark::DoNotOptimize(tw::normaliseSource(lines));
}
BENCHMARK(normaliseOnly)->Unit(benchmark::kMillisecond);

void as31WholeProcess(benchmark::State &state)
{
    const QString as31 = QStandardPaths::findExecutable(QStringLiteral("as31"));
    if (as31.isEmpty()) {
        state.SkipWithError("as31 is not installed");
        return;
    }
    Program &p = program();
    const QStringList args{QStringLiteral("-Fbin"),
                           QStringLiteral("-O") + p.dir.filePath(QStringLiteral("big31.bin")), p.as31Source};
    for (auto _ : state) {
        QProcess process;
        process.start(as31, args);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            state.SkipWithError("as31 failed");
    }
}
BENCHMARK(as31WholeProcess)->Unit(benchmark::kMillisecond);

// `twdrive asm51` and as31 on the same program as whole processes, one after the other in each
// iteration, so that the ratio compares runs made under the same load.
void asm51AndAs31WholeProcess(benchmark::State &state)
{
    const QString as31 = QStandardPaths::findExecutable(QStringLiteral("as31"));
    const QString twdrive = QString::fromUtf8(TW_TWDRIVE);
    if (as31.isEmpty() || twdrive.isEmpty()) {
        state.SkipWithError("as31 is not installed or twdrive is not built");
        return;
    }
    Program &p = program();
    const QStringList ours = {QStringLiteral("asm51"), p.source};
    const QStringList peer = {QStringLiteral("-Fbin"),
                              QStringLiteral("-O") + p.dir.filePath(QStringLiteral("big31.bin")),
                              p.as31Source};
    if (const auto total = twbench::timePairs(
            state, [&] { return twbench::processSeconds(twdrive, ours); },
            [&] { return twbench::processSeconds(as31, peer); }))
        twbench::reportMilliseconds(state, *total, "as31");
}
BENCHMARK(asm51AndAs31WholeProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
