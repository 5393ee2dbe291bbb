#!/usr/bin/env bash
# The Windows game under Wine in a fresh prefix, from its silent installer
# (/S: files, Start-menu entry, programs-list entry) through a round played
# with the mouse from the shortcut's target (window "TIDE_MARKER" 1024 x 576,
# logos, title, round to "Finish!", title, F11 saving a setting, F12 with
# exit code 0, plate counts on standard output, title music in OpenAL Soft's
# wave capture, the best score in its file) to its silent uninstaller
# (everything gone but the settings and the best score); then a copy in a
# folder named "Zoë", APPDATA under it too.
#   wine_game_test.sh BUILD   (BUILD holds tide_marker-*-win64-setup.exe)
set -uo pipefail
build=$1
source "$(dirname "$0")/../e2e/e2e_lib.sh"
[ -n "${DISPLAY:-}" ] || own_display
export WINEDEBUG=-all LC_ALL=C.UTF-8
build_dir=$PWD
probe=${TIDE_NATIVE_BUILD:-$(dirname "$(readlink -f "$build/contents")")}/tests/e2e_probe
[ -x "$probe" ] || fail "missing $probe (build the native e2e_probe target)"
setup=$(ls "$build"/tide_marker-*-win64-setup.exe 2>/dev/null | sed -n 1p)
[ -n "$setup" ] || fail "no installer in $build (cpack -G NSIS)"
# Wine's Z: drive is this system's root.
game_path() { printf 'Z:%s' "$1"; }
# The game starts in a folder without contents (it finds its own beside the
# .exe); the probe reads the build's from the build folder.
start_elsewhere() {
  cd "$work/elsewhere" && start_game_split "$@"
  cd "$build_dir" || exit 1
}

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null; rm -rf "$work"; e2e_cleanup' EXIT
mkdir "$work/elsewhere"
user_dir=$WINEPREFIX/drive_c/users/$(id -un)
install_dir=$user_dir/AppData/Local/Programs/TIDE_MARKER
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TIDE_MARKER.lnk"
settings=$user_dir/AppData/Roaming/tide_marker/settings.ini
best_file=$user_dir/AppData/Roaming/tide_marker/best_score.ini
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TIDE_MARKER'

echo "install"
wineboot -i >/dev/null 2>&1
wine "$setup" /S >/dev/null 2>&1
wineserver -w
for f in tide_marker.exe OpenAL32.dll Uninstall.exe contents/Logo.png licenses/openal-soft/COPYING; do
  [ -f "$install_dir/$f" ] || fail "the install has no $f"
done
uninstall_entry=$(wine reg query "$uninstall_key" /v UninstallString 2>/dev/null)
[[ $uninstall_entry == *Uninstall.exe* ]] || fail "no entry in the programs list"
# The link's target as a whole Windows path (its LinkInfo's local path).
target=$(strings -a "$shortcut" 2>/dev/null | grep -E -i -m 1 '^[a-z]:\\.*\\tide_marker\.exe$')
[ -n "$target" ] || fail "no Start-menu entry naming tide_marker.exe"

echo "the game from its shortcut: $target"
wav_file=$work/mix.wav
printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$wav_file" >"$work/alsoft.conf"
game_bin=wine
game_args=("$target")
# The "how to play" cards count as seen, so a click on the title starts the round.
mkdir -p "$(dirname "$settings")"
printf 'how_to_play_seen = on\n' >"$settings"
# The first start shows the logos; the later ones go straight to the title.
skip_logos=
start_elsewhere ALSOFT_CONF="$work/alsoft.conf"
skip_logos=1
wid=$(find_window) || exit 1
locate_window "$wid"
wait_for_scene logo1 30
wait_for_scene logo2 30
wait_for_scene title 30
t_title=$seen_at
wait_event 'title ready' 20
t_click=$(elapsed)
leave_title "the round"
wait_for_scene game 40 game_start
play_round "${E2E_ROUND_LIMIT:-300}" round
leave_clear round
xdotool key --window "$wid" F11
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 30
t_end=$(elapsed)
# Windows ends text lines with CR LF.
tr -d '\r' <"$game_out" >"$work/out.txt"
[ -s "$work/out.txt" ] && [ "$(cat "$work/out.txt")" = "$(seq 1 "$(wc -l <"$work/out.txt")")" ] ||
  fail "standard output holds other things than the plate counts 1, 2, 3, ..."
wav_len=$("$probe" wavlen "$wav_file") || fail "the captured audio is not a finished WAV file"
onset=$("$probe" onset "$wav_file") || fail "the captured audio is silent throughout"
wav_offset=$(awk -v e="$t_end" -v l="$wav_len" -v t="$t_title" -v o="$onset" \
  'BEGIN { a = e - l; b = t - o; printf "%.2f", a < b ? a : b }')
check_audio playing "$(awk -v t="$t_title" 'BEGIN { print t + 1.5 }')" "$t_click" above 0.8 "title music"
grep -q '^volume = ' <<<"$(tr -d '\r' <"$settings")" || fail "F11 saved no settings at ${settings#"$work/"}"
best_lines=$(tr -d '\r' <"$best_file" 2>/dev/null)
grep -qx "best = $clear_score" <<<"$best_lines" ||
  fail "${best_file#"$work/"} does not hold the round's score $clear_score"

echo "uninstall"
installed=$(cd "$install_dir" && find . -type f | wc -l)
wine "$install_dir/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs from a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$install_dir" ] || fail "left behind: $(cd "$install_dir" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the programs list still names the game"
[ -f "$settings" ] && [ -f "$best_file" ] || fail "the settings or the best score went with the game"
echo "  $installed files installed and removed; the settings stay"

echo "a folder named Zoë"
zoe=$work/Zoë
mkdir -p "$zoe/game" "$zoe/AppData"
cp -r "$build/dist/." "$zoe/game/"
# Wine sets APPDATA from the prefix's registry, not from the environment.
wine reg add 'HKCU\Volatile Environment' /v APPDATA /d "Z:${zoe//\//\\}\\AppData" /f >/dev/null
game_args=("$zoe/game/tide_marker.exe")
start_elsewhere
wid=$(find_window) || exit 1
locate_window "$wid"
wait_for_scene title 40 zoe_title
xdotool key --window "$wid" F11
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 30
[ -f "$zoe/AppData/tide_marker/settings.ini" ] || fail "no settings file under Zoë\\AppData"
# A second run there reads them back (before its window shows): not a word
# about the settings file.
start_elsewhere
wid=$(find_window) || exit 1
xdotool key --window "$wid" F12
expect_clean_exit 30
if grep -q "settings file" "$game_err"; then
  fail "the settings under Zoë\\AppData were not read back: $(grep "settings file" "$game_err")"
fi

rm -rf "$shot_dir"
echo "1 passed, 0 failed"
