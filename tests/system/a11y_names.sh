#!/usr/bin/env bash
# A typical run walked through the accessibility bus, as a screen reader
# meets it (tests/system/a11y_run.py), on a desktop of its own.
# Usage: a11y_names.sh MERIVEXDEMO MERIVEX-DB
set -euo pipefail
source "$(dirname "$0")/drive.sh"

work=$(mktemp -d)
trap 'stop_app; stop_desktop; rm -rf "$work"' EXIT
DRIVE_ACCESSIBILITY=1 drive_on_desktop
cp "$1" "$work/MerivexDemo"
"$2" create "$work/Merivex.mdb" >/dev/null
start_app "$work/MerivexDemo"
# Debian's own interpreter, which python3-pyatspi is installed for.
/usr/bin/python3 "$(dirname "$0")/a11y_run.py"
wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"
