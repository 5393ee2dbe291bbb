# Shared steps of the hardening tests: runs of the real program from a folder
# of its own (a copy of the contents, possibly damaged), each on an X display
# of its own so that several runs go side by side, driven through the scene
# chain by clicks, and ended by F12 or the window's close request.
# Sourced by the *_test.sh scripts; expects $1 = path of the game binary.

set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/plate_drag.sh"
source "$(dirname "${BASH_SOURCE[0]}")/game_window.sh"
source "$(dirname "${BASH_SOURCE[0]}")/signal_job.sh"

hx_game_bin=$(readlink -f "${1:?usage: $0 GAME_BINARY}")
hx_build_dir=${TIDE_BINARY_DIR:-$PWD}
hx_contents="$hx_build_dir/contents"
hx_close_tool="$hx_build_dir/tests/x_close_window"
hx_probe=${TIDE_PROBE:-$hx_build_dir/tests/e2e_probe}
# Runs side by side; these tests take both of ctest's slots, so both cores are ours.
hx_jobs=${TIDE_E2E_JOBS:-3}
hx_work=$(mktemp -d "${TMPDIR:-/tmp}/tide_hardening.XXXXXX")
hx_failures=0
hx_pid=""
# Whether hx_run_cases lists the cases that passed too.
hx_print_ok=1
hx_passes=0

# The failure message the picture loaders print, with the bare file name.
hx_load_failure() { printf 'テクスチャ読み込み失敗%s' "$1"; }

hx_pictures=(Logo.png Logo_pemo.png gameBack.png PMBack.png pemophiSp.png shadow.png title.png
  font.png White.png particle.png plate.png block.png blockEf.png sweets.png balloonS.png
  pemoSitDown.png gauge.png plateIcon.png poseback.png botton.png loading.png balloonL.png
  pemoglut.png cursor.png howToPlay.png settingButtons.png)
hx_sounds=(SE_block.ogg SE_make.ogg SE_miss.ogg SE_eat.ogg SE_fivar.ogg SE_norma.ogg SE_NewPlate.ogg
  SE_pageFlip.ogg BGM_title.ogg BGM_game.ogg BGM_clear.ogg)

# Ends the programs this shell started that still run: signal $1, SIGKILL
# for any left 5 s later; then waits for them.
hx_end_jobs() {
  local running until=$((SECONDS + 5))
  running=$(jobs -rp)
  [ -n "$running" ] && kill -"$1" $running 2>/dev/null
  while [ -n "$running" ] && [ "$SECONDS" -lt "$until" ]; do sleep 0.1; running=$(jobs -rp); done
  [ -n "$running" ] && kill -KILL $running 2>/dev/null
  wait 2>/dev/null
}

# However the test ends (done, failed, interrupted, terminated), the workers
# are asked to end, and each ends what it started (games, displays, servers).
# The folder goes when the test passed; a failed test keeps its runs' files.
hx_cleanup() {
  local status=$?
  hx_end_jobs TERM
  if [ "$status" != 0 ]; then
    echo "the runs' files are kept in $hx_work" >&2
  elif [ "${TIDE_KEEP_RUNS:-0}" != 1 ]; then
    rm -rf "$hx_work"
  fi
}
trap hx_cleanup EXIT

# --- displays -------------------------------------------------------------

# Starts an Xvfb of its own; sets hx_display (":N") and hx_xvfb_pid.
hx_start_display() {
  local numfile
  numfile=$(mktemp "$hx_work/display.XXXXXX")
  Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  hx_xvfb_pid=$!
  local waited=0
  while [ ! -s "$numfile" ]; do
    sleep 0.05
    waited=$((waited + 1))
    [ "$waited" -lt 200 ] || { echo "Xvfb did not start" >&2; return 1; }
  done
  hx_display=":$(tr -d '\n' <"$numfile")"
}

hx_stop_display() { kill "$hx_xvfb_pid" 2>/dev/null; wait "$hx_xvfb_pid" 2>/dev/null; }

