#!/usr/bin/env bash
# The player's settings in the real program, each run with a settings folder
# of its own:
#   1. no settings file: one line on standard error; M silences the captured
#      mix and M again brings the music back; '-' five times and M are saved
#      (volume 50, mute on) while the game plays on (the file is written off
#      the tick, so it is waited for);
#   2. the next run starts muted as saved (the title's music is not heard);
#      a tap on the title's sound button mutes (saved, silent) without
#      starting a round; in the pause menu '-' and the sound button give
#      volume 40 and mute (saved; heard, then silent);
#   3. a damaged file: one line naming it, the defaults (music heard);
#   4. a settings folder that cannot be made: the game plays on, key presses
#      cost one line in all, F12 still ends it with exit code 0;
#   5. fullscreen = on in the file opens the window at the screen's size,
#      --windowed opens the 1024 x 576 window all the same (and the file
#      keeps its choice);
#   6. full screen switched on with F11 during a run (under a window
#      manager) is kept for the next, and so is the pause menu's button;
#   7. a new player's first start shows the "how to play" cards (turned by
#      taps and keys), the last one starts the round and the file keeps them
#      seen; the next run's start goes straight to the round, and its help
#      button opens the cards, which Escape leaves for the title.
# Standard output stays empty throughout.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display

[ -x "$probe" ] || fail "missing $probe (build the e2e_probe target)"
[ -d contents ] || fail "no contents folder in $PWD (build the contents target)"
work=$e2e_tmp/work
mkdir -p "$work"

# A key held for a few ticks, as a player presses it.
press() {
  xdotool keydown --window "$wid" "$1"
  sleep 0.1
  xdotool keyup --window "$wid" "$1"
  sleep 0.2
}

# Starts a run with its config folder ($1) and more arguments for env; the
# mix goes to $wav_file. Waits for the title.
start_run() {
  local config=$1
  shift
  wav_file=$(mktemp "$work/mix.XXXXXX.wav")
  printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$wav_file" >"$work/alsoft.conf"
  start_game_split XDG_CONFIG_HOME="$config" ALSOFT_CONF="$work/alsoft.conf" "$@"
  wid=$(find_window) || exit 1
  locate_window "$wid"
  wait_for_scene title 30
  # The title's music starts with the scene.
  sleep 1
}

# Ends the run with F12 and checks the exit code and the empty output.
end_run() {
  xdotool key --window "$wid" F12
  expect_clean_exit 15
  t_end=$(elapsed)
  [ ! -s "$game_out" ] || fail "standard output is not empty: $(head -n3 "$game_out")"
}

