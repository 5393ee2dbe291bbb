#!/usr/bin/env bash
# Long fuzzing runs of the fuzz targets, one after another, growing the
# corpora kept under build-fuzz/corpus.
#   scripts/fuzz_long.sh <seconds> [target...]      run each target this long
#   scripts/fuzz_long.sh -runs <count> [target...]  run each target this many inputs
# Targets: png_decode ogg_decode music_stream settings_file command_line
# replay_file (all by default). Crashing inputs land in build-fuzz/artifacts/<target>/, logs
# in build-fuzz/logs/.
set -uo pipefail
. "$(dirname "$0")/../fuzz/fuzz_common.sh"
if [ "${1:-}" = -runs ]; then
  limit=(-runs="${2:?count}")
  shift 2
else
  limit=(-max_total_time="${1:-3600}")
  shift || true
fi
[ $# -gt 0 ] && fuzz_targets=("$@")
set -e
fuzz_setup
set +e
failed=0
for target in "${fuzz_targets[@]}"; do
  fuzz_run "$target" "${limit[@]}" || failed=1
done
exit $failed
