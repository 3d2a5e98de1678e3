#!/usr/bin/env bash
# The sound server killed mid-play and started again: the program plays a 100-second clip
# through a private PulseAudio server (null sink, its own runtime folder), the server is killed,
# and started again. Prints what the program did at each step; exits 1 when it died or froze.
#   tools/sound-server-restart.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export BUILD_DIR=$(cd "${1:-$here/../build}" && pwd)
clip=$BUILD_DIR/tests/engine/media/long_pcm.flv
exe=$BUILD_DIR/bin/Nimbrel.exe
[ -f "$clip" ] && [ -f "$exe" ] || { echo "build first (tools/build.sh)"; exit 2; }

run=$(mktemp -d)
server= program=
stop_server() { [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; server=; true; }
finish() {
  stop_server
  [ -n "$program" ] && kill "$program" 2>/dev/null
  nimbrel_wine_stop 2>/dev/null || true
  rm -rf "$run"
}
trap finish EXIT
export XDG_RUNTIME_DIR=$run PULSE_RUNTIME_PATH=$run/pulse PULSE_SERVER=unix:$run/native
export PULSE_CONFIG_PATH=$run HOME=${HOME:-$run}
start_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L "module-native-protocol-unix socket=$run/native auth-anonymous=1" \
    -L "module-null-sink sink_name=out" >"$run/server.log" 2>&1 &
  server=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "the sound server did not start:"; cat "$run/server.log"; exit 2
}
streams() { pactl list short sink-inputs 2>/dev/null | wc -l; }
# Peak level of a second of what reaches the null sink (0 to 32767).
level() {
  timeout 1.5 parec -d out.monitor --format=s16le --channels=1 --raw 2>/dev/null | head -c 88200 |
    od -An -v -td2 -w2 | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}'
}
title() { xdotool search --name '^Nimbrel' getwindowname 2>/dev/null | head -n 1; }
alive() { kill -0 "$program" 2>/dev/null; }

# Ours first, so that the Wine set-up finds a server answering and uses it.
start_server
source "$here/wine-env.sh"
export PULSE_SERVER=unix:$run/native
mkdir -p "$run/app"
cp "$exe" "$run/app/"
printf '[Setting]\r\nRepeat=0\r\n' >"$run/app/Nimbrel.ini"
(cd "$run/app" && exec "$NIMBREL_WINE" Nimbrel.exe "$(nimbrel_winpath "$clip")" >/dev/null 2>&1) &
program=$!
sleep 6
echo "playing:            title '$(title)', streams $(streams), level $(level)"
stop_server
sleep 4
echo "server killed:      running $(alive && echo yes || echo no), title '$(title)'"
start_server
sleep 6
echo "server started:     running $(alive && echo yes || echo no), title '$(title)', streams $(streams), level $(level)"
sleep 4
echo "4 s later:          streams $(streams), level $(level)"
alive
