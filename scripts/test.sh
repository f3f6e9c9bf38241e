#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through ctest.
#   scripts/test.sh [ctest options]              the normal build in build/ (or $TW_BUILD_DIR)
#   scripts/test.sh --sanitize [ctest options]   AddressSanitizer + UndefinedBehaviorSanitizer with
#                                                leak detection, built in build-asan/ (or $TW_ASAN_DIR)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

if [ "${1:-}" = "--sanitize" ]; then
  shift
  build="${TW_ASAN_DIR:-$root/build-asan}"
  flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build "$build" --parallel "$(nproc)"
  # Every report ends the process with an error, so a test that trips one fails; twdrive, run by
  # the end-to-end tests, inherits the same settings.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
else
  "$root/scripts/build.sh"
  build="${TW_BUILD_DIR:-$root/build}"
fi

cd "$build"
# No platform is set here: each test main puts its windows on the screen they are written for.
ctest --output-on-failure --parallel "$(nproc)" "$@"
