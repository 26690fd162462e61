#!/usr/bin/python3
"""Draws the sample pictures of examples/photos: made-up landscapes, sunsets and
patterns, written as PPM and converted with the vips command (Debian's libvips-tools).

usage: scripts/make-sample-photos.py [FOLDER]   (default: examples/photos)
"""

import math
import os
import random
import subprocess
import sys
import tempfile


def landscape(width, height, seed, sky_top, sky_bottom, hill, sun):
    rng = random.Random(seed)
    ridges = [(rng.uniform(0.45, 0.7), rng.uniform(0.02, 0.08), rng.uniform(2, 6),
               rng.uniform(0, 6.28)) for _ in range(3)]
    sun_x, sun_y, sun_r = sun
    rows = bytearray()
    for y in range(height):
        fy = y / height
        for x in range(width):
            fx = x / width
            r, g, b = [a + (c - a) * fy for a, c in zip(sky_top, sky_bottom)]
            dist = math.hypot(fx - sun_x, (fy - sun_y) * height / width)
            if dist < sun_r:
                r, g, b = 255, 236, 170
            elif dist < sun_r * 2.5:
                glow = 1 - (dist - sun_r) / (sun_r * 1.5)
                r, g, b = r + (255 - r) * glow * 0.5, g + (220 - g) * glow * 0.4, b
            for depth, (base, amp, freq, phase) in enumerate(ridges):
                edge = base + depth * 0.1 + amp * math.sin(fx * freq * 6.28 + phase)
                if fy > edge:
                    shade = 0.55 + 0.15 * depth + 0.1 * math.sin(fx * 40 + fy * 25)
                    r, g, b = [channel * shade for channel in hill]
            noise = rng.uniform(-6, 6)
            rows += bytes(max(0, min(255, int(v + noise))) for v in (r, g, b))
    return rows


def pattern(width, height, seed):
    rng = random.Random(seed)
    circles = [(rng.uniform(0, width), rng.uniform(0, height), rng.uniform(20, 90),
                (rng.randrange(256), rng.randrange(256), rng.randrange(256))) for _ in range(14)]
    rows = bytearray()
    for y in range(height):
        for x in range(width):
            colour = (240 - y // 4, 235 - x // 6, 220)
            for cx, cy, radius, fill in circles:
                if (x - cx) ** 2 + (y - cy) ** 2 < radius * radius:
                    colour = fill
            rows += bytes(max(0, min(255, c)) for c in colour)
    return rows


def save(pixels, width, height, target):
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as ppm:
        ppm.write(b"P6\n%d %d\n255\n" % (width, height))
        ppm.write(pixels)
    try:
        options = "[Q=82,strip]" if target.endswith(".jpg") else ""
        subprocess.run(["vips", "copy", ppm.name, target + options], check=True)
    finally:
        os.unlink(ppm.name)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "examples/photos"
    os.makedirs(folder, exist_ok=True)
    pictures = [
        ("Alpine Lake.jpg", 640, 480, ((70, 120, 200), (180, 210, 240), (60, 110, 70), (0.8, 0.2, 0.05))),
        ("Autumn Hills.jpg", 640, 427, ((120, 150, 210), (230, 200, 160), (150, 90, 40), (0.2, 0.3, 0.04))),
        ("Beach at Dusk.jpg", 640, 400, ((40, 40, 110), (250, 140, 90), (200, 170, 120), (0.5, 0.55, 0.08))),
        ("Desert Road.jpg", 600, 400, ((90, 150, 230), (220, 230, 250), (190, 140, 80), (0.15, 0.15, 0.04))),
        ("Fjord.jpg", 480, 640, ((60, 90, 160), (160, 190, 220), (50, 80, 90), (0.7, 0.1, 0.05))),
        ("Glacier.jpg", 640, 480, ((150, 190, 240), (230, 240, 250), (200, 210, 230), (0.9, 0.1, 0.03))),
        ("Harbour Morning.jpg", 640, 360, ((200, 170, 200), (250, 220, 190), (80, 90, 110), (0.3, 0.45, 0.06))),
        ("Meadow.jpg", 427, 640, ((100, 160, 240), (200, 225, 250), (90, 160, 60), (0.6, 0.12, 0.05))),
        ("Night Ridge.jpg", 640, 480, ((10, 10, 40), (40, 40, 90), (20, 25, 35), (0.75, 0.2, 0.03))),
    ]
    for seed, (name, width, height, (top, bottom, hill, sun)) in enumerate(pictures):
        save(landscape(width, height, seed, top, bottom, hill, sun), width, height,
             os.path.join(folder, name))
    save(pattern(400, 300, 101), 400, 300, os.path.join(folder, "Pebbles.png"))
    save(landscape(320, 240, 55, (250, 180, 120), (250, 230, 200), (70, 60, 80), (0.5, 0.5, 0.1)),
         320, 240, os.path.join(folder, "Sunset Sketch.png"))
    save(pattern(300, 300, 202), 300, 300, os.path.join(folder, "Confetti.gif"))
    save(pattern(240, 180, 303), 240, 180, os.path.join(folder, "Bubbles.gif"))


if __name__ == "__main__":
    main()
