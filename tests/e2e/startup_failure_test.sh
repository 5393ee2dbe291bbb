#!/usr/bin/env bash
# Start-up steps that fail, forced through the libraries' own switches: each
# writes one line with the library's reason to standard error, standard
# output stays empty, and the program ends cleanly (exit code 1, no crash)
# where nothing can be drawn, or plays on (silent) where only sound is lost.
#   - no GL context: SDL on EGL, with Mesa asked for an OpenGL version that
#     does not exist, cannot make one;
#   - no GL entry points: on an EGL context GLEW, which loads through GLX,
#     finds none;
#   - a context below OpenGL 2.0 (Mesa told to offer 1.4);
#   - no window: no X display, and SDL held to its X11 driver;
#   - no audio device: OpenAL Soft given only a driver that does not exist.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
own_display

work=$e2e_tmp/work
mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config
failures=0

# Runs the game with the given environment; it must end by itself within
# 20 s with exit code 1, and say exactly one line starting with $2 and
# holding $3 (besides the libraries' own chatter and the settings line).
expect_refusal() {
  local name=$1 start=$2 reason=$3
  shift 3
  local out=$work/$name.out err=$work/$name.err code=0
  timeout -s KILL 20 env "$@" "$game_bin" >"$out" 2>"$err" || code=$?
  local ours
  ours=$(grep -E '^(window|GL context|GL entry points|audio device|shader program): ' "$err")
  if [ "$code" -ne 1 ]; then
    echo "FAIL $name: exit code $code, expected 1"
  elif [ -s "$out" ]; then
    echo "FAIL $name: standard output: $(head -n2 "$out")"
  elif [ "$(printf '%s\n' "$ours" | grep -c .)" -ne 1 ]; then
    echo "FAIL $name: expected one start-up line, got: ${ours:-none}"
  elif [[ "$ours" != "$start"* || "$ours" != *"$reason"* ]]; then
    echo "FAIL $name: the line reads '$ours'"
  else
    echo "ok   $name: $ours"
    return 0
  fi
  sed -n '1,20s/^/    /p' "$err"
  failures=$((failures + 1))
}

[ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"
expect_refusal no_gl_context "GL context: " "EGL" \
  ALSOFT_DRIVERS=null SDL_VIDEO_X11_FORCE_EGL=1 MESA_GL_VERSION_OVERRIDE=0.1
expect_refusal no_gl_entry_points "GL entry points: " "GLX" \
  ALSOFT_DRIVERS=null SDL_VIDEO_X11_FORCE_EGL=1
expect_refusal old_gl "GL context: OpenGL 2.0 is needed" "1.4" \
  ALSOFT_DRIVERS=null MESA_GL_VERSION_OVERRIDE=1.4
expect_refusal no_window "window: " "x11" \
  ALSOFT_DRIVERS=null DISPLAY= SDL_VIDEODRIVER=x11

# Without an audio device the game runs silent: one line, then F12 as usual.
echo "[general]" >"$work/nosuch.conf"
start_game_split ALSOFT_CONF="$work/nosuch.conf" ALSOFT_DRIVERS=nosuch
wid=$(find_window) || exit 1
sleep 1
xdotool key --window "$wid" F12
expect_clean_exit 15
[ ! -s "$game_out" ] || fail "standard output is not empty: $(head -n2 "$game_out")"
lines=$(grep -c '^audio device: ' "$game_err")
if [ "$lines" -eq 1 ] && grep -q 'runs silent' "$game_err"; then
  echo "ok   no_audio_device: $(grep '^audio device: ' "$game_err")"
else
  echo "FAIL no_audio_device: $lines audio device lines"
  failures=$((failures + 1))
fi

[ $failures -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "5 passed, 0 failed"
