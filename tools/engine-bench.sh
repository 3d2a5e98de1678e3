#!/usr/bin/env bash
# Engine benchmark: the engine's figures beside references measured on the same machine in the
# same run: native ffmpeg's rate on the same 1080p H.264 clip; native mpv's processor time on it,
# paced into 1280x720, and its wake-ups while paused; and the picture-sound offsets of a 4K HEVC
# clip shown at 1280x720 by the program and by mpv (tools/sync-measure.py --4k; --no-sync leaves
# that part out).  Usage: tools/engine-bench.sh [--no-sync] [BUILD_DIR]
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

# mpv on the same clip and display: 10 s paced into 1280x720 (bilinear, as the engine was set),
# then 5 s paused; processor time and wake-ups from /proc, as the engine's.
mpv=$(python3 - "$clip" <<'EOF'
import glob, socket, subprocess, sys, time
def cpu(pid):
    f = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(f[11]) + int(f[12])) / 100
def switches(pid):
    n = 0
    for status in glob.glob("/proc/%d/task/*/status" % pid):
        for line in open(status):
            if "ctxt_switches" in line:
                n += int(line.split()[1])
    return n
p = subprocess.Popen(["mpv", "--no-config", "--vo=x11", "--ao=pulse", "--hwdec=no", "--no-osc", "--osd-level=0",
                      "--really-quiet", "--no-input-terminal", "--sws-scaler=bilinear", "--geometry=1280x720+0+0",
                      "--keep-open=yes", "--input-ipc-server=/tmp/nimbrel-bench-mpv", sys.argv[1]],
                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1.5)  # started and showing, as the engine's figure starts at its first picture
c0, t0 = cpu(p.pid), time.monotonic()
time.sleep(10)
c1, t1 = cpu(p.pid), time.monotonic()
control = socket.socket(socket.AF_UNIX)
control.connect("/tmp/nimbrel-bench-mpv")
control.send(b"set pause yes\n")
time.sleep(0.5)
w0, p0 = switches(p.pid), time.monotonic()
time.sleep(5)
w1, p1 = switches(p.pid), time.monotonic()
p.terminate()
p.wait()
print("%.2f %.2f %.1f" % (c1 - c0, t1 - t0, (w1 - w0) / (p1 - p0)))
EOF
)
read -r mpv_cpu mpv_wall mpv_wakeups <<<"$mpv"
engine_cpu=$(echo "$out" | awk '/^paced_cpu_s/{print $4}')
printf 'mpv_paced_cpu_s %.2f in %.2f s (same clip and display, --vo=x11 --sws-scaler=bilinear, 1280x720)\n' "$mpv_cpu" "$mpv_wall"
printf 'engine_cpu_to_mpv %.2f (the engine with the Wine server; goal 0.8 or less)\n' "$(echo "$engine_cpu / $mpv_cpu" | bc -l)"
printf 'mpv_paused_wakeups_per_s %.1f (engine goal: under 50)\n' "$mpv_wakeups"
if [ "$sync" = 1 ]; then
  "$here/sync-measure.py" --4k --exe "$BUILD_DIR/bin/Nimbrel.exe" || true
fi
