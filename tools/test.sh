#!/usr/bin/env bash
# Sets up, builds and runs every test; fails when one fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIVEX_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh" "$@"
ctest --test-dir "$build" --output-on-failure -j2
