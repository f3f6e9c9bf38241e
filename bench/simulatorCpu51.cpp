// Speed of the MCS-51 core on a mixed loop (arithmetic, moves, DJNZ, CJNE, calls), and of s51
// on the same program for comparison. Targets: >= 100 M instructions/s and >= 10x s51.
#include "simulator/Cpu51.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr std::uint64_t kInstructions = 100'000'000;
constexpr std::uint64_t kS51Instructions = 20'000'000;

// clang-format off
const std::vector<std::uint8_t> kMixedLoop = {
    0x75, 0x81, 0x30, //       MOV SP,#30h
    0x78, 0x40,       //       MOV R0,#40h
    0xEF,             // loop: MOV A,R7
    0x24, 0x03,       //       ADD A,#03h
    0xF6,             //       MOV @R0,A
    0x65, 0x30,       //       XRL A,30h
    0xF5, 0x30,       //       MOV 30h,A
    0x11, 0x20,       //       ACALL sub
    0xB4, 0x55, 0x00, //       CJNE A,#55h,$+3
    0xDF, 0xF1,       //       DJNZ R7,loop
    0x80, 0xEF,       //       SJMP loop
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0xF5, 0xF0,       // sub:  MOV B,A
    0xA4,             //       MUL AB
    0x22,             //       RET
};
// clang-format on

std::unique_ptr<tw::Cpu51> loadedCpu()
{
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(kMixedLoop.data(), static_cast<std::int32_t>(kMixedLoop.size()));
    cpu->reset();
    return cpu;
}

void BM_Cpu51MixedLoop(benchmark::State &state)
{
    for (auto _ : state) {
        auto cpu = loadedCpu();
        benchmark::DoNotOptimize(cpu->run(kInstructions));
        benchmark::DoNotOptimize(cpu->iram.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kInstructions));
    state.counters["MIPS"] = benchmark::Counter(static_cast<double>(state.iterations() * kInstructions) / 1e6,
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Cpu51MixedLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

std::string writeS51Files()
{
    const std::string folder = "/tmp/tw_bench_s51_" + std::to_string(::getpid());
    std::system(("mkdir -p " + folder).c_str());
    FILE *hex = std::fopen((folder + "/loop.ihx").c_str(), "w");
    for (std::size_t at = 0; at < kMixedLoop.size(); at += 16) {
        const std::size_t count = std::min<std::size_t>(16, kMixedLoop.size() - at);
        unsigned sum = static_cast<unsigned>(count + (at >> 8) + (at & 0xFF));
        std::fprintf(hex, ":%02zX%04zX00", count, at);
        for (std::size_t k = 0; k < count; ++k) {
            std::fprintf(hex, "%02X", kMixedLoop[at + k]);
            sum += kMixedLoop[at + k];
        }
        std::fprintf(hex, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    }
    std::fprintf(hex, ":00000001FF\n");
    std::fclose(hex);
    FILE *commands = std::fopen((folder + "/commands").c_str(), "w");
    std::fprintf(commands, "load \"%s/loop.ihx\"\nstep %llu\nquit\n", folder.c_str(),
                 static_cast<unsigned long long>(kS51Instructions));
    std::fclose(commands);
    return folder;
}

double secondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// s51 runs the same loop; the counter core_speedup compares the two rates.
void BM_S51MixedLoop(benchmark::State &state)
{
    if (std::system("command -v s51 >/dev/null 2>&1") != 0) {
        state.SkipWithError("s51 (sdcc-ucsim) not installed");
        return;
    }
    const std::string folder = writeS51Files();
    const std::string command = "s51 -t 8052 -C " + folder + "/commands </dev/null >/dev/null 2>&1";
    double s51Seconds = 0, coreSeconds = 0;
    for (auto _ : state) {
        const double seconds = secondsOf([&] { std::system(command.c_str()); });
        state.SetIterationTime(seconds);
        s51Seconds += seconds;
        auto cpu = loadedCpu();
        coreSeconds += secondsOf([&] { benchmark::DoNotOptimize(cpu->run(kS51Instructions)); });
    }
    std::system(("rm -rf " + folder).c_str());
    const double runs = static_cast<double>(state.iterations()) * static_cast<double>(kS51Instructions);
    state.counters["s51_MIPS"] = runs / s51Seconds / 1e6;
    state.counters["core_MIPS"] = runs / coreSeconds / 1e6;
    state.counters["core_speedup"] = s51Seconds / coreSeconds;
}
BENCHMARK(BM_S51MixedLoop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
