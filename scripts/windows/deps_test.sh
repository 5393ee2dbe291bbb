#!/usr/bin/env bash
# Checks the Windows libraries that deps.sh builds: its key follows its inputs and not the
# checkout's place, a second run reuses the cache, the prefix holds every library and
# licence, and a probe program that finds the libraries as the game's CMakeLists does links,
# imports only Windows' own DLLs and OpenAL32.dll, and under Wine on Xvfb reports the
# versions the cache was built from and plays a tone into OpenAL Soft's wave writer.
#
#   scripts/windows/deps_test.sh
#
# A cold cache is built first (about 10 minutes on two cores); warm, the test takes about
# a minute. Ends with "N passed, N failed"; exits 1 when anything failed.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root_dir=$(cd "$here/../.." && pwd)
toolchain=$root_dir/cmake/mingw-w64-x86_64.cmake
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Windows' own DLLs a program of ours may import; anything else must ship beside it.
system_dlls="kernel32 user32 gdi32 msvcrt opengl32 advapi32 imm32 ole32 oleaut32 setupapi
             shell32 version winmm dinput8 dsound avrt shlwapi cfgmgr32 hid"

passed=0
failed=0
check() {
  local name=$1; shift
  if "$@"; then
    passed=$((passed + 1)); echo "ok: $name"
  else
    failed=$((failed + 1)); echo "FAILED: $name"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for p in xvfb xauth fonts-dejavu-core; do
  dpkg -s "$p" >/dev/null 2>&1 && continue
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends xvfb xauth fonts-dejavu-core
  break
done

# ---------------------------------------------------------------------------------------
# The key: the same for a copy elsewhere, another one when the recipe or toolchain changes.

key=$("$here/deps.sh" --key)
check "the key is stable" [ "$key" = "$("$here/deps.sh" --key)" ]

copy=$work/tree
mkdir -p "$copy/scripts/windows" "$copy/scripts/lib" "$copy/cmake"
cp "$here/deps.sh" "$copy/scripts/windows/"
cp "$root_dir/scripts/lib/debian_sources.sh" "$copy/scripts/lib/"
cp "$toolchain" "$copy/cmake/"
check "a copy of the checkout elsewhere has the same key" \
  [ "$("$copy/scripts/windows/deps.sh" --key)" = "$key" ]
echo "# changed" >>"$copy/cmake/mingw-w64-x86_64.cmake"
check "a changed toolchain file changes the key" \
  [ "$("$copy/scripts/windows/deps.sh" --key)" != "$key" ]
cp "$toolchain" "$copy/cmake/"
echo ": changed" >>"$copy/scripts/windows/deps.sh"
check "a changed recipe changes the key" \
  [ "$("$copy/scripts/windows/deps.sh" --key)" != "$key" ]

# ---------------------------------------------------------------------------------------
# The cache, built or found, then found again without work.

if ! prefix=$("$here/deps.sh"); then
  check "deps.sh builds the libraries" false
  finish
fi
check "the prefix is named by the key" [ "$(basename "$prefix")" = "$key" ]
stamp=$(stat -c %Y "$prefix/.complete")
check "a second run prints the same prefix" [ "$("$here/deps.sh")" = "$prefix" ]
check "a second run leaves the prefix as it was" [ "$(stat -c %Y "$prefix/.complete")" = "$stamp" ]

for f in lib/libz.a lib/libpng16.a lib/libogg.a lib/libvorbis.a lib/libvorbisfile.a \
         lib/libfreetype.a lib/libglew32.a lib/libSDL2.a lib/libOpenAL32.dll.a bin/OpenAL32.dll \
         include/AL/al.h include/GL/glew.h include/SDL2/SDL.h; do
  check "the prefix has $f" test -s "$prefix/$f"
done
for src in zlib libpng1.6 libogg libvorbis freetype glew libsdl2; do
  check "the licence texts of $src are collected" \
    test -s "$prefix/licenses/$src/copyright" -a "$(ls "$prefix/licenses/$src" | wc -l)" -ge 2
done
# OpenAL Soft comes from the upstream tarball, without Debian's copyright file.
check "the licence texts of openal-soft are collected" \
  test -s "$prefix/licenses/openal-soft/COPYING" -a -s "$prefix/licenses/openal-soft/LICENSE-pffft"
has_file() { compgen -G "$1" >/dev/null; }
check "OpenAL Soft's source is kept beside its licence" \
  has_file "$prefix/licenses/openal-soft/source/*.orig.tar.*"
sdl_flags=$(PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig pkg-config --cflags --libs sdl2)
check "SDL's flags leave the program's main alone" \
  bash -c '! grep -qE "SDL_main|SDL2main" <<<"$1"' _ "$sdl_flags"
check "SDL's flags carry its system libraries for static linking" grep -q -- -lwinmm <<<"$sdl_flags"

# Prints the DLLs a Windows binary imports, lower case, one a line.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'; }
imports_only() {
  local binary=$1 allowed=" $2 " dll
  for dll in $(imports "$binary"); do
    [[ $allowed == *" ${dll%.dll} "* ]] || { echo "  unexpected import: $dll"; return 1; }
  done
}
check "OpenAL32.dll imports only system DLLs" imports_only "$prefix/bin/OpenAL32.dll" \
  "$(echo $system_dlls)"

# ---------------------------------------------------------------------------------------
# The probe program.

build=$work/probe
if ! cmake -S "$here/deps_probe" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
       -DTIDE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release >"$work/probe.log" 2>&1 ||
   ! nice -n 10 make -C "$build" >>"$work/probe.log" 2>&1; then
  tail -n 20 "$work/probe.log"
  check "the probe configures and links against the prefix" false
  finish
fi
check "the probe configures and links against the prefix" true
check "the probe imports only system DLLs and OpenAL32.dll" imports_only \
  "$build/deps_probe.exe" "$(echo $system_dlls) openal32"
check "the probe is a windowed program (no console window when double-clicked)" \
  bash -c 'headers=$(x86_64-w64-mingw32-objdump -p "$1") && grep -q "Subsystem.*Windows GUI" <<<"$headers"' _ \
  "$build/deps_probe.exe"

if ! command -v wine >/dev/null; then
  echo "wine is missing: the probe was not run"
  finish
fi
cp "$prefix/bin/OpenAL32.dll" "$build/"
export WINEPREFIX=$work/wine WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
# A new prefix sets itself up in the background on first use, and windows created meanwhile
# can fail: set it up first and wait until its server has quit.
wine wineboot --init >/dev/null 2>&1
wineserver -w
wav=$work/tone.wav
# OpenAL Soft's wave writer, 16-bit stereo: the mix goes to a file instead of a device.
printf '[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n[wave]\nfile = %s\n' \
  "$(wine winepath -w "$wav" 2>/dev/null | tr -d '\r')" >"$work/alsoft.ini"
ALSOFT_CONF=$(wine winepath -w "$work/alsoft.ini" 2>/dev/null | tr -d '\r') \
  timeout 120 xvfb-run -a -s "-noreset" wine "$build/deps_probe.exe" \
  "$(wine winepath -w "$font" 2>/dev/null | tr -d '\r')" >"$work/probe.out" 2>"$work/probe.err"
status=$?
sed 's/^/  /' "$work/probe.out"
check "the probe exits 0 under Wine" [ "$status" -eq 0 ]

# Each library reports the upstream version of the source package it was built from.
upstream() {
  local v
  v=$(sed -n "s/^source $1 \([^ ]*\).*/\1/p" "$prefix/manifest.txt")
  v=${v#*:}; v=${v%-*}; v=${v%+dfsg}; echo "${v%.dfsg}"
}
reports() { [ -n "$2" ] && grep -q "^$1: .*$2" "$work/probe.out"; }
while read -r label src; do
  check "$label reports the version of Debian's $src" reports "$label" "$(upstream "$src")"
done <<'TABLE'
SDL libsdl2
GLEW glew
zlib zlib
libpng libpng1.6
FreeType freetype
vorbis libvorbis
OpenAL openal-soft
TABLE

# The tone is in the wave file: at least 0.2 s of stereo samples, loud ones among them.
data_at=$(grep -m 1 -obUaP 'data' "$wav" 2>/dev/null | cut -d: -f1)
if [ -n "$data_at" ]; then
  read -r count peak < <(od -An -v -t d2 -j $((data_at + 8)) "$wav" |
    awk '{ for (i = 1; i <= NF; i++) { n++; a = $i < 0 ? -$i : $i; if (a > m) m = a } }
         END { print n + 0, m + 0 }')
else
  count=0 peak=0
fi
check "OpenAL Soft wrote the tone to its wave file (samples $count, peak $peak)" \
  [ "$count" -ge $((44100 * 2 / 5)) -a "$peak" -ge 6000 ]

finish
