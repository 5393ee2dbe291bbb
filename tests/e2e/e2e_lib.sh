# Shared steps of the whole-program tests: start the game in the build folder,
# find its window, wait for it to end and check how it ended.
# Sourced by the *_test.sh scripts; expects $1 = path of the game binary.

game_bin=${1:?usage: $0 GAME_BINARY}
close_tool=${TIDE_BINARY_DIR:-$PWD}/tests/x_close_window
game_pid=""
game_out=$(mktemp)

fail() {
  {
    echo "FAIL: $*"
    echo "--- game output:"
    cat "$game_out"
  } >&2
  # SIGKILL: SDL turns SIGTERM into a quit request, which a hung game never reads.
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  exit 1
}

# Starts the game in the background; sets game_pid.
start_game() {
  [ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"
  "$game_bin" >"$game_out" 2>&1 &
  game_pid=$!
}

# Prints the id of the game's window, waiting up to 20 s for it to appear.
find_window() {
  local wid
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^TIDE_MARKER$' 2>/dev/null | head -n1)
  [ -n "$wid" ] || fail "the window did not appear"
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
