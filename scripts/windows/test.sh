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
# The Wine prefix the tests share is made by the first of them.
xvfb-run -a -s "-screen 0 1280x800x24" ctest --test-dir "$build" --output-on-failure