# --- contents ---------------------------------------------------------------

# Makes folder $1 holding a private copy of the generated contents.
hx_make_run_dir() {
  mkdir -p "$1"
  cp -rL "$hx_contents" "$1/contents"
}

# $1 deterministic noise bytes from the seed $2.
hx_noise() {
  LC_ALL=C awk -v n="$1" -v seed="$2" \
    'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}

# Damages file $1 in the way $2 names: truncated (first half kept), noise
# (same length), empty, flipped (bits flipped past the first 8 bytes).
hx_damage() {
  local file=$1 kind=$2 size
  size=$(stat -c %s "$file")
  case $kind in
    truncated) truncate -s $((size / 2)) "$file" ;;
    noise) hx_noise "$size" "$(basename "$file" | cksum | cut -d' ' -f1)" >"$file.tmp" && mv "$file.tmp" "$file" ;;
    empty) : >"$file" ;;
    flipped)
      local n offset byte
      for n in 1 2 3 4 5 6 7 8; do
        offset=$((8 + ($(printf '%s%d' "$file" "$n" | cksum | cut -d' ' -f1) % (size - 8))))
        byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
        printf "\\x$(printf %02x $((byte ^ (1 << (n % 8)))))" |
          dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
      done ;;
    *) echo "unknown damage $kind" >&2; return 1 ;;
  esac
}

# --- Ogg headers ------------------------------------------------------------

hx_crc_table=()
hx_make_crc_table() {
  local i j r
  for ((i = 0; i < 256; i++)); do
    r=$((i << 24))
    for ((j = 0; j < 8; j++)); do
      if ((r & 0x80000000)); then r=$(((r << 1) ^ 0x04c11db7)); else r=$((r << 1)); fi
      r=$((r & 0xffffffff))
    done
    hx_crc_table[i]=$r
  done
}

