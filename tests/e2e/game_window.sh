# Finding the game's window on an X display, for the whole-program tests and
# the soak run. Sourced; defines functions only.

# game_window PID LIMIT [FILTER...]: prints the id of the visible window named
# TIDE_MARKER (and matching xdotool search's FILTERs, such as --pid PID),
# waiting up to LIMIT seconds while process PID runs. Each look is a single
# search: xdotool gives a search up at once when any window closes while it
# walks them (the last run's, or one a starting program opens and closes), so
# a failed look is only a reason to look again.
game_window() {
  local pid=$1 limit=$2 start=$SECONDS wid
  shift 2
  while :; do
    wid=$(xdotool search --all --onlyvisible "$@" --name '^TIDE_MARKER$' 2>/dev/null | sed -n 1p)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    [ $((SECONDS - start)) -lt "$limit" ] || return 1
    sleep 0.1
  done
}
