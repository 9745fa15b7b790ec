#!/usr/bin/env bash
# The .deb as a person meets it: made with cpack, checked with lintian,
# installed with dpkg (and purged again on exit), then used by an
# unprivileged user with a fresh home on a desktop of their own (openbox,
# D-Bus, the accessibility bus): the program started as the desktop entry
# says registers a patient, calculates and saves. That user's own file then
# holds both, private to the user, and nothing was written under /usr or /opt.
# Usage: installed_package.sh BUILD_DIR SCREENSHOT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# The desktop part, run as the user from a copy of the scripts.
if [ "${1:-}" = --desktop ]; then
    source "$here/../system/drive.sh"
    trap 'stop_app; stop_desktop' EXIT
    DRIVE_ACCESSIBILITY=1 drive_on_desktop
    step "start the program as the desktop entry says"
    program=$(sed -n 's/^Exec=//p' /usr/share/applications/merivex.desktop)
    [ "$(command -v "$program")" = /usr/bin/MerivexDemo ] || drive_fail "the entry runs '$program'"
    start_app "$program"
    wait_for "the window manager to maximize the main window" wm_state_has "$MAIN_WID" MAXIMIZED_HORZ
    xprop -id "$MAIN_WID" WM_CLASS | grep -q '"MerivexDemo"$' ||
        drive_fail "the window's class is not the entry's StartupWMClass: $(xprop -id "$MAIN_WID" WM_CLASS)"
    register_patient "Nur Aisyah" 02/09/1991
    calculate_bmi 1.62 58
    save_bmi
    shot "$HOME/after-save.png"
    click_toolbar ArahanKeluar
    wait_for "the application to end" app_gone
    wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"
    exit 0
fi

build=$1
screenshot=$2
user=65534
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
status=$(dpkg-query -W -f='${db:Status-Status}' merivex 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] ||
    fail "a merivex package is on this machine ($status); the test would replace it"

# Readable by the user: the package and a copy of the scripts and forms the
# desktop part needs. The home is the user's alone.
tmp=$(mktemp -d)
chmod 755 "$tmp"
home=$(mktemp -d)
chown "$user:$user" "$home"
installed=
trap '[ -z "$installed" ] || dpkg --purge merivex >/dev/null; rm -rf "$tmp" "$home"' EXIT
as_user() { setpriv --reuid $user --regid $user --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 "$@"; }

cpack --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/package/*.deb)
dpkg-deb -c "$deb" | awk '{ print $6 }' >"$tmp/files"
! grep -q -e 'Merivex\.mdb' -e '^\./opt' "$tmp/files" || fail "the package carries $(grep -e mdb -e opt "$tmp/files")"
dpkg-deb -f "$deb" Depends | grep -q libsqlcipher || fail "the package does not depend on SQLCipher"
echo "$(lintian --version) on $(basename "$deb"):"
as_user lintian --fail-on error,warning --display-info "$deb" | tee "$tmp/lintian.log" || fail "lintian"
! grep -q hardening-no "$tmp/lintian.log" || fail "built without Debian's hardening flags"

installed=1
dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$tmp/dpkg.log")"
touch "$tmp/installed"
echo "desktop-file-validate and appstreamcli validate --no-net on the installed files:"
desktop-file-validate /usr/share/applications/merivex.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/org.merivex.merivex.metainfo.xml || fail "appstreamcli"
for size in 16 32 48 64 128 256; do
    png=/usr/share/icons/hicolor/${size}x$size/apps/merivex.png
    [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x$size" ] || fail "$png is not a $size x $size PNG"
done

mkdir -p "$tmp/src/tests" "$tmp/src/classic"
cp -r "$here/../system" "$here/../install" "$tmp/src/tests/"
cp -r "$here/../../forms" "$tmp/src/"
cp "$here/../../classic/flexgrid.cpp" "$tmp/src/classic/"
as_user bash "$tmp/src/tests/install/installed_package.sh" --desktop || fail "the desktop run as user $user"
cp "$home/after-save.png" "$screenshot"

echo "as user $(id -nu $user) ($user), HOME=$home:"
as_user merivex-db check | tee "$tmp/check.log" || fail "merivex-db check as the user"
file=$home/.local/share/merivex/Merivex.mdb
grep -qx "Checked $file: 1 patient, 1 measurement." "$tmp/check.log" || fail "not the user's file, or not what was saved"
stat -c '%n %U %a' "$(dirname "$file")" "$file"
[ "$(stat -c '%u %a' "$file")" = "$user 600" ] || fail "$file is not the user's, mode 0600"
[ "$(stat -c '%u %a' "$(dirname "$file")")" = "$user 700" ] || fail "its folder is not the user's, mode 0700"
written=$(find /usr /opt -newer "$tmp/installed" -not -path '*/__pycache__*' 2>/dev/null || true)
[ -z "$written" ] || fail "written under /usr or /opt: $written"

# A file the user may not open, and a folder the user may not write in, are
# named as such (the package's old /opt layout); a file the user owns there
# is still checked, since check writes nothing beside it.
mkdir -m 755 "$tmp/old"
/usr/bin/merivex-db create "$tmp/old/Merivex.mdb" >/dev/null
cp -p "$tmp/old/Merivex.mdb" "$tmp/old/given.mdb"
chown $user "$tmp/old/given.mdb"
for case in "check Merivex.mdb:permission to open '$tmp/old/Merivex.mdb'" \
    "create new.mdb:permission to write in the folder '$tmp/old'"; do
    set -- ${case%%:*}
    if as_user merivex-db "$1" "$tmp/old/$2" 2>"$tmp/err"; then fail "$1 $2 succeeded"; fi
    grep -qF "You do not have ${case#*:}" "$tmp/err" || fail "$(cat "$tmp/err")"
done
as_user merivex-db check "$tmp/old/given.mdb" >/dev/null || fail "a file in a read-only folder is not checked"
echo "installed package: 1 passed, 0 failed"
