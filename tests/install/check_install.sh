#!/bin/sh
# Installs the build into a temporary prefix, checks the application folder,
# installs again and checks that the database was kept, not remade.
# Usage: check_install.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/Merivex
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log"

for program in MerivexDemo merivex-db; do
    [ -x "$prefix/$program" ] || fail "$program is not an executable at the top of the prefix"
    if ldd "$prefix/$program" | grep -q 'not found'; then
        fail "$program needs a library that is not found"
    fi
done
db=$prefix/Merivex.mdb
[ -f "$db" ] || fail "no Merivex.mdb beside the executable"
[ "$(stat -c %a "$db")" = 600 ] || fail "Merivex.mdb is not private to its owner"
# The installed tool defaults to the database beside it.
"$prefix/merivex-db" check >"$tmp/check.log" || fail "check of the new database: $(cat "$tmp/check.log")"
grep -q "0 patients, 0 measurements" "$tmp/check.log" || fail "the new database is not empty"

# A portable folder keeps its data beside the programs: no marker, no /usr layout.
[ ! -e "$prefix/data-in-home" ] && [ ! -e "$prefix/lib" ] && [ ! -e "$prefix/bin" ] ||
    fail "the portable folder has parts of the system-wide layout"
entry=$prefix/share/applications/merivex.desktop
[ -f "$entry" ] || fail "no desktop entry"
grep -qx "Exec=\"$prefix/MerivexDemo\"" "$entry" || fail "desktop entry does not run the installed program"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$icon" ] || fail "desktop entry names a missing icon: $icon"
desktop-file-validate "$entry" || fail "desktop-file-validate"
for size in 16 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/merivex.png
    [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x$size" ] || fail "$png is not a $size x $size PNG"
done

# A second install replaces the programs but never the data.
before=$(sha256sum <"$db")
cmake --install "$build" --prefix "$prefix" >"$tmp/install2.log"
[ "$(sha256sum <"$db")" = "$before" ] || fail "a second install replaced Merivex.mdb"
grep -q "Kept: $db" "$tmp/install2.log" || fail "the second install did not say it kept the database"
# A prefix given relative to the current folder still gives absolute paths.
(cd "$tmp" && cmake --install "$build" --prefix relative >"$tmp/install3.log")
grep -qx "Exec=\"$(cd "$tmp/relative" && pwd -P)/MerivexDemo\"" "$tmp/relative/share/applications/merivex.desktop" ||
    fail "a relative prefix gives a desktop entry without an absolute path"
echo "install layout: 1 passed, 0 failed"
