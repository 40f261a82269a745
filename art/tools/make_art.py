#!/usr/bin/env python3
"""Draws every sprite, balloon cap and the dialog icon of Petalwing and writes them as PNGs
into art/. The shape of a sprite is its opaque pixels; artc turns them into region tables.

Run from anywhere: python3 art/tools/make_art.py [--sheet contact.png]
"""

import math
import os
import random
import sys

from pixels import (Canvas, bands, draw_text, draw_text_centred, grid, rects, runs_of_row,
                    text_width, write_png)
import scenery

ART = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# --- life lamps -----------------------------------------------------------------------------


def lamps():
    c = Canvas(25, 11)
    for left in (1, 13):
        c.rect(left, 1, left + 10, 10, (0, 112, 0))
        c.rect(left + 1, 2, left + 9, 9, (0, 200, 0))
        c.rect(left + 2, 2, left + 8, 4, (96, 255, 96))
        c.rect(left + 2, 2, left + 4, 3, (224, 255, 224))
    return c


# --- ship -----------------------------------------------------------------------------------

SHIP = """
...................
....GG.............
....GwG............
.....GwG..cc.......
....GwwwwwCccG.....
..rywwwwwwwwwwG....
....GgggG.ggggG....
....GgG............
..GGGGGGGG.........
...................
"""
SHIP_GREY = {"G": (88, 92, 104), "g": (150, 154, 166), "w": (204, 208, 218),
             "c": (0, 240, 255), "C": (0, 144, 176), "r": (255, 32, 16), "y": (255, 200, 32)}
SHIP_RED = dict(SHIP_GREY, G=(120, 0, 8), g=(200, 24, 24), w=(255, 88, 80), c=(255, 200, 208),
                C=(176, 64, 96))


def ship(legend):
    return grid(SHIP, legend)


# --- enemy ----------------------------------------------------------------------------------

ENEMY = """
.....................
.......dddddkk.......
.....kkkWkkkk........
...kkk..Wkkkk........
..kkk..Wkkkk.........
..kkkWkkkkkk.........
....kkkkkkk..........
...kkkkk.............
.....................
.....................
"""


def enemy():
    return grid(ENEMY, {"k": (8, 8, 12), "d": (72, 72, 88), "W": WHITE})


# --- flame bursts ---------------------------------------------------------------------------


def burst(rows, hot):
    """A flame burst from its runs; colour by depth inside the outline."""
    c = Canvas(12, 12)
    for y, runs in rows.items():
        for l, r in runs:
            c.rect(l, y, r + 1, y + 1, (0, 0, 0))
    colours = [(200, 16, 8), (255, 96, 0), (255, 208, 0), hot]
    depth = {}
    for y in range(12):
        for x in range(12):
            if not c.opaque(x, y):
                continue
            d = 0
            while d < 3 and all(c.opaque(x + dx, y + dy) for dx in range(-d - 1, d + 2)
                                for dy in range(-d - 1, d + 2) if abs(dx) + abs(dy) <= d + 1):
                d += 1
            depth[(x, y)] = d
    for (x, y), d in depth.items():
        c.set(x, y, colours[d])
    return c


BURST_A = {1: [(5, 6)], 2: [(4, 8)], 3: [(2, 2), (4, 9)], 4: [(2, 9)], 5: [(1, 10)],
           6: [(1, 6), (9, 9)], 7: [(2, 9)], 8: [(2, 8)], 9: [(4, 9)], 10: [(5, 6)]}
BURST_B = {1: [(5, 6)], 2: [(3, 7)], 3: [(2, 7), (9, 9)], 4: [(2, 9)], 5: [(1, 10)],
           6: [(2, 2), (5, 10)], 7: [(2, 9)], 8: [(3, 9)], 9: [(2, 7)], 10: [(5, 6)]}

# --- staff-roll window and boss core --------------------------------------------------------


def staff_window():
    c = Canvas(163, 95)
    c.rect(1, 1, 162, 94, BLACK)
    return c


