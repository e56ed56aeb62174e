#!/usr/bin/env python3
"""Draws the example texture maps of the village demo as 32-bit Targa files.

    python3 examples/textures/make_textures.py DIR

Every picture is drawn here from a fixed seed, so the files are the same on
every machine: flat trees (palm, oak, cactus, pine) with transparent
surroundings, the walls, gable ends and roof of a house, and a gravel road.
Only the standard library is used.
"""

import math
import os
import random
import struct
import sys


class Picture:
    """Pixels as [r, g, b, a] rows, row 0 at the top."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.rows = [[list(fill) for _ in range(width)] for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = list(colour)

    def get(self, x, y):
        return self.rows[y][x]

    def save(self, path):
        # Uncompressed true colour, 32 bits with 8 of alpha, origin at the top left.
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, self.width, self.height, 32, 0x28)
        body = bytearray()
        for row in self.rows:
            for r, g, b, a in row:
                body += bytes((b, g, r, a))
        with open(path, "wb") as out:
            out.write(header + body)


def clamp(v):
    return max(0, min(255, int(round(v))))


def shade(colour, k, rng=None, spread=0.0):
    """The colour times k, with a random change of up to spread (a fraction)."""
    if rng is not None and spread:
        k *= 1.0 + rng.uniform(-spread, spread)
    return (clamp(colour[0] * k), clamp(colour[1] * k), clamp(colour[2] * k), 255)


def disc(pic, cx, cy, radius, paint):
    for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
        for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= radius:
                pic.set(x, y, paint(x, y, d / radius))


def thick_line(pic, x0, y0, x1, y1, width0, width1, paint):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(steps + 1):
        t = i / steps
        x = x0 + (x1 - x0) * t
        y = y0 + (y1 - y0) * t
        w = width0 + (width1 - width0) * t
        disc(pic, x, y, max(w / 2, 0.6), lambda px, py, d: paint(px, py, t))


def pine(rng):
    pic = Picture(64, 128)
    bark = (92, 62, 38)
    for y in range(108, 128):
        for x in range(29, 35):
            pic.set(x, y, shade(bark, 1.0 - 0.15 * (x - 29) / 5, rng, 0.1))
    green = (34, 86, 44)
    tiers = [(6, 40, 14), (26, 66, 20), (48, 92, 26), (70, 114, 31)]
    for top, bottom, half in tiers:
        for y in range(top, bottom):
            w = half * (y - top) / (bottom - top)
            for x in range(int(32 - w), int(32 + w) + 1):
                light = 1.15 - 0.5 * (x - (32 - w)) / (2 * w + 1) - 0.2 * (y - top) / (bottom - top)
                if rng.random() < 0.07:
                    light *= 0.6
                pic.set(x, y, shade(green, light, rng, 0.12))
    return pic


def oak(rng):
    pic = Picture(128, 128)
    bark = (86, 62, 40)
    thick_line(pic, 64, 127, 64, 70, 12, 8, lambda x, y, t: shade(bark, 1.05 - 0.3 * ((x - 58) / 12), rng, 0.1))
    thick_line(pic, 64, 86, 44, 64, 6, 3, lambda x, y, t: shade(bark, 0.9, rng, 0.1))
    thick_line(pic, 64, 80, 86, 58, 6, 3, lambda x, y, t: shade(bark, 0.9, rng, 0.1))
    green = (58, 104, 40)
    blobs = [(64, 40, 30), (38, 52, 22), (90, 50, 24), (50, 24, 20), (80, 22, 20), (64, 64, 22), (30, 74, 14),
             (98, 74, 15)]
    for cx, cy, r in blobs:
        disc(pic, cx, cy, r, lambda x, y, d: shade(green, 1.2 - 0.45 * d - 0.25 * (y / 128.0) +
                                                     (0.1 if rng.random() < 0.3 else 0.0) -
                                                     (0.35 if rng.random() < 0.08 else 0.0), rng, 0.08))
    return pic


def palm(rng):
    pic = Picture(128, 128)
    bark = (120, 96, 64)
    # A trunk that leans a little, ringed.
    for i in range(90):
        t = i / 89.0
        y = 127 - i
        x = 60 + 10 * t * t
        w = 7 - 3 * t
        for dx in range(-int(w), int(w) + 1):
            ring = 0.8 if (i % 6) == 0 else 1.0
            pic.set(int(x + dx), y, shade(bark, ring * (1.05 - 0.25 * (dx + w) / (2 * w + 1)), rng, 0.05))
    leaf = (60, 120, 44)
    top_x, top_y = 70, 38
    for angle in (-160, -130, -100, -75, -50, -20, 10, 200, 230):
        a = math.radians(angle)
        length = 50
        points = []
        for k in range(26):
            t = k / 25.0
            x = top_x + math.cos(a) * length * t
            y = top_y + math.sin(a) * length * t + 34 * t * t
            points.append((x, y, t))
        for (x0, y0, t0), (x1, y1, t1) in zip(points, points[1:]):
            thick_line(pic, x0, y0, x1, y1, 9 * (1 - t0) + 2, 9 * (1 - t1) + 2,
                       lambda px, py, t: shade(leaf, 1.1 - 0.4 * t0, rng, 0.12))
    disc(pic, top_x, top_y, 5, lambda x, y, d: shade((90, 70, 40), 1.0 - 0.3 * d))
    return pic


def cactus(rng):
    pic = Picture(64, 128)
    green = (70, 118, 60)

    def ribbed(x, y, centre, half):
        rib = 0.85 if int(x - centre + half) % 5 == 0 else 1.0
        return shade(green, rib * (1.15 - 0.45 * (x - centre + half) / (2 * half + 1)), rng, 0.05)

    for y in range(10, 128):
        for x in range(24, 41):
            if y > 14 or abs(x - 32) < 6:
                pic.set(x, y, ribbed(x, y, 32, 8))
    for y in range(40, 80):
        for x in range(8, 17):
            if y > 44 or abs(x - 12) < 3:
                pic.set(x, y, ribbed(x, y, 12, 4))
    for x in range(8, 26):
        for y in range(74, 84):
            pic.set(x, y, ribbed(x, y, 16, 8))
    for y in range(30, 66):
        for x in range(48, 57):
            if y > 34 or abs(x - 52) < 3:
                pic.set(x, y, ribbed(x, y, 52, 4))
    for x in range(40, 57):
        for y in range(60, 70):
            pic.set(x, y, ribbed(x, y, 48, 8))
    return pic


def plaster(pic, colour, rng):
    for y in range(pic.height):
        for x in range(pic.width):
            pic.set(x, y, shade(colour, 1.0, rng, 0.06))


def window(pic, x0, y0, w, h, rng):
    frame = (236, 232, 220, 255)
    glass = (48, 64, 86)
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            edge = x in (x0, x0 + 1, x0 + w - 2, x0 + w - 1) or y in (y0, y0 + 1, y0 + h - 2, y0 + h - 1)
            bar = x == x0 + w // 2 or y == y0 + h // 2
            pic.set(x, y, frame if edge or bar else shade(glass, 1.2 - 0.5 * (y - y0) / h, rng, 0.05))
    for x in range(x0 - 1, x0 + w + 1):
        pic.set(x, y0 + h, (150, 146, 140, 255))


def wall_side(rng):
    pic = Picture(128, 64)
    plaster(pic, (222, 208, 176), rng)
    for x0 in (12, 54, 96):
        window(pic, x0, 16, 20, 24, rng)
    for y in range(56, 64):
        for x in range(128):
            pic.set(x, y, shade((128, 118, 104), 1.0, rng, 0.08))
    return pic


def wall_front(rng):
    pic = Picture(128, 128)
    plaster(pic, (226, 212, 180), rng)
    timber = (96, 64, 40)
    # Beams in the gable: the map's upper part shows on the triangle.
    for y in range(0, 56):
        for dx in (-2, -1, 0, 1, 2):
            pic.set(64 + dx, y, shade(timber, 1.0, rng, 0.05))
    for x in range(128):
        for dy in (0, 1, 2):
            pic.set(x, 54 + dy, shade(timber, 1.0, rng, 0.05))
    disc(pic, 64, 30, 7, lambda x, y, d: (236, 232, 220, 255) if d > 0.7 else shade((48, 64, 86), 1.1 - 0.4 * d))
    # The door and a window beside it.
    for y in range(86, 124):
        for x in range(54, 74):
            edge = x in (54, 55, 72, 73) or y in (86, 87)
            pic.set(x, y, shade(timber, 0.8 if edge else 1.0 - 0.2 * ((x - 54) % 5 == 0), rng, 0.05))
    pic.set(69, 106, (210, 190, 90, 255))
    window(pic, 16, 74, 22, 24, rng)
    window(pic, 90, 74, 22, 24, rng)
    for y in range(122, 128):
        for x in range(128):
            pic.set(x, y, shade((128, 118, 104), 1.0, rng, 0.08))
    return pic


def roof(rng):
    pic = Picture(128, 128)
    tile = (150, 62, 44)
    for y in range(128):
        row = y // 8
        for x in range(128):
            offset = 8 if row % 2 else 0
            seam = (x + offset) % 16 == 0
            k = 1.1 - 0.35 * (y % 8) / 7.0
            if seam:
                k *= 0.7
            pic.set(x, y, shade(tile, k, rng, 0.06))
    return pic


def road(rng):
    pic = Picture(64, 64)
    for y in range(64):
        for x in range(64):
            grey = 118 + rng.randint(-18, 18)
            if rng.random() < 0.04:
                grey -= 40
            pic.set(x, y, (clamp(grey + 8), clamp(grey + 4), clamp(grey - 4), 255))
    return pic


MAPS = {
    "pine.tga": pine,
    "oak.tga": oak,
    "palm.tga": palm,
    "cactus.tga": cactus,
    "wall.tga": wall_side,
    "gable.tga": wall_front,
    "roof.tga": roof,
    "road.tga": road,
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_textures.py DIR\n")
        return 2
    directory = argv[1]
    os.makedirs(directory, exist_ok=True)
    for name, draw in MAPS.items():
        rng = random.Random(name)  # a seed of its own for each picture
        draw(rng).save(os.path.join(directory, name))
    print("Wrote %d texture maps to %s" % (len(MAPS), directory))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
