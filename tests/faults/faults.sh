#!/usr/bin/env bash
# Runs fault_tests.exe (argument 1, further arguments passed on) with two small file systems
# mounted: a full one in the making and a read-only one holding a playlist and a settings file.
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
if mount -t tmpfs -o size=64k tmpfs "$disks/full" 2>/dev/null &&
   mount -t tmpfs -o size=64k tmpfs "$disks/ro" 2>/dev/null; then
  printf '[Nimbrel Play List]\r\nC:\\one.flv\r\n' >"$disks/ro/list.nbl"
  printf '[Setting]\r\nVolumeLevel=40\r\n[Mine]\r\nKept=1\r\n' >"$disks/ro/Nimbrel.ini"
  mount -o remount,ro "$disks/ro"
  export NIMBREL_FULL_DISK=$(winpath "$disks/full") NIMBREL_READONLY_DISK=$(winpath "$disks/ro")
else
  echo "faults.sh: mounting is not permitted here: the disk cases are skipped"
fi
"$here/../../tools/wine-run.sh" "$exe" "$@"
