#!/usr/bin/env bash
# Fuzzes the program's portable parts natively: the harnesses of tests/fuzz under clang's
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer. Builds them into
# $BUILD_DIR/fuzz (incrementally), makes the seed corpus there, then runs each harness.
#   tools/fuzz.sh              a short run of each (seconds; the test command runs this)
#   tools/fuzz.sh --long       1,000,000 inputs each (FUZZ_RUNS=n for more)
#   tools/fuzz.sh [--long] NAME...   only those harnesses (arithmetic, intake, movie_file)
# No input may make the code under test ask for more than 1 MB at once (-malloc_limit_mb):
# the movie seeds include files that declare or inflate to tens of megabytes.
# A finding stops the script; the input is kept in $BUILD_DIR/fuzz/findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${BUILD_DIR:-$root/build}/fuzz
limit=(-max_total_time=4)
if [ "${1:-}" = "--long" ]; then
  limit=(-runs="${FUZZ_RUNS:-1000000}")
  shift
fi
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(arithmetic intake movie_file)

if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S "$root/tests/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None >/dev/null
fi
cmake --build "$out" -j"$(nproc)" -- --no-print-directory >/dev/null

# The seeds: generated every run (a second or two), nothing kept in the tree.
seeds="$out/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$out/corpus" "$out/findings" "$out/logs"
python3 "$root/tools/make-movie.py" "$root/resources/movie/Nimbrel.movie" "$out/movie.cws"
# A movie that declares one variable more than the reader takes.
{ grep -v '^var ' "$root/resources/movie/Nimbrel.movie"; for i in $(seq 0 64); do echo "var v$i = 0"; done; } \
  >"$out/many.movie"
python3 "$root/tools/make-movie.py" "$out/many.movie" "$out/many.cws"
media="$out/media"
mkdir -p "$media" "$media.tmp"
# A short clip of each container intake takes (made once, kept in the build folder).
while read -r clip args; do
  [ -f "$media/$clip" ] && continue
  # shellcheck disable=SC2086
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=0.2:size=64x48:rate=25 \
    -f lavfi -i sine=duration=0.2 -shortest $args "$media.tmp/$clip"
  mv "$media.tmp/$clip" "$media/$clip"
done <<'CLIPS'
clip.flv
clip.mp4
clip.mkv
clip.webm -c:v libvpx -c:a libopus
clip.mov -c:v mpeg4
clip.avi
clip.wav -vn
clip.ts
clip.m2ts -f mpegts -mpegts_m2ts_mode 1
clip.vob -c:v mpeg2video -c:a ac3
clip.mp3 -vn
frames.mp3 -vn -id3v2_version 0 -write_xing 0
clip.flac -vn
clip.ogg -vn -c:a libvorbis
CLIPS
python3 - "$seeds" "$out/movie.cws" "$media" "$out/many.cws" <<'PY'
import os, struct, sys, zlib
seeds, movie, media, many = sys.argv[1:5]

def put(harness, name, data):
    os.makedirs(os.path.join(seeds, harness), exist_ok=True)
    with open(os.path.join(seeds, harness, name), "wb") as f:
        f.write(data)

def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")

# Values as FuzzedDataProvider takes them: the first from the end of the input, each little-endian.
def provided(*values):
    out = b""
    for kind, v in values:
        if kind == "i":
            out = struct.pack("<I", (v + 2**31) % 2**32) + out
        elif kind == "u":
            out = struct.pack("<I", v % 2**32) + out
        elif kind == "d":  # a double in the full range: a flag byte and a 64-bit fraction
            out = bytes([v & 1]) + struct.pack("<Q", v >> 1) + out
        else:
            out = bytes([v]) + out
    return out

# Playlists: the program's own form, other line ends, relative and root lines, broken UTF-8.
header = "[Nimbrel プレイリスト]\r\n"
lists = {
    "saved": header + "C:\\動画\\猫.flv\r\nC:\\clips\\a.mp4\r\n",
    "lf": header.replace("\r\n", "\n") + "a.flv\nsub\\b.flv\n\n\\root\\c.mp4\n",
    "unc": header + "\\\\server\\share\\d.flv\r\nD:e.flv\r\n../up.flv\r\n",
    "long": header + "C:\\" + "動" * 400 + ".flv\r\n",
    "astral": header + "C:\\\U0001F600.flv\r\n",
}
for name, text in lists.items():
    put("intake", name, text.encode("utf-8"))
