# Sourced by the run and test scripts: a virtual display when none is set, and a
# Wine prefix of the project's own inside the build folder, made on first use.
# Expects BUILD_DIR to be set (defaults to <repo>/build). With NIMBREL_DPI set (e.g. 144), a
# prefix of its own at that display scale, with visual styles on, as a laptop's desktop is.
_nimbrel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$_nimbrel_root/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

export WINEPREFIX="$BUILD_DIR/wineprefix${NIMBREL_DPI:+-dpi$NIMBREL_DPI}"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINELOADER=/usr/lib/wine/wine64
# No Mono or Gecko: nothing may be downloaded, and the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
NIMBREL_WINE=/usr/lib/wine/wine64
source "$_nimbrel_root/tools/wine-paths.sh"

_nimbrel_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      NIMBREL_XVFB_PID=$!
      local i
      for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
      done
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "wine-env: no free display number for Xvfb" >&2
  return 1
}

_nimbrel_make_prefix() {
  [ -f "$WINEPREFIX/.nimbrel-ready" ] && return 0
  echo "wine-env: creating the Wine prefix in $WINEPREFIX (once)" >&2
  rm -rf "$WINEPREFIX"
  (cd / && "$NIMBREL_WINE" wineboot --init >/dev/null 2>&1) || true
  wineserver -w
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  # Debian's Wine does not find its own fonts: give the prefix copies.
  cp -f /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts/" 2>/dev/null || true
  local ipa
  ipa=$(ls /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf /usr/share/fonts/truetype/fonts-japanese-gothic.ttf 2>/dev/null | head -n 1)
  [ -n "$ipa" ] && cp -fL "$ipa" "$fonts/ipag.ttf"
  # Japanese text: link the UI faces to IPA Gothic so menus and boxes show glyphs.
  local face
  for face in "Tahoma" "Tahoma Bold" "MS UI Gothic"; do
    _nimbrel_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f
  done
  _nimbrel_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v "MS UI Gothic" /t REG_SZ /d IPAGothic /f
  # No window manager on Xvfb: Wine draws the frames itself.
  _nimbrel_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  if [ -n "${NIMBREL_DPI:-}" ]; then
    local key
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
      _nimbrel_reg add "$key" /v LogPixels /t REG_DWORD /d "$NIMBREL_DPI" /f
    done
    key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
    _nimbrel_reg add "$key" /v ThemeActive /t REG_SZ /d 1 /f
    _nimbrel_reg add "$key" /v DllName /t REG_SZ /d 'C:\windows\resources\themes\light\light.msstyles' /f
    _nimbrel_reg add "$key" /v ColorName /t REG_SZ /d '' /f
    _nimbrel_reg add "$key" /v SizeName /t REG_SZ /d '' /f
  fi
  wineserver -w
  touch "$WINEPREFIX/.nimbrel-ready"
}

_nimbrel_reg() { (cd / && "$NIMBREL_WINE" reg "$@" >/dev/null 2>&1) || true; }

_nimbrel_start_wineserver() {
  # A persistent server makes each program start in a fraction of a second.
  wineserver -p >/dev/null 2>&1 || true
  (cd / && "$NIMBREL_WINE" cmd /c exit >/dev/null 2>&1) || true
}

# Sound: a server that already answers (a desktop's) is used as it is; otherwise a
# PulseAudio of our own with a null sink, on a socket inside the build folder so that it
# meets no other server, and the program plays through Wine's PulseAudio driver as it
# would on a desktop (without one, Wine falls back to ALSA and fills the terminal).
_nimbrel_start_sound() {
  command -v pulseaudio >/dev/null && command -v pactl >/dev/null || return 0
  pactl info >/dev/null 2>&1 && return 0
  local dir="$BUILD_DIR/pulse" i
  # A socket's path holds at most 107 bytes.
  [ ${#dir} -le 90 ] || dir=/tmp/nimbrel-pulse-$(printf '%s' "$BUILD_DIR" | md5sum | cut -c1-12)
  mkdir -p "$dir"
  rm -f "$dir/native"
  PULSE_RUNTIME_PATH="$dir" PULSE_STATE_PATH="$dir" pulseaudio -n --daemonize=no \
    --exit-idle-time=-1 --system=false --use-pid-file=no --log-target=file:"$dir/log" \
    -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    -L "module-null-sink sink_name=nimbrel_null rate=48000" >/dev/null 2>&1 </dev/null &
  NIMBREL_PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/native"
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && return 0
    kill -0 "$NIMBREL_PULSE_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "wine-env: PulseAudio did not start (see $dir/log); playing without sound" >&2
  nimbrel_stop_sound
}

nimbrel_stop_sound() {
  [ -n "${NIMBREL_PULSE_PID:-}" ] || return 0
  kill "$NIMBREL_PULSE_PID" 2>/dev/null || true
  wait "$NIMBREL_PULSE_PID" 2>/dev/null || true
  unset NIMBREL_PULSE_PID PULSE_SERVER
}

if [ "${NIMBREL_WINE_READY:-}" != "$WINEPREFIX" ] || [ -z "${DISPLAY:-}" ]; then
  _nimbrel_started_here=1
  _nimbrel_start_display
  _nimbrel_make_prefix
  _nimbrel_start_wineserver
  _nimbrel_start_sound
  export NIMBREL_WINE_READY="$WINEPREFIX"
fi

# Ends what this shell started: the prefix's Wine server, the virtual display and the
# sound server. Does nothing in a shell that found them already running.
nimbrel_wine_stop() {
  [ -n "${_nimbrel_started_here:-}" ] || return 0
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${NIMBREL_XVFB_PID:-}" ]; then
    kill "$NIMBREL_XVFB_PID" 2>/dev/null || true
    wait "$NIMBREL_XVFB_PID" 2>/dev/null || true
  fi
  nimbrel_stop_sound
  unset _nimbrel_started_here NIMBREL_WINE_READY
}
