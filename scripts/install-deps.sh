#!/usr/bin/env bash
# Installs every Debian package that building, playing and testing Kodoban needs.
# Quick and silent when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ninja-build ccache git
  clang libclang-rt-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libogg-dev libvorbis-dev
  libssl-dev libfontconfig-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-ipafont-gothic fonts-dejavu-core
  xvfb xauth x11-utils xdotool imagemagick python3
  libx11-dev libxtst-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