for name, hexbytes in {"cut": "5b 5d 0d 0a 61 e3 81", "surrogate": "ed a0 80 0d 0a 62",
                       "overlong": "c0 af e0 80 af f0 80 80 af", "toolarge": "f4 90 80 80 0d 0a",
                       "stray": "80 bf fe ff 0d 0a 00 63"}.items():
    put("intake", name, bytes.fromhex(hexbytes))
put("intake", "utf16-path", utf16("C:\\動画\\\U0001F600.flv"))
put("intake", "utf16-lone", utf16("C:\\a\ud800z.flv"))

# First bytes: the heads of generated clips whole and cut short, short files, names with "%"
# and ".nbl".
for clip in sorted(os.listdir(media)):
    with open(os.path.join(media, clip), "rb") as f:
        head = f.read(2048)
    put("intake", clip, head)
    put("intake", clip + "-cut", head[:300])
put("intake", "short-flv", b"FLV\x01\x05" + b"\0" * 11)
put("intake", "name-nbl", utf16("C:\\lists\\a.nbl"))
put("intake", "name-percent", utf16("C:\\x\\50%.flv"))
put("intake", "name-drive", utf16("C:a%.b.c"))

# The real movie, compressed and plain, and cut short.
with open(movie, "rb") as f:
    cws = f.read()
plain = b"FWS" + cws[3:8] + zlib.decompress(cws[8:])
put("movie_file", "movie.cws", cws)
put("movie_file", "movie.fws", plain)
put("movie_file", "movie-cut.fws", plain[:len(plain) // 2])
# Past the reader's limits: 65 variables; a declared length of 64 MB over a few bytes; a body
# that inflates to 48 MB.
with open(many, "rb") as f:
    put("movie_file", "many-variables.cws", f.read())
put("movie_file", "declares-64mb.cws", cws[:4] + struct.pack("<I", 64 << 20) + cws[8:])
bomb = plain[8:-2] + struct.pack("<HI", 9 << 6 | 0x3F, 48 << 20) + bytes(48 << 20) + plain[-2:]
put("movie_file", "inflates-48mb.cws", cws[:4] + struct.pack("<I", 8 + len(bomb)) + zlib.compress(bomb, 1))

# Texts of numbers, each followed by the integer, doubles, the flag the harness takes.
tail = provided(("i", 2147483647), ("d", 0), ("d", 1), ("d", 3), ("d", 2**40), ("b", 0))
for i, text in enumerate(["0", " 12.75 ", "0x1A", "-2147483649", "2147483648", "1e308", "-0", "+7",
                          "\v5", "16009", "4e-05", "\u0663", "C:\\Program Files\\Nimbrel.exe"]):
    put("arithmetic", "text%d" % i, b"\x02" + text.encode("latin-1", "replace") + tail)

# The seek bar: a 400-pixel bar over 100 s with a section, and the edges of the ranges.
bars = [(50, 100, 400, 200, 10, 20, 1, 1), (100, 100, 400, 400, 0, 100, 1, 1),
        (7, 3, 0, 0, 0, 0, 1, 1), (2**32 - 1, 2**32 - 1, 2**31 - 1, -2**31, 2**32 - 1, 0, 1, 1),
        # A bar of the least width: the marker zones once overflowed an int.
        (0, 1, -2**31, 0, 0, 0, 1, 1)]
for i, (s, d, w, x, a, b, active, mode) in enumerate(bars):
    put("arithmetic", "bar%d" % i, b"\x01" + provided(("u", s), ("u", d), ("i", w), ("i", x), ("u", a), ("u", b),
                                          ("u", active), ("b", mode)))

# Aspect: presets, the video's own ratio, panels and zooms, and the extremes.
sizes = [(16009, 640, 360, 16, 9, 800, 450, 100, 145), (4003, 1920, 1080, 4, 3, 1, 1, 200, 0),
         (0, 0, 0, 0, 0, 0, 0, 0, 0), (-1, 2**31 - 1, 1, 999, 1, 2**31 - 1, 2**31 - 1, 2**31 - 1, 2**31 - 1)]
for i, row in enumerate(sizes):
    put("arithmetic", "size%d" % i, b"\x00" + provided(*[("i", v) for v in row]))
PY

for name in "${names[@]}"; do
  mkdir -p "$out/corpus/$name"
  log="$out/logs/$name.log"
  if ! "$out/bin/${name}_fuzz" "${limit[@]}" -malloc_limit_mb=1 -artifact_prefix="$out/findings/$name-" \
      "$out/corpus/$name" "$seeds/$name" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz: $name FOUND something; the input is in $out/findings" >&2
    exit 1
  fi
  runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
  echo "fuzz: $name: ${runs:-?}s, no finding"
done
