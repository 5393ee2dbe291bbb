# Shared steps of the whole-program tests: start the game in the build folder,
# find its window, wait for it to end and check how it ended.
# Sourced by the *_test.sh scripts; expects $1 = path of the game binary.

source "$(dirname "${BASH_SOURCE[0]}")/game_window.sh"
source "$(dirname "${BASH_SOURCE[0]}")/signal_job.sh"

game_bin=${1:?usage: $0 GAME_BINARY}
close_tool=${TIDE_BINARY_DIR:-$PWD}/tests/x_close_window
game_pid=""
own_xvfb_pid=""
wm_pid=""
e2e_failed=0
# The runs' files (output, screenshots, events, settings and data folders):
# gone when the test passes, kept for whoever reads a failure.
e2e_tmp=$(mktemp -d "${TMPDIR:-/tmp}/tide_e2e.XXXXXX")
game_out=$e2e_tmp/game_out

# Ends what the test started (the game, the window manager, the X server)
# however the test ends; a test that sets its own EXIT trap calls it there.
e2e_cleanup() {
  signal_job KILL "$game_pid"
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$own_xvfb_pid" ] && kill "$own_xvfb_pid" 2>/dev/null
  if [ "$e2e_failed" = 1 ]; then
    echo "the runs' files are kept in $e2e_tmp" >&2
  else
    rm -rf "$e2e_tmp"
  fi
}
trap e2e_cleanup EXIT

fail() {
  e2e_failed=1
  {
    echo "FAIL: $*"
    echo "--- game output:"
    cat "$game_out"
    if [ -n "${game_err:-}" ]; then
      echo "--- game errors:"
      tail -n 60 "$game_err"
    fi
  } >&2
  # SIGKILL: SDL turns SIGTERM into a quit request, which a hung game never reads.
  signal_job KILL "$game_pid"
  exit 1
}

# Gives the test an X server of its own (the server picks a free display
# number itself, so parallel runs never meet); it ends with the script.
own_display() {
  local numfile waited=0
  numfile=$e2e_tmp/display
  Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  own_xvfb_pid=$!
  while [ ! -s "$numfile" ]; do
    sleep 0.05
    waited=$((waited + 1))
    [ "$waited" -lt 200 ] || fail "Xvfb did not start"
  done
  export DISPLAY=":$(tr -d '\n' <"$numfile")"
}

# own_display with a window manager on it.
own_desktop() {
  own_display
  start_window_manager
}

# Starts openbox on the display and returns once it has announced itself on
# the root window; sets wm_pid for the caller to end.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 50); do
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *'window id'* ]] && return 0
    sleep 0.1
  done
}

# Each run keeps its settings in a folder of its own, so one run's saved
# choices (full screen, volume) never change the next; a test that wants a
# given folder passes XDG_CONFIG_HOME=... to start_game_split, which wins.
# fresh_config names a folder not yet made; seen_config makes one whose
# settings say the "how to play" cards were seen, so the first touch on the
# title starts the round.
fresh_config() { mktemp -u "$e2e_tmp/config.XXXXXX"; }
seen_config() {
  local dir
  dir=$(fresh_config)
  mkdir -p "$dir/tide_marker"
  printf 'how_to_play_seen = on\n' >"$dir/tide_marker/settings.ini"
  printf '%s' "$dir"
}
# Likewise the best score: each run's folder is data_home, fresh unless the
# test passes XDG_DATA_HOME=... itself.
data_home=""

# The game goes straight from its start to the title (its test switch; the
# logo pictures are still loaded): a test that looks at the logos empties
# skip_logos before it starts the game.
skip_logos=1

