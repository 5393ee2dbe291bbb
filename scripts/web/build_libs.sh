#!/usr/bin/env bash
# Builds the web build's C libraries with Emscripten from Debian's source
# packages (Debian's patches applied) into one folder, then marks it complete.
# Called by deps.sh, which installs the tools and chooses the folder.
#   scripts/web/build_libs.sh st|mt PREFIX PACKAGE...
# Emscripten's own "ports" are never used: they download while building.
set -euo pipefail

readonly kJobs=2
# shellcheck source=../lib/debian_sources.sh
. "$(dirname "$0")/../lib/debian_sources.sh"
readonly kToolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake

main() {
  variant=$1
  prefix=$2
  shift 2
  cache_root=$(dirname "$prefix")
  work=$(mktemp -d "${TMPDIR:-/tmp}/tide-web-deps.XXXXXX")
  # Built beside the final folder and moved in whole: a run that stops halfway
  # leaves nothing that looks complete, and two runs never share a folder.
  staging=$cache_root/.staging-$(basename "$prefix")-$$
  trap 'rm -rf "$work" "$staging"' EXIT
  rm -rf "$staging"
  mkdir -p "$staging/include" "$staging/lib" "$staging/share/licenses"
  # Threads need every object compiled for shared memory.
  threads_flag=""
  [ "$variant" = mt ] && threads_flag="-pthread"

  local started pkg f
  started=$(date +%s)
  for pkg in "$@"; do
    echo "deps: building $pkg ($variant)" >&2
    unpack "$pkg"
    "build_$pkg"
  done

  cat >"$staging/env.sh" <<ENV
# Sourced by the web build: where these libraries are and how emcc must run.
export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3
export TIDE_WEB_PREFIX="$prefix"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
ENV
  # pkg-config files and CMake packages name the folder they were built in.
  grep -rlIF "$staging" "$staging" | while read -r f; do
    sed -i "s|$staging|$prefix|g" "$f"
  done
  echo "built in $(($(date +%s) - started)) s" >"$staging/complete"
  rm -rf "$prefix"
  mv "$staging" "$prefix"
  echo "deps: $(cat "$prefix/complete")" >&2
}

# Downloads are kept beside the builds, so a new recipe reuses them. The
# newest version first; a mirror that lacks its files gets the next one.
fetch_source() {
  debian_fetch_source "$cache_root/sources" "$1"
}

unpack() {
  local pkg=$1 dsc
  dsc=$(fetch_source "$pkg")
  # apt-get checked the files against the signed index already.
  dpkg-source --no-check -x "$dsc" "$work/$pkg" >/dev/null
  debian_collect_licences "$work/$pkg" "$staging/share/licenses/$pkg"
  basename "$dsc" .dsc | sed 's/_/ /' >>"$staging/versions.txt"
}

# Runs a step with its output in the package's log, shown only on failure.
logged() {
  local pkg=$1
  shift
  "$@" >>"$work/$pkg.log" 2>&1 || { tail -n 40 "$work/$pkg.log" >&2; return 1; }
}

cmake_build() {
  local pkg=$1
  shift
  # Not emcmake: it runs configure-time test programs (type sizes) with
  # "node --experimental-wasm-threads", a flag Node.js 20 rejects (exit 9).
  # And this Emscripten's loader fetch()es the .wasm when fetch exists, which
  # fails on a file path under Node.js 18+; without fetch it reads the file.
  logged "$pkg" nice -n 10 cmake -S "$work/$pkg" -B "$work/$pkg-build" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$kToolchain" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" \
    -DCMAKE_PREFIX_PATH="$staging" -DCMAKE_FIND_ROOT_PATH="$staging" \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="$threads_flag" \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" "$@"
  logged "$pkg" nice -n 10 cmake --build "$work/$pkg-build" -j"$kJobs"
  logged "$pkg" cmake --install "$work/$pkg-build"
}

build_zlib() {
  cd "$work/zlib"
  logged zlib env CFLAGS="-O2 -DNDEBUG $threads_flag" nice -n 10 emconfigure ./configure \
    --static --prefix="$staging"
  logged zlib nice -n 10 emmake make -j"$kJobs" libz.a
  logged zlib emmake make install
}

build_libpng1.6() {
  # No SIMD paths: the target is plain WebAssembly.
  cmake_build libpng1.6 -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DSKIP_INSTALL_PROGRAMS=ON \
    -DZLIB_INCLUDE_DIR="$staging/include" -DZLIB_LIBRARY="$staging/lib/libz.a"
}

build_libogg() {
  cmake_build libogg -DINSTALL_DOCS=OFF
}

build_libvorbis() {
  cmake_build libvorbis -DOGG_INCLUDE_DIR="$staging/include" \
    -DOGG_LIBRARY="$staging/lib/libogg.a"
}

build_freetype() {
  # Only the core rasteriser: no optional codecs or shaping. Its gzip reader
  # uses the zlib built above: without one, FreeType compiles a copy of zlib
  # into itself whose symbols clash with the real one when the game links.
  cmake_build freetype -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DZLIB_INCLUDE_DIR="$staging/include" -DZLIB_LIBRARY="$staging/lib/libz.a"
}

build_libsdl2() {
  local threads=OFF
  [ "$variant" = mt ] && threads=ON
  cmake_build libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_THREADS="$threads" -DSDL_PTHREADS="$threads"
}

main "$@"; exit
