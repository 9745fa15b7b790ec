#!/bin/sh
# Makes the .tar.gz and the .deb and checks that both lay out the same
# application folder, without a database that would replace the user's.
# Usage: check_packages.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
tgz=$(ls "$tmp"/*.tar.gz)
deb=$(ls "$tmp"/*.deb)
tar tzf "$tgz" | sed 's|^\./||' | grep -v '/$' | sort >"$tmp/tgz.list"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort >"$tmp/deb.list"
cat >"$tmp/expected.list" <<'LIST'
opt/merivex/MerivexDemo
opt/merivex/merivex-db
opt/merivex/share/applications/merivex.desktop
opt/merivex/share/icons/hicolor/16x16/apps/merivex.png
opt/merivex/share/icons/hicolor/32x32/apps/merivex.png
LIST
diff "$tmp/expected.list" "$tmp/tgz.list" || fail "the archive's files differ"
diff "$tmp/expected.list" "$tmp/deb.list" || fail "the package's files differ"

mkdir "$tmp/x"
tar xzf "$tgz" -C "$tmp/x"
grep -qx 'Exec="/opt/merivex/MerivexDemo"' "$tmp/x/opt/merivex/share/applications/merivex.desktop" ||
    fail "the archive's desktop entry does not run /opt/merivex/MerivexDemo"
dpkg-deb -e "$deb" "$tmp/control"
grep -q 'merivex-db create /opt/merivex/Merivex.mdb' "$tmp/control/postinst" || fail "no postinst making the database"
grep -q '^Depends:.*libsqlcipher' "$tmp/control/control" || fail "the package does not depend on SQLCipher"
echo "packages: 1 passed, 0 failed"
