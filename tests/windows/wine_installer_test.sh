#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: a silent
# install (/S) for the current user puts the game, its Start-menu entry and
# its entry in the programs list in place; the game started from the
# shortcut's target (in another folder than its own) reaches the title and
# saves a setting; the silent uninstall removes every installed file, the
# entry and the shortcut, and leaves the settings file.
#   wine_installer_test.sh BUILD   (BUILD holds tide_marker-*-win64-setup.exe)
set -uo pipefail
build=$1
source "$(dirname "$0")/../e2e/e2e_lib.sh"
[ -n "${DISPLAY:-}" ] || own_display
export WINEDEBUG=${WINEDEBUG:--all}
# Paths and names with non-ASCII letters reach Wine as UTF-8.
export LC_ALL=C.UTF-8
native=${TIDE_NATIVE_BUILD:-$(dirname "$(readlink -f "$build/contents")")}
probe=$native/tests/e2e_probe
[ -x "$probe" ] || fail "missing $probe (build the native e2e_probe target)"
setup=$(ls "$build"/tide_marker-*-win64-setup.exe 2>/dev/null | head -n 1)
[ -n "$setup" ] || fail "no installer in $build (cpack -G NSIS)"

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
user_dir=$WINEPREFIX/drive_c/users/$(id -un)
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TIDE_MARKER'

echo "install"
wineboot -i >/dev/null 2>&1
wine "$setup" /S >/dev/null 2>&1
wineserver -w
install_dir=$user_dir/AppData/Local/Programs/TIDE_MARKER
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TIDE_MARKER.lnk"
for f in tide_marker.exe OpenAL32.dll Uninstall.exe contents/Logo.png licenses/openal-soft/COPYING; do
  [ -f "$install_dir/$f" ] || fail "the install has no $f"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
wine reg query "$uninstall_key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' ||
  fail "no entry in the programs list"
installed=$(cd "$install_dir" && find . -type f | sort)

echo "the game from its shortcut"
# The link's target as a whole Windows path (its LinkInfo's local path).
target=$(strings -a "$shortcut" | grep -E -i -m 1 '^[a-z]:\\.*\\tide_marker\.exe$')
[ -n "$target" ] || fail "the shortcut names no tide_marker.exe"
echo "  shortcut target: $target"
build_dir=$PWD
scene_of() { (cd "$build_dir" && "$probe" scene "$1"); }
game_bin=wine
game_args=("$target")
cd "$work"
start_game_split
wid=$(find_window) || exit 1
locate_window "$wid"
wait_for_scene title 40 installed_title
# A setting changed: the settings file is written.
xdotool key --window "$wid" F11
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 30
settings=$user_dir/AppData/Roaming/tide_marker/settings.ini
[ -f "$settings" ] || fail "no settings file at ${settings#"$work/"}"

echo "uninstall"
wine "$install_dir/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs from a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$install_dir" ] || fail "left behind: $(cd "$install_dir" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the programs list still names the game"
[ -f "$settings" ] || fail "the settings file went with the game"
echo "  $(echo "$installed" | wc -l) files installed and removed; the settings stay"

cd "$build_dir"
rm -rf "$shot_dir"
echo "1 passed, 0 failed"
