#!/usr/bin/env python3
"""Writes and checks the three 33 x 25 flag pictures of the language window.

The pictures are 8-bit palette PNG files (colour type 3, not interlaced) with
nothing but IHDR, PLTE, IDAT and IEND, written chunk by chunk with the
standard library alone, so that every pixel is exactly the colour we name.

  flags.py write DIR   writes flag_fr.png, flag_uk.png and flag_de.png
  flags.py check DIR   decodes the three files and checks every pixel
"""

import math
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 33, 25
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COLOUR_TYPE_PALETTE = 3
MAX_UK_COLOURS = 23

FLAG_BORDER = (1, 1, 1)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

FR_BLUE = (0, 26, 222)
FR_RED = (255, 0, 0)

DE_RED = (222, 33, 16)
DE_GOLD_TOP = (255, 212, 7)
DE_GOLD = (255, 198, 8)

UK_BORDER = (28, 51, 129)
UK_BLUE = (1, 33, 105)
UK_RED = (200, 16, 46)
UK_SUPERSAMPLE = 8  # sub-samples per pixel side for the smooth diagonals


def on_border(x, y):
    return x in (0, WIDTH - 1) or y in (0, HEIGHT - 1)


def french_pixel(x, y):
    if on_border(x, y):
        return FLAG_BORDER
    if x <= 11:
        return FR_BLUE
    if x <= 21:
        return WHITE
    return FR_RED


def german_pixel(x, y):
    if on_border(x, y):
        return FLAG_BORDER
    if y <= 8:
        return BLACK
    if y <= 15:
        return DE_RED
    if y == 16:
        return DE_GOLD_TOP
    return DE_GOLD


# --- the Union flag, drawn in design units over the 31 x 23 inner area ---
#
# The usual 60 x 30 construction (crosses 10 and 6 wide, saltires 6 and 2
# wide, the red saltire counterchanged) is kept at the same unit size and
# widened to the inner area's proportions, as small flag icons do.

INNER_W, INNER_H = WIDTH - 2, HEIGHT - 2
UNIT = INNER_H / 30.0                      # pixels per design unit
DESIGN_W, DESIGN_H = INNER_W / UNIT, 30.0  # about 40.4 x 30 units


def union_colour_at(u, v):
    """Colour of the flag at design point (u, v), v growing downwards."""
    cu, cv = DESIGN_W / 2, DESIGN_H / 2
    du, dv = u - cu, v - cv
    if abs(du) <= 3 or abs(dv) <= 3:
        return UK_RED
    if abs(du) <= 5 or abs(dv) <= 5:
        return WHITE
    # Distance to each diagonal, signed; the diagonals run corner to corner.
    length = math.hypot(DESIGN_W, DESIGN_H)
    falling = (du * DESIGN_H - dv * DESIGN_W) / length  # top-left to bottom-right
    rising = (du * DESIGN_H + dv * DESIGN_W) / length   # bottom-left to top-right
    if abs(falling) <= 3 or abs(rising) <= 3:
        # Counterchanged red: in each arm the red band lies on one side of
        # the centre line, turning round the flag like a pinwheel.
        if abs(falling) <= abs(rising):
            red = -2 <= falling <= 0 if du < 0 else 0 <= falling <= 2
        else:
            red = 0 <= rising <= 2 if du < 0 else -2 <= rising <= 0
        return UK_RED if red else WHITE
    return UK_BLUE


def union_inner_pixel(x, y):
    """Average of the sub-samples of inner pixel (x, y), 0-based in the inner area."""
    n = UK_SUPERSAMPLE
    total = [0, 0, 0]
    for sy in range(n):
        for sx in range(n):
            u = (x + (sx + 0.5) / n) / UNIT
            v = (y + (sy + 0.5) / n) / UNIT
            for i, c in enumerate(union_colour_at(u, v)):
                total[i] += c
    return tuple(round(c / (n * n)) for c in total)


def nearest(colour, palette):
    return min(palette, key=lambda p: sum((a - b) ** 2 for a, b in zip(colour, p)))


def reduce_colours(pixels, count):
    """Picks at most `count` colours for `pixels` (k-means, seeded by the pure colours)."""
    seeds = [UK_BLUE, WHITE, UK_RED]
    by_frequency = sorted(set(pixels), key=lambda c: -pixels.count(c))
    centres = seeds + [c for c in by_frequency if c not in seeds][: count - len(seeds)]
    for _ in range(20):
        groups = {c: [] for c in centres}
        for p in pixels:
            groups[nearest(p, centres)].append(p)
        moved = []
        for c, members in groups.items():
            if c in seeds or not members:
                moved.append(c)  # pure colours stay exact
            else:
                moved.append(tuple(round(sum(m[i] for m in members) / len(members)) for i in range(3)))
        moved = list(dict.fromkeys(moved))
        if moved == centres:
            break
        centres = moved
    return centres