# Waits up to 5 s for the settings file ($1) to hold every line given after
# it: saves are written a moment after the key, by the player-file writer.
wait_for_saved() {
  local file=$1 waited=0 line missing
  shift
  while :; do
    missing=""
    for line in "$@"; do
      grep -qx "$line" "$file" 2>/dev/null || { missing=$line; break; }
    done
    [ -z "$missing" ] && return 0
    [ "$waited" -lt 50 ] || fail "'$missing' not saved: $(cat "$file" 2>&1)"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Lines of the run's standard error about the settings.
settings_lines() { grep -c 'settings' "$game_err"; }

# Taps the pause button until the menu stands open (a tap while the
# round's opening overlay folds away is ignored).
open_pause() {
  local attempt
  for attempt in 1 2 3 4; do
    tap_at 55 40
    shot_until 2 pause_open is_scene pause && return 0
  done
  fail "the pause menu did not open"
}
is_scene() { [ "$(scene_of "$1")" = "$2" ]; }

after() { awk -v t="$1" -v d="$2" 'BEGIN { print t + d }'; }

# Waits up to 10 s for window $1 to measure $2 (WIDTHxHEIGHT); sets WIDTH and
# HEIGHT. A window manager can take a while to carry out a change.
window_size_becomes() {
  local _
  for _ in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$1")"
    [ "${WIDTH}x$HEIGHT" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# Fails unless some half second between two run times is silent. The capture
# is placed in run time only to within a few tenths of a second (more in the
# slow sanitizer builds), so the silence is looked for, not assumed.
check_silent_within() {
  local from=$1 to=$2 what=$3 at level quietest=1
  at=$(awk -v t="$from" -v o="$wav_offset" 'BEGIN { printf "%.2f", t - o }')
  local end
  end=$(awk -v t="$to" -v o="$wav_offset" 'BEGIN { printf "%.2f", t - o - 0.5 }')
  while awk -v a="$at" -v b="$end" 'BEGIN { exit !(a <= b) }'; do
    level=$("$probe" level "$wav_file" "$at" "$(after "$at" 0.5)") || break
    quietest=$(awk -v a="$level" -v b="$quietest" 'BEGIN { print (a < b ? a : b) }')
    awk -v l="$level" 'BEGIN { exit !(l < 0.001) }' && { echo "  audio $what: silent at $at s"; return 0; }
    at=$(after "$at" 0.1)
  done
  fail "$what: no silent half second between $from and $to s of run time (quietest $quietest)"
}

# Where the finished capture starts in run time: the device closes at the
# end of the run, so about the run's end minus the capture's length.
place_capture() {
  local length
  length=$("$probe" wavlen "$wav_file") || fail "the captured audio is not a finished WAV file"
  wav_offset=$(awk -v e="$t_end" -v l="$length" 'BEGIN { printf "%.2f", e - l }')
}

echo "1. no settings file"
config=$work/config1
start_run "$config"
t_title=$(elapsed)
press m
t_mute=$(elapsed)
sleep 1.5
press m
t_unmute=$(elapsed)
sleep 1.5
t_heard=$(elapsed)
for i in 1 2 3 4 5; do press minus; done
press m
wait_for_saved "$config/tide_marker/settings.ini" 'volume = 50' 'mute = on' 'fullscreen = off'
[ "$(scene_of "$(take_shot after_keys)")" = title ] || fail "the keys left the title"
end_run
place_capture
check_audio level "$(after "$t_title" -0.8)" "$t_title" above 0.01 "title music"
check_silent_within "$(after "$t_mute" -0.2)" "$(after "$t_unmute" 0.3)" "muted"
check_audio level "$(after "$t_unmute" 0.4)" "$t_heard" above 0.01 "unmuted"
[ "$(settings_lines)" -eq 1 ] || fail "expected one line about the settings, got: $(cat "$game_err")"
ls "$config/tide_marker" | grep -v -x settings.ini && fail "temporary files left in the settings folder"

echo "2. the saved settings"
# A player who has seen the cards: the title leads straight to the round.
printf 'how_to_play_seen = on\n' >>"$config/tide_marker/settings.ini"
start_run "$config"
t_title=$(elapsed)
sleep 1
press m
t_unmute=$(elapsed)
sleep 1.5
t_heard=$(elapsed)
file=$config/tide_marker/settings.ini
wait_for_saved "$file" 'mute = off'
# Held as long as leave_title holds: anywhere else that starts a round.
# shellcheck disable=SC2046
xdotool mousemove $(to_screen 38 204) mousedown 1
sleep 0.7
xdotool mouseup 1
t_button=$(elapsed)
wait_for_saved "$file" 'mute = on'
event_within 'scene load' 2 && fail "a tap on the title's sound button started a round"
is_scene "$(take_shot title_muted)" title || fail "the title's sound button left the title"
sleep 1
t_button_quiet=$(elapsed)
leave_title "the round"
wait_for_scene game 30
open_pause
tap_at 460 496
t_down=$(elapsed)
wait_for_saved "$file" 'volume = 40' 'mute = off'
sleep 1.5
t_down_heard=$(elapsed)
tap_at 360 496
t_menu_mute=$(elapsed)
wait_for_saved "$file" 'volume = 40' 'mute = on'
sleep 1.5
t_menu_quiet=$(elapsed)
is_scene "$(take_shot menu_muted)" pause || fail "the sound buttons closed the pause menu"
end_run
place_capture
check_audio level "$(after "$t_title" -0.8)" "$t_title" below 0.001 "title, muted as saved"
check_audio level "$(after "$t_unmute" 0.4)" "$t_heard" above 0.005 "unmuted at the saved volume"
check_silent_within "$(after "$t_button" -0.2)" "$t_button_quiet" "muted by the title's button"
check_audio level "$(after "$t_down" 0.4)" "$t_down_heard" above 0.005 "volume 40 from the menu"
check_silent_within "$(after "$t_menu_mute" -0.2)" "$t_menu_quiet" "muted by the menu's button"
[ "$(settings_lines)" -eq 0 ] || fail "a good settings file was complained about: $(cat "$game_err")"

echo "3. a damaged settings file"
config=$work/config3
mkdir -p "$config/tide_marker"
head -c 3000 /dev/urandom >"$config/tide_marker/settings.ini"
start_run "$config"
t_title=$(elapsed)
end_run
place_capture
check_audio level "$(after "$t_title" -0.8)" "$t_title" above 0.01 "title music at the default volume"
[ "$(settings_lines)" -eq 1 ] || fail "expected one line about the damaged file, got: $(cat "$game_err")"
grep -q "$config/tide_marker/settings.ini" "$game_err" || fail "the line does not name the file"

echo "4. a settings folder that cannot be made"
config=$work/not_a_folder
echo "a file" >"$config"
start_run "$config"
press minus
press equal
press m
[ "$(scene_of "$(take_shot unwritable)")" = title ] || fail "the game did not play on"
end_run
grep -q 'not kept' "$game_err" || fail "no line says the settings are not kept: $(cat "$game_err")"
[ "$(grep -c 'not kept' "$game_err")" -eq 1 ] || fail "more than one line for the failed saves"

echo "5. full screen from the settings, and --windowed over them"
config=$work/config5
mkdir -p "$config/tide_marker"
printf 'fullscreen = on\n' >"$config/tide_marker/settings.ini"
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
start_game_split XDG_CONFIG_HOME="$config" ALSOFT_DRIVERS=null
wid=$(find_window) || exit 1
window_size_becomes "$wid" "$screen" ||
  fail "fullscreen = on opened a ${WIDTH}x$HEIGHT window on a $screen screen"
end_run
game_args=(--windowed)
start_game_split XDG_CONFIG_HOME="$config" ALSOFT_DRIVERS=null
wid=$(find_window) || exit 1
# The window is measured once the game has shown its title, so a late switch
# to full screen would show.
wait_event 'scene title' 30
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "${WIDTH}x$HEIGHT" = 1024x576 ] || fail "--windowed opened a ${WIDTH}x$HEIGHT window"
end_run
game_args=()
grep -qx 'fullscreen = on' "$config/tide_marker/settings.ini" || fail "--windowed changed the saved choice"

echo "7. the how-to-play cards"
# The scene and card events of the run so far, comma-separated.
card_events() { grep -E '^(scene|cards)' "$events_file" | tr '\n' ,; }
# Taps $1 $2 until the event $3 comes; the first tap may only skip the drop-in.
tap_until() {
  local _
  for _ in 1 2 3 4 5; do
    tap_at "$1" "$2"
    event_within "$3" 2 && return 0
  done
  fail "taps at $1 $2 brought no '$3' (events: $(card_events))"
}
config=$work/config7
start_run "$config" ALSOFT_DRIVERS=null
tap_until 512 300 'cards 1'
tap_at 512 300
wait_event 'cards 2' 5
press Right
wait_event 'cards 3' 5
press Return
wait_event 'cards 4' 5
tap_at 512 300
wait_event 'scene load' 10
[ "$(card_events)" = "scene logo,scene title,cards 1,cards 2,cards 3,cards 4,cards closed,scene load," ] ||
  fail "the first start did not go through the cards to the round: $(card_events)"
wait_for_saved "$config/tide_marker/settings.ini" 'how_to_play_seen = on'
xdotool key --window "$wid" F12
expect_clean_exit 15
start_run "$config" ALSOFT_DRIVERS=null
tap_at 968 56
wait_event 'cards 1' 5
press Escape
wait_event 'cards closed' 5
sleep 1
[ "$(scene_of "$(take_shot after_help)")" = title ] || fail "leaving the help cards did not show the title"
tap_until 512 300 'scene load'
[ "$(card_events)" = "scene logo,scene title,cards 1,cards closed,scene load," ] ||
  fail "the help button started a round, or the second start showed the cards: $(card_events)"
xdotool key --window "$wid" F12
expect_clean_exit 15

echo "6. full screen chosen during the run"
# F11 needs a window manager to take the window to full screen.
command -v openbox >/dev/null || fail "openbox is missing (scripts/install_deps.sh installs it)"
start_window_manager
config=$work/config6
start_game_split XDG_CONFIG_HOME="$config" ALSOFT_DRIVERS=null
wid=$(find_window) || exit 1
wait_event 'scene title' 30
press F11
window_size_becomes "$wid" "$screen" || fail "F11 left a ${WIDTH}x$HEIGHT window on a $screen screen"
end_run
grep -qx 'fullscreen = on' "$config/tide_marker/settings.ini" ||
  fail "full screen was not kept: $(cat "$config/tide_marker/settings.ini" 2>&1)"
config=$work/config7
start_game_split XDG_CONFIG_HOME="$config" ALSOFT_DRIVERS=null
wid=$(find_window) || exit 1
locate_client "$wid"
wait_for_scene title 30
leave_title "the round"
wait_for_scene game 30
open_pause
tap_at 660 496
window_size_becomes "$wid" "$screen" || fail "the full-screen button left a ${WIDTH}x$HEIGHT window"
end_run
grep -qx 'fullscreen = on' "$config/tide_marker/settings.ini" || fail "the full-screen button's choice was not kept"
echo "1 passed, 0 failed"
