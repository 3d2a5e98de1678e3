#!/usr/bin/env bash
# The sound server killed mid-play and started again: the program plays through a private
# PulseAudio server (null sink, its own runtime folder), the server is killed and started again,
# first in the middle of a 100-second clip, then while one file of a three-file list ends and the
# next begins. Prints what the program did at each step and how long after the server's return
# its sound stream was back and heard; exits 1 when the program died or froze, or its stream did
# not come back within 2 s in either run.
#   tools/sound-server-restart.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export BUILD_DIR=$(cd "${1:-$here/../build}" && pwd)
media=$BUILD_DIR/tests/engine/media
exe=$BUILD_DIR/bin/Nimbrel.exe
[ -f "$media/long_pcm.flv" ] && [ -f "$exe" ] || { echo "build first (tools/build.sh)"; exit 2; }

run=$(mktemp -d)
server= program=
stop_server() { { [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; } || true; server=; }
stop_program() { { [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null; } || true; program=; }
finish() {
  stop_server
  stop_program
  nimbrel_wine_stop 2>/dev/null || true
  rm -rf "$run"
}
trap finish EXIT
export XDG_RUNTIME_DIR=$run PULSE_RUNTIME_PATH=$run/pulse PULSE_SERVER=unix:$run/native
export PULSE_CONFIG_PATH=$run HOME=${HOME:-$run}
now() { date +%s.%N; }
since() { printf '%.1f' "$(echo "$(now) - $1" | bc)"; }
start_server() {  # the sink first: a client that gets in finds it there
  started=$(now)
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L "module-null-sink sink_name=out" \
    -L "module-native-protocol-unix socket=$run/native auth-anonymous=1" >"$run/server.log" 2>&1 &
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
# After the server's start (its process started): the seconds until the program's stream is back on it (tried for 10 s),
# and until its sound reaches the sink. A null sink starts by rendering up to 2 s of silence ahead
# (a real device does not): its own latency when the stream came is printed beside.
until_back() {
  local start=$started stream latency
  for _ in $(seq 100); do [ "$(streams)" -gt 0 ] && break; sleep 0.1; done
  [ "$(streams)" -gt 0 ] || { echo "never never -"; return; }
  stream=$(since "$start")
  latency=$(pactl list sinks | awk '/^[ \t]*Latency:/ {printf "%.1f", $2 / 1e6; exit}')
  timeout 10 parec -d out.monitor --format=s16le --channels=1 --raw 2>/dev/null | od -An -v -td2 -w2 |
    awk '{v = $1 < 0 ? -$1 : $1; if (v > 1000) exit}'
  echo "$stream $(since "$start") $latency"
}
title() { xdotool search --name '^Nimbrel' getwindowname 2>/dev/null | head -n 1; }
alive() { kill -0 "$program" 2>/dev/null; }
play() {  # the program on these files, in a fresh folder, the list played once
  rm -rf "$run/app"
  mkdir -p "$run/app"
  cp "$exe" "$run/app/"
  printf '[Setting]\r\nRepeat=0\r\n' >"$run/app/Nimbrel.ini"
  local paths=() f
  for f in "$@"; do paths+=("$(nimbrel_winpath "$f")"); done
  (cd "$run/app" && exec "$NIMBREL_WINE" Nimbrel.exe "${paths[@]}" >/dev/null 2>&1) &
  program=$!
}
ok=1
report_back() {  # the figures of until_back; the stream must be back within 2 s
  read -r stream heard latency <<<"$1"
  echo "server started:     stream back after $stream s, sound heard after $heard s (the sink's own latency then $latency s)"
  [ "$stream" != never ] && [ "$(echo "$stream <= 2" | bc)" = 1 ] || ok=0
}

# Ours first, so that the Wine set-up finds a server answering and uses it.
start_server
source "$here/wine-env.sh"
export PULSE_SERVER=unix:$run/native

echo "-- killed in the middle of a file"
play "$media/long_pcm.flv"
sleep 6
echo "playing:            title '$(title)', streams $(streams), level $(level)"
stop_server
sleep 4
echo "server killed:      running $(alive && echo yes || echo no), title '$(title)'"
start_server
report_back "$(until_back)"
echo "                    running $(alive && echo yes || echo no), title '$(title)'"
sleep 4
echo "4 s later:          streams $(streams), level $(level)"
alive || ok=0
stop_program

echo "-- killed while one file ends and the next begins (3 s, 12.9 s, 3 s)"
play "$media/h264_aac.mp4" "$media/long.mp4" "$media/h264_aac.flv"
sleep 2
stop_server
sleep 4
echo "server killed:      title '$(title)'"
start_server
report_back "$(until_back)"
echo "                    title '$(title)'"
sleep 11
echo "the third file:     title '$(title)', level $(level)"
alive || ok=0
[ "$ok" = 1 ] && echo "the program's sound came back within 2 s each time" || echo "FAILED"
[ "$ok" = 1 ]
