#!/usr/bin/env bash
# The real program: the window's close request ends it with exit code 0, at
# start-up and at several moments while ticks are running.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display

[ -x "$close_tool" ] || fail "missing $close_tool (build the x_close_window target)"
passed=0
for delay in 0 0.3 0.75 1.2 2.1; do
  start_game
  wid=$(find_window) || exit 1
  sleep "$delay"
  "$close_tool" "$wid" || fail "could not send the close request"
  expect_clean_exit 10
  passed=$((passed + 1))
done
echo "$passed passed, 0 failed"
