#!/usr/bin/env bash
# Starts MerivexDemo under Xvfb and waits for its main window to appear.
set -euo pipefail
app=$1
if [ -z "${DISPLAY_READY:-}" ]; then
    exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
"$app" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
if timeout 30 xdotool search --sync --name '^Merivex Demo - No User$' >/dev/null; then
    echo "window 'Merivex Demo - No User' appeared"
    kill -0 $pid
else
    echo "no window titled 'Merivex Demo - No User' within 30 s" >&2
    exit 1
fi
