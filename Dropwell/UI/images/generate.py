#!/usr/bin/env python3
"""Draws the pictures that libDropwellUI carries inside itself.

Run it from anywhere; it rewrites the image files beside this script:

    python3 Dropwell/UI/images/generate.py

The shapes, the canvas and the PNG writer are those of the common services'
picture script (VEQServices/images/generate.py); this one adds a fill limited
to a box, so that the large about-box picture draws in reasonable time. The
output is deterministic.
"""

import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "veq_pictures", os.path.join(HERE, "..", "..", "..", "VEQServices", "images", "generate.py"))
pictures = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(pictures)

circle, ring, arc, stroke = pictures.circle, pictures.ring, pictures.arc, pictures.stroke
polygon, rounded_rect, rect, minus = pictures.polygon, pictures.rounded_rect, pictures.rect, pictures.minus

GREY = (120, 126, 133)
PALE = (176, 181, 186)
FOLDER = (94, 158, 222)
FOLDER_BACK = (66, 130, 196)
GREEN = (46, 160, 67)
RED = (207, 48, 48)
AMBER = (245, 176, 35)
AMBER_EDGE = (196, 128, 12)
INK = (40, 40, 40)
WHITE = (255, 255, 255)
NAVY = (0, 33, 99)
SKY = (214, 232, 250)
CARD = (250, 251, 252)
CARD_EDGE = (188, 196, 206)


class BoxCanvas(pictures.Canvas):
    """The common canvas, with fills that only visit a box of pixels."""

    def fill_box(self, shape, colour, box, opacity=1.0):
        x0, y0, x1, y1 = (int(v) for v in box)
        n = pictures.SUPERSAMPLE
        offsets = [(k + 0.5) / n for k in range(n)]
        for j in range(max(y0, 0), min(y1 + 1, self.height)):
            for i in range(max(x0, 0), min(x1 + 1, self.width)):
                hits = sum(1 for dy in offsets for dx in offsets if shape(i + dx, j + dy))
                if hits:
                    self._blend(i, j, colour, opacity * hits / (n * n))

    def solid(self, box, colour):
        x0, y0, x1, y1 = box
        for j in range(y0, y1):
            for i in range(x0, x1):
                self.pixels[j * self.width + i] = (*colour, 1.0)


def folder(c, body, back, scale=1.0, dx=0.0, dy=0.0):
    """A folder of 32 x 32 units: tab and back, then the front."""
    s = lambda x, y: (dx + x * scale, dy + y * scale)
    c.fill(polygon([s(2, 6), s(12, 6), s(15, 9), s(30, 9), s(30, 27), s(2, 27)]), back)
    c.fill(polygon([s(2, 12), s(30, 12), s(30, 27), s(2, 27)]), body)


def badge(c, colour, sign):
    c.fill(circle(23, 23, 8.2), WHITE)
    c.fill(circle(23, 23, 7), colour)
    if sign == "ok":
        c.fill(stroke([(19.4, 23.2), (22, 25.8), (26.8, 20.4)], 2.2), WHITE)
    elif sign == "!":
        c.fill(stroke([(23, 18.6), (23, 23.6)], 2.4), WHITE)
        c.fill(circle(23, 27, 1.4), WHITE)
    elif sign == "x":
        c.fill(stroke([(20, 20), (26, 26)], 2.2), WHITE)
        c.fill(stroke([(26, 20), (20, 26)], 2.2), WHITE)


def foldersync(state):
    c = pictures.icon(32, 32)
    if state == "cannotlink":
        folder(c, PALE, GREY)
        c.fill(circle(23, 23, 8.2), WHITE)
        c.fill(ring(23, 23, 5.6, 2.0), GREY)
        c.fill(stroke([(19, 27), (27, 19)], 2.0), GREY)
        return c
    if state == "scanner":
        # A print controller with a paper tray and a red badge.
        c.fill(rect(7, 3, 21, 9), WHITE)
        c.fill(minus(rect(6, 2, 22, 10), rect(8, 4, 20, 10)), GREY)
        c.fill(rounded_rect(1.5, 9, 26.5, 22, 2.4), GREY)
        c.fill(rect(6, 15, 22, 17), WHITE)
        badge(c, RED, "x")
        return c
    folder(c, FOLDER, FOLDER_BACK)
    badge(c, GREEN if state == "ok" else RED, "ok" if state == "ok" else "!")
    return c


