#!/usr/bin/env bash
# Serves the web build (build-web/dist, made by scripts/web/build.sh) on this
# machine only, at http://127.0.0.1:PORT/ (8080 unless given).
#   scripts/web/serve.sh [PORT]
# Any static web server does as well, if it sends .wasm files as
# application/wasm; no special headers are needed (the build has no threads).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=${TIDE_WEB_BUILD:-$root/build-web}/dist
[ -f "$dist/index.html" ] || { echo "no web build in $dist: run scripts/web/build.sh" >&2; exit 1; }
exec node "$root/tests/web/serve.mjs" "$dist" --port "${1:-8080}"
