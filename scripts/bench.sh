#!/usr/bin/env bash
# Builds a Release tree in build-bench/ (or $TW_BENCH_BUILD_DIR) and runs every benchmark, each
# with its peer in the same run (s51 for the simulator, as31 for the assembler, d52 for the
# disassembler; the conversion benchmarks run srec_cat inside), then prints the ratios. Extra
# arguments go to every benchmark program, e.g. --benchmark_filter=Cpu51. The peers come from
# scripts/install-deps.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TW_BENCH_BUILD_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
programs=(bench_simulator bench_assembler bench_disassembler bench_conversion)
if ! cmake --build "$build" --parallel "$(nproc)" --target twdrive tw_data "${programs[@]}" >"$build/bench-build.log" 2>&1; then
    cat "$build/bench-build.log"
    exit 1
fi
results="$build/bench-results"
mkdir -p "$results"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen:configfile=$root/tests/support/offscreen-1024x768.json}"
for program in "${programs[@]}"; do
    echo "== $program"
    "$build/bench/$program" "$@" 2>&1 | grep -v '^This plugin does not support' | tee "$results/$program.txt"
done
echo
echo "== Figures against the peers and the core (measured in this run)"
# Benchmark name, then its counters: MIPS and *_MIPS are millions of instructions a second,
# *_ms milliseconds a run; speedup = our rate / s51's; time_vs_peer = our time / the peer's
# (below 1: faster than the peer); of_core = the window's rate / the core's.
for program in "${programs[@]}"; do
    grep -hE '(MIPS|_ms|time_vs_peer|speedup|of_core|instructions_per_s)=' "$results/$program.txt" |
        awk '{ line = $1; for (i = 2; i <= NF; ++i) if ($i ~ /=/) line = line "  " $i; print line }' || true
done