def warning_16():
    c = pictures.icon(16, 16)
    c.fill(polygon([(8, 0.6), (15.6, 14.8), (0.4, 14.8)]), AMBER_EDGE)
    c.fill(polygon([(8, 2.6), (14, 13.8), (2, 13.8)]), AMBER)
    c.fill(stroke([(8, 5.6), (8, 9.4)], 1.8), INK)
    c.fill(circle(8, 11.7, 1.05), INK)
    return c


# Capital letters as strokes in a box of 1 x 1.4 units, drawn at a given scale.
LETTERS = {
    "V": [[(0, 0), (0.5, 1.4), (1, 0)]],
    "E": [[(0.9, 0), (0, 0), (0, 1.4), (0.9, 1.4)], [(0, 0.7), (0.75, 0.7)]],
    "Q": [[(0.62, 1.0), (1.02, 1.45)]],
    "O": [],
    "R": [[(0, 1.4), (0, 0), (0.6, 0)], [(0, 0.72), (0.6, 0.72)], [(0.45, 0.72), (1, 1.4)]],
    "A": [[(0, 1.4), (0.5, 0), (1, 1.4)], [(0.2, 0.9), (0.8, 0.9)]],
}
ROUND = {"Q", "O"}


def lettering(c, text, x, y, size, width, colour):
    """text in stroke capitals, each letter size wide, starting at (x, y)."""
    for letter in text:
        box = (x - width, y - width, x + size * 1.1 + width, y + size * 1.5 + width)
        for line in LETTERS[letter]:
            c.fill_box(stroke([(x + px * size, y + py * size) for px, py in line], width), colour, box)
        if letter in ROUND:
            c.fill_box(ring(x + 0.5 * size, y + 0.7 * size, 0.6 * size, width), colour, box)
        if letter == "R":
            c.fill_box(arc(x + 0.6 * size, y + 0.36 * size, 0.36 * size, width, 270, 90), colour, box)
        x += size * (1.45 if letter in ROUND else 1.3)


def splash_about():
    width, height = 502, 460
    c = BoxCanvas(width, height)
    c.fill(rounded_rect(0.5, 0.5, width - 0.5, height - 0.5, 14), CARD_EDGE)
    c.fill(rounded_rect(1.5, 1.5, width - 1.5, height - 1.5, 13), CARD)
    # A pale band behind the picture and the name.
    c.fill_box(rounded_rect(1.5, 1.5, width - 1.5, 250, 13), SKY, (0, 0, width, 250))
    c.solid((2, 200, width - 2, 250), SKY)
    c.fill_box(rect(1.5, 249, width - 1.5, 250.5), CARD_EDGE, (0, 248, width, 251))
    # A large folder with a green badge: the product's mark.
    scale = 3.4
    left, top = (width - 32 * scale) / 2, 28

    bx = (int(left), top, int(left + 32 * scale) + 1, int(top + 32 * scale) + 1)
    s = lambda x, y: (left + x * scale, top + y * scale)
    c.fill_box(polygon([s(2, 6), s(12, 6), s(15, 9), s(30, 9), s(30, 27), s(2, 27)]), FOLDER_BACK, bx)
    c.fill_box(polygon([s(2, 12), s(30, 12), s(30, 27), s(2, 27)]), FOLDER, bx)
    c.fill_box(circle(*s(23, 23), 8.2 * scale), WHITE, bx)
    c.fill_box(circle(*s(23, 23), 7 * scale), GREEN, bx)
    c.fill_box(stroke([s(19.4, 23.2), s(22, 25.8), s(26.8, 20.4)], 2.2 * scale), WHITE, bx)
    # The product name.
    size, pen = 26, 5.2
    name_width = size * (1.3 * 4 + 1.45 * 2) - size * 0.3
    lettering(c, "VEQORA", (width - name_width) / 2, 160, size, pen, NAVY)
    return c


PNG_IMAGES = {
    "veqora_foldersync_cannotlink.png": lambda: foldersync("cannotlink"),
    "veqora_foldersync_ok.png": lambda: foldersync("ok"),
    "veqora_foldersync_problem_folder.png": lambda: foldersync("folder"),
    "veqora_foldersync_problem_scanner.png": lambda: foldersync("scanner"),
    "warning_16.png": warning_16,
    "splash_about.png": splash_about,
}


def main():
    for name, draw in PNG_IMAGES.items():
        pictures.write_png(os.path.join(HERE, name), draw())


if __name__ == "__main__":
    main()
