#!/usr/bin/python3
"""Makes the files Mavren installs beside its programs, in resources/:

  GifPlaceHolder.gif       the neutral picture index pages show for GIF sources
  DamagedPlaceHolder.png   the neutral picture pages show for a photo that cannot be read
  GeneratedWithMavren.gif  the 96 x 31 credit badge of content pages
  Default.mav              the template a new program starts from, written by
                           mavren-cli itself, so it has the exact program file layout

The pictures are drawn here with a small bitmap font, written as PPM and converted
with the vips command (Debian's libvips-tools).

usage: scripts/make-resources.py [BUILD]   (BUILD: where mavren-cli is, default build)
"""

import os
import subprocess
import sys
import tempfile

# 5 x 7 glyphs, one string per row, "#" for a set pixel.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"],
    " ": ["     "] * 7,
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def rectangle(self, x, y, width, height, colour):
        for row in range(y, y + height):
            for column in range(x, x + width):
                self.pixels[row][column] = colour

    def frame(self, colour):
        self.rectangle(0, 0, self.width, 1, colour)
        self.rectangle(0, self.height - 1, self.width, 1, colour)
        self.rectangle(0, 0, 1, self.height, colour)
        self.rectangle(self.width - 1, 0, 1, self.height, colour)

    def text(self, words, scale, y, colour):
        """Draws words centred across the canvas, glyph cells 6 x 7 times scale."""
        width = (len(words) * 6 - 1) * scale
        x = (self.width - width) // 2
        for letter in words:
            for row, bits in enumerate(GLYPHS[letter]):
                for column, bit in enumerate(bits):
                    if bit == "#":
                        self.rectangle(x + column * scale, y + row * scale, scale, scale, colour)
            x += 6 * scale

    def save(self, target):
        with tempfile.TemporaryDirectory() as folder:
            ppm = os.path.join(folder, "picture.ppm")
            with open(ppm, "wb") as out:
                out.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
                for row in self.pixels:
                    out.write(bytes(channel for pixel in row for channel in pixel))
            subprocess.run(["vips", "copy", ppm, target], check=True)


def placeholder(target):
    canvas = Canvas(120, 120, (232, 232, 232))
    canvas.frame((150, 150, 150))
    canvas.text("GIF", 5, (120 - 35) // 2, (96, 96, 96))
    canvas.save(target)


def damaged(target):
    """A crossed-out frame: a picture that is not there."""
    canvas = Canvas(120, 120, (232, 232, 232))
    canvas.frame((150, 150, 150))
    for step in range(60):
        canvas.rectangle(30 + step, 30 + step, 3, 3, (150, 150, 150))
        canvas.rectangle(87 - step, 30 + step, 3, 3, (150, 150, 150))
    canvas.save(target)


def badge(target):
    canvas = Canvas(96, 31, (192, 0, 0))
    canvas.frame((110, 0, 0))
    canvas.text("GENERATED WITH", 1, 4, (255, 255, 255))
    canvas.text("MAVREN", 2, 14, (255, 255, 255))
    canvas.save(target)


def default_program(cli, target):
    # Loading an empty file gives the defaults of a new program; set saves them.
    if os.path.exists(target):
        os.remove(target)
    open(target, "w").close()
    subprocess.run([cli, "set", target, "Comments="], check=True, stdout=subprocess.DEVNULL)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build")
    resources = os.path.join(root, "resources")
    placeholder(os.path.join(resources, "GifPlaceHolder.gif"))
    damaged(os.path.join(resources, "DamagedPlaceHolder.png"))
    badge(os.path.join(resources, "GeneratedWithMavren.gif"))
    default_program(os.path.join(build, "mavren-cli"), os.path.join(resources, "Default.mav"))


if __name__ == "__main__":
    main()
