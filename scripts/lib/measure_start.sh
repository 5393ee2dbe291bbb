# The start the measuring scripts share, sourced with the script's own
# command line (its path and arguments, the build folder given in full) once
# $root and $build are set: runs that command again under xvfb-run when no X
# display is set; otherwise goes into the build folder and loads the
# whole-program tests' steps (tests/e2e/e2e_lib.sh) for its tide_marker.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" "$@"
fi
cd "$build"
export TIDE_BINARY_DIR=$build
source "$root/tests/e2e/e2e_lib.sh" "$build/tide_marker"
