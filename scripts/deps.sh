#!/usr/bin/env bash
# Installs the packages the build and the program need; with "test", also those the tests need.
# Debian and Ubuntu (apt) are where Tamsel is built and tested, and where a name differs between
# them the one both know is used. Fedora (dnf) and Arch (pacman) get the same by their names
# there, untried: only the Debian lists are run by the tests.
set -euo pipefail
test=false
[ "${1:-}" = test ] && test=true
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

if command -v apt-get >/dev/null; then
  manager=apt
  build=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    libpulse-dev libsndfile1-dev libsamplerate0-dev libjpeg-dev libkissfft-dev
  )
  # What the program uses when it runs: the window's platform plugins, the mixer that
  # Option ▸ Volume opens, the font of the snapshots' Japanese text.
  run=(qt6-qpa-plugins pavucontrol fonts-noto-cjk)
  tests=(
    libgtest-dev libbenchmark-dev
    pulseaudio pulseaudio-utils xvfb xauth x11-apps imagemagick
    clang libclang-rt-14-dev
    locales
    dpkg-dev file appstream desktop-file-utils librsvg2-bin groff-base lintian
  )
elif command -v dnf >/dev/null; then
  manager=dnf
  # kissfft by what it provides, since its package's name has changed between releases.
  build=(
    gcc-c++ make cmake pkgconf-pkg-config
    qt6-qtbase-devel qt6-qtsvg-devel mesa-libGL-devel
    pulseaudio-libs-devel libsndfile-devel libsamplerate-devel libjpeg-turbo-devel 'pkgconfig(kissfft-float)'
  )
  run=(qt6-qtbase-gui pavucontrol google-noto-sans-cjk-fonts)
  tests=(
    gtest-devel google-benchmark-devel
    pulseaudio pulseaudio-utils xorg-x11-server-Xvfb xorg-x11-xauth xwd ImageMagick
    clang compiler-rt
    glibc-locale-source
    file appstream desktop-file-utils librsvg2-tools groff-base
  )
elif command -v pacman >/dev/null; then
  manager=pacman
  build=(
    base-devel cmake pkgconf
    qt6-base qt6-svg libglvnd
    libpulse libsndfile libsamplerate libjpeg-turbo kissfft
  )
  run=(pavucontrol noto-fonts-cjk)
  tests=(
    gtest benchmark
    pulseaudio xorg-server-xvfb xorg-xauth xorg-xwd imagemagick
    clang compiler-rt
    file appstream desktop-file-utils librsvg groff
  )
else
  echo "deps.sh: no apt-get, dnf or pacman here; install the packages listed in this script by hand" >&2
  exit 1
fi

packages=("${build[@]}" "${run[@]}")
$test && packages+=("${tests[@]}")
case $manager in
  apt)
    missing=()
    for p in "${packages[@]}"; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && exit 0
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
    ;;
  dnf) $sudo dnf install -y "${packages[@]}" ;;
  pacman) $sudo pacman -S --needed --noconfirm "${packages[@]}" ;;
esac
