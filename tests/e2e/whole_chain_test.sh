#!/usr/bin/env bash
# The real program from its first frame, played as a player would with the
# mouse: the two logos, the title, a click through loading into a round, the
# pause menu opened and closed, plates played until the round ends, "Finish!"
# and the score with the best score under it (new, so marked, and kept in its
# file; with keys, one kept from an earlier run and higher, unmarked), two
# taps back to the title (which shows the best), a second round that starts
# from a score of 0, and F12 out with exit code 0. Screens are checked against the
# game's own pictures; the mix captured by OpenAL Soft's wave writer must
# carry music in the title, the round and the clear scene and silence under
# the logos; standard output may hold only the plate counts, 1, 2, 3, ...
# E2E_INPUT=keys plays it all with keys (no mouse event until the cursor, shown
# on the board, must go with one mouse move). E2E_QUIT_AT_ROUND_END=F12 or
# TERM ends the program that way the moment round 1 ends, before the fade to
# "Finish!": the round's score must be in the best score file all the same.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display
keys=0
[ "${E2E_INPUT:-mouse}" = keys ] && keys=1
quit_at_round_end=${E2E_QUIT_AT_ROUND_END:-}
stop_at_round_end=$quit_at_round_end

# Key play: the cursor's cell, tracked as the game keeps it (0 when a round
# starts, kept from plate to plate).
cursor=0
key() { xdotool key --delay 80 --window "$wid" "$@"; }
# The cursor to cell $1, one arrow press a block.
walk_to() {
  local dc=$(($1 % 6 - cursor % 6)) dr=$(($1 / 6 - cursor / 6)) moves=()
  while [ $dc -gt 0 ]; do moves+=(Right); dc=$((dc - 1)); done
  while [ $dc -lt 0 ]; do moves+=(Left); dc=$((dc + 1)); done
  while [ $dr -gt 0 ]; do moves+=(Down); dr=$((dr - 1)); done
  while [ $dr -lt 0 ]; do moves+=(Up); dr=$((dr + 1)); done
  [ ${#moves[@]} -gt 0 ] && key "${moves[@]}"
  cursor=$1
}
# Whether screenshot $1 is yellow at X $2, Y $3: the corner mark of a frame.
yellow_at() {
  read -r r g b < <(od -An -tu1 -j $((($3 * 1024 + $2) * 3)) -N3 "$1")
  [ "$r" -gt 200 ] && [ "$g" -gt 160 ] && [ "$b" -lt 130 ]
}
# Whether screenshot $1 shows the clear scene's "New best!" mark: its
# letters' pink (255, 89, 128) across the band x 240-560, y 330-346, where
# the wall behind is paler.
new_best_marked() {
  local row count=0
  for row in 330 338 346; do
    count=$((count + $(od -An -tu1 -v -w3 -j $(((row * 1024 + 240) * 3)) -N $((320 * 3)) "$1" |
      awk '$1 > 230 && $2 > 60 && $2 < 120 && $3 > 100 && $3 < 160 { n++ } END { print n + 0 }')))
  done
  [ $count -gt 60 ]
}
# Whether the cursor frames cell $2 in screenshot $1.
cursor_at() { yellow_at "$1" $((26 + ($2 % 6) * 95)) $((94 + ($2 / 6) * 95)); }
cursor_hidden() { ! cursor_at "$1" 0; }
if [ $keys = 1 ]; then
  tap_at() { key space; }
  drag_cells() {
    walk_to "$1"
    xdotool keydown --window "$wid" space
    sleep 0.06
    for cell in "${@:2}"; do walk_to "$cell"; done
    sleep 0.05
    xdotool keyup --window "$wid" space
  }
  leave_title() {
    local attempt
    for attempt in 1 2 3; do
      xdotool keydown --window "$wid" Return sleep 0.7 keyup --window "$wid" Return
      event_within 'scene load' 5 && return 0
    done
    fail "holding Enter on the title three times did not start $1"
  }
fi

[ -x "$probe" ] || fail "missing $probe (build the e2e_probe target)"
[ -d contents ] || fail "no contents folder in $PWD (build the contents target)"
round_limit=${E2E_ROUND_LIMIT:-300}

work=$e2e_tmp/work
mkdir -p "$work"
wav_file=$work/mix.wav
printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$wav_file" >"$work/alsoft.conf"

# Key play starts where an earlier run left a low best; while it sits on the
# title a second copy of the game records a best no round reaches: the clear
# scene shows that one unmarked, the title shows it, the file keeps it.
# Mouse play starts without one: the round's score is the new best.
seeded_best=""
# The mouse run looks at the logos and hears their silence; the others go
# straight to the title.
[ $keys = 0 ] && [ -z "$quit_at_round_end" ] && skip_logos=
if [ $keys = 1 ]; then
  seeded_best=98765432
  seeded_home=$work/data
  mkdir -p "$seeded_home/tide_marker"
  printf 'best = 1\n' >"$seeded_home/tide_marker/best_score.ini"
  start_game_split ALSOFT_CONF="$work/alsoft.conf" XDG_DATA_HOME="$seeded_home"
  data_home=$seeded_home
else
  start_game_split ALSOFT_CONF="$work/alsoft.conf"
fi
wid=$(find_window) || exit 1
locate_window "$wid"

echo "logo, title"
if [ -z "$skip_logos" ]; then
  wait_for_scene logo1 30
  t_logo1=$seen_at
  wait_for_scene logo2 30
  t_logo2=$seen_at
fi
wait_for_scene title 30
t_title=$seen_at
[ -z "$seeded_best" ] || printf 'best = %s\n' $seeded_best >"$data_home/tide_marker/best_score.ini"
# Let the drop-in finish (about 4 s) so that the click starts the game
# instead of skipping the drop-in; a click the title does not take is repeated.
wait_event 'title ready' 20
wait_for_scene title 5 title_standing
t_click=$(elapsed)
leave_title "round 1"

echo "loading, round 1"
wait_for_scene game 30 game_start
t_game=$seen_at
digits=$("$probe" digits "$seen_shot" hud)
[ "$digits" = 00000000 ] || fail "round 1 starts with score '$digits', expected 00000000"

# The pause menu: open it, see its buttons, resume. (A press while the
# opening overlay still folds away is ignored by the game: press again.)
for attempt in 1 2 3 4; do
  if [ $keys = 1 ]; then key Escape; else tap_at 55 40; fi
  sleep 1
  [ "$(scene_of "$(take_shot now)")" = pause ] && break
done
wait_for_scene pause 5
if [ $keys = 1 ]; then
  # The menu opens on resume, framed; Left frames quit, Right resume again.
  key Left Right
  shot_until 3 pause_chosen yellow_at 759 464 || fail "no frame around the resume button"
fi
tap_at 810 496
wait_for_scene game 10 game_resumed

play_round "$round_limit" round1

if [ -n "$quit_at_round_end" ]; then
  round_score=${event_line#round end }
  echo "$quit_at_round_end at the round's end, score $round_score"
  if [ "$quit_at_round_end" = F12 ]; then xdotool key --window "$wid" F12; else kill -TERM "$game_pid"; fi
  expect_clean_exit 30
  [ "$round_score" -gt 0 ] && grep -qx "best = $round_score" "$data_home/tide_marker/best_score.ini" ||
    fail "the best score file does not hold the round's score $round_score after $quit_at_round_end"
  echo "1 passed, 0 failed"
  exit 0
fi

echo "clear scene"
leave_clear round1
[ "$clear_score" -gt 0 ] || fail "a round of good sweets scored 0"
expected_best=${seeded_best:-$clear_score}
best=$("$probe" digits "$shot_dir/snapped.rgb" best)
[[ "$best" =~ ^[0-9]{8}$ ]] && [ "$((10#$best))" = "$expected_best" ] || fail "the clear scene shows the best score '$best', expected $expected_best"
if new_best_marked "$shot_dir/snapped.rgb"; then
  [ -z "$seeded_best" ] || fail "the clear scene marks a new best below the kept $seeded_best"
else
  [ -n "$seeded_best" ] || fail "the clear scene does not mark the new best"
fi
best_file=$data_home/tide_marker/best_score.ini
grep -qx "best = $expected_best" "$best_file" || fail "$best_file does not hold the best score $expected_best"
# The round played through the window replays to the same score without one;
# the best round's replay is this round's exactly when it set the best.
replay=$data_home/tide_marker/last_round.replay
checked=$("$game_bin" --check-replay "$replay") || fail "the round's replay does not replay: '$checked'"
[[ $checked == "replay: score $clear_score, "* ]] || fail "the round's replay says '$checked', the round scored $clear_score"
if [ -z "$seeded_best" ]; then
  cmp -s "$replay" "$data_home/tide_marker/best_round.replay" || fail "the new best's round is not kept as the best round"
elif [ -e "$data_home/tide_marker/best_round.replay" ]; then
  fail "a round below the kept best was kept as the best round"
fi
[ -z "${E2E_KEEP_REPLAY:-}" ] || cp "$replay" "$E2E_KEEP_REPLAY"

echo "round 2"
read_digits 10 title title_best || fail "the title's best score never read whole: last '$digits_read'"
[ "$((10#$digits_read))" = "$expected_best" ] || fail "the title shows the best score '$digits_read', expected $expected_best"
# The title's music is measured between its first 1.5 s and the click, which
# waits for the drop-in as in round 1.
sleep_until "$(awk -v b="$t_title2" 'BEGIN { print b + 3.5 }')"
wait_event 'title ready' 20
t_click2=$(elapsed)
leave_title "round 2"
wait_for_scene game 40 game2_start
digits=$("$probe" digits "$seen_shot" hud)
[ "$digits" = 00000000 ] || fail "round 2 starts with score '$digits', expected 00000000"
t_game2=$seen_at
if [ $keys = 1 ]; then
  # A new round puts the cursor back on the top-left block (once the plate
  # has come down); the first mouse move hides it.
  shot_until 10 cursor_round2 cursor_at 0 || fail "round 2 does not show the cursor on the top-left block"
  # shellcheck disable=SC2046
  xdotool mousemove $(to_screen 900 300)
  shot_until 3 cursor_gone cursor_hidden || fail "the cursor still shows after the mouse moved"
fi
# Round 2's music is heard for a while before F12.
sleep_until "$(awk -v b="$t_game2" 'BEGIN { print b + 3 }')"

echo "F12"
t_f12=$(elapsed)
xdotool key --window "$wid" F12
expect_clean_exit 30
t_end=$(elapsed)

echo "standard output"
expected=$(seq 1 "$(wc -l <"$game_out")")
if [ "$(cat "$game_out")" != "$expected" ]; then
  fail "standard output holds more than the plate counts 1, 2, 3, ..."
fi
[ "$(wc -l <"$game_out")" -ge 1 ] || fail "no plate count printed although $plates_played plates were played"

echo "audio"
wav_len=$("$probe" wavlen "$wav_file") || fail "the captured audio is not a finished WAV file"
onset=$("$probe" onset "$wav_file") || fail "the captured audio is silent throughout"
# Where the capture starts in run time: no later than the exit minus its
# length (the device closes during shutdown) and no later than the title's
# first sighting minus the first sound (the title music starts before the
# title shows); the smaller bound, within a second of the truth. Windows
# start 1.5 s after a scene was first seen and end when it was last seen.
wav_offset=$(awk -v e="$t_end" -v l="$wav_len" -v t="$t_title" -v o="$onset" \
  'BEGIN { a = e - l; b = t - o; printf "%.2f", a < b ? a : b }')
echo "  $wav_len s captured, first sound at $onset s, capture starts at run time $wav_offset s"
after() { awk -v t="$1" -v d="$2" 'BEGIN { print t + d }'; }
[ -n "$skip_logos" ] || check_audio level "$t_logo1" "$(after "$t_logo2" 1)" below 0.0005 "under the logos"
check_audio playing "$(after "$t_title" 1.5)" "$t_click" above 0.8 "title music"
check_audio playing "$(after "$t_game" 1.5)" "$t_last_game" above 0.8 "round music"
check_audio playing "$(after "$t_clear" 1.5)" "$t_tap2" above 0.8 "clear music"
check_audio playing "$(after "$t_title2" 1.5)" "$t_click2" above 0.8 "title music again"
check_audio playing "$(after "$t_game2" 1)" "$t_f12" above 0.8 "round 2 music"

echo "1 passed, 0 failed"
