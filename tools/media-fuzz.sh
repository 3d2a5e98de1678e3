#!/usr/bin/env bash
# Media fuzz: damaged media files (FLV, MP4 and the other containers the engine plays), each
# played by the real engine under Wine in one long-lived process with a watchdog. Prints the
# figures; exits 1 when a file crashed or hung it.
#   tools/media-fuzz.sh [--count N] [--seed S] [--first N] [--host-first] [BUILD_DIR]
# --host-first runs the window thread real-time (Linux SCHED_FIFO), so busy engine threads
# cannot take its processor mid-call; a slow call left either waited on the engine (asleep or
# blocked) or was stalled on the processor (the machine's doing: the reference shows those too).
# File number N of seed S is made again, alone, by: --count 1 --first N --seed S.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
count=300 seed=1 first=0 build=$here/../build
while [ $# -gt 0 ]; do
  case $1 in
    --count) count=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --first) first=$2; shift 2 ;;
    --host-first) export MEDIA_FUZZ_HOST_FIRST=1; shift ;;
    *) build=$1; shift ;;
  esac
done
export BUILD_DIR=$(cd "$build" && pwd)
work=$BUILD_DIR/media-fuzz
rm -rf "$work/files"
mkdir -p "$work/files"
cmake --build "$BUILD_DIR" --target media_fuzz >/dev/null
python3 "$here/media-fuzz.py" "$work/seeds" "$work/files" "$count" "$seed" "$first"
source "$here/wine-env.sh"
trap nimbrel_wine_stop EXIT

exe=$BUILD_DIR/tests/engine/media_fuzz.exe
folder=$(nimbrel_winpath "$work/files")
log=$work/log.txt
: >"$log"
crashes=() hangs=() from=
# A crash or hang ends the process; it starts again after the file that ended it.
while :; do
  set +e
  (cd "$BUILD_DIR" && "$NIMBREL_WINE" "$exe" "$folder" $from 2>/dev/null) | tr -d '\r' >>"$log"
  rc=${PIPESTATUS[0]}
  set -e
  last=$(awk '/^file /{f=$2} END{print f}' "$log")
  if [ "$rc" = 0 ] && grep -q '^files ' "$log"; then
    break
  fi
  if [ "$rc" = 3 ]; then hangs+=("$last"); else crashes+=("$last (exit $rc)"); fi
  next=$(ls "$work/files" | sort | awk -v l="$last" '$0 > l' | head -n 1)
  [ -n "$next" ] || break
  from=$next
  grep -v '^unfinished \|^files \|^closing \|^getvariable \|^reference \|^private_mb ' "$log" >"$log.tmp"; mv "$log.tmp" "$log"
done

played=$(grep -c '^done ' "$log" || true)
echo "media fuzz: seed $seed, files $first..$((first + count - 1)), $played played to the end"
grep -m1 '^window thread ' "$log" || true
grep '^unfinished \|^files \|^closing \|^getvariable \|^reference \|^private_mb ' "$log" | tail -n 6
awk '/^done /{if ($3 > m) {m = $3; f = $2}} END{printf "longest file %s %d ms (bounded at 3 s of play)\n", f, m}' "$log"
echo "crashes ${#crashes[@]}: ${crashes[*]:-none}"
echo "hangs ${#hangs[@]}: ${hangs[*]:-none}"
echo "log: $log"
[ ${#crashes[@]} -eq 0 ] && [ ${#hangs[@]} -eq 0 ]
