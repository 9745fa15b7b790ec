#!/usr/bin/env bash
# One step of the cross-release test (tools/cross-release.sh runs the steps
# on Debian 12 and 13 in turn): on the release it runs on, the file in FOLDER,
# made and saved by the steps before on either release, must pass check, read
# in that release's sqlcipher shell and export the rows the last step
# exported, byte for byte. Then MerivexDemo of BUILD registers NAME and saves a
# measurement in it, and the export must keep every earlier row as it was.
# The first step makes the file with BUILD's merivex-db.
# Usage: cross_release.sh BUILD FOLDER NAME
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/drive.sh"
build=$1 folder=$2 name=$3
release=$(. /etc/os-release && echo "Debian $VERSION_ID")
fail() { echo "FAIL on $release: $*" >&2; exit 1; }
db=$folder/Merivex.mdb

export_rows()
{
    rm -rf "$1"
    "$build/merivex-db" export --csv "$1" "$db" >/dev/null || fail "export to $1"
}

if [ -e "$db" ]; then
    "$build/merivex-db" check "$db" >"$folder/check.log" 2>&1 || fail "check: $(cat "$folder/check.log")"
    export_rows "$folder/before"
    for csv in patients.csv history.csv; do
        cmp "$folder/last/$csv" "$folder/before/$csv" ||
            fail "$csv differs from the one exported on the last release: $(diff "$folder/last/$csv" "$folder/before/$csv")"
    done
    shell=$(sql "$db" "SELECT count(*) FROM Biodata;") || true
    [ "$shell" = "$(($(wc -l <"$folder/before/patients.csv") - 1))" ] ||
        fail "$release's sqlcipher shell counts '$shell' patients"
else
    "$build/merivex-db" create "$db" >/dev/null || fail "create"
    mkdir -p "$folder/before"
fi

cp "$build/MerivexDemo" "$folder/MerivexDemo"
trap 'stop_app; stop_desktop' EXIT
drive_on_desktop
start_app "$folder/MerivexDemo"
register_patient "$name" 01/02/1990
calculate_bmi 1.70 65
save_bmi
click_toolbar ArahanKeluar
wait_for "the application to end" app_gone
wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"

export_rows "$folder/last"
for csv in patients.csv history.csv; do
    cmp -s -n "$(stat -c %s "$folder/before/$csv" 2>/dev/null || echo 0)" "$folder/before/$csv" \
        "$folder/last/$csv" 2>/dev/null || [ ! -e "$folder/before/$csv" ] ||
        fail "saving on $release changed earlier rows of $csv"
done
grep -q "$name" "$folder/last/patients.csv" || fail "$name was not saved"
echo "$release: $(($(wc -l <"$folder/last/patients.csv") - 1)) patients," \
    "$(($(wc -l <"$folder/last/history.csv") - 1)) measurements; earlier rows unchanged"
