#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, then starts the game.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
exec ./tide_marker
