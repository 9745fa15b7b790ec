#!/usr/bin/env bash
# Installs what building, running and testing Merivex needs, from Debian's
# packages only. Does nothing when everything is there already; --list prints
# the packages instead.
set -euo pipefail
# Qt Charts needs Qt's OpenGL CMake package, which Debian ships apart from
# qt6-base-dev in libqt6opengl6-dev and which qt6-charts-dev does not pull in.
# clang's build of the fuzz targets archives with llvm's ar.
# openbox, dbus-x11, x11-utils, at-spi2-core, python3-pyatspi and procps: the
# real-window tests run under a window manager with the accessibility bus, read
# the windows' X properties and stop every process they started.
# lintian, appstream and desktop-file-utils check the package and what it installs.
# orca, speech-dispatcher, speech-dispatcher-espeak-ng and espeak-ng: the
# screen-reader test listens to what Orca says.
# The report's fonts: DejaVu Sans for Latin, Greek, Hebrew and Arabic,
# WenQuanYi Micro Hei (TrueType outlines, which PDFs embed) for Chinese,
# Japanese and Korean; poppler-utils reads the reports back in the tests.
# debootstrap makes the other release's root for tools/test-on.sh.
# nodejs and npm run the FHIR validator of the tests (tests/fhir), installed
# from the npm registry by npm ci as its lockfile pins it.
# What the releases name differently is chosen here, by /etc/os-release.
codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
case $codename in
    bookworm) clang_runtime=libclang-rt-14-dev ;;
    trixie) clang_runtime=libclang-rt-19-dev ;;
    *)
        echo "setup.sh: Debian '${codename:-unknown}' is not a release Merivex supports" \
            "(Debian 12 bookworm or 13 trixie); see /etc/os-release" >&2
        exit 1
        ;;
esac
packages=(cmake g++ make pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
          libgl-dev libsqlcipher-dev libssl-dev sqlcipher fonts-liberation
          fonts-urw-base35 xvfb xauth xdotool x11-apps x11-utils imagemagick clang
          "$clang_runtime" llvm dpkg-dev openbox dbus-x11 at-spi2-core python3-pyatspi
          procps lintian appstream desktop-file-utils orca speech-dispatcher
          speech-dispatcher-espeak-ng espeak-ng fonts-dejavu-core fonts-wqy-microhei
          poppler-utils debootstrap nodejs)
# Debian's nodejs leaves npm to a package of its own; a nodejs from elsewhere
# (NodeSource's) carries npm itself and conflicts with Debian's npm.
if ! dpkg-query -S /usr/bin/npm 2>/dev/null | grep -q '^nodejs:'; then
    packages+=(npm)
fi
if [ "${1:-}" = --list ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The FHIR validator, again only when its lockfile changed since the last
# install.
fhir=$(cd "$(dirname "$0")/../tests/fhir" && pwd)
if ! cmp -s "$fhir/package-lock.json" "$fhir/node_modules/.installed-lock.json"; then
    echo "Installing the FHIR validator (npm ci in $fhir)"
    (cd "$fhir" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$fhir/package-lock.json" "$fhir/node_modules/.installed-lock.json"
fi
