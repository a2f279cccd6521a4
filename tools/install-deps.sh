#!/usr/bin/env bash
# Installs, as root on Debian 12, every package the build and the tests need.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev libbenchmark-dev
    fonts-liberation
    libreoffice-calc libreoffice-dev
    xvfb xauth libx11-dev libxfixes-dev
    dpkg-dev file
    lintian desktop-file-utils appstream devscripts
    libxlsxwriter-dev libminizip-dev zlib1g-dev parallel
    clang libclang-rt-14-dev clang-tidy
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # With their recommended packages, as the machines the suite is tried on
    # have them (the Qt and LibreOffice plugins among them).
    apt-get install -y -qq "${missing[@]}"
fi
