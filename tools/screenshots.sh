#!/usr/bin/env bash
# Refreshes the README's screenshots in docs/screenshots/: builds Nimbrel, plays generated
# clips in the real exe under Wine on a virtual 1024x576 screen, drives it with real X input
# (a right click on the picture opens the main menu, F11 goes full screen) and captures the
# screen cropped to the program's windows, as 256-colour PNGs. Then once more at 150 % (a
# 1536x864 screen at 144 DPI, in a Wine prefix of its own with visual styles on): the window
# at its default size, the bar 45 pixels high.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh" Nimbrel >/dev/null
out="$root/docs/screenshots"
mkdir -p "$out"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if declare -F nimbrel_wine_stop >/dev/null; then nimbrel_wine_stop; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own (WIDTHxHEIGHT), 16:9 so that full screen fills it; a white backdrop
# around the window. Sets xvfb_pid and DISPLAY.
start_display() {
  local n
  for n in $(seq 191 240); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "$1x24" -wr -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      break
    fi
  done
  [ -n "$xvfb_pid" ] || { echo "screenshots: no free display" >&2; exit 1; }
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.05; done
}
start_display 1024x576
source "$root/tools/wine-env.sh"   # the build's Wine prefix, on our display

# Two clips for the playlist: a Mandelbrot zoom with a tone, and a test pattern.
mkdir "$work/clips"
ffmpeg -nostdin -loglevel error -y \
  -f lavfi -i "mandelbrot=size=640x360:rate=25,trim=duration=15" \
  -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=15" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$work/clips/mandelbrot.mp4"
ffmpeg -nostdin -loglevel error -y \
  -f lavfi -i "testsrc2=size=640x360:rate=30:duration=15" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=15" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$work/clips/test pattern.flv"
# The exe in a folder of its own (default settings) playing both clips; sets app_pid and win.
start_program() {
  rm -rf "$work/app"
  mkdir "$work/app"
  cp "$BUILD_DIR/bin/Nimbrel.exe" "$work/app/"
  (cd "$work/app" && exec "$NIMBREL_WINE" Nimbrel.exe "$(nimbrel_winpath "$work/clips/mandelbrot.mp4")" \
    "$(nimbrel_winpath "$work/clips/test pattern.flv")" >/dev/null 2>&1) &
  app_pid=$!
  win=$(nimbrel_wait_window '^Nimbrel - ') || { echo "screenshots: no playing Nimbrel window" >&2; exit 1; }
}
stop_program() {
  (cd / && "$NIMBREL_WINE" taskkill /im Nimbrel.exe >/dev/null 2>&1) || true
  for _ in $(seq 1 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
  app_pid=""
}
start_program

# The bounding box of the program's visible top-level windows (main window, pop-up menu).
bbox() {
  xwininfo -root -children | awk '/"nimbrel.exe"/ {
      split($0, a, /\)  /); split(a[2], g, /[x+ ]/); w = g[1]; h = g[2]; x = g[3]; y = g[4];
      if (w < 8 || h < 8) next;
      if (!n || x < x0) x0 = x; if (!n || y < y0) y0 = y;
      if (!n || x + w > x1) x1 = x + w; if (!n || y + h > y1) y1 = y + h; n++ }
    END { printf "%dx%d+%d+%d\n", x1 - x0, y1 - y0, x0, y0 }'
}
shot() {
  local box colours
  box=$(bbox)
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "$box" +repage "$work/crop.png"
  colours=$(identify -format %k "$work/crop.png")
  # A real picture in the panel has thousands of colours; a blank or black one a handful.
  [ "$colours" -gt 1000 ] || { echo "screenshots: $1 shows no picture ($colours colours)" >&2; exit 1; }
  convert "$work/crop.png" -strip +dither -colors 256 -define png:compression-level=9 "PNG8:$out/$1.png"
  echo "screenshots: docs/screenshots/$1.png $box $(stat -c %s "$out/$1.png") bytes"
}
# Waits until the program's windows cover the given box size (a menu opened, full screen).
wait_box() {
  local _
  for _ in $(seq 1 50); do
    [ "$(bbox | cut -d+ -f1)" != "$1" ] && [ "$2" = changed ] && return 0
    [ "$(bbox | cut -d+ -f1)" = "$1" ] && [ "$2" = equal ] && return 0
    sleep 0.1
  done
  echo "screenshots: the windows never reached $2 $1 (now $(bbox))" >&2; exit 1
}

sleep 3
shot playing
window_box=$(bbox | cut -d+ -f1)

eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool search --name '^Nimbrel - ' windowfocus %@ >/dev/null 2>&1 || true
xdotool mousemove $((X + 200)) $((Y + 110)) click 3
wait_box "$window_box" changed
sleep 0.5
shot menu
xdotool key Escape
wait_box "$window_box" equal

xdotool key F11
wait_box 1024x576 equal
sleep 1.5
shot fullscreen

stop_program
nimbrel_wine_stop
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""

# At 150 %: a screen of 1536x864 at 144 DPI, a Wine prefix of its own.
start_display 1536x864
export NIMBREL_DPI=144
unset NIMBREL_WINE_READY
source "$root/tools/wine-env.sh"
start_program
sleep 3
shot scaled-150
stop_program