def core():
    c = Canvas(37, 66)
    c.rect(9, 38, 12, 39, (200, 0, 0))
    c.rect(8, 39, 12, 43, (232, 16, 16))
    c.rect(9, 43, 12, 44, (160, 0, 0))
    c.rect(9, 39, 11, 41, (255, 96, 96))
    c.set(9, 39, (255, 200, 200))
    return c


# --- credits --------------------------------------------------------------------------------

CREDITS = [
    # (gap above, text, horizontal scale, vertical scale)
    (0, "PETALWING", 2, 3),
    (16, "STAFF", 1, 1),
    (14, "PROGRAM", 1, 2),
    (4, "THE PETALWING TEAM", 1, 1),
    (14, "GRAPHICS", 1, 2),
    (4, "THE PETALWING TEAM", 1, 1),
    (14, "LEVEL DESIGN", 1, 2),
    (4, "THE PETALWING TEAM", 1, 1),
    (14, "MUSIC", 1, 2),
    (4, "(NONE)", 1, 1),
    (14, "TESTING", 1, 2),
    (4, "THE PETALWING TEAM", 1, 1),
    (14, "TOOLS", 1, 2),
    (4, "C++20  CMAKE", 1, 1),
    (4, "PIXMAN  CAIRO", 1, 1),
    (4, "GTK  GOOGLETEST", 1, 1),
    (4, "PYTHON", 1, 1),
    (14, "SPECIAL THANKS", 1, 2),
    (4, "YOU, FOR PLAYING", 1, 1),
    (36, "PRESENTED BY", 1, 2),
    (6, "THE PETALWING TEAM", 1, 2),
    (40, "THANK YOU!", 2, 2),
]

CREDITS_LEFT, CREDITS_RIGHT = 15, 160
CREDITS_CENTRE = (CREDITS_LEFT + CREDITS_RIGHT + 1) // 2


def credits():
    c = Canvas(177, 613)
    y = 93
    for gap, text, sx, sy in CREDITS:
        y += gap
        draw_text_centred(c, CREDITS_CENTRE, y, text, WHITE, sx, sy)
        y += 7 * sy
    return c


def maker():
    c = Canvas(177, 58)
    draw_text_centred(c, 72, 7, "THE PETALWING TEAM", WHITE, 1, 2)
    draw_text_centred(c, 72, 23, "2004", WHITE, 1, 1)
    return c


# --- title banner ---------------------------------------------------------------------------


