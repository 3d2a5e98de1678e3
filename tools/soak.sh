#!/usr/bin/env bash
# Soak: the real program plays 100 generated clips in repeat-list mode for a while under scripted
# seeks, pauses, volume, view and mode changes; memory, handles and GDI objects every minute.
#   tools/soak.sh [--minutes N] [--leave-out pause,volume] [BUILD_DIR]   (10 minutes unless told)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
minutes=10 build=$here/../build leave_out=
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --leave-out) leave_out=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
export BUILD_DIR=$(mkdir -p "$build" && cd "$build" && pwd)
"$here/setup.sh"
"$here/build.sh" Nimbrel process_counts
source "$here/wine-env.sh"
trap nimbrel_wine_stop EXIT
work=$BUILD_DIR/soak
rm -rf "$work/program"
python3 "$here/soak.py" --exe "$BUILD_DIR/bin/Nimbrel.exe" --counts "$BUILD_DIR/process_counts.exe" \
  --work "$work" --minutes "$minutes" --leave-out "$leave_out"
