#!/usr/bin/env bash
# Builds the game's libraries for 64-bit Windows with the MinGW-w64 toolchain, from
# Debian's source packages of the very versions the Linux build uses, into a cache outside
# any build tree. Prints the install prefix on standard output (progress goes to stderr):
#
#   prefix=$(scripts/windows/deps.sh)
#   scripts/windows/deps.sh --key     only print the key of the prefix it would use
#
# The cache root is $TIDE_WINDOWS_DEPS, else $XDG_CACHE_HOME/tide_marker/windows-deps, else
# ~/.cache/tide_marker/windows-deps. Each prefix is named by a key over everything that
# shapes it (library versions, compiler versions, this script, the toolchain file), so a
# warm run only computes the key and finds the finished prefix.
#
# Static libraries: SDL2, GLEW, libpng, zlib, libogg, libvorbis(file), FreeType.
# OpenAL Soft (LGPL) is a DLL, bin/OpenAL32.dll, with its Debian source kept beside its
# licence. Every library's licence texts are under <prefix>/licenses/<source package>/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root_dir=$(cd "$here/../.." && pwd)
toolchain=$root_dir/cmake/mingw-w64-x86_64.cmake
triplet=x86_64-w64-mingw32

# The Linux build's -dev packages; each one's source package is what gets cross-built.
dev_packages=(zlib1g-dev libpng-dev libogg-dev libvorbis-dev libfreetype-dev libglew-dev
              libsdl2-dev libopenal-dev)
tool_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
               mingw-w64-x86-64-dev wine64 wine cmake make pkg-config dpkg-dev xz-utils bzip2)

log() { echo "windows-deps: $*" >&2; }
fail() { log "error: $*"; exit 1; }

# ---------------------------------------------------------------------------------------
# Packages of the host

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

install_packages() {
  local missing=() p
  for p in "${tool_packages[@]}" "${dev_packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends "${missing[@]}" >&2
}

# ---------------------------------------------------------------------------------------
# The key

package_version() { dpkg-query -W -f '${Version}' "$1"; }

key_inputs() {
  local p
  for p in "${dev_packages[@]}"; do
    echo "$p $(package_version "$p")"
  done
  echo "gcc-mingw-w64-x86-64-posix $(package_version gcc-mingw-w64-x86-64-posix)"
  echo "g++-mingw-w64-x86-64-posix $(package_version g++-mingw-w64-x86-64-posix)"
  echo "mingw-w64-x86-64-dev $(package_version mingw-w64-x86-64-dev)"
  echo "binutils-mingw-w64-x86-64 $(package_version binutils-mingw-w64-x86-64)"
  echo "recipe $(sha256sum "$0" | cut -c1-16)"
  echo "toolchain $(sha256sum "$toolchain" | cut -c1-16)"
}

# ---------------------------------------------------------------------------------------
# Debian sources

