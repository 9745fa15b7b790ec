#!/usr/bin/env bash
# Sets up, builds and starts MerivexDemo on a ready database: an empty one is
# created beside the executable the first time; an existing one is kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIVEX_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
if [ ! -e "$build/Merivex.mdb" ] && [ -x "$build/merivex-db" ]; then
    "$build/merivex-db" create "$build/Merivex.mdb"
fi
exec "$build/MerivexDemo"
