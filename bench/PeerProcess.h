#pragma once
// Whole-process runs for the benchmarks that pit our headless driver against a peer tool: wall
// time and the child's peak resident memory, as /usr/bin/time -v reports them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <fcntl.h>

namespace twbench
{

struct ProcessRun {
    double seconds = 0;
    double maxRssMegabytes = 0;
    bool ok = false; // ran and ended with exit code 0
};

// Runs argv[0] (looked up on PATH) in folder with its output thrown away. Nothing of Qt runs in
// the child between fork and exec, so the measured memory is the tool's own.
inline ProcessRun runProcess(const std::vector<std::string> &argv, const std::string &folder)
{
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        if (chdir(folder.c_str()) == 0)
            execvp(args[0], args.data());
        _exit(127);
    }
    ProcessRun run;
    if (child < 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Alternates our run and the peer's on every iteration, so that both see the same machine load,
// and reports both mean times, their ratio (ours / peer: below 1 means ours is faster) and both
// peak memories. The benchmark's own time is that of the pair.
template <typename Ours, typename Peer> void runPaired(benchmark::State &state, Ours ours, Peer peer)
{
    double oursSeconds = 0, peerSeconds = 0, oursRss = 0, peerRss = 0;
    long long runs = 0;
    for (auto _ : state) {
        const ProcessRun a = ours();
        const ProcessRun b = peer();
        if (!a.ok || !b.ok) {
            state.SkipWithError(!a.ok ? "our run failed" : "the peer's run failed");
            return;
        }
        oursSeconds += a.seconds;
        peerSeconds += b.seconds;
        oursRss = std::max(oursRss, a.maxRssMegabytes);
        peerRss = std::max(peerRss, b.maxRssMegabytes);
        ++runs;
    }
    if (runs == 0)
        return;
    state.counters["ours_ms"] = 1000.0 * oursSeconds / static_cast<double>(runs);
    state.counters["peer_ms"] = 1000.0 * peerSeconds / static_cast<double>(runs);
    state.counters["ratio"] = oursSeconds / peerSeconds;
    state.counters["ours_MB"] = oursRss;
    state.counters["peer_MB"] = peerRss;
}

} // namespace twbench
