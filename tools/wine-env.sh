# Sourced by the run and test scripts: a virtual display when none is set, and a
# Wine prefix of the project's own inside the build folder, made on first use.
# Expects BUILD_DIR to be set (defaults to <repo>/build).
_nimbrel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$_nimbrel_root/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINELOADER=/usr/lib/wine/wine64
# No Mono or Gecko: nothing may be downloaded, and the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
NIMBREL_WINE=/usr/lib/wine/wine64

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
  wineserver -w
  touch "$WINEPREFIX/.nimbrel-ready"
}

_nimbrel_reg() { (cd / && "$NIMBREL_WINE" reg "$@" >/dev/null 2>&1) || true; }

_nimbrel_start_wineserver() {
  # A persistent server makes each program start in a fraction of a second.
  wineserver -p >/dev/null 2>&1 || true
  (cd / && "$NIMBREL_WINE" cmd /c exit >/dev/null 2>&1) || true
}

if [ "${NIMBREL_WINE_READY:-}" != "$WINEPREFIX" ] || [ -z "${DISPLAY:-}" ]; then
  _nimbrel_start_display
  _nimbrel_make_prefix
  _nimbrel_start_wineserver
  export NIMBREL_WINE_READY="$WINEPREFIX"
fi

# Ends what this shell started: the virtual display and the prefix's Wine server.
nimbrel_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${NIMBREL_XVFB_PID:-}" ]; then
    kill "$NIMBREL_XVFB_PID" 2>/dev/null || true
  fi
}
