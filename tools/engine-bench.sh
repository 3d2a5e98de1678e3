#!/usr/bin/env bash
# Engine benchmark: the engine's figures on a 1080p H.264 clip, beside native ffmpeg's rate on
# the same clip and machine in the same run, then the HDR step's cost per picture beside the same
# picture without it.  Usage: tools/engine-bench.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export BUILD_DIR=$(cd "${1:-$here/../build}" && pwd)
cmake --build "$BUILD_DIR" --target engine_bench -j"$(nproc)" >/dev/null
clip="$BUILD_DIR/tests/engine/media/bench_1080p.mp4"
frames=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$clip")
start=$(date +%s.%N)
ffmpeg -nostdin -v error -i "$clip" -vf scale=1280:720:flags=bilinear,format=bgra -f null -
native=$(echo "$frames / ($(date +%s.%N) - $start)" | bc -l)
source "$here/wine-env.sh"
trap nimbrel_wine_stop EXIT
out=$("$here/wine-run.sh" "$BUILD_DIR/tests/engine/engine_bench.exe" 2>/dev/null | tr -d '\r')
echo "$out"
engine=$(echo "$out" | awk '/^unpaced_fps/{print $2}')
printf 'native_ffmpeg_fps %.1f (same clip, scale=1280:720 bilinear, format=bgra)\n' "$native"
printf 'engine_to_native %.2f (goal 0.85 or more)\n' "$(echo "$engine / $native" | bc -l)"
# The HDR step's cost: the same picture converted with and without it, in the same run.
"$here/wine-run.sh" "$BUILD_DIR/tests/engine/engine_bench.exe" --colour 2>/dev/null | tr -d '\r'
