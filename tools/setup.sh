#!/usr/bin/env bash
# Installs what building, running and testing Merivex needs, from Debian's
# packages only. Does nothing when everything is there already.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev qt6-charts-dev libgl-dev
          libsqlcipher-dev libssl-dev sqlcipher fonts-liberation fonts-urw-base35
          xvfb xauth xdotool x11-apps imagemagick clang libclang-rt-14-dev
          dpkg-dev)
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