# apt-get source needs deb-src entries. When none exist, one file beside debian.sources
# mirrors its binary entries (same URIs, suites, components and key) as deb-src.
ensure_source_entries() {
  if ! apt-get indextargets --format '$(IDENTIFIER)' 2>/dev/null | grep -qx Sources; then
    local list=/etc/apt/sources.list.d/debian.sources
    local out=/etc/apt/sources.list.d/debian-src.sources
    if [ -f "$list" ]; then
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
           /(^|\n)Types:[^\n]*deb( |\n|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
        "$list" | $sudo tee "$out" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
      out=/etc/apt/sources.list.d/debian-src.list
      sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list | $sudo tee "$out" >/dev/null
    fi
    [ -s "$out" ] || fail "no Debian binary entries found to mirror as deb-src"
    log "added $out"
  fi
  if [ -z "$(apt-cache showsrc zlib 2>/dev/null)" ]; then
    $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq >&2
  fi
}

# Downloads the source package of one -dev package into $sources_dir and prints
# "<source package> <version>". The -dev package's own source version comes first; when
# the mirror no longer carries it, the newest other revision of the same upstream release.
fetch_source() {
  local dev=$1 src want upstream v tried=()
  src=$(dpkg-query -W -f '${source:Package}' "$dev")
  want=$(dpkg-query -W -f '${source:Version}' "$dev")
  upstream=$(upstream_of "$want")
  local candidates=("$want")
  while read -r v; do
    [ "$v" != "$want" ] && [ "$(upstream_of "$v")" = "$upstream" ] && candidates+=("$v")
  done < <(apt-cache showsrc --only-source "$src" 2>/dev/null | sed -n 's/^Version: //p' |
           sort -u | sort -r -V)
  local errors=""
  for v in "${candidates[@]}"; do
    tried+=("$v")
    if errors=$(cd "$sources_dir" && apt-get source --download-only -qq "$src=$v" 2>&1); then
      [ "$v" != "$want" ] && log "note: $src $want is not on the mirror; using $v"
      echo "$src $v"
      return 0
    fi
  done
  echo "$errors" | grep '^E:' >&2 || true
  fail "could not download the source of $src (tried ${tried[*]})"
}

# 1:1.2.13.dfsg-1 -> 1.2.13.dfsg
upstream_of() { local v=${1#*:}; echo "${v%-*}"; }

# ---------------------------------------------------------------------------------------
# Builds, one function per source package, each run in its unpacked source folder.

cmake_build() {
  local src=$1; shift
  cmake -S "$src" -B "$src/_build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTIDE_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@"
  nice -n 10 make -C "$src/_build" -j2
  make -C "$src/_build" install
}

build_zlib() {
  # Debian's zlib source leaves out the Windows makefiles; the library is these C files.
  local f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
           inflate inftrees trees uncompr zutil; do
    "$triplet-gcc-posix" -O2 -Wall -c "$f.c" -o "$f.o"
  done
  "$triplet-ar" rcs libz.a ./*.o
  install -D -m644 libz.a "$prefix/lib/libz.a"
  install -D -m644 -t "$prefix/include" zlib.h zconf.h
}

build_libpng1_6() {
  cmake_build . -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON -Dld-version-script=OFF
}

build_libogg() {
  cmake_build . -DINSTALL_DOCS=OFF
}

build_libvorbis() {
  cmake_build .
}

build_freetype() {
  # The game reads plain TrueType fonts: no compressed or colour fonts, no shaping. The
  # gzip reader goes too, since its own copy of zlib clashes with the real zlib at link time.
  sed -i 's|^#define FT_CONFIG_OPTION_USE_ZLIB$|/* #undef FT_CONFIG_OPTION_USE_ZLIB */|' \
    include/freetype/config/ftoption.h
  cmake_build . -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

build_glew() {
  # One C file. CMake's FindGLEW looks for MinGW's .a names only through a package
  # configuration, so one is written that also carries the GLEW_STATIC define.
  "$triplet-gcc-posix" -O2 -DGLEW_STATIC -DGLEW_NO_GLU -Iinclude -c src/glew.c -o glew.o
  "$triplet-ar" rcs libglew32.a glew.o
  install -D -m644 libglew32.a "$prefix/lib/libglew32.a"
  install -D -m644 -t "$prefix/include/GL" include/GL/glew.h include/GL/wglew.h
  mkdir -p "$prefix/lib/cmake/glew"
  cat >"$prefix/lib/cmake/glew/glew-config.cmake" <<'CONFIG'
# GLEW as a static library (MinGW-w64).
get_filename_component(_glew_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET GLEW::GLEW)
  add_library(GLEW::GLEW STATIC IMPORTED)
  set_target_properties(GLEW::GLEW PROPERTIES
    IMPORTED_CONFIGURATIONS RELEASE
    IMPORTED_LOCATION "${_glew_prefix}/lib/libglew32.a"
    IMPORTED_LOCATION_RELEASE "${_glew_prefix}/lib/libglew32.a"
    IMPORTED_LINK_INTERFACE_LIBRARIES_RELEASE opengl32
    INTERFACE_INCLUDE_DIRECTORIES "${_glew_prefix}/include"
    INTERFACE_COMPILE_DEFINITIONS GLEW_STATIC)
endif()
unset(_glew_prefix)
CONFIG
}

build_libsdl2() {
  cmake_build . -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_UNINSTALL=ON
}

build_openal_soft() {
  cmake_build . -DLIBTYPE=SHARED -DALSOFT_UTILS=OFF -DALSOFT_NO_CONFIG_UTIL=ON \
    -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF -DALSOFT_CONFIG=OFF -DALSOFT_HRTF_DEFS=OFF \
    -DALSOFT_AMBDEC_PRESETS=OFF -DALSOFT_EMBED_HRTF_DATA=OFF
}

# The upstream licence texts of each source package, and Debian's copyright file, which
# lists every file's licence.
licence_files() {
  case $1 in
    zlib) echo LICENSE ;;
    libpng1.6) echo LICENSE ;;
    libogg|libvorbis) echo COPYING ;;
    freetype) echo LICENSE.TXT docs/FTL.TXT docs/GPLv2.TXT ;;
    glew) echo LICENSE.txt ;;
    libsdl2) echo LICENSE.txt ;;
    openal-soft) echo COPYING ;;
  esac
}

