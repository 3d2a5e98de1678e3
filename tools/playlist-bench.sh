#!/usr/bin/env bash
# Playlist benchmark: intake of a folder of 10,000 small files and of a 10,000-entry playlist
# in the running program; a folder of 1,000 files of every kind intake takes against FLV/MP4
# files only and against the I/O floor, in the same run.
#   Usage: tools/playlist-bench.sh [BUILD_DIR] [COUNT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export BUILD_DIR=$(cd "${1:-$here/../build}" && pwd)
cmake --build "$BUILD_DIR" --target playlist_bench -j"$(nproc)" >/dev/null
source "$here/wine-env.sh"
trap nimbrel_wine_stop EXIT
"$NIMBREL_WINE" "$BUILD_DIR/tests/playlist_bench.exe" ${2:-} 2>/dev/null | tr -d '\r'
