#!/usr/bin/env bash
# Prints the include graph between the folders of the code, layer by layer,
# and fails when a file includes one of a layer above its own or of another
# window (the windows stand side by side and reach each other only below).
# Usage: tools/check-layers.sh [source root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# The layers from the ground up; the windows share one.
declare -A rank=([db]=0 [classic]=1 [patients]=2 [bmi]=2 [graph]=2 [app]=3 [cli]=1 [cli/report]=3)
# The tool's commands (cli/) stand on db/ alone, beside the classic-control
# layer; its one drawing command (cli/report/) on them and the graph window.
declare -A only=([cli]="db" [cli/report]="cli graph classic db")

edges=$(
    for folder in "${!rank[@]}"; do
        [ -d "$folder" ] || continue
        find "$folder" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) -print0 |
            xargs -0 -r grep -Ho '^#include "[a-z]*/' |
            sed -E 's|^([a-z/]+)/[^/:]*:#include "([a-z]+)/|\1 \2|'
    done | awk '$1 != $2' | sort | uniq -c | sort -k2,2 -k3,3
)

status=0
printf '%-10s %-10s %6s\n' from to includes
while read -r count from to; do
    [ -n "${count:-}" ] || continue
    verdict=""
    if [ -z "${rank[$to]+x}" ]; then
        verdict="  <- not a layer"
        status=1
    elif [ -n "${only[$from]+x}" ] && [[ " ${only[$from]} " != *" $to "* ]]; then
        verdict="  <- outside what $from may use"
        status=1
    elif [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        verdict="  <- upward"
        status=1
    elif [ "${rank[$to]}" -eq "${rank[$from]}" ]; then
        verdict="  <- across"
        status=1
    fi
    printf '%-10s %-10s %6d%s\n' "$from" "$to" "$count" "$verdict"
done <<<"$edges"
exit $status
