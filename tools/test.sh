#!/usr/bin/env bash
# Sets up this machine, builds everything and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
trap nimbrel_wine_stop EXIT
cd "$BUILD_DIR"
# The tests drive real windows and the keyboard focus: one program at a time.
ctest --output-on-failure "$@"
