#!/usr/bin/env bash
# Installs what is missing, builds and starts Tarnwick.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exec "${TW_BUILD_DIR:-$root/build}/tarnwick" "$@"
