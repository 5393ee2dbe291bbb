#!/usr/bin/env bash
# The real program on a desktop: its own X server with a window manager
# (openbox), real input through XTest. A round is opened; a 5 ms click opens
# the pause menu, as fast after a 3 s flood of motion at 1000 events a second
# as without it; Escape resumes; losing the focus and minimising pause the
# round (and a minimised game stays nearly idle); full screen (F11, Alt+Enter)
# and a resized window show the picture letterboxed and map clicks onto it;
# then the round is played to the clear scene and F12 ends the program.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
x_input=${TIDE_BINARY_DIR:-$PWD}/tests/x_input
[ -x "$x_input" ] || fail "missing $x_input (build the x_input target)"
# The share of one core the minimised game may use (percent), from its own
# CPU counters: about 1.3 while other tests load both cores (its tick runner
# rests, the music and the sound mixer go on); a game that went on drawing
# would use several tens. A sanitizer build's instrumented threads cost
# several times more.
idle_limit=4
sanitized=0
build_dir=${TIDE_BINARY_DIR:-$PWD}
[ -n "${TIDE_SANITIZE-$(sed -n 's/^TIDE_SANITIZE:STRING=//p' "$build_dir/CMakeCache.txt" 2>/dev/null)}" ] &&
  sanitized=1 idle_limit=12

own_desktop

# Seconds between now and a time given by elapsed.
since() { awk -v a="$(elapsed)" -v b="$1" 'BEGIN { printf "%.2f", a - b }'; }

# A click of $3 ms at a point of the virtual screen, through XTest.
click_virtual() {
  # shellcheck disable=SC2046
  "$x_input" click $(to_screen "$1" "$2") "$3" >/dev/null || fail "x_input click failed"
}

# Clicks the pause button for 5 ms and waits for the open menu; sets latency.
pause_by_click() {
  local t0
  t0=$(elapsed)
  click_virtual 55 40 5
  wait_for_scene pause "$1" "$2"
  latency=$(since "$t0")
  echo "  menu open $latency s after the click"
}

# Escape resumes: the round shows again.
resume_by_escape() {
  xdotool key Escape
  wait_for_scene game 5 "$1"
}

# CPU seconds (user + system) the game has used so far.
cpu_seconds() {
  awk -v tck="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / tck }' "/proc/$game_pid/stat"
}

# Locates the window once the window manager has placed it: two readings in
# a row agree and, with "framed", it sits below its title bar, or with a size
# (WIDTHxHEIGHT) it has that size. On a busy machine that can take a while.
settle_client() {
  local last="" now tries
  for tries in $(seq 50); do
    locate_client "$1"
    now="$win_x $win_y $win_w $win_h"
    if [ "$now" = "$last" ]; then
      case ${2:-} in
        framed) [ "$win_y" -gt 0 ] && return 0 ;;
        "") return 0 ;;
        *) [ "${win_w}x$win_h" = "$2" ] && return 0 ;;
      esac
    fi
    last=$now
    sleep 0.2
  done
}

start_game_split ALSOFT_DRIVERS=null
wid=$(find_window) || exit 1
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
settle_client "$wid" framed
[ "$win_w" -eq 1024 ] && [ "$win_h" -eq 576 ] || fail "window is ${win_w}x$win_h, expected 1024x576"

wait_for_scene title 30
leave_title "the round"
wait_for_scene game 30 round

echo "- a 5 ms click opens the menu; Escape closes it"
pause_by_click 10 paused
quiet_latency=$latency
resume_by_escape resumed

echo "- the same click after 3 s of motion at 1000 events a second"
# shellcheck disable=SC2046
"$x_input" flood 1000 3 $(to_screen 40 120) 560 400 || fail "x_input flood failed"
pause_by_click 10 paused_after_flood
# Without the merging of motion the flood held the click back for over 50 s;
# the margin leaves room for a busy machine.
awk -v a="$latency" -v b="$quiet_latency" 'BEGIN { exit !(a <= 2 * b + 1.0) }' ||
  fail "after the flood the menu opened $latency s after the click, without it $quiet_latency s"
resume_by_escape resumed_after_flood

echo "- another program takes the focus: the menu opens and stays open"
"$x_input" steal-focus 1.5 &
thief=$!
wait_for_scene pause 5 focus_lost
wait "$thief"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
sleep 1
[ "$(scene_of "$(take_shot back)")" = pause ] || fail "the menu closed when the window came back"
resume_by_escape resumed_after_focus

echo "- minimised: frames stop, the program idles, the menu is open on return"
xdotool windowminimize --sync "$wid"
sleep 1
cpu_before=$(cpu_seconds)
sleep 5
cpu_after=$(cpu_seconds)
share=$(awk -v a="$cpu_before" -v b="$cpu_after" 'BEGIN { printf "%.1f", (b - a) / 5 * 100 }')
echo "  CPU while minimised: $share % of one core"
awk -v s="$share" -v l="$idle_limit" 'BEGIN { exit !(s <= l) }' ||
  fail "minimised, the game used $share % of a core (limit $idle_limit %)"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
wait_for_scene pause 5 restored
resume_by_escape resumed_after_minimise

echo "- full screen (F11): letterboxed, clicks land on what is drawn"
xdotool key F11
settle_client "$wid" 1280x800
[ "$win_w" -eq 1280 ] && [ "$win_h" -eq 800 ] || fail "full screen is ${win_w}x$win_h, expected 1280x800"
wait_for_scene game 5 fullscreen
bar=$(import -window root -crop "1280x${pic_y}+0+0" -format '%[fx:maxima]' info: 2>/dev/null)
[ "$bar" = 0 ] || fail "the bar above the full-screen picture is not black (maximum $bar)"
pause_by_click 5 fullscreen_paused
resume_by_escape fullscreen_resumed
xdotool key alt+Return
settle_client "$wid" 1024x576
[ "$win_w" -eq 1024 ] && [ "$win_h" -eq 576 ] || fail "back from full screen at ${win_w}x$win_h, expected 1024x576"

echo "- resized to 800 x 600: letterboxed, clicks still land"
xdotool windowsize "$wid" 800 600
settle_client "$wid" 800x600
[ "$win_w" -eq 800 ] && [ "$win_h" -eq 600 ] || fail "resized to ${win_w}x$win_h, expected 800x600"
wait_for_scene game 5 resized
pause_by_click 5 resized_paused
resume_by_escape resized_resumed
xdotool windowsize "$wid" 1024 576
settle_client "$wid" 1024x576

echo "- the round goes on to its end with every picture drawn"
# (A sanitizer build plays whole rounds in the whole-chain test.)
[ $sanitized = 1 ] || play_round 150 round
xdotool key --window "$wid" F12
expect_clean_exit 10
echo "desktop: all checks passed"
