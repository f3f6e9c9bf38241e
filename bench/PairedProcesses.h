#pragma once
// Whole-process runs of our headless driver and of a peer tool, one after the other in each
// iteration, so that a ratio compares runs made under the same load.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <optional>

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
};

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

// Milliseconds a run of each, and time_vs_peer = ours / the peer's (above 1: slower than the peer).
inline void reportMilliseconds(benchmark::State &state, const PairedSeconds &total, const char *peerName)
{
    const double runs = static_cast<double>(state.iterations());
    state.counters["twdrive_ms"] = total.ours / runs * 1e3;
    state.counters[std::string(peerName) + "_ms"] = total.peer / runs * 1e3;
    state.counters["time_vs_peer"] = total.ours / total.peer;
}

} // namespace twbench
