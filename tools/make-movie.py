#!/usr/bin/env python3
"""Writes the player movie file from its text description (resources/movie/Nimbrel.movie).

Usage: make-movie.py SOURCE OUTPUT

The file is a compressed movie ("CWS"): the stage rectangle, frame rate and count, then the
tags FileAttributes, SetBackgroundColor, DefineVideoStream, PlaceObject2 (the named video
object), DoAction (the frame's variable declarations), ShowFrame and End.
"""
import shlex
import struct
import sys
import zlib


def bits(fields):
    """Packs (value, width) pairs most significant bit first, padded to a byte."""
    acc, n = 0, 0
    for value, width in fields:
        acc = (acc << width) | (value & ((1 << width) - 1))
        n += width
    pad = (-n) % 8
    return (acc << pad).to_bytes((n + pad) // 8, "big")


def tag(code, body):
    if len(body) < 0x3F:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 0x3F, len(body)) + body


def push_value(text):
    """A push entry: strings quoted in the source, integers, or doubles."""
    if text.startswith('"'):
        return b"\x00" + shlex.split(text)[0].encode("utf-8") + b"\x00"
    try:
        return b"\x07" + struct.pack("<i", int(text))
    except ValueError:
        raw = struct.pack("<d", float(text))
        return b"\x06" + raw[4:8] + raw[0:4]  # the high word comes first


def parse(path):
    movie, video, place, background, variables = {}, {}, {}, (0, 0, 0), []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        word, _, rest = line.partition(" ")
        if word == "var":
            name, eq, value = rest.partition("=")
            if not eq:
                sys.exit(f"{path}:{number}: expected 'var NAME = VALUE'")
            variables.append((name.strip(), value.strip()))
        elif word == "background":
            background = tuple(int(v) for v in rest.split())
        elif word in ("movie", "video", "place"):
            fields = dict(item.split("=", 1) for item in rest.split())
            {"movie": movie, "video": video, "place": place}[word].update(fields)
        else:
            sys.exit(f"{path}:{number}: unknown line '{word}'")
    return movie, video, place, background, variables


def build(path):
    movie, video, place, background, variables = parse(path)
    width, height = int(movie["width"]) * 20, int(movie["height"]) * 20
    nbits = max(width.bit_length(), height.bit_length()) + 1
    header = bits([(nbits, 5), (0, nbits), (width, nbits), (0, nbits), (height, nbits)])
    header += struct.pack("<HH", int(float(movie["rate"]) * 256), int(movie["frames"]))

    actions = b""
    for name, value in variables:
        values = b"\x00" + name.encode("utf-8") + b"\x00" + push_value(value)
        actions += b"\x96" + struct.pack("<H", len(values)) + values + b"\x1d"
    actions += b"\x00"

    vid = int(video["id"])
    place_body = (bytes([0x2E]) + struct.pack("<HH", int(place["depth"]), int(place["id"]))
                  + bits([(0, 1), (0, 1), (0, 5)])           # identity matrix at 0, 0
                  + bits([(0, 1), (0, 1), (0, 4)])           # empty colour transform
                  + place["name"].encode("utf-8") + b"\x00")
    tags = (tag(69, struct.pack("<I", 0))
            + tag(9, bytes(background))
            + tag(60, struct.pack("<HHHHBB", vid, int(video["frames"]), int(video["width"]),
                                  int(video["height"]), 0, int(video["codec"])))
            + tag(26, place_body)
            + tag(12, actions)
            + tag(1, b"")
            + tag(0, b""))
    body = header + tags
    return (b"CWS" + bytes([int(movie["version"])]) + struct.pack("<I", 8 + len(body))
            + zlib.compress(body, 9))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    data = build(sys.argv[1])
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
