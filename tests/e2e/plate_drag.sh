# One drag through the plate's cells, for the scripted players that send
# their input to the game's window: the hardening tests (hardening_lib.sh)
# and the soak run (scripts/soak.sh). Sourced; defines functions only.

# plate_drag XDO WID CELL...: presses on the first cell, rests on each, and
# lets go after the last; the cells are numbered row by row, 6 across, 95
# units apart in window WID. Command XDO runs xdotool on the game's display.
plate_drag() {
  local xdo=$1 wid=$2 first=1 cell
  shift 2
  for cell in "$@"; do
    "$xdo" mousemove --window "$wid" $((75 + cell % 6 * 95)) $((125 + cell / 6 * 95))
    if [ "$first" = 1 ]; then "$xdo" mousedown 1; first=0; fi
    sleep 0.05
  done
  sleep 0.05
  "$xdo" mouseup 1
}
