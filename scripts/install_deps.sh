#!/usr/bin/env bash
# Installs the Debian packages one of two sets needs:
#   scripts/install_deps.sh play   building, installing and playing the game
#   scripts/install_deps.sh test   all of that, and the tests, benchmarks,
#                                  sanitizer and fuzz builds (the default)
# Does nothing when every package of the set is already installed.
set -euo pipefail

set_name=${1:-test}

play_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libglew-dev libpng-dev libvorbis-dev libogg-dev libopenal-dev libopenal1 libfreetype-dev
  libgl1-mesa-dri librsvg2-bin fonts-dejavu-core
)
test_packages=(
  clang libclang-rt-14-dev dpkg-dev file ccache
  libgtest-dev libbenchmark-dev
  libsfml-dev
  xvfb xauth xdotool x11-utils libxtst-dev openbox mesa-utils imagemagick
  vorbis-tools desktop-file-utils appstream pulseaudio pulseaudio-utils
)

case $set_name in
  play) packages=("${play_packages[@]}") ;;
  test) packages=("${play_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [play|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
# Several builds may share the machine: wait for apt's lock instead of failing.
$sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "${missing[@]}"
