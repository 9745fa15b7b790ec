#!/usr/bin/env bash
# Sets up, builds and runs every test; fails when one fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIVEX_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh" "$@"
ctest --test-dir "$build" --output-on-failure -j2
# The other release's run (tools/test-on.sh) stops here: the sanitizer and
# fuzz runs test the same code, and run on the machine's own release.
[ -z "${MERIVEX_SUITE_ONLY:-}" ] || exit 0

# The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails the test that met it (tests/lsan.supp says why use_tls=0).
asan=${MERIVEX_ASAN_BUILD_DIR:-$root/build-asan}
MERIVEX_BUILD_DIR=$asan "$root/tools/build.sh" -DMERIVEX_SANITIZE=ON
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
    LSAN_OPTIONS=use_tls=0:suppressions=$root/tests/lsan.supp \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$asan" --output-on-failure -j2

# A short bounded run of every fuzz target (tools/fuzz.sh alone runs longer).
"$root/tools/fuzz.sh" 10
# The fuzz build is the one build ctest does not check for packages.
"$root/tools/check-fresh-machine.sh" "${MERIVEX_FUZZ_BUILD_DIR:-$root/build-fuzz}"
