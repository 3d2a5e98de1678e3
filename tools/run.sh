#!/usr/bin/env bash
# Sets up this machine, builds Nimbrel and opens it under Wine on the files given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh" Nimbrel
source "$root/tools/wine-env.sh"

args=()
for a in "$@"; do
  if [ -e "$a" ]; then
    a="Z:$(realpath "$a" | sed 's#/#\\#g')"
  fi
  args+=("$a")
done
echo "Nimbrel is running on display $DISPLAY (close its window to end)."
cd "$BUILD_DIR/bin"
exec "$NIMBREL_WINE" Nimbrel.exe "${args[@]}"
