#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix and virtual display.
# Used by CMake as the emulator for cross-built programs (tests).
set -u
here=$(cd "$(dirname "$0")" && pwd)
BUILD_DIR=${BUILD_DIR:-$here/../build}
source "$here/wine-env.sh" || exit 1
exec "$NIMBREL_WINE" "$@"
