#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz/ (or $TW_FUZZ_DIR) and runs
# each for a given time, one after the other, or all at once with --parallel.
#   scripts/fuzz.sh [--time SECONDS] [--parallel] [--runs N] [TARGET...]
# With both --runs and --time, each target stops at whichever comes first.
# The corpus of each target grows in build-fuzz/corpus/TARGET, seeded from the tests' data and
# from fuzz/regressions/TARGET. A crash, hang, leak or sanitizer report stops that target and
# leaves the input in build-fuzz/artifacts/TARGET/; copy it into fuzz/regressions/TARGET, where
# the normal test run replays it from then on. Exit status 1 when any target found something.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TW_FUZZ_DIR:-$root/build-fuzz}"
seconds=""
runs=""
parallel=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --parallel) parallel=1; shift ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

"$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTW_FUZZ=ON -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target tw_fuzzers

if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/fuzz/fuzz_*; do
    [ -x "$program" ] && [ -f "$program" ] && targets+=("$(basename "$program" | sed 's/^fuzz_//')")
  done
fi

# One target: seed its corpus, run it, print one summary line.
run_target() {
  local name="$1"
  local program="$build/fuzz/fuzz_$name"
  local corpus="$build/corpus/$name"
  local artifacts="$build/artifacts/$name"
  local log="$build/logs/$name.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  # New inputs go into the first folder only; a target without a finding has no regressions folder.
  local folders=("$corpus")
  [ -d "$root/fuzz/regressions/$name" ] && folders+=("$root/fuzz/regressions/$name")
  while IFS= read -r seed; do
    [ -n "$seed" ] && cp "$seed" "$corpus/seed-$(md5sum "$seed" | cut -c1-16)"
  done < "$build/fuzz/fuzz_$name.seeds"
  local limit=()
  [ -n "$runs" ] && limit+=(-runs="$runs")
  if [ -n "$seconds" ] || [ -z "$runs" ]; then limit+=(-max_total_time="${seconds:-60}"); fi
  local status=0
  # Leaks are checked after every input; a run longer than 10 s is a hang. Short allocation stacks
  # make each run about a third faster; a finding's input, replayed by the sanitizer test run
  # (fuzz_TARGET_replay), gives the full stacks.
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:malloc_context_size=2" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$program" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${folders[@]}" >"$log" 2>&1 || status=$?
  local executed
  executed="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
  local per_second
  per_second="$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
  if [ "$status" -eq 0 ]; then
    printf '%-8s ok       %12s runs  %8s/s  corpus %s\n' "$name" "$executed" "$per_second" \
      "$(find "$corpus" -type f | wc -l)"
  else
    printf '%-8s FAILED   see %s and %s\n' "$name" "$log" "$artifacts"
  fi
  return "$status"
}

failed=0
if [ "$parallel" -eq 1 ]; then
  pids=()
  for name in "${targets[@]}"; do run_target "$name" & pids+=($!); done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
else
  for name in "${targets[@]}"; do run_target "$name" || failed=1; done
fi
exit "$failed"
