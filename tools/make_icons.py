#!/usr/bin/env python3
"""Draws Tesra's application icon: a grain structure under a lime test line with red
intercept marks, in a rounded square. Run it to regenerate app/desktop/icons/*.png:

    /usr/bin/python3 tools/make_icons.py

Needs Pillow (Debian: python3-pil). The pictures are committed, so building needs nothing."""
import math
import os
import random

from PIL import Image, ImageDraw, ImageFilter

SIZES = (16, 24, 32, 48, 64, 128, 256)
MASTER = 1024
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "app", "desktop", "icons")


def grains(size, count, seed):
    rnd = random.Random(seed)
    seeds = [(rnd.uniform(0, size), rnd.uniform(0, size)) for _ in range(count)]
    shades = [rnd.randint(150, 215) for _ in range(count)]
    step = 4  # label on a coarse grid, then scale up: fast enough in pure Python
    n = size // step
    labels = [[0] * n for _ in range(n)]
    for gy in range(n):
        for gx in range(n):
            x, y = gx * step, gy * step
            best, bi = 1e18, 0
            for i, (sx, sy) in enumerate(seeds):
                d = (sx - x) ** 2 + (sy - y) ** 2
                if d < best:
                    best, bi = d, i
            labels[gy][gx] = bi
    img = Image.new("L", (n, n))
    px = img.load()
    for gy in range(n):
        for gx in range(n):
            label = labels[gy][gx]
            edge = any(
                0 <= gx + dx < n and 0 <= gy + dy < n and labels[gy + dy][gx + dx] != label
                for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)))
            px[gx, gy] = 40 if edge else shades[label]
    return img.resize((size, size), Image.NEAREST).filter(ImageFilter.GaussianBlur(3)), labels, step


def master():
    structure, labels, step = grains(MASTER, 38, 7)
    tile = Image.merge("RGB", (structure, structure, structure.point(lambda v: min(255, v + 12))))
    mask = Image.new("L", (MASTER, MASTER), 0)
    ImageDraw.Draw(mask).rounded_rectangle((24, 24, MASTER - 24, MASTER - 24), radius=180, fill=255)
    icon = Image.new("RGBA", (MASTER, MASTER), (0, 0, 0, 0))
    icon.paste(tile, (0, 0), mask)
    draw = ImageDraw.Draw(icon)
    # The test line across the middle and a mark where it crosses each boundary.
    y = MASTER // 2
    draw.line((90, y, MASTER - 90, y), fill=(0, 255, 0, 255), width=34)
    row = labels[y // step]
    last = -1000
    for gx in range(1, len(row)):
        x = gx * step
        if row[gx] != row[gx - 1] and 130 < x < MASTER - 130 and x - last > 80:
            draw.rectangle((x - 24, y - 24, x + 24, y + 24), fill=(255, 0, 0, 255))
            last = x
    draw.rounded_rectangle((24, 24, MASTER - 24, MASTER - 24), radius=180,
                           outline=(30, 30, 30, 255), width=22)
    return icon


def main():
    os.makedirs(OUT, exist_ok=True)
    icon = master()
    for size in SIZES:
        icon.resize((size, size), Image.LANCZOS).save(os.path.join(OUT, f"tesra-{size}.png"))


if __name__ == "__main__":
    main()
