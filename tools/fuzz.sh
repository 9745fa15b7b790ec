#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or
# $MERIVEX_FUZZ_BUILD_DIR) and runs each for SECONDS (default 300), keeping
# its corpus in <build>/corpus/<target>. Fails when a target finds a fault;
# the input that found it is left in the current folder as crash-*.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIVEX_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-300}
if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ not found; the fuzz targets are skipped"
    exit 0
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMERIVEX_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target fuzzers
for target in fuzz_number fuzz_dates fuzz_display_text fuzz_connect; do
    mkdir -p "$build/corpus/$target"
    LC_ALL=C.UTF-8 "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        "$build/corpus/$target" 2>"$build/fuzz/$target.log" || {
        tail -40 "$build/fuzz/$target.log"
        exit 1
    }
    echo "$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$target.log" |
        grep -o '[0-9]*$') executions in ${seconds} s"
done
