#!/usr/bin/env bash
# Sets up what the web build needs: Emscripten, Chromium and the browser tests'
# Node.js packages, and the C libraries the game links (zlib, libpng, libogg,
# libvorbis, FreeType, SDL2 with its Emscripten backend), each compiled with
# Emscripten from Debian's source package into a cache outside the checkout.
#   scripts/web/deps.sh [--pthread]
# The last line printed is the libraries' folder (include/, lib/, env.sh).
# --pthread builds them for a build with threads (shared memory); each variant
# has its own folder. A folder is reused while its key (source versions,
# compiler version, this recipe, the variant) still matches; nothing is
# downloaded at build time apart from Debian's packages and the npm lock.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

variant=st
case "${1:-}" in
  --pthread) variant=mt ;;
  "") ;;
  *) echo "usage: $0 [--pthread]" >&2; exit 2 ;;
esac

cache_root=${TIDE_WEB_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/tide_marker/web-deps}
source_packages=(zlib libpng1.6 libogg libvorbis freetype libsdl2)
debian_packages=(emscripten chromium dpkg-dev cmake make xz-utils)
# The machine's own Node.js (with npm) is used when there is one; Debian's otherwise.
command -v npm >/dev/null 2>&1 || debian_packages+=(nodejs npm)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 "$@"; }

# apt-get source needs source entries: the same mirrors and suites as the
# binary entries, written beside them.
has_source_entries() {
  grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/
}
add_source_entries() {
  local deb822=/etc/apt/sources.list.d/debian.sources
  local out=/etc/apt/sources.list.d/tide-web-src
  if [ -f "$deb822" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$deb822" | $sudo tee "$out.sources" >/dev/null
  else
    grep -hs '^deb \(http\|\[\)' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $sudo tee "$out.list" >/dev/null
  fi
}

missing=()
for p in "${debian_packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || ! has_source_entries; then
  has_source_entries || add_source_entries
  echo "deps: apt-get update; installing: ${missing[*]:-(none)}" >&2
  apt_get update -qq
  [ ${#missing[@]} -eq 0 ] || apt_get install -y --no-install-recommends "${missing[@]}"
fi

# The browser tests' driver, pinned by the lock file; it never downloads a browser.
web_tests=$root/tests/web
if ! (cd "$web_tests" && npm ls --silent >/dev/null 2>&1); then
  echo "deps: npm ci in tests/web" >&2
  (cd "$web_tests" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund >&2)
fi

# Emscripten's compiler scripts need Debian's JavaScript modules (acorn) even
# when another Node.js comes first on PATH. Debian's Python runs them: a
# python3 shim first on PATH (pyenv) costs a few shell scripts per compiler
# call, and configure checks make hundreds of calls.
export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3

newest_version() {
  apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -rV | head -n 1
}
recipe_key() {
  {
    for pkg in "${source_packages[@]}"; do echo "$pkg $(newest_version "$pkg")"; done
    emcc --version 2>/dev/null | sed -n 1p
    echo "$variant"
    # The recipe without its comments: rewording one rebuilds nothing.
    grep -v '^ *#' "$0"
  } | sha256sum | cut -c1-16
}

key=$(recipe_key)
prefix=$cache_root/$variant-$key
if [ -f "$prefix/complete" ]; then
  echo "$prefix"
  exit 0
fi

# Downloads are kept beside the builds, so a new recipe reuses them.
fetch_source() {
  local pkg=$1 version dsc
  mkdir -p "$cache_root/sources"
  cd "$cache_root/sources"
  # The newest version first; a mirror that lacks its files gets the next one.
  for version in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV); do
    dsc=${pkg}_${version#*:}.dsc
    if [ -f "$dsc" ] || apt-get source -qq --download-only "$pkg=$version" >/dev/null 2>&1; then
      echo "$cache_root/sources/$dsc"
      return 0
    fi
  done
  echo "deps: no source for $pkg" >&2
  return 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tide-web-deps.XXXXXX")
staging=$cache_root/.staging-$variant-$key-$$
trap 'rm -rf "$work" "$staging"' EXIT
rm -rf "$staging"
mkdir -p "$staging/include" "$staging/lib" "$staging/share/licenses"

# Threads need every object compiled for shared memory.
threads_flag=""
[ "$variant" = mt ] && threads_flag="-pthread"
cflags="-O2 -DNDEBUG $threads_flag"
jobs=2

unpack() {
  local pkg=$1 dsc
  dsc=$(fetch_source "$pkg")
  dpkg-source --no-check -x "$dsc" "$work/$pkg" >/dev/null
  mkdir -p "$staging/share/licenses/$pkg"
  cp "$work/$pkg/debian/copyright" "$staging/share/licenses/$pkg/"
  basename "$dsc" .dsc | sed 's/_/ /' >>"$staging/versions.txt"
}

cmake_build() {
  local pkg=$1
  shift
  # Not emcmake: it runs configure-time test programs (type sizes) with
  # "node --experimental-wasm-threads", a flag Node.js 20 rejects (exit 9).
  # And this Emscripten's loader fetch()es the .wasm when fetch exists, which
  # fails on a file path under Node.js 18+; without fetch it reads the file.
  nice -n 10 cmake -S "$work/$pkg" -B "$work/$pkg-build" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" \
    -DCMAKE_PREFIX_PATH="$staging" -DCMAKE_FIND_ROOT_PATH="$staging" \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="$threads_flag" \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" "$@" >"$work/$pkg.log" 2>&1 ||
    { tail -n 40 "$work/$pkg.log" >&2; return 1; }
  nice -n 10 cmake --build "$work/$pkg-build" -j"$jobs" >>"$work/$pkg.log" 2>&1 ||
    { tail -n 40 "$work/$pkg.log" >&2; return 1; }
  cmake --install "$work/$pkg-build" >>"$work/$pkg.log" 2>&1
}

build_zlib() {
  unpack zlib
  (cd "$work/zlib" && CFLAGS="$cflags" nice -n 10 emconfigure ./configure --static \
      --prefix="$staging" && nice -n 10 emmake make -j"$jobs" libz.a &&
    emmake make install) >"$work/zlib.log" 2>&1 || { tail -n 40 "$work/zlib.log" >&2; return 1; }
}

build_libpng() {
  unpack libpng1.6
  # No SIMD paths: the target is plain WebAssembly.
  cmake_build libpng1.6 -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DSKIP_INSTALL_PROGRAMS=ON \
    -DZLIB_INCLUDE_DIR="$staging/include" -DZLIB_LIBRARY="$staging/lib/libz.a"
}

build_ogg() {
  unpack libogg
  cmake_build libogg -DINSTALL_DOCS=OFF
}

build_vorbis() {
  unpack libvorbis
  cmake_build libvorbis -DOGG_INCLUDE_DIR="$staging/include" \
    -DOGG_LIBRARY="$staging/lib/libogg.a"
}

build_freetype() {
  unpack freetype
  # Only the core rasteriser: no optional codecs or shaping.
  cmake_build freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

build_sdl2() {
  unpack libsdl2
  local threads=OFF
  [ "$variant" = mt ] && threads=ON
  cmake_build libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_THREADS="$threads" -DSDL_PTHREADS="$threads"
}

started=$(date +%s)
for step in zlib libpng ogg vorbis freetype sdl2; do
  echo "deps: building $step ($variant)" >&2
  "build_$step"
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
echo "$prefix"
