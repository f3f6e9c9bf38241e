// The code-file tools on a full 64 KB image: bin -> Intel hex -> bin through the converter scripts
// (each run includes starting sh and srec_cat), and a byte compare with its report; porting a
// 100,000-line MCS-48 source.
#include "common/ScriptedPrompter.h"
#include "conversion/FileCompare.h"
#include "conversion/HexConverter.h"
#include "conversion/Porting48.h"

#include <QCoreApplication>
#include <QFile>
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
        benchmark::DoNotOptimize(tw::compareFiles(prompter, a, b));
        prompter.clearCalls();
    }
}
BENCHMARK(CompareFilesWithReport)->Unit(benchmark::kMillisecond);

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
