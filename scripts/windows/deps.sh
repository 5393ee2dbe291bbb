#!/usr/bin/env bash
# Builds the game's libraries for 64-bit Windows with the MinGW-w64 toolchain into a cache
# outside any build tree: every library from Debian's source package of the very version
# the Linux build uses, except OpenAL Soft (below). Prints the install prefix on standard output (progress goes to stderr):
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
# OpenAL Soft (LGPL) is a DLL, bin/OpenAL32.dll, built from the upstream 1.24.2 tarball
# that Debian's trixie suite lists (bookworm's mirror no longer serves the files of the
# Linux build's 1.19.1), fetched through apt and checked against the index's SHA256; the
# tarball is kept beside its licence. Every library's licence texts are under
# <prefix>/licenses/<source package>/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root_dir=$(cd "$here/../.." && pwd)
# shellcheck source=../lib/debian_sources.sh
. "$root_dir/scripts/lib/debian_sources.sh"
toolchain=$root_dir/cmake/mingw-w64-x86_64.cmake
triplet=x86_64-w64-mingw32

# The Linux build's -dev packages; each one's source package is what gets cross-built.
dev_packages=(zlib1g-dev libpng-dev libogg-dev libvorbis-dev libfreetype-dev libglew-dev
              libsdl2-dev)
tool_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
               mingw-w64-x86-64-dev wine64 wine cmake make pkg-config dpkg-dev xz-utils bzip2)
# OpenAL Soft for Windows: the suite that lists it and its upstream tarball.
readonly kOpenalSuite=trixie
readonly kOpenalVersion=1.24.2
readonly kOpenalTarball=openal-soft_${kOpenalVersion}.orig.tar.gz

log() { echo "windows-deps: $*" >&2; }
fail() { log "error: $*"; exit 1; }

# ---------------------------------------------------------------------------------------
# Packages of the host

install_packages() {
  debian_install_packages "${tool_packages[@]}" "${dev_packages[@]}"
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
  echo "openal-soft $kOpenalVersion from $kOpenalSuite"
  echo "toolchain $(sha256sum "$toolchain" | cut -c1-16)"
}

# ---------------------------------------------------------------------------------------
# Sources

# Downloads the source package of one -dev package into $sources_dir and prints
# "<source package> <version>".
fetch_source() {
  local dev=$1 src dsc
  src=$(dpkg-query -W -f '${source:Package}' "$dev")
  mapfile -t versions < <(debian_source_versions_of "$dev")
  dsc=$(debian_fetch_source "$sources_dir" "$src" "${versions[@]}") || fail "no source of $src"
  dsc=$(basename "$dsc" .dsc)
  echo "$src ${dsc#*_}"
}

# ---------------------------------------------------------------------------------------
# Builds, one function per source package, each run in its unpacked source folder.

cmake_build() {
  local src=$1; shift
  debian_cmake_build "$src" "$src/_build" "$prefix" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTIDE_WINDOWS_PREFIX="$prefix" "$@"
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
  # A DLL (LGPL; a static library would need CMake 3.26) that carries the compiler's
  # runtime inside, so that it imports only Windows' own DLLs. Windows' own backends and
  # the wave-file writer the tests capture through; nothing looked up on the host.
  cmake_build . -DLIBTYPE=SHARED -DALSOFT_STATIC_LIBGCC=ON -DALSOFT_STATIC_STDCXX=ON \
    -DALSOFT_STATIC_WINPTHREAD=ON -DALSOFT_UTILS=OFF -DALSOFT_NO_CONFIG_UTIL=ON \
    -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF -DALSOFT_INSTALL_CONFIG=OFF \
    -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF \
    -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF \
    -DALSOFT_BACKEND_WINMM=ON -DALSOFT_BACKEND_DSOUND=ON -DALSOFT_BACKEND_WASAPI=ON \
    -DALSOFT_BACKEND_WAVE=ON -DALSOFT_BACKEND_SDL2=OFF -DALSOFT_BACKEND_PORTAUDIO=OFF \
    -DALSOFT_BACKEND_PIPEWIRE=OFF -DALSOFT_BACKEND_PULSEAUDIO=OFF -DALSOFT_BACKEND_JACK=OFF
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
    openal-soft) echo COPYING LICENSE-pffft ;;
  esac
}

collect_licences() {
  local src=$1 dir=$prefix/licenses/$1
  # shellcheck disable=SC2046
  debian_collect_licences . "$dir" $(licence_files "$src")
  [ -f "$dir/copyright" ] || [ "$src" = openal-soft ] || fail "$src has no debian/copyright"
  # LGPL: the library is shipped together with the source it was built from.
  if [ "$src" = openal-soft ]; then
    mkdir -p "$dir/source"
    cp "$sources_dir/$kOpenalTarball" "$dir/source/"
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
key=$(echo "$inputs" | debian_cache_key "$0" "$root_dir/scripts/lib/debian_sources.sh")
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

debian_ensure_source_entries
echo "$inputs" >"$prefix/manifest.txt"
# Every source is fetched first, so that one the mirror lacks stops the run before any build.
sources=()
for dev in "${dev_packages[@]}"; do
  line=$(fetch_source "$dev") || exit 1
  sources+=("$line")
  echo "source $line" >>"$prefix/manifest.txt"
done
debian_fetch_suite_file "$sources_dir" "$kOpenalSuite" openal-soft "$kOpenalTarball" >/dev/null ||
  fail "could not fetch $kOpenalTarball as the $kOpenalSuite Sources index lists it"
sources+=("openal-soft $kOpenalVersion")
echo "source openal-soft $kOpenalVersion (upstream tarball listed by $kOpenalSuite)" \
  >>"$prefix/manifest.txt"
# Dependency order: libpng needs zlib, libvorbis needs libogg.
for line in "${sources[@]}"; do
  read -r src version <<<"$line"
  unpacked=$scratch/$src
  if [ "$src" = openal-soft ]; then
    mkdir -p "$unpacked"
    tar -xzf "$sources_dir/$kOpenalTarball" -C "$unpacked" --strip-components=1
  else
    dpkg-source --no-check -x "$sources_dir/${src}_${version#*:}.dsc" "$unpacked" \
      >"$scratch/$src.log" 2>&1 || fail "unpacking $src failed: $scratch/$src.log"
  fi
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