# Writes little-endian value $4 of $5 bytes at offset $3 of the Ogg page that
# starts at byte $2 of file $1, and fixes the page's checksum so that the
# reader takes the damage for data.
hx_patch_page() {
  local file=$1 page=$2 at=$3 value=$4 width=$5 k
  [ ${#hx_crc_table[@]} -eq 256 ] || hx_make_crc_table
  for ((k = 0; k < width; k++)); do
    printf "\\x$(printf %02x $(((value >> (8 * k)) & 255)))" |
      dd of="$file" bs=1 seek=$((page + at + k)) conv=notrunc status=none
  done
  # The page is its 27-byte header, the segment table and the segments.
  local segments length=27
  segments=$(od -An -tu1 -j $((page + 26)) -N1 "$file" | tr -d ' ')
  length=$((length + segments))
  for k in $(od -An -tu1 -j $((page + 27)) -N "$segments" -v "$file"); do length=$((length + k)); done
  printf '\x00\x00\x00\x00' | dd of="$file" bs=1 seek=$((page + 22)) conv=notrunc status=none
  local crc=0 b
  for b in $(od -An -tu1 -j "$page" -N "$length" -v "$file"); do
    crc=$((((crc << 8) & 0xffffffff) ^ hx_crc_table[((crc >> 24) ^ b) & 255]))
  done
  for ((k = 0; k < 4; k++)); do
    printf "\\x$(printf %02x $(((crc >> (8 * k)) & 255)))" |
      dd of="$file" bs=1 seek=$((page + 22 + k)) conv=notrunc status=none
  done
}

# Byte offset of the last page of Ogg file $1.
hx_last_page() { grep -obUaF OggS "$1" | tail -n1 | cut -d: -f1; }

# Offsets in the first page of a Vorbis stream (the identification header
# alone, one segment): 27 header bytes, 1 lacing byte, the packet type,
# "vorbis", the version, then these fields. The granule position is at 6 in
# every page.
hx_vorbis_channels_at=39
hx_vorbis_rate_at=40
hx_vorbis_blocksizes_at=56
hx_ogg_granule_at=6

# Writes an Ogg Vorbis file $1 of $2 channels: half a second of noise.
hx_make_ogg() {
  hx_noise $((22050 * 2 * $2)) "$2" | oggenc -Q -r -B 16 -C "$2" -R 44100 -q 0 -o "$1" - 
}

# --- one run of the game -----------------------------------------------------

# The runs go straight from the start to the title (the game's test switch;
# the logo pictures are still loaded); a test that quits in the logos empties
# hx_skip_logos.
hx_skip_logos=1

# Starts the game in folder $1 on display $hx_display with the extra
# environment in the remaining arguments; sets hx_pid and hx_wid.
hx_start_game() {
  local dir=$1
  shift
  # Settings of its own (the run's folder), so no run changes the next; the
  # "how to play" cards count as seen, so a touch on the title starts a round.
  mkdir -p "$dir/config/tide_marker"
  printf 'how_to_play_seen = on\n' >"$dir/config/tide_marker/settings.ini"
  (cd "$dir" && exec env DISPLAY="$hx_display" XDG_CONFIG_HOME="$dir/config" ${hx_skip_logos:+TIDE_TEST_SKIP_LOGOS=1} "$@" "$hx_game_bin" \
     >"$dir/stdout.txt" 2>"$dir/stderr.txt") &
  hx_pid=$!
  # Its own window, not one the last run on this display left closing.
  hx_wid=$(DISPLAY=$hx_display game_window "$hx_pid" 30 --pid "$hx_pid") && return 0
  # A game that ended before its window showed says how it ended.
  if ! kill -0 "$hx_pid" 2>/dev/null; then
    local code=0
    wait "$hx_pid" || code=$?
    hx_pid=""
    echo "the game ended before its window showed, exit status $code" >&2
  fi
  return 1
}

hx_xdo() { DISPLAY=$hx_display xdotool "$@" >/dev/null 2>&1; }

# A press long enough for a 60 Hz tick to see it, at window point ($1, $2).
hx_click() {
  hx_xdo mousemove --window "$hx_wid" "$1" "$2" mousedown 1
  sleep 0.07
  hx_xdo mouseup 1
}

# How many times the load failure of picture $2 is on folder $1's stdout.
hx_count() { grep -cxF "$(hx_load_failure "$2")" "$1/stdout.txt"; }

# Clicks the pause button and the menu's quit button by turns, which walks
# the chain: the clicks skip the title's drop-in and start the game, open the
# pause menu in the round and quit it to the title, and round again. Stops
# once command "$2..." succeeds, or after $1 seconds (result 1). Each turn
# takes about 0.6 s, less than the shortest scene visit.
hx_drive_until() {
  local limit=$1 start=$SECONDS
  shift
  while ! "$@"; do
    kill -0 "$hx_pid" 2>/dev/null || { echo "the game ended by itself" >&2; return 2; }
    [ $((SECONDS - start)) -lt "$limit" ] || return 1
    hx_click 55 40
    sleep 0.25
    hx_click 210 496
    sleep 0.25
  done
}

# Visits: how many separate bursts of the load failure of picture $1 the
# folder $hx_dir's stdout has shown, counted as the drive polls it. A scene's
# loads may take a while but come without a pause; two scenes that load the
# same picture are seconds apart, so new lines after a quiet spell of
# $hx_burst_gap_ms start a new burst.
hx_burst_gap_ms=1500
hx_bursts=0
hx_last_count=0
hx_last_rise_ms=0
hx_reset_bursts() { hx_bursts=0; hx_last_count=0; hx_last_rise_ms=0; }
hx_bursts_at_least() {
  local name=$1 want=$2 count now
  count=$(hx_count "$hx_dir" "$name")
  if [ "$count" -gt "$hx_last_count" ]; then
    now=$(($(date +%s%N) / 1000000))
    [ $((now - hx_last_rise_ms)) -lt "$hx_burst_gap_ms" ] || hx_bursts=$((hx_bursts + 1))
    hx_last_count=$count
    hx_last_rise_ms=$now
  fi
  [ "$hx_bursts" -ge "$want" ]
}

# The scene the probe reads on the game's window now.
hx_scene() {
  DISPLAY=$hx_display import -window "$hx_wid" -depth 8 "rgb:$hx_dir/shot.rgb" 2>/dev/null || return 1
  E2E_CONTENTS=$hx_contents "$hx_probe" scene "$hx_dir/shot.rgb" 2>/dev/null
}

# Reads the scene on the screen over and over and hands each to command $2
# (the scene its last argument), which acts on it and succeeds once the walk
# has reached its end; it sees the caller's locals. Result 1, naming the
# scenes seen, after $1 s; 2 when the game ends by itself.
hx_walk_scenes() {
  local limit=$1 step=$2 start=$SECONDS scene
  hx_seen=""
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    kill -0 "$hx_pid" 2>/dev/null || { echo "the game ended by itself"; return 2; }
    scene=$(hx_scene)
    hx_seen="$hx_seen ${scene:-?}"
    "$step" "$scene" && return 0
  done
  echo "scenes seen:$(echo "$hx_seen" | tr ' ' '\n' | uniq | tr '\n' ' ')"
  return 1
}

# Walks the chain looking at the screen (for runs whose pictures the probe
# can read): starts the game from the title, opens the pause menu in the
# round, quits it, and succeeds when the title shows again. The title and the
# open menu wait for a press, so neither can be missed. Gives up after $1 s.
hx_drive_by_screen() {
  local quit=0
  hx_walk_scenes "$1" hx_drive_step
}

# One step of hx_drive_by_screen on scene $1; sets its quit.
hx_drive_step() {
  case $1 in
    title) [ "$quit" = 1 ] && return 0
           hx_click 500 300 ;;
    game) hx_click 55 40 ;;
    pause) hx_click 210 496
           quit=1 ;;
    *) sleep 0.2 ;;
  esac
  return 1
}

