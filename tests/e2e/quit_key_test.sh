#!/usr/bin/env bash
# The real program: its window appears and F12 ends it with exit code 0.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display

start_game
wid=$(find_window) || exit 1
# Let a few ticks and frames run before quitting.
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 10
echo "1 passed, 0 failed"
