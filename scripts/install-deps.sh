#!/usr/bin/env bash
# Installs everything Quorvex needs to build, run and test on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
packages=(
    build-essential cmake ninja-build pkg-config git
    clang clang-format libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libcups2-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    fonts-liberation fonts-dejavu-core
    xvfb xauth
    cups cups-daemon cups-client printer-driver-cups-pdf poppler-utils ghostscript util-linux
    librsvg2-bin dpkg-dev file
    desktop-file-utils shared-mime-info appstream libxml2-utils groff-base lintian
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
