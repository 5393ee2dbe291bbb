#!/usr/bin/env bash
# The title's demo, with the wait cut to 2 s (TIDE_TEST_DEMO_SECONDS): left
# alone, the title plays a replay; a click fades back to the title with no
# round started, and the title plays it again after its wait. A damaged
# best_round.replay costs one line and the built-in demo round plays; a best
# round whose score is the best plays instead. --replay FILE: a click skips
# to the clear scene with the record's score. The data folder's files stay
# exactly as they were.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display
best=$e2e_tmp/best
home=$e2e_tmp/home
mkdir -p "$best" "$home"

# The build that generated the contents has the tool (a sanitizer build
# links another build's contents).
tools=$(cd "$(readlink -f contents)/.." && pwd)/tools
demo_line=$("$game_bin" --check-replay contents/demo_round.replay) || fail "the demo round does not replay: $demo_line"
demo_score=$(awk '{ print $3 + 0 }' <<<"$demo_line")
"$tools/demo_round" "$best/round.replay" 7 >/dev/null 2>"$best/line" || fail "no second round: $(cat "$best/line")"
best_score=$(awk '{ print $3 + 0 }' <"$best/line")

# One run over data folder $1 (best_score.ini and best_round.replay in it):
# the demo with score $2 plays, a click ends it, and with $3 = again the
# title plays it once more.
run_demo() {
  local home=$1 score=$2 again=${3:-} before
  before=$(cd "$home" && find . -type f -exec md5sum {} + | sort)
  start_game_split XDG_DATA_HOME="$home" TIDE_TEST_DEMO_SECONDS=2
  wid=$(find_window)
  locate_window "$wid"
  wait_event 'scene title' 40
  wait_event "replay start demo score $score" 30
  wait_event 'scene game' 10
  sleep 1.5
  keep_shot "$(take_shot "demo_$score")" "demo_$score"
  tap_at 512 300
  wait_event 'replay end' 10
  wait_event 'scene title' 10
  # Left alone again, the title waits its 2 s and plays the demo once more.
  if [ -n "$again" ]; then wait_event "replay start demo score $score" 30; else sleep 1; fi
  grep -q 'scene load\|round end' "$events_file" && fail "a round started: $(tr '\n' ',' <"$events_file")"
  xdotool key --window "$wid" F12
  expect_clean_exit 20
  [ "$(cd "$home" && find . -type f -exec md5sum {} + | sort)" = "$before" ] || fail "the data folder changed"
}

mkdir -p "$home/tide_marker"
printf 'best = %s\n' "$best_score" >"$home/tide_marker/best_score.ini"
head -c 300 "$best/round.replay" >"$home/tide_marker/best_round.replay"
run_demo "$home" "$demo_score" again
# One line each time the title chose its demo.
lines=$(grep -c '^replay: .*best_round.replay is cut short$' "$game_err")
[ "$lines" = 2 ] || fail "$lines lines about the damaged best round, expected 2"

cp "$best/round.replay" "$home/tide_marker/best_round.replay"
run_demo "$home" "$best_score"

before=$(cd "$home" && find . -type f -exec md5sum {} + | sort)
game_args=(--replay "$best/round.replay")
start_game_split XDG_DATA_HOME="$home"
locate_window "$(find_window)"
wait_event "replay start watched score $best_score" 40
wait_event 'scene game' 10
tap_at 512 300
wait_event 'replay end' 10
wait_event 'scene clear' 10
# The score counts up for about 10 s of the scene's ticks before it stands;
# readings on a loaded machine come a second or more apart.
read_digits 40 clear replay_clear || fail "the clear scene's score never stood still: last '$digits_read'"
[ "$digits_read" = "$(printf '%08d' "$best_score")" ] || fail "the clear scene shows $digits_read"
kill -TERM "$game_pid"
expect_clean_exit 20
[ "$(cd "$home" && find . -type f -exec md5sum {} + | sort)" = "$before" ] || fail "--replay changed the data folder"
echo "1 passed, 0 failed"