# One drag through plate cells $@ (numbered row by row, 6 across).
hx_drag() { plate_drag hx_xdo "$hx_wid" "$@"; }

# Plays a whole round looking at the screen: starts it from the title, drags
# through the blocks the probe plans until the round ends, taps through the
# clear scene, and succeeds when the title shows again (the round is never
# paused, so the title after the round means the clear scene was passed).
# A screen the probe cannot name after the round (the clear scene without
# some of its pictures) gets a tap every 2 s: the title after it, a tap
# leaves it at once, must get the time to be seen first. Gives up after $1 s.
hx_play_round() {
  local played=0 last_tap=0
  hx_walk_scenes "$1" hx_play_step
}

# One step of hx_play_round on scene $1; sets its played and last_tap.
hx_play_step() {
  local cells
  case $1 in
    title) [ "$played" = 1 ] && return 0
           hx_click 500 300 ;;
    game) played=1
          cells=$(E2E_CONTENTS=$hx_contents "$hx_probe" plan "$hx_dir/shot.rgb" 12 2>/dev/null)
          if [ -n "$cells" ]; then hx_drag $cells; else sleep 0.2; fi ;;
    logo* | loading | black | "") sleep 0.2 ;;
    *) if [ "$played" = 1 ] && [ $((SECONDS - last_tap)) -ge 2 ]; then
         hx_click 500 300
         last_tap=$SECONDS
       fi
       sleep 0.3 ;;
  esac
  return 1
}

