#!/usr/bin/env bash
# Builds the web version into build-web/dist/: index.html (our page),
# tide_marker.js, tide_marker.wasm and tide_marker.data (every picture and
# sound, preloaded). The contents are the ones the native build generates
# (its tools run on this machine), so that build's contents target is made
# first. Also builds the tests that run under Node.js (ctest in build-web).
#   scripts/web/build.sh [--page-only]
# Installs what it needs (scripts/install_deps.sh play, scripts/web/deps.sh)
# and reuses everything already built. TIDE_NATIVE_BUILD and TIDE_WEB_BUILD
# choose the two build folders (build and build-web by default).
set -euo pipefail

readonly kToolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake

main() {
  local root native web prefix tests=ON
  root=$(cd "$(dirname "$0")/../.." && pwd)
  case "${1:-}" in
    --page-only) tests=OFF ;;
    "") ;;
    *) echo "usage: $0 [--page-only]" >&2; exit 2 ;;
  esac
  native=${TIDE_NATIVE_BUILD:-$root/build}
  web=${TIDE_WEB_BUILD:-$root/build-web}

  "$root/scripts/install_deps.sh" play
  prefix=$("$root/scripts/web/deps.sh" | tail -n 1)
  # shellcheck source=/dev/null
  source "$prefix/env.sh"

  echo "web: the contents, from the native build in $native" >&2
  if [ ! -f "$native/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  nice -n 10 cmake --build "$native" --target contents -j2 >/dev/null

  echo "web: compiling into $web" >&2
  # The toolchain file directly, not emcmake: see build_libs.sh. The test
  # programs run under Node.js without fetch(), which this Emscripten's
  # loader would try on a file path.
  cmake -S "$root" -B "$web" -DCMAKE_TOOLCHAIN_FILE="$kToolchain" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$tests" \
    -DTIDE_WEB_PREFIX="$prefix" -DTIDE_CONTENTS_FROM="$(cd "$native/contents" && pwd -P)" >/dev/null
  nice -n 10 cmake --build "$web" -j2
  echo "web: the page is in $web/dist (scripts/web/serve.sh serves it)" >&2
}

# On one line: bash reads a script as it runs, and an edit made meanwhile must
# not be read after main returns.
main "$@"; exit
