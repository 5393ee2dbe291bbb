#!/usr/bin/env bash
# Builds the game for 64-bit Windows with MinGW-w64 and packs what a Windows
# user gets:
#   build-windows/dist/                          tide_marker.exe, OpenAL32.dll,
#                                                contents\, licenses\
#   build-windows/tide_marker-<version>-win64.zip        the same folder zipped
#   build-windows/tide_marker-<version>-win64-setup.exe  the installer
#
#   scripts/windows/build.sh [--tests]
#
# --tests also builds the Windows test programs (scripts/windows/test.sh runs
# them under Wine). The pictures and sounds come from the native build in
# $TIDE_NATIVE_BUILD (default: build/), whose contents target is built here
# when needed; its icons become the .exe's. TIDE_CONTENTS_FROM=DIR takes the
# contents folder of a native build that is already built instead (its icons
# and probe beside it), building nothing there. Installs its Debian
# packages; a second run rebuilds only what changed. TIDE_WINDOWS_BUILD
# names another build folder.
set -euo pipefail

main() {
  local root native build prefix tests=OFF
  root=$(cd "$(dirname "$0")/../.." && pwd)
  # shellcheck source=../lib/debian_sources.sh
  . "$root/scripts/lib/debian_sources.sh"
  case "${1:-}" in
    --tests) tests=ON ;;
    "") ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
  native=${TIDE_NATIVE_BUILD:-$root/build}
  build=${TIDE_WINDOWS_BUILD:-$root/build-windows}

  "$root/scripts/install_deps.sh" play >&2
  debian_install_packages nsis googletest
  prefix=$("$root/scripts/windows/deps.sh" | tail -n 1)

  local contents=${TIDE_CONTENTS_FROM:-}
  if [ -z "$contents" ]; then
    echo "windows: the contents and icons, from the native build in $native" >&2
    if [ ! -f "$native/CMakeCache.txt" ]; then
      cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING="$tests" >/dev/null
    fi
    local native_targets=(contents)
    # The whole-program tests read the screen with the native build's probe.
    [ "$tests" = ON ] && native_targets+=(e2e_probe)
    nice -n 10 cmake --build "$native" --target "${native_targets[@]}" -j2 >/dev/null
    contents=$native/contents
  fi

  echo "windows: building in $build" >&2
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DTIDE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$tests" \
    -DTIDE_CONTENTS_FROM="$(cd "$contents" && pwd -P)" >/dev/null
  nice -n 10 cmake --build "$build" -j2 >/dev/null

  rm -rf "$build/dist"
  cmake --install "$build" --prefix "$build/dist" --strip >/dev/null
  check_imports "$build/dist"
  (cd "$build" && cpack -G ZIP >/dev/null && cpack -G NSIS >/dev/null)
  rm -rf "$build/_CPack_Packages"
  ls "$build"/tide_marker-*-win64.zip "$build"/tide_marker-*-win64-setup.exe
}

# Every DLL a shipped program or DLL imports is Windows' own or shipped beside it.
check_imports() {
  local dist=$1 file dll bad=0
  local system=(advapi32.dll avrt.dll cfgmgr32.dll dinput8.dll dsound.dll gdi32.dll hid.dll imm32.dll
                kernel32.dll msvcrt.dll ole32.dll oleaut32.dll opengl32.dll setupapi.dll shell32.dll
                shlwapi.dll user32.dll version.dll winmm.dll)
  for file in "$dist"/*.exe "$dist"/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
      [[ " ${system[*]} " == *" $dll "* ]] && continue
      [ -f "$dist/$dll" ] || [ -n "$(find "$dist" -maxdepth 1 -iname "$dll")" ] && continue
      echo "windows: $(basename "$file") imports $dll, which is neither Windows' nor shipped" >&2
      bad=1
    done
  done
  return $bad
}

main "$@"; exit
