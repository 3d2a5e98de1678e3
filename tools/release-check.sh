#!/usr/bin/env bash
# Checks a release zip as a Windows user would meet it: Nimbrel.exe alone in an empty folder,
# a brand-new Wine prefix (no fonts or settings of the project's own), a clip on the command
# line. The window must appear with the clip in its title and a picture in it, close on
# request, and leave only Nimbrel.ini beside the exe.
#   tools/release-check.sh dist/Nimbrel-<version>-win64.zip
set -euo pipefail
source "$(dirname "$0")/wine-paths.sh"
zip=$(realpath "${1:?usage: release-check.sh <release zip>}")
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
# Mono and Gecko would be offered for download; the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

finish() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "release-check: FAILED: $*" >&2; exit 1; }
note() { echo "release-check: $*"; }

# The exe and nothing else.
unzip -q "$zip" -d "$work/unzipped"
exe=$(find "$work/unzipped" -name Nimbrel.exe | head -n 1)
[ -n "$exe" ] || fail "no Nimbrel.exe in $zip"
mkdir "$work/app"
cp "$exe" "$work/app/"

ffmpeg -nostdin -loglevel error -y \
  -f lavfi -i "testsrc2=size=640x360:rate=30:duration=20" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=20" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$work/clip.mp4"

for n in $(seq 141 190); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  fi
done
[ -n "$xvfb_pid" ] || fail "no free display"
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.05; done

start=$(date +%s)
(cd / && "$wine" wineboot --init >/dev/null 2>&1) || true
wineserver -w
note "fresh Wine prefix made in $(( $(date +%s) - start )) s"

clip=$(nimbrel_winpath "$work/clip.mp4")
(cd "$work/app" && exec "$wine" Nimbrel.exe "$clip" >/dev/null 2>&1) &
app_pid=$!

win=$(nimbrel_wait_window '^Nimbrel') || fail "no Nimbrel window within 20 s"
sleep 4   # let it play a little
title=$(xdotool getwindowname "$win")
note "window $win: \"$title\""
[ "$title" = "Nimbrel - [clip.mp4]" ] || fail "title is not the playing clip's"

eval "$(xdotool getwindowgeometry --shell "$win")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$work/window.png"
colours=$(identify -format %k "$work/window.png")
note "window ${WIDTH}x${HEIGHT} at $X,$Y shows $colours colours"
[ "$colours" -gt 1000 ] || fail "the window shows no picture ($colours colours)"

# A polite close (WM_CLOSE), as the window's close box does.
(cd / && "$wine" taskkill /im Nimbrel.exe >/dev/null 2>&1) || true
for _ in $(seq 1 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$app_pid" 2>/dev/null; then fail "still running 10 s after the close request"; fi
wait "$app_pid" && rc=0 || rc=$?
app_pid=""
[ "$rc" = 0 ] || fail "exit code $rc"
left=$(cd "$work/app" && ls | tr '\n' ' ')
note "closed with exit code 0; the folder now holds: $left"
[ "$left" = "Nimbrel.exe Nimbrel.ini " ] || fail "unexpected files beside the exe"
grep -q '^VolumeLevel=' "$work/app/Nimbrel.ini" || fail "settings not written"
[ -n "${RELEASE_CHECK_SHOT:-}" ] && cp "$work/window.png" "$RELEASE_CHECK_SHOT"
note "passed"