def banner():
    c = Canvas(300, 48)
    blue, rim, deep = (24, 40, 200), (112, 144, 255), (8, 16, 120)
    left, top, right, bottom = 14, 0, 285, 45
    corner = [3, 2, 1]
    for y in range(top, bottom):
        inset = corner[y - top] if y - top < 3 else corner[bottom - 1 - y] if bottom - 1 - y < 3 \
            else 0
        c.rect(left + inset, y, right - inset, y + 1, blue)
    for y in range(top, bottom):
        for x in range(left, right):
            edge = any(not c.opaque(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1),
                                                                   (0, -1)))
            if c.opaque(x, y) and edge:
                c.set(x, y, rim)
    c.rect(left + 3, bottom - 3, right - 3, bottom - 2, deep)
    title = "PETALWING"
    sx, sy = 3, 3
    x0 = (left + right) // 2 - text_width(title, sx) // 2
    y0 = 5
    letters = Canvas(300, 48)
    draw_text(letters, x0, y0, title, WHITE, sx, sy)
    outline, shadow = (16, 8, 48), (232, 64, 160)
    for y in range(48):
        for x in range(300):
            if letters.opaque(x, y):
                continue
            near = any(letters.opaque(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
            if near:
                c.set(x, y, outline)
            elif letters.opaque(x - 2, y - 2):
                c.set(x, y, shadow)
    for y in range(48):
        for x in range(300):
            if letters.opaque(x, y):
                t = (y - y0) / (7 * sy)
                c.set(x, y, (255, 255, 255) if t < 0.45 else (255, 208, 232) if t < 0.75
                      else (255, 160, 208))
    prompt = "PRESS SPACE KEY"
    draw_text_centred(c, (left + right) // 2, 32, prompt, (255, 240, 96), 1, 1)
    return c


# --- boss -----------------------------------------------------------------------------------


def blossom(c, cx, cy, petal, edge, heart, r=1.6):
    for k in range(5):
        a = -math.pi / 2 + k * 2 * math.pi / 5
        c.disc(cx + math.cos(a) * 1.9, cy + math.sin(a) * 1.9, r, petal)
    for k in range(5):
        a = -math.pi / 2 + (k + 0.5) * 2 * math.pi / 5
        c.set(round(cx + math.cos(a) * 3.0), round(cy + math.sin(a) * 3.0), edge)
    c.set(round(cx), round(cy), heart)


BOSS_EYE = """
.kkkkkkkkkk...
kkwwwwwwwwkk..
kwkkkwwwwwwwk.
kwkrRkwwwwwwk.
kwkrrkwwwwwwk.
kkwkkwwwwwwk..
.kkwwwwwwkkk..
...kkkkkkd....
"""
BOSS_MOUTH = """
.kkkkkkkkkkkk.
kkwkwkkwkwkwkk
kkkkkkkkkkkkkk
.kkwkkkwkkwkk.
..kkkkkkkkkk..
"""
BOSS_SOCKET = """
.dddd..
dkkkkd.
kkkkkkd
kkkkkkd
kkkkkkd
kkkkkkd
dkkkkkd
.dkkkd.
..ddd..
"""


def boss():
    c = Canvas(37, 66)
    bark, dark, light, deep = (136, 24, 24), (84, 10, 14), (176, 56, 44), (52, 4, 8)
    # Trunk: wider at the foot, gnarled roots spreading on the ground.
    for y in range(10, 66):
        t = (y - 10) / 55
        half = 10 + 3 * t ** 3
        cx = 19 + math.sin(y / 6.0) * 1.2
        c.rect(round(cx - half), y, round(cx + half) + 1, y + 1, bark)
    for x0, x1, y0 in ((0, 9, 60), (28, 37, 59), (3, 12, 57), (25, 34, 56)):
        for x in range(x0, x1):
            top = y0 + round(abs(x - (x0 + x1) / 2) * 0.5)
            c.rect(x, max(top, y0), x + 1, 66, bark)
    # Arms: a gnarled branch reaching for the player and one lifted at the back.
    c.line(9, 33, 1, 28, bark, 3)
    c.line(2, 28, 0, 24, bark, 2)
    c.line(4, 29, 4, 25, bark, 1)
    c.line(29, 28, 35, 21, bark, 3)
    c.line(35, 22, 36, 17, bark, 2)
    # Bark grain and shading.
    rnd = random.Random(9)
    for _ in range(22):
        x, y = rnd.randrange(12, 30), rnd.randrange(14, 60)
        for k in range(rnd.randrange(3, 8)):
            if c.get(x, y + k) == bark:
                c.set(x, y + k, dark)
    for y in range(10, 66):
        runs = runs_of_row(c, y)
        for l, r in runs:
            if r - l > 6:
                c.set(r - 1, y, deep)
                c.set(r - 2, y, dark)
                c.set(l + 1, y, light)
    # The eye, glaring left at the player, the grinning mouth and the socket of the core.
    face = {"k": deep, "w": (248, 236, 196), "r": (224, 16, 16), "R": WHITE, "d": dark}
    c.blit(grid(BOSS_EYE, face), 7, 14)
    c.blit(grid(BOSS_MOUTH, face), 11, 45)
    c.blit(grid(BOSS_SOCKET, face), 6, 36)
    for x in (6, 7, 15, 24, 31, 32):
        for y in range(63 - (x % 2), 66):
            c.set(x, y, None)
    # Crown of blossoms.
    petal, edge, heart = (240, 32, 176), (176, 0, 120), (255, 224, 96)
    for cx, cy in ((7, 8), (14, 4), (22, 4), (29, 8), (18, 10), (11, 11), (26, 12), (33, 13),
                   (4, 14)):
        blossom(c, cx, cy, petal, edge, heart)
    for x, y in ((14, 4), (22, 4), (7, 8), (29, 8)):
        c.set(x - 1, y - 2, (255, 176, 232))
    return c


def beaten_boss():
    c = Canvas(61, 45)
    trunk, trunk_dark = (200, 160, 150), (160, 120, 112)
    c.rect(27, 26, 34, 45, trunk)
    c.rect(25, 40, 36, 45, trunk)
    c.rect(23, 43, 38, 45, trunk)
    c.line(30, 30, 19, 20, trunk, 2)
    c.line(31, 29, 43, 19, trunk, 2)
    for y in range(26, 45, 3):
        c.set(32, y, trunk_dark)
        c.set(33, y + 1, trunk_dark)
    pale, mid, deep = (255, 226, 236), (250, 190, 214), (236, 150, 188)
    rnd = random.Random(10)
    clumps = [(31, 17, 10), (18, 19, 8), (44, 19, 8), (10, 24, 6), (51, 24, 6), (24, 11, 7),
              (38, 11, 7), (31, 24, 6), (5, 27, 3), (56, 28, 3)]
    for cx, cy, r in clumps:
        c.disc(cx, cy + 1, r, deep)
    for cx, cy, r in clumps:
        c.disc(cx - 0.5, cy - 0.5, r - 1, mid)
    for cx, cy, r in clumps:
        c.disc(cx - 1.5, cy - 1.5, r - 3, pale)
    for _ in range(40):
        x, y = rnd.randrange(2, 60), rnd.randrange(8, 34)
        if c.get(x, y) in (pale, mid):
            c.set(x, y, WHITE if rnd.random() < 0.5 else deep)
    for x, y in ((14, 40), (44, 41), (52, 43), (8, 43), (20, 42)):
        c.set(x, y, mid)
    return c


# --- balloon caps ---------------------------------------------------------------------------

CAP_ROWS = [
    {1: (7, 7), 2: (5, 7), 3: (3, 7), 4: (3, 7), 5: (2, 7), 6: (1, 7), 7: (1, 7), 8: (1, 7),
     9: (1, 7), 10: (1, 7), 11: (2, 7), 12: (2, 7), 13: (2, 7), 14: (1, 7), 15: (1, 7),
     16: (0, 4), 17: (0, 2)},
    {1: (0, 0), 2: (0, 2), 3: (0, 4), 4: (0, 4), 5: (0, 5), 6: (0, 6), 7: (0, 6), 8: (0, 6),
     9: (0, 6), 10: (0, 6), 11: (0, 5), 12: (0, 4), 13: (0, 4), 14: (0, 2), 15: (0, 0)},
    {1: (6, 6), 2: (4, 6), 3: (2, 6), 4: (2, 6), 5: (1, 6), 6: (0, 6), 7: (0, 6), 8: (0, 6),
     9: (0, 6), 10: (0, 6), 11: (1, 6), 12: (2, 6), 13: (2, 6), 14: (4, 6), 15: (6, 6)},
    {1: (0, 0), 2: (0, 2), 3: (0, 4), 4: (0, 4), 5: (0, 5), 6: (0, 6), 7: (0, 6), 8: (0, 6),
     9: (0, 6), 10: (0, 6), 11: (0, 5), 12: (0, 5), 13: (0, 5), 14: (0, 6), 15: (0, 6),
     16: (3, 7), 17: (5, 7)},
]
CAP_WIDTHS = [8, 7, 7, 8]
# The side that joins the white centre piece: no outline there.
CAP_OPEN_RIGHT = [True, False, True, False]


def cap(k):
    w = CAP_WIDTHS[k]
    c = Canvas(w, 18)
    for y, (l, r) in CAP_ROWS[k].items():
        c.rect(l, y, r + 1, y + 1, WHITE)
    edge = Canvas(w, 18)
    for y in range(18):
        for x in range(w):
            if not c.opaque(x, y):
                continue
            outside = False
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                beyond = nx >= w if CAP_OPEN_RIGHT[k] else nx < 0
                if beyond and 1 <= ny <= 15 and 1 <= y <= 15 and dy == 0:
                    continue
                if not c.opaque(nx, ny) or beyond:
                    outside = True
            if outside or y in (1, 15):
                edge.set(x, y, BLACK)
    c.blit(edge, 0, 0)
    return c


# --- dialog icon (16 colours) ---------------------------------------------------------------

VGA = {"k": (0, 0, 0), "m": (128, 0, 0), "g": (0, 128, 0), "o": (128, 128, 0),
       "n": (0, 0, 128), "p": (128, 0, 128), "t": (0, 128, 128), "s": (192, 192, 192),
       "d": (128, 128, 128), "r": (255, 0, 0), "l": (0, 255, 0), "y": (255, 255, 0),
       "b": (0, 0, 255), "f": (255, 0, 255), "a": (0, 255, 255), "w": (255, 255, 255)}


def icon():
    c = Canvas(32, 32)
    # A blossom with five petals, and the little ship flying past it.
    for k in range(5):
        a = -math.pi / 2 + k * 2 * math.pi / 5
        c.disc(17 + math.cos(a) * 6.5, 13 + math.sin(a) * 6.5, 5.2, VGA["p"])
    for k in range(5):
        a = -math.pi / 2 + k * 2 * math.pi / 5
        c.disc(17 + math.cos(a) * 6.5, 13 + math.sin(a) * 6.5, 4.2, VGA["f"])
        c.set(round(17 + math.cos(a) * 8), round(13 + math.sin(a) * 8), VGA["w"])
    c.disc(17, 13, 3.2, VGA["m"])
    c.disc(17, 13, 2.2, VGA["y"])
    c.set(16, 12, VGA["w"])
    s = grid(SHIP, {"G": VGA["d"], "g": VGA["s"], "w": VGA["w"], "c": VGA["a"], "C": VGA["t"],
                    "r": VGA["r"], "y": VGA["y"]})
    c.blit(s, -1, 21)
    return c

# --- checks ---------------------------------------------------------------------------------


def runs_by_row(canvas):
    return {y: runs_of_row(canvas, y) for y in range(canvas.height) if runs_of_row(canvas, y)}


def expect_rects(name, canvas, expected):
    got = rects(canvas)
    if got != expected:
        sys.exit(f"{name}: rectangles {got} differ from {expected}")


SIZES = [(25, 11), (163, 95), (177, 613), (177, 58), (300, 48), (37, 66), (1024, 99),
         (1024, 99), (1024, 99), (37, 66), (61, 45), (19, 10), (19, 10), (21, 10), (12, 12),
         (12, 12)]


def check_tables(sprites, caps):
    for n, s in enumerate(sprites):
        if (s.width, s.height) != SIZES[n]:
            sys.exit(f"sprite {n}: {s.width}x{s.height}, must be {SIZES[n]}")
    expect_rects("sprite 0", sprites[0], [(1, 1, 11, 10), (13, 1, 23, 10)])
    expect_rects("sprite 1", sprites[1], [(1, 1, 162, 94)])
    expect_rects("sprite 5", sprites[5], [(9, 38, 12, 39), (8, 39, 12, 43), (9, 43, 12, 44)])
    ship_rects = [(4, 1, 6, 2), (4, 2, 7, 3), (5, 3, 8, 4), (10, 3, 12, 4), (4, 4, 14, 5),
                  (2, 5, 15, 6), (4, 6, 9, 7), (10, 6, 15, 7), (4, 7, 7, 8), (2, 8, 10, 9)]
    expect_rects("sprite 11", sprites[11], ship_rects)
    expect_rects("sprite 12", sprites[12], ship_rects)
    expect_rects("sprite 13", sprites[13], [
        (7, 1, 14, 2), (5, 2, 13, 3), (3, 3, 6, 4), (8, 3, 13, 4), (2, 4, 5, 5), (7, 4, 12, 5),
        (2, 5, 12, 6), (4, 6, 11, 7), (3, 7, 8, 8)])
    expect_rects("sprite 14", sprites[14], [
        (5, 1, 7, 2), (4, 2, 9, 3), (2, 3, 3, 4), (4, 3, 10, 4), (2, 4, 10, 5), (1, 5, 11, 6),
        (1, 6, 7, 7), (9, 6, 10, 7), (2, 7, 10, 8), (2, 8, 9, 9), (4, 9, 10, 10),
        (5, 10, 7, 11)])
    expect_rects("sprite 15", sprites[15], [
        (5, 1, 7, 2), (3, 2, 8, 3), (2, 3, 8, 4), (9, 3, 10, 4), (2, 4, 10, 5), (1, 5, 11, 6),
        (2, 6, 3, 7), (5, 6, 11, 7), (2, 7, 10, 8), (3, 8, 10, 9), (2, 9, 8, 10),
        (5, 10, 7, 11)])
    for k, c in enumerate(caps):
        want = {y: [(l, r + 1)] for y, (l, r) in CAP_ROWS[k].items()}
        if runs_by_row(c) != want:
            sys.exit(f"cap {k}: visible rows differ")
    counts = [len(rects(s)) for s in sprites]
    if max(counts) > 2477 or counts[2] != max(counts) or counts.count(counts[2]) != 1:
        sys.exit(f"rectangle counts {counts}: sprite 2 must be the largest, within 2477")
    lettering = [(x, y) for y in range(613) for x in range(177) if sprites[2].opaque(x, y)]
    if min(x for x, _ in lettering) < 15 or max(x for x, _ in lettering) > 160 or \
            min(y for _, y in lettering) < 93 or max(y for _, y in lettering) > 566:
        sys.exit("credits leave their area")
    return counts


def contact_sheet(path, pictures, zoom=4):
    pad = 4
    rows, row, width = [], [], 0
    for p in pictures:
        if width + p.width + pad > 420 and row:
            rows.append(row)
            row, width = [], 0
        row.append(p)
        width += p.width + pad
    rows.append(row)
    sheet_w = max(sum(p.width + pad for p in r) for r in rows) + pad
    sheet_h = sum(max(p.height for p in r) + pad for r in rows) + pad
    sheet = Canvas(sheet_w * zoom, sheet_h * zoom)
    y = pad
    for r in rows:
        x = pad
        for p in r:
            for py in range(p.height):
                for px in range(p.width):
                    col = p.px[py][px]
                    if col is None:
                        col = (96, 128, 96) if (px // 4 + py // 4) % 2 else (112, 144, 112)
                    sheet.rect((x + px) * zoom, (y + py) * zoom, (x + px + 1) * zoom,
                               (y + py + 1) * zoom, col)
            x += p.width + pad
        y += max(p.height for p in r) + pad
    write_png(path, sheet)


def main():
    bg6, bg7, bg8 = scenery.strips()
    sprites = [lamps(), staff_window(), credits(), maker(), banner(), core(), bg6, bg7, bg8,
               boss(), beaten_boss(), ship(SHIP_GREY), ship(SHIP_RED), enemy(),
               burst(BURST_A, (255, 255, 160)), burst(BURST_B, (255, 240, 96))]
    caps = [cap(k) for k in range(4)]
    counts = check_tables(sprites, caps)
    scenery.check_corridor(bg6, bg7)
    for n, s in enumerate(sprites):
        write_png(os.path.join(ART, f"sprite{n:02d}.png"), s)
    for k, c in enumerate(caps):
        write_png(os.path.join(ART, f"cap{k}.png"), c)
    write_png(os.path.join(ART, "icon.png"), icon())
    for n, count in enumerate(counts):
        print(f"sprite {n:2d}: {count:4d} rectangles, {len(bands(sprites[n])):3d} bands")
    if "--sheet" in sys.argv:
        base = sys.argv[sys.argv.index("--sheet") + 1]
        small = [s for n, s in enumerate(sprites) if n not in (2, 6, 7, 8)] + caps + [icon()]
        contact_sheet(base + "-small.png", small)
        contact_sheet(base + "-credits.png", [sprites[2], sprites[3]], 2)
        for n in (6, 7, 8):
            contact_sheet(f"{base}-strip{n}a.png", [crop(sprites[n], 0, 512)], 2)
            contact_sheet(f"{base}-strip{n}b.png", [crop(sprites[n], 512, 1024)], 2)


def crop(c, x0, x1):
    out = Canvas(x1 - x0, c.height)
    out.px = [row[x0:x1] for row in c.px]
    return out


if __name__ == "__main__":
    main()
