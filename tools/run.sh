#!/usr/bin/env bash
# Sets up this machine, builds Nimbrel and opens it under Wine on the files given
# (on a generated demo clip when none is named).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh" Nimbrel
source "$root/tools/wine-env.sh"
# Closing the window ends the run: what was started for it (the virtual display, the Wine
# server, the sound server) stops with it, also on Ctrl+C.
trap nimbrel_wine_stop EXIT
trap 'exit 130' INT TERM HUP

# With nothing named, a short demo clip made here by the native ffmpeg.
if [ $# -eq 0 ]; then
  demo="$BUILD_DIR/demo/Nimbrel demo.mp4"
  if [ ! -f "$demo" ]; then
    mkdir -p "$BUILD_DIR/demo"
    ffmpeg -nostdin -loglevel error -y \
      -f lavfi -i "testsrc2=size=640x360:rate=30:duration=20" \
      -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=20" \
      -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$demo"
  fi
  set -- "$demo"
fi

args=()
for a in "$@"; do
  if [ -e "$a" ]; then
    a=$(nimbrel_winpath "$a")
  fi
  args+=("$a")
done
echo "Nimbrel is running on display $DISPLAY (close its window to end)."
[ -n "${NIMBREL_PULSE_PID:-}" ] && echo "No sound server was running: the sound goes to a null sink of a PulseAudio started for this run."
cd "$BUILD_DIR/bin"
"$NIMBREL_WINE" Nimbrel.exe "${args[@]}"