# Starts the game in the background; sets game_pid.
start_game() {
  [ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"
  data_home=$(fresh_config)
  env ${skip_logos:+TIDE_TEST_SKIP_LOGOS=1} XDG_CONFIG_HOME="$(seen_config)" XDG_DATA_HOME="$data_home" "$game_bin" >"$game_out" 2>&1 &
  game_pid=$!
}

# Prints the id of the game's window, waiting up to 20 s for it to appear.
find_window() {
  local wid
  wid=$(game_window "$game_pid" 20) || fail "the window did not appear"
  echo "$wid"
}

# Waits up to $1 seconds for the game to end and checks its exit code is 0.
expect_clean_exit() {
  local limit=$1 waited=0
  while kill -0 "$game_pid" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      fail "the game did not end within $limit s"
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  local code=0
  wait "$game_pid" || code=$?
  game_pid=""
  [ "$code" -eq 0 ] || fail "exit code $code, expected 0"
}

# ---- Playing as a player: screenshots, scenes, drags (whole_chain_test.sh) ----
# The probe reads the screen with the game's own pictures from ./contents.
probe=${TIDE_PROBE:-${TIDE_BINARY_DIR:-$PWD}/tests/e2e_probe}
game_err=""
shot_dir=""
win_x=0
win_y=0
run_start=0

# Seconds since start_game_split, with two decimals.
elapsed() {
  awk -v now="$(date +%s.%N)" -v start="$run_start" 'BEGIN { printf "%.2f", now - start }'
}

# The elapsed time $1 seconds from now; whether a time given by elapsed has
# passed; a sleep until a time given by elapsed (none if it has passed).
deadline_in() { awk -v a="$(elapsed)" -v b="$1" 'BEGIN { print a + b }'; }
past() { awk -v a="$(elapsed)" -v b="$1" 'BEGIN { exit !(a > b) }'; }
sleep_until() { sleep "$(awk -v a="$(elapsed)" -v b="$1" 'BEGIN { d = b - a; print (d > 0 ? d : 0) }')"; }

# A path of this system as the game names it (a test of a Windows game under
# Wine names it on Wine's Z: drive).
game_path() { printf '%s' "$1"; }

# Starts the game with standard output and standard error kept apart (the
# output is checked line by line); extra environment as arguments (VAR=value),
# the game's own arguments in the array game_args. The game writes its test
# events (scene changes, the round's end) to $events_file.
game_args=()
events_file=""
events_read=0
start_game_split() {
  [ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"
  game_err=$(mktemp "$e2e_tmp/game_err.XXXXXX")
  shot_dir=$(mktemp -d "$e2e_tmp/shots.XXXXXX")
  events_file=$(mktemp "$e2e_tmp/events.XXXXXX")
  events_read=0
  run_start=$(date +%s.%N)
  data_home=$(fresh_config)
  env ${skip_logos:+TIDE_TEST_SKIP_LOGOS=1} XDG_CONFIG_HOME="$(seen_config)" XDG_DATA_HOME="$data_home" \
    TIDE_TEST_EVENTS="$(game_path "$events_file")" "$@" \
    "$game_bin" "${game_args[@]}" >"$game_out" 2>"$game_err" &
  game_pid=$!
}

# Waits up to $2 seconds for a test event line matching pattern $1 (an
# extended regular expression for the whole line) after the last one waited
# for; sets event_line (the line) and event_at (elapsed seconds when seen).
# Result 1 when none came in time.
event_within() {
  local pattern=$1 limit=$2 start=$SECONDS found
  while :; do
    # (The Windows game ends its lines with CR LF.)
    found=$(awk -v from="$events_read" -v re="^($pattern)\$" '{ sub(/\r$/, "") } NR > from && $0 ~ re { print NR ": " $0; exit }' "$events_file")
    if [ -n "$found" ]; then
      events_read=${found%%:*}
      event_line=${found#*: }
      event_at=$(elapsed)
      echo "  [$event_at s] event: $event_line"
      return 0
    fi
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for the event '$pattern'"
    [ $((SECONDS - start)) -lt "$limit" ] || return 1
    sleep 0.05
  done
}
# The same, failing the test when no such event comes in time.
wait_event() {
  event_within "$@" || fail "no event '$1' within $2 s (events: $(tr '\n' ',' <"$events_file"))"
}

# Where the window's client area sits on the screen (win_x, win_y, win_w,
# win_h) and where the letterboxed 1024 x 576 picture lies inside it (pic_x,
# pic_y, pic_w, pic_h, window coordinates), fitted as the game fits it.
win_w=1024
win_h=576
pic_x=0
pic_y=0
pic_w=1024
pic_h=576
set_client_area() {
  win_x=$1
  win_y=$2
  win_w=$3
  win_h=$4
  read -r pic_x pic_y pic_w pic_h < <(awk -v w="$win_w" -v h="$win_h" 'BEGIN {
    s = w / 1024 < h / 576 ? w / 1024 : h / 576
    pw = int(1024 * s + 0.5); ph = int(576 * s + 0.5)
    print int((w - pw) / 2), int((h - ph) / 2), pw, ph }')
}

# Finds the window and remembers where it sits on the screen.
locate_window() {
  local wid=$1
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq 576 ] || fail "window is ${WIDTH}x$HEIGHT, expected 1024x576"
  set_client_area "$X" "$Y" "$WIDTH" "$HEIGHT"
}

# The same under a window manager, which puts a frame around the window:
# xdotool's position is off there, xwininfo's absolute one is right.
locate_client() {
  local info x y w h
  info=$(xwininfo -id "$1" 2>/dev/null) || fail "xwininfo cannot see window $1"
  x=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$info")
  w=$(awk '/^ *Width:/ { print $2 }' <<<"$info")
  h=$(awk '/^ *Height:/ { print $2 }' <<<"$info")
  set_client_area "$x" "$y" "$w" "$h"
}

# Screen position of a point of the virtual screen: "X Y".
to_screen() {
  awk -v vx="$1" -v vy="$2" -v x="$((win_x + pic_x))" -v y="$((win_y + pic_y))" -v w="$pic_w" -v h="$pic_h" \
    'BEGIN { printf "%d %d\n", x + vx * w / 1024, y + vy * h / 576 }'
}

# Screenshot of the game's picture as raw 1024 x 576 RGB into $shot_dir/$1.rgb
# (scaled back when the window shows it at another size); prints the path.
take_shot() {
  local path=$shot_dir/$1.rgb
  local crop="${pic_w}x${pic_h}+$((win_x + pic_x))+$((win_y + pic_y))"
  if [ "$pic_w" -eq 1024 ] && [ "$pic_h" -eq 576 ]; then
    import -window root -crop "$crop" -depth 8 "rgb:$path" 2>/dev/null || fail "screenshot failed"
  else
    import -window root miff:- 2>/dev/null | convert - -crop "$crop" +repage -resize '1024x576!' \
      -depth 8 "rgb:$path" 2>/dev/null || fail "screenshot failed"
  fi
  echo "$path"
}

# Keeps a screenshot as PNG for whoever reads a failure ($E2E_KEEP_SHOTS or the temp folder).
keep_shot() {
  local keep=${E2E_KEEP_SHOTS:-$shot_dir}
  mkdir -p "$keep"
  convert -size 1024x576 -depth 8 "rgb:$1" "$keep/$2.png" 2>/dev/null
}

scene_of() { "$probe" scene "$1"; }

# Polls the screen until scene $1 shows, for at most $2 seconds; keeps the
# screenshot as $3.png and sets seen_at (elapsed seconds) and seen_shot.
wait_for_scene() {
  local want=$1 limit=$2 name=${3:-$1} deadline shot scene
  deadline=$(deadline_in "$limit")
  while :; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for the $want scene"
    shot=$(take_shot now)
    scene=$(scene_of "$shot")
    if [ "$scene" = "$want" ]; then
      seen_at=$(elapsed)
      seen_shot=$shot_dir/$name.rgb
      cp "$shot" "$seen_shot"
      keep_shot "$seen_shot" "$name"
      echo "  [$seen_at s] $want"
      return 0
    fi
    if past "$deadline"; then
      keep_shot "$shot" "timeout_$name"
      fail "the $want scene did not show within $limit s (last seen: $scene, kept in ${E2E_KEEP_SHOTS:-$shot_dir})"
    fi
    sleep 0.15
  done
}

# Takes screenshots until FUNC SHOT [ARGS...] holds, for at most LIMIT
# seconds: shot_until LIMIT NAME FUNC [ARGS...]. The last one is kept as
# NAME.png; fails when FUNC never held.
shot_until() {
  local limit=$1 name=$2 deadline shot
  shift 2
  deadline=$(deadline_in "$limit")
  while :; do
    shot=$(take_shot "$name")
    if "$1" "$shot" "${@:2}"; then
      keep_shot "$shot" "$name"
      return 0
    fi
    if past "$deadline"; then
      keep_shot "$shot" "$name"
      return 1
    fi
    sleep 0.1
  done
}

# Reads the 8 digits of counter WHERE (probe names: hud, clear, best, title)
# until two readings in a row are whole and agree, for at most LIMIT seconds:
# something drawn over a digit for a moment (hearts, a falling block) cannot
# make a wrong reading. read_digits LIMIT WHERE NAME sets digits_read (the
# last reading) and keeps the last screenshot as NAME.png; fails when no two
# readings agreed.
read_digits() {
  digits_read=""
  shot_until "$1" "$3" digits_agree "$2"
}
# digits_agree SHOT WHERE: reads the counter; true when the reading is whole
# and the same as the one before.
digits_agree() {
  local previous=$digits_read
  digits_read=$("$probe" digits "$1" "$2")
  [[ "$digits_read" =~ ^[0-9]{8}$ ]] && [ "$digits_read" = "$previous" ]
}

# A tap at window coordinates: press, a few ticks held, release.
tap_at() {
  # shellcheck disable=SC2046
  xdotool mousemove $(to_screen "$1" "$2") mousedown 1
  sleep 0.08
  xdotool mouseup 1
}

# Drags through plate cells (numbered row by row, 6 across): press on the
# first, rest a few ticks on each, release after the last.
drag_cells() {
  local first=1 cell x y
  for cell in "$@"; do
    read -r x y < <(to_screen $((75 + (cell % 6) * 95)) $((125 + (cell / 6) * 95)))
    if [ $first = 1 ]; then
      xdotool mousemove "$x" "$y" mousedown 1
      first=0
    else
      xdotool mousemove "$x" "$y"
    fi
    sleep 0.06
  done
  sleep 0.05
  xdotool mouseup 1
}

# Fails unless a measure of the captured mix between two run times lies on
# the right side of a bound: check_audio level|playing FROM TO above|below
# BOUND WHAT ("level": RMS; "playing": share of half seconds with sound).
# $wav_offset is the run time at which the capture starts.
check_audio() {
  local how=$1 from=$2 to=$3 side=$4 bound=$5 what=$6 a b value
  a=$(awk -v t="$from" -v o="$wav_offset" 'BEGIN { printf "%.2f", t - o }')
  b=$(awk -v t="$to" -v o="$wav_offset" 'BEGIN { printf "%.2f", t - o }')
  value=$("$probe" "$how" "$wav_file" "$a" "$b") || fail "no audio measure for $what ($a..$b s)"
  echo "  audio $what ($a..$b s): $how $value"
  if [ "$side" = above ]; then
    awk -v l="$value" -v b="$bound" 'BEGIN { exit !(l > b) }' || fail "$what: $how $value, expected above $bound"
  else
    awk -v l="$value" -v b="$bound" 'BEGIN { exit !(l < b) }' || fail "$what: $how $value, expected below $bound"
  fi
}

# Presses the title until it gives way; $1 names the round in messages. The
# title ignores a touch in the 32 ticks after each of its bob cycles (179
# ticks) restarts, and a press during the drop-in only skips it: a press held
# for 0.7 s outlasts both, where short taps about a cycle apart could all
# fall into the ignored ticks.
leave_title() {
  local attempt
  for attempt in 1 2 3; do
    # shellcheck disable=SC2046
    xdotool mousemove $(to_screen 512 300) mousedown 1
    sleep 0.7
    xdotool mouseup 1
    event_within 'scene load' 5 && return 0
    # An event missed for any reason: the screen tells.
    [ "$(scene_of "$(take_shot now)")" != title ] && return 0
  done
  keep_shot "$(take_shot now)" title_stuck
  fail "three clicks on the title did not start $1 (screen kept as title_stuck.png in ${E2E_KEEP_SHOTS:-$shot_dir})"
}

# Plays plates until the clear scene shows, for at most $1 seconds: read the
# plate, drag a planned path, let the sweets be served, again. At most 27
# blocks a plate, so no plate is perfect (the fever after a perfect plate
# slows the gauge down). Sets plates_played, t_clear and t_last_game (the
# last time the round was seen before its end); keeps the first
# plate and its serving as $2_plate.png and $2_serving.png, the end as $2_clear.png.
# With stop_at_round_end set it returns as soon as the game logs the round's
# end ("round end SCORE", in event_line), before the fade to the clear scene.
stop_at_round_end=""
round_ended() { [ -n "$stop_at_round_end" ] && event_within 'round end [0-9]+' "$1"; }
play_round() {
  local limit=$1 name=$2 deadline shot scene cells
  plates_played=0
  deadline=$(deadline_in "$limit")
  while :; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended during the round"
    past "$deadline" &&
      fail "no clear scene after $limit s of play ($plates_played plates played)"
    round_ended 0 && return 0
    shot=$(take_shot now)
    scene=$(scene_of "$shot")
    if [ "$scene" = clear ]; then
      t_clear=$(elapsed)
      cp "$shot" "$shot_dir/${name}_clear.rgb"
      keep_shot "$shot" "${name}_clear"
      echo "  [$t_clear s] clear, after $plates_played plates"
      return 0
    fi
    [ "$scene" = game ] && t_last_game=$(elapsed)
    if [ "$scene" = game ] && cells=$("$probe" plan "$shot" 27); then
      plates_played=$((plates_played + 1))
      [ $plates_played = 1 ] && keep_shot "$shot" "${name}_plate"
      # shellcheck disable=SC2086
      drag_cells $cells
      [ $plates_played = 1 ] && keep_shot "$(take_shot serving)" "${name}_serving"
      round_ended 1 && return 0
      [ -n "$stop_at_round_end" ] || sleep 1
    else
      round_ended 1 && return 0
      [ -n "$stop_at_round_end" ] || sleep 0.3
    fi
  done
}

# In the clear scene (seen at $t_clear): a tap makes the count jump to the
# score, which must then stand still; a second tap once the scene has run
# more than 128 ticks leads back to the title. Sets clear_score, t_tap2, t_title2.
leave_clear() {
  local name=$1 first second="" reads
  sleep 1
  tap_at 512 300
  # Two readings in a row must agree (a screenshot can catch a frame half
  # drawn, so a reading with an unreadable digit is taken again).
  for reads in 1 2 3 4 5 6 7 8; do
    sleep 0.4
    first=$second
    second=$("$probe" digits "$(take_shot snapped)" clear)
    [[ "$second" =~ ^[0-9]{8}$ ]] && [ "$first" = "$second" ] && break
  done
  keep_shot "$shot_dir/snapped.rgb" "${name}_snapped"
  echo "  score $second"
  [[ "$second" =~ ^[0-9]{8}$ ]] || fail "the clear scene's score reads '$second'"
  [ "$first" = "$second" ] || fail "the score still moves after the tap: $first then $second"
  [ "$(scene_of "$shot_dir/snapped.rgb")" = clear ] || fail "the first tap left the clear scene"
  clear_score=$((10#$second))
  sleep_until "$(awk -v b="$t_clear" 'BEGIN { print b + 4 }')"
  t_tap2=$(elapsed)
  tap_at 512 300
  wait_for_scene title 15 "${name}_title"
  t_title2=$seen_at
}