collect_licences() {
  local src=$1 version=$2 dir=$prefix/licenses/$1 f
  mkdir -p "$dir"
  for f in $(licence_files "$src") debian/copyright; do
    [ -f "$f" ] || fail "$src has no $f"
    install -m644 "$f" "$dir/$(basename "$f")"
  done
  # LGPL: the library is shipped together with the source it was built from.
  if [ "$src" = openal-soft ]; then
    mkdir -p "$dir/source"
    cp "$sources_dir/${src}_${version#*:}.dsc" "$dir/source/"
    awk '/^Files:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $3 }' \
      "$sources_dir/${src}_${version#*:}.dsc" |
      while read -r f; do cp "$sources_dir/$f" "$dir/source/"; done
  fi
}

# Static users link everything a library needs: private requirements become public. SDL's
# renaming of main is left out, so the program keeps its own main: on Windows SDL works
# without its SDL_main entry point.
adjust_pkgconfig() {
  local pc
  for pc in "$prefix"/lib/pkgconfig/*.pc; do
    awk '
      /^Libs\.private:/     { sub(/^Libs\.private:[ ]*/, ""); libs = libs " " $0; next }
      /^Requires\.private:/ { sub(/^Requires\.private:[ ]*/, ""); reqs = reqs " " $0; next }
      { lines[++n] = $0 }
      END {
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^Libs:/) lines[i] = lines[i] libs
          if (lines[i] ~ /^Requires:/) { lines[i] = lines[i] reqs; has_reqs = 1 }
          print lines[i]
        }
        if (!has_reqs && reqs ~ /[^ ]/) print "Requires:" reqs
      }' "$pc" >"$pc.tmp"
    mv "$pc.tmp" "$pc"
  done
  sed -i -e 's/ *-Dmain=SDL_main//g' -e 's/ *-lSDL2main//g' "$prefix/lib/pkgconfig/sdl2.pc"
}

# ---------------------------------------------------------------------------------------

install_packages
command -v "$triplet-g++-posix" >/dev/null || fail "$triplet-g++-posix is missing"

cache_root=${TIDE_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/tide_marker/windows-deps}
mkdir -p "$cache_root"
inputs=$(key_inputs)
key=$(echo "$inputs" | sha256sum | cut -c1-16)
prefix=$cache_root/$key

if [ "${1:-}" = --key ]; then
  echo "$key"
  exit 0
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# One build at a time per cache root; a second caller waits, then finds it finished.
exec 9>"$cache_root/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

log "building into $prefix"
start=$SECONDS
sources_dir=$cache_root/sources
scratch=$cache_root/build-$key
rm -rf "$prefix" "$scratch"
mkdir -p "$prefix" "$scratch" "$sources_dir"

ensure_source_entries
echo "$inputs" >"$prefix/manifest.txt"
# Every source is fetched first, so that one the mirror lacks stops the run before any build.
sources=()
for dev in "${dev_packages[@]}"; do
  line=$(fetch_source "$dev") || exit 1
  sources+=("$line")
  echo "source $line" >>"$prefix/manifest.txt"
done
# Dependency order: libpng needs zlib, libvorbis needs libogg.
for line in "${sources[@]}"; do
  read -r src version <<<"$line"
  unpacked=$scratch/$src
  dpkg-source --no-check -x "$sources_dir/${src}_${version#*:}.dsc" "$unpacked" \
    >"$scratch/$src.log" 2>&1 || fail "unpacking $src failed: $scratch/$src.log"
  t0=$SECONDS
  # Run as a job: set -e then stops a recipe at its first failing command, which it would
  # not do inside the condition of an if.
  (cd "$unpacked" && "build_${src//[.-]/_}" && collect_licences "$src" "$version") \
    >>"$scratch/$src.log" 2>&1 &
  if ! wait $!; then
    tail -n 30 "$scratch/$src.log" >&2
    fail "building $src failed; the whole log is $scratch/$src.log"
  fi
  log "$src $version built in $((SECONDS - t0)) s"
done
adjust_pkgconfig
# Only libraries, headers, package files, the OpenAL DLL and the licences stay.
rm -rf "$prefix/share" "$prefix"/bin/*-config "$scratch"
touch "$prefix/.complete"
log "done in $((SECONDS - start)) s"
echo "$prefix"
