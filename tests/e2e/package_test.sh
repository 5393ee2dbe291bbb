#!/usr/bin/env bash
# The Debian package as a user gets it: made by `cpack -G DEB` from the build
# folder (or the one named by $TIDE_PACKAGE), its Depends computed from the
# libraries the program links, its files where a desktop looks for them and
# valid for the desktop and AppStream checkers. Unpacked with dpkg-deb -x, the
# program runs from an empty folder, finds its contents through its own
# folder, shows the title and ends with F12 (exit code 0, nothing on standard
# output); then once more after the unpacked tree is moved elsewhere, as a
# relocated installation.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display

build=${TIDE_BINARY_DIR:-$PWD}
[ -x "$probe" ] || fail "missing $probe (build the e2e_probe target)"
work=$e2e_tmp/work
mkdir -p "$work"

# ---- the package -----------------------------------------------------------
if [ -n "${TIDE_PACKAGE:-}" ]; then
  deb=$TIDE_PACKAGE
else
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
  deb=$(ls "$work"/cpack/*.deb 2>/dev/null | sed -n 1p)
fi
[ -f "$deb" ] || fail "no package made"
echo "package $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depends"
for lib in libsdl2 libglew libopenal1 libpng16 libvorbisfile3 libfreetype6 libc6; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done

root=$work/unpacked
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
for path in usr/bin/tide_marker usr/share/tide_marker/contents/font.png usr/share/tide_marker/contents/icon.png \
            usr/share/tide_marker/contents/BGM_title.ogg; do
  [ -f "$root/$path" ] || fail "the package lacks /$path"
done
[ ! -L "$root/usr/share/tide_marker/contents" ] || fail "the contents are packaged as a link, not as files"
desktop=$(ls "$root"/usr/share/applications/*.desktop 2>/dev/null)
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null)
[ -f "$desktop" ] || fail "no desktop entry in the package"
[ -f "$metainfo" ] || fail "no AppStream file in the package"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $(basename "$desktop")"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli refuses $(basename "$metainfo")"; }
icon=$(sed -n 's/^Icon=//p' "$desktop")
# A build that borrowed another's contents (the sanitizer builds) draws no icons.
if [ -d "$build/icons" ]; then
  for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
    [ -f "$root/usr/share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon named $icon"
  done
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
fi

# ---- runs ------------------------------------------------------------------
# From an empty folder, with no data folders to fall back on and settings of
# its own: only the folder beside the program can hold the contents.
run_to_title_and_out() {
  local what=$1 bin=$2
  echo "$what: $bin"
  game_bin=$bin
  local here
  here=$(mktemp -d "$work/empty.XXXXXX")
  cd "$here" || fail "cannot enter $here"
  start_game_split XDG_DATA_DIRS="$work/no-data" XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null
  cd "$build" || fail "cannot return to $build"
  wid=$(find_window) || exit 1
  locate_window "$wid"
  E2E_CONTENTS=$(dirname "$bin")/../share/tide_marker/contents wait_for_scene title 40 "title_$what"
  xdotool key --window "$wid" F12
  expect_clean_exit 15
  [ -z "$(ls -A "$here")" ] || fail "the game wrote into its current folder: $(ls -A "$here")"
  [ ! -s "$game_out" ] || fail "standard output is not empty: $(head -n3 "$game_out")"
}

run_to_title_and_out unpacked "$root/usr/bin/tide_marker"
moved="$work/moved elsewhere/opt"
mkdir -p "$(dirname "$moved")"
mv "$root/usr" "$moved"
run_to_title_and_out relocated "$moved/bin/tide_marker"
echo "1 passed, 0 failed"
