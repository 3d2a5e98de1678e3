#!/usr/bin/env python3
"""Damaged media files (FLV and MP4, and today's other containers) for the engine's media fuzz run.

  media-fuzz.py SEEDS OUT COUNT SEED [FIRST]

Makes short seed clips in SEEDS with the system's ffmpeg (once), then writes COUNT mutated files
OUT/NNNNN.EXT for the numbers FIRST .. FIRST+COUNT-1. File N depends only on SEED and N, so
one damaged file is made again by `media-fuzz.py SEEDS OUT 1 SEED N`.
"""
import os
import random
import struct
import subprocess
import sys

SMALL = ["-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1"]
LARGE = ["-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1"]
SOUND = ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1"]
COVER = ["-f", "lavfi", "-i", "color=c=blue:size=64x48:duration=0.1", "-map", "0", "-map", "1",
         "-frames:v", "1", "-disposition:v", "attached_pic"]
X264 = ["-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "10"]
# name: ffmpeg arguments (inputs, codecs); "change" seeds switch picture size half way.
SEEDS = {
    "flv1.flv": SMALL + SOUND + ["-c:v", "flv1", "-g", "10", "-c:a", "libmp3lame", "-ar", "44100"],
    "flv1_large.flv": LARGE + ["-c:v", "flv1", "-g", "10"],
    "h264.flv": SMALL + SOUND + X264 + ["-c:a", "aac"],
    "h264.mp4": SMALL + SOUND + X264 + ["-c:a", "aac"],
    "faststart.mp4": SMALL + SOUND + X264 + ["-c:a", "aac", "-movflags", "+faststart"],
    "bframes.mp4": SMALL + X264 + ["-bf", "3"],
    "pcm.flv": SMALL + SOUND + X264 + ["-c:a", "pcm_s16le"],
    "vp9.mkv": SMALL + SOUND + ["-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8",
                                "-c:a", "libopus"],
    "av1.webm": SMALL + SOUND + ["-c:v", "libaom-av1", "-usage", "realtime", "-cpu-used", "8",
                                 "-c:a", "libvorbis"],
    "h264.mov": SMALL + SOUND + X264 + ["-c:a", "aac"],
    "mpeg4.avi": SMALL + SOUND + ["-c:v", "mpeg4", "-c:a", "libmp3lame"],
    "h264.ts": SMALL + SOUND + X264 + ["-c:a", "ac3"],
    "h264.m2ts": SMALL + SOUND + X264 + ["-c:a", "aac"],
    "mpeg2.mpg": SMALL + SOUND + ["-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"],
    "cover.mp3": SOUND + COVER + ["-c:v", "mjpeg", "-pix_fmt", "yuvj420p"],
    "cover.m4a": SOUND + COVER + ["-c:v", "png", "-c:a", "aac"],
    "cover.flac": SOUND + COVER + ["-c:v", "png"],
    "sound.ogg": SOUND + ["-c:a", "libvorbis"],
    "sound.opus": SOUND + ["-c:a", "libopus"],
    "sound.wav": SOUND,
}
KINDS = tuple("." + name.split(".")[1] for name in SEEDS)
MP4_LIKE = ("mp4", "mov", "m4a")  # the box mutations apply


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", *args], check=True)


def make_seeds(folder):
    os.makedirs(folder, exist_ok=True)
    for name, args in SEEDS.items():
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            ffmpeg(*args, path)
    # A stream whose pictures change size half way: two raw H.264 streams back to back.
    for ext in ("mp4", "flv"):
        path = os.path.join(folder, "change." + ext)
        if os.path.exists(path):
            continue
        raw = []
        for i, size in enumerate((SMALL, LARGE)):
            raw.append(os.path.join(folder, "part%d.h264" % i))
            ffmpeg(*size, *X264, "-bsf:v", "h264_mp4toannexb", "-f", "h264", raw[-1])
        both = os.path.join(folder, "both.h264")
        with open(both, "wb") as out:
            for r in raw:
                out.write(open(r, "rb").read())
        ffmpeg("-r", "25", "-f", "h264", "-i", both, "-c", "copy", path)
    return {name: open(os.path.join(folder, name), "rb").read()
            for name in sorted(os.listdir(folder)) if name.endswith(KINDS)}


# --- the files' structure -------------------------------------------------------------------

CONTAINERS = {b"moov", b"trak", b"mdia", b"minf", b"stbl", b"dinf", b"edts", b"udta", b"mvex",
              b"moof", b"traf"}


def boxes(data, start=0, end=None):
    """(offset, size, type) of every box, depth first, sample entries included."""
    end = len(data) if end is None else end
    found = []
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        if size < 8 or at + size > end:
            break
        found.append((at, size, kind))
        if kind in CONTAINERS:
            found += boxes(data, at + 8, at + size)
        elif kind == b"stsd":
            found += boxes(data, at + 16, at + size)
        elif kind in (b"avc1", b"mp4a"):
            found += boxes(data, at + (86 if kind == b"avc1" else 36), at + size)
        at += size
    return found


def flv_tags(data):
    """(offset, size) of every FLV tag header."""
    tags = []
    at = 13
    while at + 11 <= len(data):
        size = int.from_bytes(data[at + 1:at + 4], "big")
        if at + 11 + size > len(data):
            break
        tags.append((at, size))
        at += 11 + size + 4
    return tags


def put(data, at, value, width):
    if 0 <= at and at + width <= len(data):
        data[at:at + width] = (value & ((1 << (8 * width)) - 1)).to_bytes(width, "big")


# --- mutations: each changes data (a bytearray) in place, or returns a new one -----------------

def truncate(r, d, kind):
    return d[:r.randrange(len(d))]


def bit_flips(r, d, kind):
    for _ in range(r.choice((1, 2, 4, 16, 64))):
        i = r.randrange(len(d))
        d[i] ^= 1 << r.randrange(8)


def overwrite_run(r, d, kind):
    at = r.randrange(len(d))
    n = min(len(d) - at, r.choice((1, 4, 16, 256)))
    fill = r.choice((0, 0xFF, None))
    d[at:at + n] = bytes(r.randrange(256) if fill is None else fill for _ in range(n))


def bogus_sizes(r, d, kind):
    if kind == "mp4":
        found = boxes(d)
        if found:
            at, size, _ = r.choice(found)
            put(d, at, r.choice((0, 1, 7, 8, size - 1, size + 1, size * 2, 0xFFFFFFFF, 0x7FFFFFFF,
                                 len(d) - at + 4096, r.randrange(1 << 32))), 4)
    else:
        tags = flv_tags(d)
        if tags:
            at, size = r.choice(tags)
            which = r.randrange(3)
            if which == 0:
                put(d, at + 1, r.choice((0, 1, size - 1, size + 1, 0xFFFFFF, r.randrange(1 << 24))), 3)
            elif which == 1:  # the previous-tag-size field after it
                put(d, at + 11 + size, r.randrange(1 << 32), 4)
            else:  # the header's data offset
                put(d, 5, r.choice((0, 1, 8, 0xFFFFFFFF, len(d) + 10)), 4)


def huge_dimensions(r, d, kind):
    big = r.choice((0, 1, 0xFFFF, 0x4000, 0x8000, 16384))
    if kind == "mp4":
        for at, size, box in boxes(d):
            if box == b"avc1":
                put(d, at + 32, big, 2), put(d, at + 34, r.choice((big, 0xFFFF, 0)), 2)
            elif box == b"tkhd":
                put(d, at + size - 8, big << 16, 4), put(d, at + size - 4, big << 16, 4)
            elif box == b"avcC" and r.random() < 0.5:  # the parameter sets themselves
                for _ in range(3):
                    i = at + 8 + r.randrange(max(1, size - 8))
                    if i < len(d):
                        d[i] ^= 1 << r.randrange(8)
    else:
        for key in (b"width", b"height"):
            i = d.find(key)
            if i >= 0:  # the metadata number: type 0 and a double after the name
                put(d, i + len(key) + 1, struct.unpack(">Q", struct.pack(">d", r.choice(
                    (1e9, 65535.0, -1.0, float("nan"), float("inf"), 0.0))))[0], 8)
        for at, size in flv_tags(d):
            if d[at] == 9 and size > 8 and d[at + 11] & 0x0F == 2:  # Sorenson: size code 1, 16-bit
                # After the start code, version and time (30 bits): 3 bits of size code, then
                # 16 bits each of width and height.
                bits = int.from_bytes(d[at + 12:at + 22], "big")
                bits &= ~(((1 << 35) - 1) << 15)
                bits |= (1 << 32 | big << 16 | big) << 15
                d[at + 12:at + 22] = bits.to_bytes(10, "big")
                if r.random() < 0.7:
                    break


def zero_timestamps(r, d, kind):
    if kind == "mp4":
        for at, size, box in boxes(d):
            if box == b"stts":
                count = int.from_bytes(d[at + 12:at + 16], "big")
                for k in range(min(count, 64)):
                    put(d, at + 16 + 8 * k + 4, r.choice((0, 0, 1, 0xFFFFFFFF)), 4)
            elif box == b"mdhd" and r.random() < 0.3:
                put(d, at + 20 if d[at + 8] == 0 else at + 28, r.choice((0, 1)), 4)  # timescale
            elif box == b"ctts" and r.random() < 0.5:
                put(d, at + 20, r.choice((0x80000000, 0x7FFFFFFF)), 4)
            elif box == b"elst" and r.random() < 0.5:
                put(d, at + 20, r.randrange(1 << 32), 4)
    else:
        tags = flv_tags(d)
        mode = r.randrange(3)
        for n, (at, _) in enumerate(tags):
            t = 0 if mode == 0 else (len(tags) - n) * 40 if mode == 1 else r.randrange(1 << 32)
            put(d, at + 4, t & 0xFFFFFF, 3), put(d, at + 7, t >> 24, 1)


def chunk_offsets(r, d, kind):
    if kind != "mp4":
        return bit_flips(r, d, kind)
    for at, size, box in boxes(d):
        if box in (b"stco", b"stsz", b"stsc"):
            count = int.from_bytes(d[at + 12:at + 16], "big")
            if r.random() < 0.3:
                put(d, at + 12, r.choice((0, 0xFFFFFFFF, count * 1000)), 4)
            for k in range(min(count, 8)):
                if r.random() < 0.5:
                    put(d, at + 16 + 4 * k + (4 if box == b"stsz" else 0),
                        r.choice((0, len(d), len(d) * 4, 0xFFFFFFF0, r.randrange(1 << 32))), 4)


def duplicate_piece(r, d, kind):
    at = r.randrange(len(d))
    piece = d[at:at + r.choice((16, 512, 8192))]
    to = r.randrange(len(d))
    return d[:to] + piece + d[to:]


MUTATIONS = [truncate, bit_flips, overwrite_run, bogus_sizes, huge_dimensions, zero_timestamps,
             chunk_offsets, duplicate_piece]


def splice_flv(r, a, b):
    """A's tags up to a point, then B's: the pictures change size (and codec) mid-file."""
    ta, tb = flv_tags(a), flv_tags(b)
    cut_a = ta[r.randrange(1, len(ta))][0] if len(ta) > 1 else len(a)
    cut_b = tb[r.randrange(len(tb))][0] if tb else 13
    return bytearray(a[:cut_a] + b[cut_b:])


def mutate(seeds, seed, n):
    r = random.Random("%d:%d" % (seed, n))
    name = r.choice(sorted(seeds))
    kind = name.split(".")[1]
    d = bytearray(seeds[name])
    if kind == "flv" and r.random() < 0.15:
        d = splice_flv(r, d, seeds[r.choice([s for s in sorted(seeds) if s.endswith(".flv")])])
    for _ in range(r.choice((1, 1, 2, 3))):
        if not d:
            break
        if kind in ("flv",) + MP4_LIKE:
            result = r.choice(MUTATIONS)(r, d, "mp4" if kind in MP4_LIKE else kind)
        else:  # the mutations that know no structure
            result = r.choice((truncate, bit_flips, overwrite_run, duplicate_piece))(r, d, kind)
        if result is not None:
            d = bytearray(result)
    return kind, bytes(d)


def main():
    seeds_dir, out, count, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    first = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    seeds = make_seeds(seeds_dir)
    os.makedirs(out, exist_ok=True)
    for n in range(first, first + count):
        kind, data = mutate(seeds, seed, n)
        with open(os.path.join(out, "%05d.%s" % (n, kind)), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
