#!/usr/bin/env bash
# Installs what building, running and testing Nimbrel need on a Debian 12 machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(
  cmake make python3 git
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth x11-utils fonts-wine fonts-ipafont-gothic
  googletest ffmpeg imagemagick pulseaudio pulseaudio-utils
  xz-utils dpkg-dev nasm libz-mingw-w64-dev bc meson ninja-build pkg-config patch
  zip unzip xdotool
  clang libclang-rt-14-dev zlib1g-dev
  g++ libx11-dev libxext-dev libxdamage-dev libpulse-dev mpv
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# FFmpeg's libraries for the engine, built once and cached outside the work tree.
if [ -x "$here/build-ffmpeg.sh" ]; then
  "$here/build-ffmpeg.sh"
fi
