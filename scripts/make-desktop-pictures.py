#!/usr/bin/python3
"""Makes the pictures of the desktop program, in resources/:

  splash1.jpg          the picture of the About box (320 x 180)
  mavren.png           the application icon (64 x 64)
  mavren-program.png   the icon of program files (64 x 64)
  icons/NxN/mavren.png the application icon for the desktop's icon theme, at the
                       usual sizes (16 to 256), scaled down from a 256 x 256 drawing

Drawn with the canvas and bitmap font of make-resources.py and written through the vips
command (Debian's libvips-tools).

usage: scripts/make-desktop-pictures.py
"""

import importlib.util
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("make_resources",
                                               os.path.join(HERE, "make-resources.py"))
make_resources = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(make_resources)
Canvas = make_resources.Canvas

RED = (192, 0, 0)
DARK_RED = (110, 0, 0)
WHITE = (255, 255, 255)


def blend(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(canvas, top, bottom):
    for row in range(canvas.height):
        colour = blend(top, bottom, row / max(1, canvas.height - 1))
        canvas.rectangle(0, row, canvas.width, 1, colour)


def hill(canvas, centre, peak, spread, colour):
    """A smooth hill: every column filled from its height down."""
    for column in range(canvas.width):
        distance = (column - centre) / spread
        top = round(peak + (canvas.height - peak) * min(1.0, distance * distance))
        canvas.rectangle(column, top, 1, canvas.height - top, colour)


def disc(canvas, cx, cy, radius, colour):
    for row in range(cy - radius, cy + radius + 1):
        for column in range(cx - radius, cx + radius + 1):
            inside = (row - cy) ** 2 + (column - cx) ** 2 <= radius * radius
            if inside and 0 <= row < canvas.height and 0 <= column < canvas.width:
                canvas.pixels[row][column] = colour


def photo(canvas, x, y, width, height):
    """A small framed picture: white border, sky, sun and a hill."""
    canvas.rectangle(x - 1, y - 1, width + 2, height + 2, (60, 60, 60))
    canvas.rectangle(x, y, width, height, WHITE)
    inner = Canvas(width - 6, height - 6, (0, 0, 0))
    vertical_gradient(inner, (90, 150, 220), (200, 225, 245))
    disc(inner, inner.width * 3 // 4, inner.height // 3, max(2, inner.height // 7), (250, 210, 60))
    hill(inner, inner.width // 3, inner.height * 3 // 5, inner.width / 1.5, (70, 140, 60))
    for row in range(inner.height):
        canvas.pixels[y + 3 + row][x + 3:x + 3 + inner.width] = inner.pixels[row]


def splash(target):
    canvas = Canvas(320, 180, (0, 0, 0))
    vertical_gradient(canvas, (40, 70, 130), (160, 190, 230))
    hill(canvas, 70, 120, 160, (60, 110, 60))
    hill(canvas, 260, 135, 140, (45, 90, 50))
    photo(canvas, 24, 22, 84, 62)
    photo(canvas, 118, 14, 84, 62)
    photo(canvas, 212, 22, 84, 62)
    canvas.rectangle(0, 104, canvas.width, 56, RED)
    canvas.rectangle(0, 104, canvas.width, 2, DARK_RED)
    canvas.rectangle(0, 158, canvas.width, 2, DARK_RED)
    canvas.text("MAVREN", 6, 111, WHITE)
    canvas.save(target + "[Q=90]")


THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def app_icon(target, scale=1):
    """The 64 x 64 design, drawn scale times as large."""
    canvas = Canvas(64 * scale, 64 * scale, RED)
    for step in range(scale):
        canvas.rectangle(step, step, canvas.width - 2 * step, 1, DARK_RED)
        canvas.rectangle(step, canvas.height - 1 - step, canvas.width - 2 * step, 1, DARK_RED)
        canvas.rectangle(step, step, 1, canvas.height - 2 * step, DARK_RED)
        canvas.rectangle(canvas.width - 1 - step, step, 1, canvas.height - 2 * step, DARK_RED)
    photo(canvas, 10 * scale, 8 * scale, 44 * scale, 30 * scale)
    canvas.text("M", 3 * scale, 42 * scale, WHITE)
    canvas.save(target)


def theme_icons(folder):
    with tempfile.TemporaryDirectory() as work:
        large = os.path.join(work, "mavren.png")
        app_icon(large, 4)
        for size in THEME_SIZES:
            target = os.path.join(folder, "%dx%d" % (size, size), "mavren.png")
            os.makedirs(os.path.dirname(target), exist_ok=True)
            subprocess.run(["vips", "resize", large, target, str(size / 256),
                            "--kernel", "lanczos3"], check=True)


def program_icon(target):
    canvas = Canvas(64, 64, WHITE)
    # A page with its corner folded, and the product's letter on it.
    canvas.rectangle(10, 2, 44, 60, (90, 90, 90))
    canvas.rectangle(11, 3, 42, 58, WHITE)
    for step in range(12):
        canvas.rectangle(53 - 12 + step, 3, 12 - step, 1, WHITE)
        canvas.rectangle(53 - 12 + step, 3 + step, 1, 1, (90, 90, 90))
        canvas.rectangle(53 - 11 + step, 3 + step, 11 - step, 1, (255, 255, 255))
    for row in (14, 20, 26):
        canvas.rectangle(16, row, 26, 2, (170, 170, 170))
    canvas.rectangle(16, 34, 32, 24, RED)
    canvas.text("M", 3, 36, WHITE)
    canvas.save(target)


def main():
    resources = os.path.join(os.path.dirname(HERE), "resources")
    splash(os.path.join(resources, "splash1.jpg"))
    app_icon(os.path.join(resources, "mavren.png"))
    program_icon(os.path.join(resources, "mavren-program.png"))
    theme_icons(os.path.join(resources, "icons"))


if __name__ == "__main__":
    main()
