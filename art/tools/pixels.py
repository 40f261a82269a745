"""Small pixel-art toolkit: a canvas, PNG writing, text grids, a bold pixel font and the
canonical band form the game's shapes are stored in. Standard library only."""

import struct
import zlib

CLEAR = None


class Canvas:
    """A width x height grid of (r, g, b) colours; None is a transparent pixel."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[CLEAR] * width for _ in range(height)]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def get(self, x, y):
        return self.px[y][x] if self.inside(x, y) else CLEAR

    def set(self, x, y, colour):
        if self.inside(x, y):
            self.px[y][x] = colour

    def opaque(self, x, y):
        return self.get(x, y) is not CLEAR

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0..x1-1, y0..y1-1."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(int(steps) + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dx in range(width):
                self.set(round(x - (width - 1) / 2 + dx), round(y), colour)

    def blit(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                c = other.px[y][x]
                if c is not CLEAR:
                    self.set(ox + x, oy + y, c)

    def copy(self):
        c = Canvas(self.width, self.height)
        c.px = [row[:] for row in self.px]
        return c

    def recolour(self, mapping):
        for row in self.px:
            for x, c in enumerate(row):
                if c in mapping:
                    row[x] = mapping[c]


def write_png(path, canvas):
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for c in row:
            raw.extend((0, 0, 0, 0) if c is CLEAR else (c[0], c[1], c[2], 255))

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def grid(text, legend):
    """A canvas from rows of legend characters; '.' is transparent."""
    rows = [r for r in text.strip("\n").split("\n")]
    width = max(len(r) for r in rows)
    c = Canvas(width, len(rows))
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                c.set(x, y, legend[ch])
    return c


def runs_of_row(canvas, y):
    runs, x = [], 0
    while x < canvas.width:
        if canvas.opaque(x, y):
            start = x
            while x < canvas.width and canvas.opaque(x, y):
                x += 1
            runs.append((start, x))
        else:
            x += 1
    return runs


def bands(canvas):
    """Canonical y-x bands: (top, bottom, runs), identical touching rows merged."""
    out = []
    for y in range(canvas.height):
        runs = runs_of_row(canvas, y)
        if not runs:
            continue
        if out and out[-1][1] == y and out[-1][2] == runs:
            out[-1] = (out[-1][0], y + 1, runs)
        else:
            out.append((y, y + 1, runs))
    return out


def rects(canvas):
    return [(l, t, r, b) for t, b, runs in bands(canvas) for l, r in runs]


# A bold pixel font, 7 rows high, two-pixel stems, proportional widths.
_FONT = """
A .XXXX. XX..XX XX..XX XXXXXX XX..XX XX..XX XX..XX
B XXXXX. XX..XX XX..XX XXXXX. XX..XX XX..XX XXXXX.
C .XXXX. XX..XX XX.... XX.... XX.... XX..XX .XXXX.
D XXXX.. XX.XX. XX..XX XX..XX XX..XX XX.XX. XXXX..
E XXXXXX XX.... XX.... XXXXX. XX.... XX.... XXXXXX
F XXXXXX XX.... XX.... XXXXX. XX.... XX.... XX....
G .XXXX. XX..XX XX.... XX.XXX XX..XX XX..XX .XXXXX
H XX..XX XX..XX XX..XX XXXXXX XX..XX XX..XX XX..XX
I XXXX .XX. .XX. .XX. .XX. .XX. XXXX
J ...XXX ....XX ....XX ....XX XX..XX XX..XX .XXXX.
K XX..XX XX.XX. XXXX.. XXX... XXXX.. XX.XX. XX..XX
L XX.... XX.... XX.... XX.... XX.... XX.... XXXXXX
M XX...XX XXX.XXX XXXXXXX XX.X.XX XX...XX XX...XX XX...XX
N XX..XX XXX.XX XXXXXX XX.XXX XX..XX XX..XX XX..XX
O .XXXX. XX..XX XX..XX XX..XX XX..XX XX..XX .XXXX.
P XXXXX. XX..XX XX..XX XXXXX. XX.... XX.... XX....
Q .XXXX. XX..XX XX..XX XX..XX XX.XXX XX..XX .XXX.X
R XXXXX. XX..XX XX..XX XXXXX. XX.XX. XX..XX XX..XX
S .XXXX. XX..XX XX.... .XXXX. ....XX XX..XX .XXXX.
T XXXXXX ..XX.. ..XX.. ..XX.. ..XX.. ..XX.. ..XX..
U XX..XX XX..XX XX..XX XX..XX XX..XX XX..XX .XXXX.
V XX..XX XX..XX XX..XX XX..XX XX..XX .XXXX. ..XX..
W XX...XX XX...XX XX...XX XX.X.XX XXXXXXX XXX.XXX XX...XX
X XX..XX XX..XX .XXXX. ..XX.. .XXXX. XX..XX XX..XX
Y XX..XX XX..XX XX..XX .XXXX. ..XX.. ..XX.. ..XX..
Z XXXXXX ....XX ...XX. ..XX.. .XX... XX.... XXXXXX
0 .XXXX. XX..XX XX.XXX XXXXXX XXX.XX XX..XX .XXXX.
1 .XX. XXX. .XX. .XX. .XX. .XX. XXXX
2 .XXXX. XX..XX ....XX ..XXX. .XX... XX.... XXXXXX
3 .XXXX. XX..XX ....XX ..XXX. ....XX XX..XX .XXXX.
4 ...XX. ..XXX. .XXXX. XX.XX. XXXXXX ...XX. ...XX.
5 XXXXXX XX.... XXXXX. ....XX ....XX XX..XX .XXXX.
6 .XXXX. XX.... XX.... XXXXX. XX..XX XX..XX .XXXX.
7 XXXXXX ....XX ...XX. ..XX.. ..XX.. ..XX.. ..XX..
8 .XXXX. XX..XX XX..XX .XXXX. XX..XX XX..XX .XXXX.
9 .XXXX. XX..XX XX..XX .XXXXX ....XX ....XX .XXXX.
( .XX XX. XX. XX. XX. XX. .XX
) XX. .XX .XX .XX .XX .XX XX.
+ ...... ..XX.. ..XX.. XXXXXX ..XX.. ..XX.. ......
. .. .. .. .. .. XX XX
, .. .. .. .. XX XX X.
- .... .... .... XXXX .... .... ....
: .. XX XX .. XX XX ..
! XX XX XX XX XX .. XX
/ ....XX ...XX. ...XX. ..XX.. .XX... .XX... XX....
"""

FONT = {}
for _line in _FONT.strip().split("\n"):
    _key, *_rows = _line.split()
    FONT[_key] = _rows
FONT[" "] = ["..."] * 7


def text_width(text, scale=1, gap=1):
    w = sum(len(FONT[ch][0]) * scale + gap * scale for ch in text)
    return w - gap * scale if text else 0


def draw_text(canvas, x, y, text, colour, sx=1, sy=1, gap=1):
    """Draws text with its top-left at (x, y); returns the mask of the pixels it set."""
    for ch in text:
        rows = FONT[ch]
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "X":
                    canvas.rect(x + gx * sx, y + gy * sy, x + gx * sx + sx, y + gy * sy + sy,
                                colour)
        x += (len(rows[0]) + gap) * sx


def draw_text_centred(canvas, cx, y, text, colour, sx=1, sy=1):
    draw_text(canvas, cx - text_width(text, sx) // 2, y, text, colour, sx, sy)
