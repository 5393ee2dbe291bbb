# Signalling a program the test started in the background. Sourced; defines
# functions only.

# signal_job SIGNAL PID: sends SIGNAL to PID only while it is a running job of
# this shell (an empty PID is nothing to signal). Bash reaps its children as
# soon as they end, and the number of a reaped one can come to another program
# (pids wrap at 32768): a kill sent to it could end another run's game.
signal_job() {
  [ -n "$2" ] && [[ " $(jobs -rp | tr '\n' ' ') " == *" $2 "* ]] && kill -"$1" "$2" 2>/dev/null
  return 0
}
