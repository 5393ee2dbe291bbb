#!/usr/bin/env bash
# The real program from its first frame, played as a player would with the
# mouse: the two logos, the title, a click through loading into a round, the
# pause menu opened and closed, plates played until the round ends, "Finish!"
# and the score, two taps back to the title, a second round that starts from
# a score of 0, and F12 out with exit code 0. Screens are checked against the
# game's own pictures; the mix captured by OpenAL Soft's wave writer must
# carry music in the title, the round and the clear scene and silence under
# the logos; standard output may hold only the plate counts, 1, 2, 3, ...
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"

[ -x "$probe" ] || fail "missing $probe (build the e2e_probe target)"
[ -d contents ] || fail "no contents folder in $PWD (build the contents target)"
round_limit=${E2E_ROUND_LIMIT:-300}

work=$(mktemp -d)
wav_file=$work/mix.wav
printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$wav_file" >"$work/alsoft.conf"

start_game_split ALSOFT_CONF="$work/alsoft.conf"
wid=$(find_window) || exit 1
locate_window "$wid"

echo "logo, title"
wait_for_scene logo1 30
t_logo1=$seen_at
wait_for_scene logo2 30
t_logo2=$seen_at
wait_for_scene title 30
t_title=$seen_at
# Let the drop-in finish (about 4 s) so that the click starts the game
# instead of skipping the drop-in; a click the title does not take is repeated.
sleep 6
wait_for_scene title 5 title_standing
t_click=$(elapsed)
leave_title "round 1"

echo "loading, round 1"
wait_for_scene loading 20
wait_for_scene game 30 game_start
t_game=$seen_at
digits=$("$probe" digits "$seen_shot" hud)
[ "$digits" = 00000000 ] || fail "round 1 starts with score '$digits', expected 00000000"

# The pause menu: open it, see its buttons, resume. (A press while the
# opening overlay still folds away is ignored by the game: press again.)
for attempt in 1 2 3 4; do
  tap_at 55 40
  sleep 1
  [ "$(scene_of "$(take_shot now)")" = pause ] && break
done
wait_for_scene pause 5
tap_at 810 496
wait_for_scene game 10 game_resumed

play_round "$round_limit" round1

echo "clear scene"
leave_clear round1
[ "$clear_score" -gt 0 ] || fail "a round of good sweets scored 0"

echo "round 2"
sleep 3
t_click2=$(elapsed)
leave_title "round 2"
wait_for_scene game 40 game2_start
digits=$("$probe" digits "$seen_shot" hud)
[ "$digits" = 00000000 ] || fail "round 2 starts with score '$digits', expected 00000000"
t_game2=$seen_at
sleep 2

echo "F12"
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
# The device opens at start-up and closes at exit: the capture ends (within
# the shutdown's own short time) when the program ends.
wav_offset=$(awk -v e="$t_end" -v l="$wav_len" 'BEGIN { printf "%.2f", e - l }')
echo "  $wav_len s captured, starting at run time $wav_offset s"
check_level level "$t_logo1" "$(awk -v t="$t_logo2" 'BEGIN { print t + 1 }')" below 0.0005 "under the logos"
check_level quietest "$(awk -v t="$t_title" 'BEGIN { print t + 1.5 }')" "$t_click" above 0.01 "title music"
check_level quietest "$(awk -v t="$t_game" 'BEGIN { print t + 1 }')" "$(awk -v t="$t_clear" 'BEGIN { print t - 2 }')" above 0.01 "round music"
check_level quietest "$(awk -v t="$t_clear" 'BEGIN { print t + 1 }')" "$t_tap2" above 0.01 "clear music"
check_level quietest "$(awk -v t="$t_title2" 'BEGIN { print t + 1 }')" "$t_click2" above 0.01 "title music again"
check_level quietest "$(awk -v t="$t_game2" 'BEGIN { print t + 0.5 }')" "$(awk -v t="$t_game2" 'BEGIN { print t + 2 }')" above 0.01 "round 2 music"

rm -rf "$work" "$shot_dir"
echo "1 passed, 0 failed"
