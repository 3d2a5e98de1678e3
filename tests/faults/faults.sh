#!/usr/bin/env bash
# Runs the test program (argument 1, further arguments passed on) with two small file systems
# mounted for its fault cases: a full one in the making and a read-only one holding a playlist
# and a settings file. Mounting needs root; where it is refused the disk cases fail.
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
shift
disks=$(mktemp -d)
cleanup() {
  umount "$disks/full" "$disks/ro" 2>/dev/null
  rm -rf "$disks"
}
trap cleanup EXIT
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
mkdir -p "$disks/full" "$disks/ro"
if mount -t tmpfs -o size=64k tmpfs "$disks/full" && mount -t tmpfs -o size=64k tmpfs "$disks/ro"; then
  printf '[Nimbrel Play List]\r\nC:\\one.flv\r\n' >"$disks/ro/list.nbl"
  printf '[Setting]\r\nVolumeLevel=40\r\n[Mine]\r\nKept=1\r\n' >"$disks/ro/Nimbrel.ini"
  mount -o remount,ro "$disks/ro"
  export NIMBREL_FULL_DISK=$(winpath "$disks/full") NIMBREL_READONLY_DISK=$(winpath "$disks/ro")
fi
"$here/../../tools/wine-run.sh" "$exe" "$@"