def union_pixels():
    inner = [union_inner_pixel(x, y) for y in range(INNER_H) for x in range(INNER_W)]
    palette = reduce_colours(inner, MAX_UK_COLOURS - 1)
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            if on_border(x, y):
                row.append(UK_BORDER)
            else:
                row.append(nearest(inner[(y - 1) * INNER_W + (x - 1)], palette))
        rows.append(row)
    return rows


def pixels_of(pixel):
    return [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]


# --- PNG writing and reading ---

def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def palette_png(rows):
    palette = list(dict.fromkeys(c for row in rows for c in row))
    index = {c: i for i, c in enumerate(palette)}
    raw = b"".join(b"\x00" + bytes(index[c] for c in row) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, COLOUR_TYPE_PALETTE, 0, 0, 0)
    return (PNG_SIGNATURE + chunk(b"IHDR", header)
            + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def unfilter(kind, line, prior):
    out = bytearray(line)
    for i in range(len(out)):
        a = out[i - 1] if i else 0
        b = prior[i]
        c = prior[i - 1] if i else 0
        if kind == 1:
            out[i] = (out[i] + a) & 0xFF
        elif kind == 2:
            out[i] = (out[i] + b) & 0xFF
        elif kind == 3:
            out[i] = (out[i] + (a + b) // 2) & 0xFF
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            out[i] = (out[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        elif kind != 0:
            raise ValueError(f"unknown filter type {kind}")
    return bytes(out)


def read_palette_png(data):
    """Decodes an 8-bit palette PNG into (rows of RGB triples, chunk kinds, palette size)."""
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError("not a PNG file")
    pos, kinds, idat, header, palette = len(PNG_SIGNATURE), [], b"", None, []
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"bad CRC in {kind!r}")
        kinds.append(kind.decode())
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, compression, filtering, interlace = header
    if (depth, colour, compression, filtering, interlace) != (8, COLOUR_TYPE_PALETTE, 0, 0, 0):
        raise ValueError(f"not an 8-bit non-interlaced palette PNG: {header}")
    raw, rows, prior = zlib.decompress(idat), [], bytes(width)
    for y in range(height):
        line = raw[y * (width + 1):(y + 1) * (width + 1)]
        prior = unfilter(line[0], line[1:], prior)
        rows.append([palette[i] for i in prior])
    return rows, kinds, len(palette)


# --- checks ---

def check_exact(path, pixel):
    rows, kinds, _ = read_palette_png(path.read_bytes())
    problems = [] if kinds == ["IHDR", "PLTE", "IDAT", "IEND"] else [f"chunks {kinds}"]
    if (len(rows[0]), len(rows)) != (WIDTH, HEIGHT):
        return problems + [f"size {len(rows[0])} x {len(rows)}"]
    problems += [f"pixel ({x}, {y}) is {rows[y][x]}, wants {pixel(x, y)}"
                 for y in range(HEIGHT) for x in range(WIDTH) if rows[y][x] != pixel(x, y)]
    return problems


def check_union(path):
    rows, kinds, colours = read_palette_png(path.read_bytes())
    problems = [] if kinds == ["IHDR", "PLTE", "IDAT", "IEND"] else [f"chunks {kinds}"]
    if (len(rows[0]), len(rows)) != (WIDTH, HEIGHT):
        return problems + [f"size {len(rows[0])} x {len(rows)}"]
    if colours > MAX_UK_COLOURS:
        problems.append(f"{colours} palette colours")
    problems += [f"border pixel ({x}, {y}) is {rows[y][x]}"
                 for y in range(HEIGHT) for x in range(WIDTH)
                 if on_border(x, y) and rows[y][x] != UK_BORDER]
    # Landmarks that make it recognisable: the red cross, its white edging,
    # blue fields, and the red saltire turned the right way (below the
    # diagonal in the upper hoist, above it in the upper fly).
    landmarks = {(16, 12): UK_RED, (16, 2): UK_RED, (2, 12): UK_RED,
                 (5, 9): WHITE, (5, 15): WHITE, (2, 6): UK_BLUE, (29, 17): UK_BLUE,
                 (8, 7): UK_RED, (28, 2): UK_RED}
    problems += [f"pixel {xy} is {rows[xy[1]][xy[0]]}, wants {c}"
                 for xy, c in landmarks.items() if rows[xy[1]][xy[0]] != c]
    return problems


FLAGS = {
    "flag_fr.png": (lambda: pixels_of(french_pixel), lambda p: check_exact(p, french_pixel)),
    "flag_uk.png": (union_pixels, check_union),
    "flag_de.png": (lambda: pixels_of(german_pixel), lambda p: check_exact(p, german_pixel)),
}


def main(argv):
    if len(argv) != 3 or argv[1] not in ("write", "check"):
        print(__doc__, file=sys.stderr)
        return 2
    folder = Path(argv[2])
    failed = False
    for name, (draw, check) in FLAGS.items():
        if argv[1] == "write":
            (folder / name).write_bytes(palette_png(draw()))
            continue
        problems = check(folder / name)
        for problem in problems[:10]:
            print(f"{name}: {problem}", file=sys.stderr)
        failed |= bool(problems)
        print(f"{name}: {'FAILED' if problems else 'ok'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
