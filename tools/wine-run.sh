#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix, virtual display and sound server
# (CMake's emulator for the cross-built tests); with --host first, runs a program of this
# machine in that environment instead (the end-to-end tests). What it had to start for
# the run, it stops afterwards.
set -u
here=$(cd "$(dirname "$0")" && pwd)
BUILD_DIR=${BUILD_DIR:-$here/../build}
source "$here/wine-env.sh" || exit 1
if [ "${1:-}" = "--host" ]; then
  shift
  "$@"
else
  "$NIMBREL_WINE" "$@"
fi
rc=$?
nimbrel_wine_stop
exit $rc
