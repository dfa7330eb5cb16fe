#!/usr/bin/env python3
"""Draws the installer's icon, installer.ico: the background window's picture in small, the
white arched footbridge over the water with the gold sun, on the installer's blue, in a rounded
square. 16, 32 and 48 pixels, each in 256 colours (8 bits per pixel, the few colours the picture
uses) and in true colour (32 bits with an alpha channel), uncompressed as Windows XP reads them.

    make_icon.py [--true-colour SIZES] ICO [PREVIEW.png]

--true-colour takes the sizes that get a true-colour image ("16,32,48", the default; "" for
none): the 256-colour images cost 4.7 KB together, the true-colour ones 1.1, 4.2 and 9.4 KB.

The shapes are laid out on a 48-unit square and sampled 4 × 4 times per pixel, so each size is
drawn for itself rather than scaled from another. PREVIEW gets the six images side by side, at
their size and four times enlarged, for the README."""
import math
import struct
import sys
import zlib

BLUE = (8, 74, 140)  # kInstallerColor
WHITE = (255, 255, 255)
GOLD = (246, 196, 64)
SKY = (150, 196, 236)
DEEP_SKY = (70, 130, 196)
SIZES = (16, 32, 48)
SAMPLES = 4


def rounded_square(x, y):
    """Inside the rounded square that fills the icon, with a corner radius of 9 units."""
    r = 9
    cx, cy = min(max(x, r + 1), 47 - r), min(max(y, r + 1), 47 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and 1 <= x <= 47 and 1 <= y <= 47


def layers(size):
    """The picture's shapes, back to front: (colour, test of a point in units)."""
    thick = 3.2 if size > 16 else 4.2  # the small icon keeps its arch readable
    deck, rise, left, right = 31.0, 17.0, 7.0, 41.0
    centre, half = (left + right) / 2, (right - left) / 2

    def arch(x, y):
        # The upper half of an ellipse through the deck's ends, drawn as a band.
        if y > deck + 0.5:
            return False
        d = math.hypot((x - centre) / half, (y - deck) / rise)
        return abs(d - 1) * min(half, rise) <= thick / 2

    def hangers(x, y):
        if size < 32 or not deck - rise < y < deck:
            return False
        t = (x - centre) / half
        top = deck - rise * math.sqrt(max(0.0, 1 - t * t))
        return y > top and any(abs(x - h) < 0.6 for h in (12, 17, 24, 31, 36))

    def deck_line(x, y):
        return left - 2 <= x <= right + 2 and abs(y - deck) <= thick / 2.4

    def piers(x, y):
        return deck <= y <= 38 and any(abs(x - p) <= thick / 2 for p in (left, right))

    def water(rows):
        def test(x, y):
            return any(abs(y - (row + 1.2 * math.sin(x * 0.7 + row))) <= 0.9 and 5 <= x <= 43
                       for row in rows)
        return test

    return [
        (BLUE, rounded_square),
        (DEEP_SKY, water((37.5,) if size == 16 else (37.5, 43.0))),
        (SKY, water(() if size == 16 else (40.3,))),
        (GOLD, lambda x, y: math.hypot(x - 36.5, y - 11.5) <= (6.5 if size > 16 else 7.5)),
        (SKY, hangers),
        (WHITE, arch),
        (WHITE, deck_line),
        (WHITE, piers),
    ]


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    shapes = layers(size)
    unit = 48.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * unit
                    y = (py + (sy + 0.5) / SAMPLES) * unit
                    colour = None
                    if rounded_square(x, y):
                        for c, inside in shapes:
                            if inside(x, y):
                                colour = c
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)) if a
                       else (0, 0, 0, 0))
        rows.append(row)
    return rows


def palette():
    """The 256-colour images' colours: the picture's five and three blends of each pair."""
    base = [BLUE, WHITE, GOLD, SKY, DEEP_SKY]
    colours = [(0, 0, 0)] + base
    for i, p in enumerate(base):
        for q in base[i + 1:]:
            for t in (0.25, 0.5, 0.75):
                colours.append(tuple(round(p[k] * (1 - t) + q[k] * t) for k in range(3)))
    return colours


def nearest(colours, pixel):
    return min(range(len(colours)),
               key=lambda i: sum((colours[i][k] - pixel[k]) ** 2 for k in range(3)))


def mask_rows(rows):
    """The AND mask, bottom row first: a set bit where the icon is transparent."""
    out = b""
    for row in reversed(rows):
        bits = 0
        for x, p in enumerate(row):
            if p[3] < 128:
                bits |= 1 << (len(row) - 1 - x)
        line = bits.to_bytes((len(row) + 7) // 8, "big")
        out += line + b"\0" * (-len(line) % 4)
    return out


def header(size, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, 0, 0, 0, colours, 0)


def true_colour_image(rows):
    size = len(rows)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    return header(size, 32, 0) + pixels + mask_rows(rows)


def paletted_image(rows, colours):
    size = len(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    pixels = b""
    for row in reversed(rows):
        line = bytes(nearest(colours, p) if p[3] >= 128 else 0 for p in row)
        pixels += line + b"\0" * (-len(line) % 4)
    return header(size, 8, len(colours)) + table + pixels + mask_rows(rows)


def png(width, height, rgb_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2,
                                                              0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(images):
    """The images (rows of RGBA, or of palette indices with their colours) over a light grey,
    each at its size and four times enlarged, in one strip."""
    grey = (236, 236, 236)
    tiles = []
    for rows in images:
        size = len(rows)
        for scale in (1, 4):
            tiles.append([[rows[y // scale][x // scale] for x in range(size * scale)]
                          for y in range(size * scale)])
    height = max(len(t) for t in tiles) + 16
    width = sum(len(t) + 16 for t in tiles) + 16
    canvas = [[grey] * width for _ in range(height)]
    x0 = 16
    for tile in tiles:
        top = (height - len(tile)) // 2
        for y, row in enumerate(tile):
            for x, (r, g, b, a) in enumerate(row):
                t = a / 255
                canvas[top + y][x0 + x] = tuple(round(c * t + k * (1 - t))
                                                for c, k in zip((r, g, b), grey))
        x0 += len(tile) + 16
    return png(width, height, canvas)


def main():
    args = sys.argv[1:]
    true_colour = set(SIZES)
    if args and args[0] == "--true-colour":
        true_colour = {int(n) for n in args[1].split(",") if n}
        args = args[2:]
    colours = palette()
    entries, shown = [], []
    for size in SIZES:
        rows = render(size)
        flat = [[colours[nearest(colours, p)] + (255,) if p[3] >= 128 else (0, 0, 0, 0)
                 for p in row] for row in rows]
        entries.append((size, len(colours), 8, paletted_image(rows, colours)))
        shown.append(flat)
        if size in true_colour:
            entries.append((size, 0, 32, true_colour_image(rows)))
            shown.append(rows)
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, count, bits, image in entries:
        out += struct.pack("<BBBBHHII", size, size, count if count < 256 else 0, 0, 1, bits,
                           len(image), offset)
        offset += len(image)
    out += b"".join(image for *_, image in entries)
    open(args[0], "wb").write(out)
    if len(args) > 1:
        open(args[1], "wb").write(preview(shown))


if __name__ == "__main__":
    main()
