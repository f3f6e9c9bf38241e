// One main for every simulator benchmark file.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
