#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, then starts the game with the
# pictures and sounds the build generated. Arguments go to the game
# (scripts/play.sh --fullscreen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh" play
"$root/scripts/build.sh" "$root/build"
exec "$root/build/tide_marker" --contents "$root/build/contents" "$@"
