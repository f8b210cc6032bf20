#!/usr/bin/env bash
# Installs the Debian packages the build and the program need; with "test", also those the tests
# need. Where Debian and Ubuntu name a package differently, the name both know is used.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libpulse-dev libsndfile1-dev libsamplerate0-dev libjpeg-dev libkissfft-dev
  fonts-noto-cjk
  pavucontrol
)
if [ "${1:-}" = test ]; then
  packages+=(
    libgtest-dev libbenchmark-dev
    pulseaudio pulseaudio-utils xvfb xauth x11-apps imagemagick
    clang libclang-rt-14-dev
    locales
    dpkg-dev file appstream desktop-file-utils librsvg2-bin groff-base
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
