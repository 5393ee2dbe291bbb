#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need.
# Does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev dpkg-dev
  libsdl2-dev libglew-dev libpng-dev libvorbis-dev libogg-dev libopenal-dev libopenal1 libfreetype-dev
  libgtest-dev libbenchmark-dev
  libsfml-dev
  xvfb xauth xdotool x11-utils libxtst-dev openbox libgl1-mesa-dri mesa-utils imagemagick
  vorbis-tools librsvg2-bin fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
