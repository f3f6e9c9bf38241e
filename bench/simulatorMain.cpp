// One main for every simulator benchmark file. The window benchmarks need a QApplication on the
// offscreen platform; it lives in main, so it is destroyed before the statics Qt's clean-up
// relies on (a function-local static one crashed the program at exit).
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TW_OFFSCREEN_CONFIG);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
