// The 16,000-line MCS-51 program (about 30 KB of code): our whole assembly in process with every
// output file written, and the normaliser alone. The whole-process runs against as31 are in
// assembler_peers.cpp.
#include "assembler/AssemblyRun.h"
#include "common/TextFile.h"
#include "source/Normaliser.h"

#include <QCoreApplication>
#include <QFile>
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
    QString text = programText();
    Program() { tw::writeTextFile(source, text); }
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
        const tw::AssemblyResult result = tw::assembleFile(tw::AsmCpu::Mcs51, p.source, bin);
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
