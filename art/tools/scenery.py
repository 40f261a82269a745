"""The scenery strip, which is also the level: bare trees, a hill, a cave with hanging rocks,
the lone tree that throws the debris fountains, and a long tunnel with floating petals."""

import math
import random
import sys

from pixels import Canvas

W, H = 1024, 99

EARTH, EARTH_DARK = (112, 72, 40), (78, 46, 22)
GRASS, GRASS_LIGHT = (52, 160, 52), (124, 208, 88)
ROCK, ROCK_DARK, ROCK_LIGHT = (96, 76, 88), (58, 42, 56), (140, 116, 124)
BARK, BARK_DARK = (120, 74, 36), (82, 48, 22)
PETAL, PETAL_LIGHT, PETAL_DARK = (232, 40, 184), (255, 150, 224), (168, 0, 128)
BLOOM, BLOOM_LIGHT, BLOOM_DARK = (255, 176, 208), (255, 226, 238), (232, 120, 168)
POST, POST_DARK, POST_LIGHT = (150, 150, 160), (84, 84, 96), (208, 208, 216)

SHIP_START = (36, 49)
TOP_LIMIT = 10  # the ship's top never rises above this strip row
BOSS_ROWS = (66, 70)  # ship tops that line its shots up with the boss's core
BOSS_XS = (820, 960)


