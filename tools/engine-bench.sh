#!/usr/bin/env bash
# Engine benchmark: the engine's figures beside references measured on the same machine in the
# same run: native ffmpeg's rate on the same 1080p H.264 clip; native mpv's processor time on it,
# paced into 1280x720, and its wake-ups while paused; and the picture-sound offsets of a 4K HEVC
# clip shown at 1280x720 by the program and by mpv (tools/sync-measure.py --4k; --no-sync leaves
# that part out); then the HDR step's cost per picture beside the same picture without it.
# Usage: tools/engine-bench.sh [--no-sync] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sync=1
[ "${1:-}" = --no-sync ] && { sync=0; shift; }
export BUILD_DIR=$(cd "${1:-$here/../build}" && pwd)
cmake --build "$BUILD_DIR" --target engine_bench Nimbrel -j"$(nproc)" >/dev/null
clip="$BUILD_DIR/tests/engine/media/bench_1080p.mp4"
frames=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$clip")
start=$(date +%s.%N)
ffmpeg -nostdin -v error -i "$clip" -vf scale=1280:720:flags=bilinear,format=bgra -f null -
native=$(echo "$frames / ($(date +%s.%N) - $start)" | bc -l)
source "$here/wine-env.sh"
trap nimbrel_wine_stop EXIT
for pid in $(pgrep wineserver); do  # this prefix's server: its processor time counts too
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && export WINESERVER_PID=$pid
done
uhd=$BUILD_DIR/sync/flashes-60-4k.mp4  # made by sync-measure.py --4k
[ -f "$uhd" ] && ln -f "$uhd" "$BUILD_DIR/tests/engine/media/"
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
out=$("$here/wine-run.sh" "$BUILD_DIR/tests/engine/engine_bench.exe" 2>/dev/null | tr -d '\r')
echo "$out"
engine=$(echo "$out" | awk '/^unpaced_fps/{print $2}')
printf 'native_ffmpeg_fps %.1f (same clip, scale=1280:720 bilinear, format=bgra)\n' "$native"
printf 'engine_to_native %.2f (goal 0.85 or more)\n' "$(echo "$engine / $native" | bc -l)"

# Processor time of 10 s of paced playback into 1280x720, the engine's and mpv's on the same clip
# and display (mpv bilinear, as the engine was set), in three turns each, one after the other; and
# mpv's wake-ups while paused. Both from /proc.
mpv() {  # mpv: "cpu" (seconds for 10 s) or "paused" (wake-ups a second over 5 s)
  python3 - "$clip" "$1" <<'EOF'
import glob, socket, subprocess, sys, time
def cpu(pid):
    f = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(f[11]) + int(f[12])) / 100
def switches(pid):
    return sum(int(line.split()[1]) for status in glob.glob("/proc/%d/task/*/status" % pid)
               for line in open(status) if "ctxt_switches" in line)
ipc = "/tmp/nimbrel-bench-mpv-%d" % time.time_ns()
p = subprocess.Popen(["mpv", "--no-config", "--vo=x11", "--ao=pulse", "--hwdec=no", "--no-osc", "--osd-level=0",
                      "--really-quiet", "--no-input-terminal", "--sws-scaler=bilinear", "--geometry=1280x720+0+0",
                      "--keep-open=yes", "--input-ipc-server=" + ipc, sys.argv[1]],
                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(2)  # started and showing, as the engine's figure starts after its first picture
if sys.argv[2] == "cpu":
    c0 = cpu(p.pid)
    time.sleep(10)
    print("%.2f" % (cpu(p.pid) - c0))
else:
    control = socket.socket(socket.AF_UNIX)
    control.connect(ipc)
    control.send(b"set pause yes\n")
    time.sleep(0.5)
    w0, t0 = switches(p.pid), time.monotonic()
    time.sleep(5)
    print("%.1f" % ((switches(p.pid) - w0) / (time.monotonic() - t0)))
p.terminate()
p.wait()
EOF
}
ratios=()
for turn in 1 2 3; do
  theirs=$(mpv cpu)
  mine=$("$here/wine-run.sh" "$BUILD_DIR/tests/engine/engine_bench.exe" cpu 2>/dev/null | tr -d '\r' |
         awk '/^paced_cpu_s/{print $4}')
  ratios+=("$(echo "$mine / $theirs" | bc -l)")
  printf 'paced_cpu_s turn %d: engine %.2f (with its Wine server), mpv %.2f (same clip and display, --vo=x11 --sws-scaler=bilinear)\n' \
    "$turn" "$mine" "$theirs"
done
printf 'engine_cpu_to_mpv %.2f (median of the three turns; goal 0.8 or less)\n' \
  "$(printf '%s\n' "${ratios[@]}" | sort -g | sed -n 2p)"
printf 'mpv_paused_wakeups_per_s %s (engine goal: under 50)\n' "$(mpv paused)"
# The HDR step's cost: the same picture converted with and without it, in the same run.
"$here/wine-run.sh" "$BUILD_DIR/tests/engine/engine_bench.exe" --colour 2>/dev/null | tr -d '\r'
if [ "$sync" = 1 ]; then
  "$here/sync-measure.py" --4k --exe "$BUILD_DIR/bin/Nimbrel.exe" || true
fi
