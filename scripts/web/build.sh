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

  # The native tools link this machine's libraries: the native build runs
  # without the web prefix's variables (its pkg-config folder would hand
  # them the WebAssembly libraries), also when the caller's shell has them.
  echo "web: the contents, from the native build in $native" >&2
  if [ ! -f "$native/CMakeCache.txt" ]; then
    native_env cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  native_env nice -n 10 cmake --build "$native" --target contents -j2 >/dev/null

  # From here on only the web build runs.
  # shellcheck source=/dev/null
  source "$prefix/env.sh"
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

# Runs a command without the web libraries' variables.
native_env() {
  env -u PKG_CONFIG_LIBDIR -u TIDE_WEB_PREFIX "$@"
}

# On one line: bash reads a script as it runs, and an edit made meanwhile must
# not be read after main returns.
main "$@"; exit
