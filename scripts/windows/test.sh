#!/usr/bin/env bash
# The Windows stage of the test command: one Release build for Windows
# (scripts/windows/build.sh --tests), then its tests under Wine on a virtual
# X screen: the tick-level tests, the .exe played through a round, the
# installer installed, played and uninstalled. Exits 1 when anything failed.
#   scripts/windows/test.sh
# TIDE_NATIVE_BUILD and TIDE_WINDOWS_BUILD as for build.sh.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TIDE_WINDOWS_BUILD:-$root/build-windows}
"$root/scripts/windows/build.sh" --tests >/dev/null
# Wine's server folder and the sound clients' runtime folders are made under
# TMPDIR: a folder of the stage's own, removed once the Wine server has ended.
stage_tmp=$(mktemp -d "${TMPDIR:-/tmp}/tide_windows.XXXXXX")
end_stage() {
  WINEPREFIX="$build/wine-prefix" TMPDIR="$stage_tmp" wineserver -k 2>/dev/null || true
  rm -rf "$stage_tmp"
}
trap end_stage EXIT
export TMPDIR=$stage_tmp
# The Wine prefix the tests share is made by the first of them.
xvfb-run -a -s "-screen 0 1280x800x24 -noreset" ctest --test-dir "$build" --output-on-failure
