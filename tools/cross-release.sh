#!/usr/bin/env bash
# The cross-release test: a file made and saved by the application on Debian
# 12 is checked, listed and saved on Debian 13 and back, and one made on 13
# goes to 12 and back (tests/system/cross_release.sh is one step). Runs on the
# machine's release and, through tools/test-on.sh, on the other; both builds
# must be there: build/ here, build-RELEASE/ for the other (the suite on that
# release makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
here_release=$(. /etc/os-release && echo "$VERSION_CODENAME")
case $here_release in
    bookworm) other=trixie ;;
    trixie) other=bookworm ;;
    *) echo "cross-release: unknown release '$here_release'" >&2; exit 2 ;;
esac
build=${MERIVEX_BUILD_DIR:-$root/build}
# Inside the checkout, which the other release's root sees at the same path.
work=$root/build-cross-release
rm -rf "$work"
mkdir -p "$work/from-$here_release" "$work/from-$other"
step=$root/tests/system/cross_release.sh
here() { LC_ALL=C.UTF-8 "$step" "$build" "$@"; }
there() { "$root/tools/test-on.sh" "$other" -- env LC_ALL=C.UTF-8 "$step" "$root/build-$other" "$@"; }

echo "A file made on $here_release, then $other, then $here_release:"
here "$work/from-$here_release" "Made Here"
there "$work/from-$here_release" "Saved There"
here "$work/from-$here_release" "Back Here"
echo "A file made on $other, then $here_release, then $other:"
there "$work/from-$other" "Made There"
here "$work/from-$other" "Saved Here"
there "$work/from-$other" "Back There"
echo "cross-release: passed"
