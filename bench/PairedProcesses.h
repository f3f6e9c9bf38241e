#pragma once
// Whole-process runs of our headless driver and of a peer tool, one after the other in each
// iteration, so that a ratio compares runs made under the same load.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace twbench
{

// Seconds of one whole process run in folder (empty: this one) with no standard input (s51
// would wait for commands after its script); -1 when it failed.
inline double processSeconds(const QString &program, const QStringList &arguments, const QString &folder = {})
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

struct PairedSeconds {
    double ours = 0, peer = 0;
    double oursMegabytes = 0, peerMegabytes = 0; // peak resident memory, where measured
};

// One whole process run measured as /usr/bin/time -v measures it: wall time and the child's peak
// resident memory. seconds is -1 when it failed.
struct ProcessRun {
    double seconds = -1;
    double megabytes = 0;
};

// Runs argv[0] (looked up on PATH) in folder, input and output thrown away. Nothing of Qt runs in
// the child between fork and exec, so the memory measured is the tool's own.
inline ProcessRun measuredRun(const std::vector<std::string> &argv, const std::string &folder)
{
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        if (chdir(folder.c_str()) == 0)
            execvp(args[0], args.data());
        _exit(127);
    }
    ProcessRun run;
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return run;
}

// Times `ours` and then `peer` (each a process run as processSeconds gives it) in every
// iteration; nothing when one of them failed.
template <class Ours, class Peer>
std::optional<PairedSeconds> timePairs(benchmark::State &state, Ours ours, Peer peer)
{
    PairedSeconds total;
    for (auto _ : state) {
        const double t = ours(), p = peer();
        if (t < 0 || p < 0) {
            state.SkipWithError("our tool or the peer failed");
            return std::nullopt;
        }
        state.SetIterationTime(t + p);
        total.ours += t;
        total.peer += p;
    }
    return total;
}

// timePairs for runs measured by measuredRun, keeping the highest peak memory of each.
template <class Ours, class Peer>
std::optional<PairedSeconds> measurePairs(benchmark::State &state, Ours ours, Peer peer)
{
    PairedSeconds total;
    for (auto _ : state) {
        const ProcessRun t = ours(), p = peer();
        if (t.seconds < 0 || p.seconds < 0) {
            state.SkipWithError("our tool or the peer failed");
            return std::nullopt;
        }
        state.SetIterationTime(t.seconds + p.seconds);
        total.ours += t.seconds;
        total.peer += p.seconds;
        total.oursMegabytes = std::max(total.oursMegabytes, t.megabytes);
        total.peerMegabytes = std::max(total.peerMegabytes, p.megabytes);
    }
    return total;
}

// Milliseconds a run of each, and time_vs_peer = ours / the peer's (above 1: slower than the peer).
inline void reportMilliseconds(benchmark::State &state, const PairedSeconds &total, const char *peerName)
{
    const double runs = static_cast<double>(state.iterations());
    state.counters["twdrive_ms"] = total.ours / runs * 1e3;
    state.counters[std::string(peerName) + "_ms"] = total.peer / runs * 1e3;
    state.counters["time_vs_peer"] = total.ours / total.peer;
    if (total.oursMegabytes > 0) {
        state.counters["twdrive_MB"] = total.oursMegabytes;
        state.counters[std::string(peerName) + "_MB"] = total.peerMegabytes;
    }
}

} // namespace twbench
