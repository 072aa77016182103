#!/usr/bin/env bash
# Installs everything Zoetrix needs to build, run and test, from Debian's packages.
# Safe to run again on a machine that already has them.
set -euo pipefail

PKGS=(
  build-essential cmake ninja-build pkg-config
  clang-format
  dpkg-dev
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  tcc
  gcc-mingw-w64-x86-64  # optional: "编译为 Windows 程序" (--windows)
  fonts-wqy-microhei
  libgif-dev libfreetype-dev zlib1g-dev
  # pictures and clips into frames: pixels to characters, and decoding
  libchafa-dev libglib2.0-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  gifsicle  # benchmark only: bench_gif reports the size after `gifsicle -O3`
  xvfb xauth
  xdg-utils
  librsvg2-bin
  qt6-translations-l10n
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: everything is already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
