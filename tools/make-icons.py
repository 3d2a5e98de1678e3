#!/usr/bin/env python3
"""Draw Nimbrel's icons from the pixel art below.

Usage: python3 tools/make-icons.py OUTDIR

Writes OUTDIR/icon150.ico ... OUTDIR/icon159.ico, each a classic 16-colour
icon (4-bit colour bitmap plus 1-bit transparency mask) in every size the
program asks for at 100 to 200 % display scale.
The build runs this, so no binary image is kept in the tree.
"""
import os
import struct
import sys

# The standard 16-colour VGA palette in palette order, and the letter that
# stands for each colour in the art ('.' is a transparent pixel):
#   K black   r maroon  g green  y olive   b navy  m purple   c teal  S silver
#   D grey    R red     G lime   Y yellow  B blue  M magenta  C cyan  W white
LETTERS = 'KrgybmcSDRGYBMCW'
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
           (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
           (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
           (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
INDEX = {letter: i for i, letter in enumerate(LETTERS)}
INDEX['.'] = 0  # transparent: black in the colour bitmap, set in the mask

# Application icon: a strip of film whose frame shows a play triangle.
# The 16x16 art is doubled for the 32x32 image.
APP16 = """
    KKKKKKKKKKKKKKKK
    KWWKWWKWWKWWKWWK
    KKKKKKKKKKKKKKKK
    KbbbbbbbbbbbbbbK
    KbbbbbYbbbbbbbbK
    KbbbbbYYbbbbbbbK
    KbbbbbYYYbbbbbbK
    KbbbbbYYYYbbbbbK
    KbbbbbYYYYbbbbbK
    KbbbbbYYYbbbbbbK
    KbbbbbYYbbbbbbbK
    KbbbbbYbbbbbbbbK
    KbbbbbbbbbbbbbbK
    KKKKKKKKKKKKKKKK
    KWWKWWKWWKWWKWWK
    KKKKKKKKKKKKKKKK
"""

# The 48x48 image: drawn at 24x24 and doubled.
APP24 = """
    ........................
    KKKKKKKKKKKKKKKKKKKKKKKK
    KWWKKWWKKWWKKWWKKWWKKWWK
    KKKKKKKKKKKKKKKKKKKKKKKK
    KbbbbbbbbbbbbbbbbbbbbbbK
    KbbbbbbbbbbbbbbbbbbbbbbK
    KbbbbbbbbYbbbbbbbbbbbbbK
    KbbbbbbbbYYbbbbbbbbbbbbK
    KbbbbbbbbYYYbbbbbbbbbbbK
    KbbbbbbbbYYYYbbbbbbbbbbK
    KbbbbbbbbYYYYYbbbbbbbbbK
    KbbbbbbbbYYYYYYbbbbbbbbK
    KbbbbbbbbYYYYYYbbbbbbbbK
    KbbbbbbbbYYYYYbbbbbbbbbK
    KbbbbbbbbYYYYbbbbbbbbbbK
    KbbbbbbbbYYYbbbbbbbbbbbK
    KbbbbbbbbYYbbbbbbbbbbbbK
    KbbbbbbbbYbbbbbbbbbbbbbK
    KbbbbbbbbbbbbbbbbbbbbbbK
    KbbbbbbbbbbbbbbbbbbbbbbK
    KKKKKKKKKKKKKKKKKKKKKKKK
    KWWKKWWKKWWKKWWKKWWKKWWK
    KKKKKKKKKKKKKKKKKKKKKKKK
    ........................
"""

# Button glyphs, black on transparent.  Each is centred on a 16x16 icon.
PLAY = """
    K.....
    KK....
    KKK...
    KKKK..
    KKKKK.
    KKKKKK
    KKKKK.
    KKKK..
    KKK...
    KK....
    K.....
"""

STOP = """
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
    KKKKKKKKKK
"""

PAUSE = """
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
    KKK..KKK
"""

# Volume; the mute button shows the same speaker without its waves.
VOLUME = """
    .....K......
    ....KK...K..
    ...KKK....K.
    KKKKKK.K...K
    KKKKKK..K..K
    KKKKKK..K..K
    KKKKKK..K..K
    KKKKKK.K...K
    ...KKK....K.
    ....KK...K..
    .....K......
"""

MENU = """
    KKKKKKKKKKK
    K.........K
    K.KKKKKKK.K
    K.........K
    K.........K
    K.KKKKKKK.K
    K.........K
    K.........K
    K.KKKKKKK.K
    K.........K
    KKKKKKKKKKK
"""

def grid(art):
    """Rows of a picture; every row the same width."""
    rows = art.split()
    assert rows and all(len(r) == len(rows[0]) for r in rows), art
    assert all(c in INDEX for r in rows for c in r), art
    return rows


def doubled(rows):
    """Each pixel as a 2x2 block."""
    return [''.join(c * 2 for c in r) for r in rows for _ in (0, 1)]


def muted(rows):
    """The speaker without its sound waves, left where it was."""
    return [r[:6].ljust(len(r), '.') for r in rows]


def centred(rows, size=16):
    """Place a glyph in the middle of a size x size transparent square."""
    top, left = (size - len(rows)) // 2, (size - len(rows[0])) // 2
    pad = ['.' * size] * top + ['.' * left + r for r in rows]
    return [r.ljust(size, '.') for r in pad] + ['.' * size] * (size - len(pad))


def image(rows):
    """One icon image: BITMAPINFOHEADER, palette, colour bitmap, mask."""
    width, height = len(rows[0]), len(rows)
    assert width == height and width <= 256
    colour_stride = (width * 4 + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    colour, mask = bytearray(), bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom row first
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            line[x // 2] |= INDEX[c] << (0 if x % 2 else 4)
            if c == '.':
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    # The height counts the colour bitmap and the mask together.
    header = struct.pack('<IiiHHIIiiII', 40, width, 2 * height, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(images):
    """ICONDIR, one ICONDIRENTRY per image, then the images."""
    blobs = [image(rows) for rows in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        size = len(rows) % 256  # 0 stands for 256
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4,
                           len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)


def rounded(v):
    return int(v + 0.5)


def triangle(n, left=False):
    """A filled triangle pointing right (or left), its odd height about 11/16 of n."""
    h = 2 * rounded((11 * n / 16 - 1) / 2) + 1
    rows = ['K' * (min(i, h - 1 - i) + 1) for i in range(h)]
    w = (h + 1) // 2
    return [r.rjust(w, '.') if left else r.ljust(w, '.') for r in rows]


def block(width, height):
    return ['K' * width] * height


def beside(*parts, gap=0):
    """Glyphs side by side, top-aligned on the tallest, gap transparent columns apart."""
    height = max(len(p) for p in parts)
    rows = []
    for y in range(height):
        row = []
        for p in parts:
            top = (height - len(p)) // 2
            row.append(p[y - top] if 0 <= y - top < len(p) else '.' * len(p[0]))
        rows.append(('.' * gap).join(row))
    return rows


def scaled(rows, n, base=16):
    """Nearest-neighbour scaling of base-sized art to n (1.25 and 1.5 repeat some rows)."""
    return [''.join(rows[y * base // n][x * base // n] for x in range(n)) for y in range(n)]


# Button glyphs at every display scale: 100, 125, 150 and 200 %. The 16-pixel images are the
# art above; the shapes are drawn for each size, the speaker and the menu box scaled from it.
SIZES = (16, 20, 24, 32)


def play(n):
    return centred(grid(PLAY), n) if n == 16 else centred(triangle(n), n)


def stop(n):
    side = rounded(10 * n / 16)
    return centred(block(side, side), n)


def pause(n):
    bar, gap, height = rounded(3 * n / 16), rounded(2 * n / 16), rounded(10 * n / 16)
    return centred(beside(block(bar, height), block(bar, height), gap=gap), n)


def previous(n):
    t = triangle(n, left=True)
    return centred(beside(block(rounded(2 * n / 16), len(t)), t, gap=rounded(n / 16)), n)


def following(n):
    t = triangle(n)
    return centred(beside(t, block(rounded(2 * n / 16), len(t)), gap=rounded(n / 16)), n)


def menu(n):
    """A framed box with three bars: frame and bars t thick, gaps of g at the frame, 2.4 g between."""
    if n == 16:
        return centred(grid(MENU))
    t, g, inner = max(1, n // 16), rounded(n / 16), rounded(2.4 * n / 16)
    side = 5 * t + 2 * g + 2 * inner
    edge, hollow = 'K' * t, '.' * (side - 2 * t)
    bar = edge + '.' * g + 'K' * (side - 2 * (t + g)) + '.' * g + edge
    rows = [edge + hollow + edge] * g
    for k in range(3):
        rows += [bar] * t + [edge + hollow + edge] * (inner if k < 2 else g)
    return centred(['K' * side] * t + rows + ['K' * side] * t, n)


def from_art(art, transform=lambda rows: rows):
    return lambda n: scaled(centred(transform(grid(art))), n)


def now_playing(n):
    """The playlist's mark: a right-pointing triangle filling the n x n square (8 at 100 %)."""
    rows = ['K' * min(n, 2 * (i + 1)) for i in range(n // 2)]
    return [r.ljust(n, '.') for r in rows + rows[::-1]]


ICONS = {
    150: [grid(APP16), scaled(grid(APP16), 20), grid(APP24), doubled(grid(APP16)), doubled(grid(APP24))],
    151: [play(n) for n in SIZES],
    152: [stop(n) for n in SIZES],
    153: [pause(n) for n in SIZES],
    154: [from_art(VOLUME)(n) for n in SIZES],
    155: [from_art(VOLUME, muted)(n) for n in SIZES],
    156: [menu(n) for n in SIZES],
    157: [now_playing(n) for n in (8, 10, 12, 16)],
    158: [previous(n) for n in SIZES],   # the taskbar thumbnail's previous and next buttons
    159: [following(n) for n in SIZES],
}


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make-icons.py OUTDIR')
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for number, images in ICONS.items():
        with open(os.path.join(outdir, 'icon%d.ico' % number), 'wb') as f:
            f.write(icon_file(images))


if __name__ == '__main__':
    main()
