#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a short bounded time
# (TIDE_FUZZ_SECONDS, 20 by default). Fails when any target finds a crash, a
# leak, undefined behaviour or a broken result check.
set -uo pipefail
. "$(dirname "$0")/../fuzz/fuzz_common.sh"
set -e
fuzz_setup
set +e
seconds=${TIDE_FUZZ_SECONDS:-20}
failed=0
# Two targets at a time, one a core.
running=()
for target in "${fuzz_targets[@]}"; do
  fuzz_run "$target" -max_total_time="$seconds" &
  running+=($!)
  [ ${#running[@]} -lt 2 ] && continue
  for pid in "${running[@]}"; do wait "$pid" || failed=1; done
  running=()
done
for pid in "${running[@]}"; do wait "$pid" || failed=1; done
[ $failed -eq 0 ] && echo "fuzz smoke: no faults found"
exit $failed
