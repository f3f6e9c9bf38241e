#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "${TW_BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM="offscreen:configfile=$root/tests/support/offscreen-1024x768.json"
ctest --output-on-failure --parallel "$(nproc)" "$@"
