#!/usr/bin/env bash
# Runs the test suite (or COMMAND) on another Debian release, in a root of
# that release made from Debian's packages, with this checkout bound in at
# the same path. Builds go to build-RELEASE/ in the checkout.
#
#   tools/test-on.sh trixie                 # set up, build, every ctest test
#   tools/test-on.sh trixie -- CMD ARGS...  # any command, from the checkout
#
# The root is kept between runs in $MERIVEX_ROOTS/RELEASE (by default
# /var/cache/merivex/roots/trixie), outside any clone, and made afresh with
# debootstrap where it is missing. Needs root.
set -euo pipefail
checkout=$(cd "$(dirname "$0")/.." && pwd)
release=${1:?usage: tools/test-on.sh RELEASE [-- COMMAND...]}
shift
[ "${1:-}" != -- ] || shift
case $release in
    12 | bookworm) release=bookworm ;;
    13 | trixie) release=trixie ;;
    *) echo "test-on: unknown release '$release' (bookworm/12 or trixie/13)" >&2; exit 2 ;;
esac
[ "$(id -u)" = 0 ] || { echo "test-on: needs root (debootstrap, mount, chroot)" >&2; exit 2; }
mirror=${MERIVEX_MIRROR:-http://deb.debian.org/debian}
roots=${MERIVEX_ROOTS:-/var/cache/merivex/roots}
root=$roots/$release
mkdir -p "$roots"

# One run per root at a time: a second would share its mounts and its dpkg.
exec 9>"$root.lock"
flock 9

if [ ! -e "$root/.merivex-root" ]; then
    echo "test-on: making a $release root in $root from $mirror"
    rm -rf "$root" "$root.tmp"
    if ! debootstrap --variant=minbase --include=ca-certificates "$release" "$root.tmp" \
        "$mirror" >"$roots/$release-debootstrap.log" 2>&1; then
        tail -n 5 "$roots/$release-debootstrap.log" >&2
        echo "test-on: debootstrap of $release from $mirror failed; is the mirror reachable?" \
            "(log: $roots/$release-debootstrap.log)" >&2
        rm -rf "$root.tmp"
        exit 1
    fi
    cat >"$root.tmp/etc/apt/sources.list" <<EOF
deb $mirror $release main
deb $mirror $release-updates main
deb ${mirror%/debian}/debian-security $release-security main
EOF
    # Services a package installs are not started inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$root.tmp/usr/sbin/policy-rc.d"
    chmod 755 "$root.tmp/usr/sbin/policy-rc.d"
    touch "$root.tmp/.merivex-root"
    mv "$root.tmp" "$root"
fi

mounts=()
unmount_all()
{
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" 2>/dev/null || true
    done
}
trap unmount_all EXIT
trap 'exit 1' TERM INT HUP
bind()
{
    mkdir -p "${@: -1}"
    mount "$@"
    mounts+=("${@: -1}")
}
bind -t proc proc "$root/proc"
bind -t sysfs sys "$root/sys"
bind --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
bind --bind "$checkout" "$root$checkout"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

if (($#)); then
    command=$(printf '%q ' "$@")
else
    command="MERIVEX_SUITE_ONLY=1 tools/test.sh"
fi
echo "test-on: $release: $command"
chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 CI="${CI:-}" \
    MERIVEX_BUILD_DIR="$checkout/build-$release" \
    /bin/bash -c "cd '$checkout' && $command"
