#!/usr/bin/env bash
# The Windows .exe under Wine, played as a player would with the mouse: the
# window "TIDE_MARKER" at 1024 x 576, the two logos and the title, a held
# press into a round, plates played to "Finish!" and back to the title, F12
# out with exit code 0; standard output holds the plate counts 1, 2, 3, ...
# and the mix captured by OpenAL Soft's wave writer carries the title music.
# Then the same program copied, with its contents, into a folder named "Zoë"
# and run with a settings folder under "Zoë" too: it reaches the title, and
# a setting changed there (F11: full screen) is saved into that folder.
#   wine_game_test.sh BUILD/tide_marker.exe
# Needs the native build's probe ($TIDE_NATIVE_BUILD/tests/e2e_probe, found
# beside the contents this build links to) and the Wine prefix $WINEPREFIX.
set -uo pipefail
exe=$1
source "$(dirname "$0")/../e2e/e2e_lib.sh"
[ -n "${DISPLAY:-}" ] || own_display
export WINEDEBUG=${WINEDEBUG:--all}
# Paths and names with non-ASCII letters reach Wine as UTF-8.
export LC_ALL=C.UTF-8
native=${TIDE_NATIVE_BUILD:-$(dirname "$(readlink -f contents)")}
probe=$native/tests/e2e_probe
[ -x "$probe" ] || fail "missing $probe (build the native e2e_probe target)"
[ -d contents ] || fail "no contents folder in $PWD"

work=$(mktemp -d)
wav_file=$work/mix.wav
printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$wav_file" >"$work/alsoft.conf"

# Wine sets its prefix up at the first start (a minute when new); the game's
# clock starts after that.
wineboot -i >/dev/null 2>&1
# Each run keeps its settings in a folder of its own under $work. Wine sets
# APPDATA from the prefix's registry, not from the environment; the shared
# prefix gets its own value back at the end.
appdata_key='HKCU\Volatile Environment'
appdata=$(wine reg query "$appdata_key" /v APPDATA | tr -d '\r' | sed -n 's/^ *APPDATA *REG_SZ *//p')
[ -n "$appdata" ] || fail "the Wine prefix has no APPDATA"
trap 'wine reg add "$appdata_key" /v APPDATA /d "$appdata" /f >/dev/null; rm -rf "$work"' EXIT
use_appdata() {
  mkdir -p "$1"
  wine reg add "$appdata_key" /v APPDATA /d "Z:${1//\//\\}" /f >/dev/null
}
use_appdata "$work/AppData"
game_bin=wine
game_args=("$exe")
start_game_split ALSOFT_CONF="$work/alsoft.conf"
wid=$(find_window) || exit 1
locate_window "$wid"

echo "logo, title"
wait_for_scene logo1 30
wait_for_scene logo2 30
wait_for_scene title 30
t_title=$seen_at
sleep 6
wait_for_scene title 5 title_standing
t_click=$(elapsed)
leave_title "the round"

echo "round"
wait_for_scene game 40 game_start
play_round "${E2E_ROUND_LIMIT:-300}" round
leave_clear round

echo "F12"
xdotool key --window "$wid" F12
expect_clean_exit 30
t_end=$(elapsed)

echo "standard output"
# Windows ends text lines with CR LF.
tr -d '\r' <"$game_out" >"$work/out.txt"
[ "$(wc -l <"$work/out.txt")" -ge 1 ] || fail "no plate count printed although $plates_played plates were played"
[ "$(cat "$work/out.txt")" = "$(seq 1 "$(wc -l <"$work/out.txt")")" ] ||
  fail "standard output holds more than the plate counts 1, 2, 3, ..."

echo "audio"
wav_len=$("$probe" wavlen "$wav_file") || fail "the captured audio is not a finished WAV file"
onset=$("$probe" onset "$wav_file") || fail "the captured audio is silent throughout"
wav_offset=$(awk -v e="$t_end" -v l="$wav_len" -v t="$t_title" -v o="$onset" \
  'BEGIN { a = e - l; b = t - o; printf "%.2f", a < b ? a : b }')
check_audio playing "$(awk -v t="$t_title" 'BEGIN { print t + 1.5 }')" "$t_click" above 0.8 "title music"

echo "a folder named Zoë"
zoe=$work/Zoë
mkdir -p "$zoe/game" "$zoe/AppData"
cp "$exe" "$(dirname "$exe")"/*.dll "$zoe/game/"
cp -rL contents "$zoe/game/contents"
: >"$game_out"
game_args=("$zoe/game/$(basename "$exe")")
# From another folder, so the contents are found beside the .exe; the probe
# still reads the build's.
build_dir=$PWD
scene_of() { (cd "$build_dir" && "$probe" scene "$1"); }
cd "$work"
use_appdata "$zoe/AppData"
start_game_split
wid=$(find_window) || exit 1
locate_window "$wid"
wait_for_scene title 40 zoe_title
xdotool key --window "$wid" F11
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 30
settings=$(find "$zoe/AppData" -name settings.ini)
[ -n "$settings" ] || fail "no settings file under Zoë\\AppData after a change"
cd "$build_dir"
echo "  settings saved as ${settings#"$work/"}"

rm -rf "$shot_dir"
echo "1 passed, 0 failed"