# Ends the game with F12 (or the close request when $1 is "close") and waits
# up to $2 seconds; result 0 only for exit code 0. A hung game gets SIGKILL,
# after its threads' stacks are written to hung_stacks.txt in its folder
# (where gdb is installed).
hx_quit_and_wait() {
  local how=$1 limit=$2 waited=0 code=0 sent=0
  if [ "$how" = close ]; then
    DISPLAY=$hx_display "$hx_close_tool" "$hx_wid" >/dev/null 2>&1 || sent=$?
  else
    hx_xdo key --window "$hx_wid" F12 || sent=$?
  fi
  while kill -0 "$hx_pid" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      echo "hung: still running $limit s after the quit (its sender's exit code $sent)" >&2
      if command -v gdb >/dev/null; then
        timeout 60 gdb -p "$hx_pid" -batch -ex 'thread apply all bt' >"$hx_dir/hung_stacks.txt" 2>&1
        echo "stacks in $hx_dir/hung_stacks.txt" >&2
      fi
      kill -KILL "$hx_pid" 2>/dev/null
      wait "$hx_pid" 2>/dev/null
      hx_pid=""
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$hx_pid" || code=$?
  hx_pid=""
  [ "$code" -eq 0 ] || { echo "exit code $code" >&2; return 1; }
  if grep -q 'Sanitizer\|runtime error' "$hx_dir/stderr.txt"; then
    echo "sanitizer report" >&2
    return 1
  fi
}

# Lines of folder $1's stdout other than load failures and plate counts.
hx_unexpected_output() {
  grep -v -e "^$(hx_load_failure '')" -e '^[0-9]\+$' "$1/stdout.txt"
}

# --- running cases side by side ----------------------------------------------

# Runs "$case_function NAME" for every NAME in the remaining arguments, at most
# $hx_jobs at a time, each worker on an X display of its own. A case prints
# its reasons on stderr and returns non-zero to fail; its folder is
# $hx_work/NAME (made by the case, kept on failure or with TIDE_KEEP_RUNS=1).
hx_run_cases() {
  local case_function=$1
  shift
  local names=("$@") w
  for ((w = 0; w < hx_jobs; w++)); do
    (
      trap 'hx_end_jobs KILL' EXIT
      hx_start_display || exit 1
      local i
      for ((i = w; i < ${#names[@]}; i += hx_jobs)); do
        local name=${names[i]} t0=$SECONDS
        if "$case_function" "$name" >"$hx_work/$name.why" 2>&1; then
          echo "ok   $name ($((SECONDS - t0)) s)" >"$hx_work/$name.result"
        else
          echo "FAIL $name ($((SECONDS - t0)) s): $(tr '\n' ' ' <"$hx_work/$name.why")" >"$hx_work/$name.result"
          if [ -d "$hx_work/$name" ]; then
            { echo "--- stdout of $name"; tail -n 20 "$hx_work/$name/stdout.txt"
              echo "--- stderr of $name"; grep -v '^ALSA lib\|^AL lib' "$hx_work/$name/stderr.txt" | tail -n 40
            } >>"$hx_work/$name.result" 2>/dev/null
          fi
        fi
        signal_job KILL "$hx_pid"
        hx_pid=""
      done
      hx_stop_display
    ) &
  done
  wait
  local name
  for name in "${names[@]}"; do
    if [ ! -f "$hx_work/$name.result" ]; then
      echo "FAIL $name: no result"
    elif [ "$hx_print_ok" = 1 ] || ! grep -q '^ok' "$hx_work/$name.result"; then
      cat "$hx_work/$name.result"
    fi
    if grep -q '^ok' "$hx_work/$name.result" 2>/dev/null; then
      hx_passes=$((hx_passes + 1))
    else
      hx_failures=$((hx_failures + 1))
    fi
  done
}

# Whether the game binary is built with a sanitizer (runs are slower there):
# the build says so once, through ctest's environment or its cache.
hx_sanitizer=${TIDE_SANITIZE-$(sed -n 's/^TIDE_SANITIZE:STRING=//p' "$hx_build_dir/CMakeCache.txt" 2>/dev/null)}
hx_sanitized() { [ -n "$hx_sanitizer" ]; }

hx_summary() {
  echo "$hx_passes passed, $hx_failures failed"
  [ "$hx_failures" -eq 0 ]
}