def ground_top(x):
    if x < 190:
        return 91 - (1 if (x // 9) % 3 == 0 else 0)
    if x < 330:
        return round(91 - 30 * math.sin(math.pi * (x - 190) / 140) ** 2)
    if x < 540:
        return 90 - (1 if (x // 7) % 4 == 1 else 0)
    if x < 600:
        return 91
    return round(88 + 1.5 * math.sin(x / 23.0))


def ceiling_bottom(x):
    """First row below the rock hanging from the top, or 0 where the sky is open."""
    def cave(x0, x1):
        slope = min(x - x0, x1 - x) / 2.0
        return max(0, min(14 + round(2 * math.sin(x / 11.0)), round(slope)))
    if 320 <= x < 536:
        return cave(320, 536)
    if 600 <= x:
        return max(0, min(14 + round(2 * math.sin(x / 17.0 + 1)), round((x - 600) / 2.0)))
    return 0


# Hanging rocks (centre x, half width, tip row) and a rock rising from the cave floor.
STALACTITES = [(372, 8, 46), (448, 5, 30), (486, 7, 42), (682, 7, 36), (764, 6, 32),
               (856, 4, 26)]
STALAGMITES = [(414, 7, 62), (716, 6, 70)]


def speck(x, y, every):
    return (x * 7919 + y * 104729 + (x * y) % 13) % every == 0


def rocky(c, x, y):
    """Layered rock: wavy dark seams with breaks, and a few lit grains."""
    seam = (y + round(2 * math.sin(x / 9.0) + math.sin(x / 3.7))) % 7 == 0
    if seam and (x // 5) % 6 != 0:
        c.set(x, y, ROCK_DARK)
    elif speck(x, y, 23):
        c.set(x, y, ROCK_LIGHT)
    else:
        c.set(x, y, ROCK)


def draw_ground(c, x0, x1, rnd, outdoors=False):
    for x in range(x0, x1):
        top = ground_top(x)
        cave = not outdoors and (330 <= x < 540 or x >= 600)
        for y in range(top, H):
            if cave:
                rocky(c, x, y)
            elif y == top:
                c.set(x, y, GRASS_LIGHT if rnd.random() < 0.4 else GRASS)
            elif y <= top + 2 and 190 <= x < 330:
                c.set(x, y, GRASS)
            else:
                c.set(x, y, EARTH_DARK if rnd.random() < 0.2 else EARTH)
        if cave:
            c.set(x, top, ROCK_LIGHT)


def draw_rocks(c):
    for x in range(W):
        for y in range(ceiling_bottom(x)):
            rocky(c, x, y)
        if ceiling_bottom(x):
            c.set(x, ceiling_bottom(x) - 1, ROCK_DARK)
    for cx, half, tip in STALACTITES:
        for x in range(cx - half, cx + half + 1):
            t = abs(x - cx) / (half + 0.5)
            bottom = round(tip - (tip - 12) * t ** 1.4)
            for y in range(0, bottom):
                rocky(c, x, y)
            c.set(x, bottom - 1, ROCK_DARK)
        c.line(cx - 1, 14, cx - 1, tip - 4, ROCK_LIGHT)
    for cx, half, tip in STALAGMITES:
        for x in range(cx - half, cx + half + 1):
            t = abs(x - cx) / (half + 0.5)
            top = round(tip + (ground_top(cx) - tip) * t ** 1.4)
            for y in range(top, H):
                rocky(c, x, y)
            c.set(x, top, ROCK_LIGHT)


def tree(c, x, y, length, angle, width, depth, rnd, tips):
    """A bare branch from (x, y); records the ends of the twigs for blossoms."""
    x1 = x + math.cos(angle) * length
    y1 = y - math.sin(angle) * length
    steps = max(1, round(length))
    for i in range(steps + 1):
        px = x + (x1 - x) * i / steps
        py = y + (y1 - y) * i / steps
        for k in range(width):
            c.set(round(px) + k - width // 2, round(py), BARK if k < width - 1 or width == 1
                  else BARK_DARK)
    if depth == 0:
        tips.append((x1, y1))
        return
    spread = 0.45 + rnd.random() * 0.2
    for turn in (-spread, spread):
        tree(c, x1, y1, length * (0.62 + rnd.random() * 0.12), angle + turn + rnd.uniform(
            -0.1, 0.1), max(1, width - 1), depth - 1, rnd, tips)


# Trees: (x, trunk length, depth, seed). The lone tree stands where the fountains spring.
LEFT_TREES = [(92, 12, 3, 1), (138, 17, 4, 2), (178, 10, 3, 3)]
LONE_TREE = (563, 18, 4, 7)


def draw_trees(c, trees, bloom):
    for x, length, depth, seed in trees:
        rnd = random.Random(seed)
        tips = []
        tree(c, x, ground_top(x), length, math.pi / 2, 4, depth, rnd, tips)
        if bloom:
            for tx, ty in tips:
                c.disc(tx, ty + 0.5, 2.6, BLOOM_DARK)
            for tx, ty in tips:
                c.disc(tx - 0.4, ty - 0.2, 1.9, BLOOM)
                c.set(round(tx - 1), round(ty - 1), BLOOM_LIGHT)


def petal(c, x, y, flip):
    shape = [".pL", "pPp", "Dp."] if flip else ["Lp.", "pPp", ".pD"]
    colours = {"p": PETAL, "P": PETAL_LIGHT, "L": PETAL_LIGHT, "D": PETAL_DARK}
    for dy, row in enumerate(shape):
        for dx, ch in enumerate(row):
            if ch != ".":
                c.set(x + dx, y + dy, colours[ch])


def main_line(x):
    """Where the ship is meant to fly through the tunnel; petals keep clear of it."""
    if x < 820:
        return 30 + (x - 600) * (68 - 30) / 220
    return 68


def draw_petals(c, rnd):
    placed = 0
    while placed < 24:
        x, y = rnd.randrange(612, 1010), rnd.randrange(18, 86)
        if abs(y + 1 - (main_line(x) + 5)) < 20 or c.opaque(x, y) or c.opaque(x + 2, y + 2):
            continue
        if any(c.opaque(x + dx, y + dy) for dx in range(-2, 5) for dy in range(-2, 5)):
            continue
        petal(c, x, y, rnd.random() < 0.5)
        placed += 1


def barrier_post(c):
    x0, x1 = 896, 903
    for y in range(0, 45):
        for x in range(x0, x1):
            stripe = (y // 5) % 2 == 0
            c.set(x, y, POST_LIGHT if x == x0 + 1 else POST_DARK if x == x1 - 1 or stripe
                  else POST)
    c.rect(x0 - 2, 42, x1 + 2, 45, POST_DARK)
    c.rect(x0 - 1, 42, x1 + 1, 43, POST)


def strips():
    rnd = random.Random(2004)
    first = Canvas(W, H)
    draw_ground(first, 53, W, rnd)
    draw_rocks(first)
    draw_trees(first, LEFT_TREES + [LONE_TREE], bloom=False)
    draw_petals(first, rnd)
    second = first.copy()
    barrier_post(second)
    last = Canvas(W, H)
    draw_ground(last, 43, 612, random.Random(8), outdoors=True)
    draw_trees(last, LEFT_TREES + [(260, 10, 3, 4), (372, 14, 3, 5), (470, 12, 3, 6),
                                   LONE_TREE], bloom=True)
    return first, second, last


def check_corridor(first, second):
    """Proves the level can be flown: from the start the ship's whole window box reaches the
    boss's firing line, moving 0.5 or 1 px right and at most 1 px up or down per frame. The
    ship's whole 19 x 10 window is tested, which is stricter than its outline."""
    if any(first.opaque(x, y) for x in range(53) for y in range(H)):
        sys.exit("scenery: the start area is not clear")

    def blocked(canvas):
        col = [[canvas.opaque(x, y) for y in range(H)] for x in range(W)]
        # free[x][y]: the 19 x 10 box with its top-left at (x, y) touches no opaque pixel.
        column_clear = [[not any(col[x][y:y + 10]) for y in range(H - 9)] for x in range(W)]
        return [[not all(column_clear[x + dx][y] for dx in range(19) if x + dx < W)
                 for y in range(H - 9)] for x in range(W)]

    hit6, hit7 = blocked(first), blocked(second)

    def free(x, y):
        return not hit6[x][y] and (x <= 900 or not hit7[x][y])

    for x in range(BOSS_XS[0], BOSS_XS[1] + 1):
        for y in range(BOSS_ROWS[0], BOSS_ROWS[1] + 1):
            if hit6[x][y] or hit7[x][y]:
                sys.exit(f"scenery: the boss's firing line is blocked at {x}, {y}")
    # Positions in half pixels; every frame the ship drifts 0.5 px or flies 1 px right.
    frontier = {SHIP_START[0] * 2: {SHIP_START[1]}}
    for hx in range(SHIP_START[0] * 2, BOSS_XS[1] * 2):
        ys = frontier.pop(hx, set())
        for y in ys:
            for step in (1, 2):
                nx = hx + step
                for ny in (y - 1, y, y + 1):
                    if TOP_LIMIT <= ny <= H - 10 and free(nx // 2, ny):
                        frontier.setdefault(nx, set()).add(ny)
    reach = frontier.get(BOSS_XS[1] * 2, set())
    if not any(BOSS_ROWS[0] <= y <= BOSS_ROWS[1] for y in reach):
        sys.exit("scenery: no corridor from the start to the boss")
