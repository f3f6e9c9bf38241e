// The code-file tools on a full 64 KB image: bin -> Intel hex -> bin through the converter scripts
// (each run includes starting sh and srec_cat), and a byte compare with its report; porting a
// 100,000-line MCS-48 source; the driver's compare of two large files that differ everywhere, with
// its peak memory.
#include "PairedProcesses.h"

#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "conversion/FileCompare.h"
#include "conversion/HexConverter.h"
#include "conversion/Porting48.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

QByteArray fullImage(int seed)
{
    QByteArray image(65536, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>((i * 31 + seed * (i >> 4)) & 0xFF);
    return image;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void BinToHexToBin(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("image.bin"));
    const QString hex = dir.filePath(QStringLiteral("image.hex"));
    writeFile(bin, fullImage(0));
    for (auto _ : state) {
        const tw::ConverterRun toHex = tw::runBinToHex({bin, hex, QStringLiteral("0")});
        writeFile(hex, toHex.bytes.value_or(QByteArray()));
        const tw::ConverterRun back = tw::runHexToBin({hex, bin, QChar(u'i'), QChar(u'0')});
        if (!back.bytes || back.bytes->size() != 65536)
            state.SkipWithError("round trip failed (is srec_cat installed?)");
    }
}
BENCHMARK(BinToHexToBin)->Unit(benchmark::kMillisecond);

void CompareReport(benchmark::State &state)
{
    const QByteArray first = fullImage(0);
    const QByteArray second = fullImage(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(tw::compareReport(first, second));
}
BENCHMARK(CompareReport)->Unit(benchmark::kMillisecond);

void CompareFilesWithReport(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.bin"));
    const QString b = dir.filePath(QStringLiteral("b.bin"));
    writeFile(a, fullImage(0));
    writeFile(b, fullImage(1));
    tw::ScriptedPrompter prompter;
    for (auto _ : state) {
        prompter.answerMessage(tw::MsgAnswer::No);
        benchmark::DoNotOptimize(tw::carryOut(tw::compareFiles(a, b).outcome, prompter));
        prompter.clearCalls();
    }
}
BENCHMARK(CompareFilesWithReport)->Unit(benchmark::kMillisecond);

// `twdrive conv compare` on two files of range(0) MB that differ in every byte, as one whole
// process: the files are read in pieces and the report (about 17 bytes a byte compared) is written
// as it is made, so the process's peak memory stays far below the files' size.
void CompareLargeFiles(benchmark::State &state)
{
    if (QString::fromLatin1(TW_TWDRIVE).isEmpty()) {
        state.SkipWithError("twdrive is not built");
        return;
    }
    QTemporaryDir dir;
    const std::int64_t size = state.range(0) << 20;
    QByteArray first(static_cast<qsizetype>(size), '\0');
    for (qsizetype i = 0; i < first.size(); ++i)
        first[i] = static_cast<char>((i * 31 + (i >> 12)) & 0xFF);
    writeFile(dir.filePath(QStringLiteral("a.bin")), first);
    for (char &byte : first)
        byte = static_cast<char>(byte ^ 0x5A);
    writeFile(dir.filePath(QStringLiteral("b.bin")), first);
    first = QByteArray();
    const std::vector<std::string> command = {TW_TWDRIVE, "conv", "compare", "a.bin", "b.bin"};
    double peak = 0;
    for (auto _ : state) {
        const twbench::ProcessRun run = twbench::measuredRun(command, dir.path().toStdString());
        if (run.seconds < 0) {
            state.SkipWithError("twdrive conv compare failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.megabytes);
    }
    state.counters["peak_MB"] = peak;
    state.counters["report_MB"] =
        static_cast<double>(QFileInfo(dir.filePath(QStringLiteral("report.txt"))).size()) / (1 << 20);
}
BENCHMARK(CompareLargeFiles)->Arg(8)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

void PortSource48(benchmark::State &state)
{
    // Kept, rewritten and refused lines, with labels and comments, as real 8048 sources mix them.
    const QStringList sample = {
        QStringLiteral("LOOP:\tMOV\tA,@R0\t; next byte"),
        QStringLiteral("\tADD\tA,#05H"),
        QStringLiteral("\tOUTL\tP1,A"),
        QStringLiteral("\tIN\tA,BUS"),
        QStringLiteral("\tDJNZ\t@R1,LOOP"),
        QStringLiteral("\tJB3\tLOOP"),
        QStringLiteral("\tCALL\tWAIT"),
        QStringLiteral("\tMOVP\tA,@A"),
        QStringLiteral("\tSEL\tRB1"),
        QStringLiteral("\tSTRT\tT"),
        QStringLiteral("WAIT:\tDJNZ\tR7,WAIT"),
        QStringLiteral("\tRET"),
    };
    QStringList lines;
    while (lines.size() < 100000)
        lines += sample;
    for (auto _ : state)
        benchmark::DoNotOptimize(tw::portSource48(lines));
}
BENCHMARK(PortSource48)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The converter finds its scripts in the build tree's data folder from the executable's place.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
