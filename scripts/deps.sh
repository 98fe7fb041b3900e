#!/usr/bin/env bash
# Installs the Debian packages the player needs to build and run; with --test, also what the
# tests need (X server, window manager, tray host, sound server, ffmpeg for fixtures).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

build_pkgs=(
  build-essential cmake pkg-config clang-format
  qt6-base-dev libgl-dev
  libmpv-dev libfluidsynth-dev timgm6mb-soundfont
  libcdio-dev libpulse-dev
  fonts-dejavu-core libx11-dev
)
test_pkgs=(
  xvfb xauth openbox trayer x11-utils xdotool imagemagick
  pulseaudio pulseaudio-utils ffmpeg
)
pkgs=("${build_pkgs[@]}")
[ "${1:-}" = "--test" ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
