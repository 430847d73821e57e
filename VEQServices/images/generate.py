#!/usr/bin/env python3
"""Draws the small pictures that libVEQServices carries inside itself.

Run it from anywhere; it rewrites the image files beside this script:

    python3 VEQServices/images/generate.py

Only the standard library is used. Each icon is a few simple shapes (circles,
rings, arcs, strokes, polygons, rounded rectangles) rasterised with 4x4
supersampling and written as an 8-bit RGBA PNG (colour type 6, no
interlacing). The busy indicator is an animated GIF89a of 8 frames with
colour index 0 transparent, looping for ever. The output is deterministic, so
running the script again leaves the committed files unchanged.
"""

import math
import os
import struct
import zlib

SUPERSAMPLE = 4

GREY = (84, 91, 99)
BLUE = (30, 120, 210)
PALE = (176, 181, 186)
GREEN = (46, 160, 67)
RED = (207, 48, 48)
AMBER = (245, 176, 35)
AMBER_EDGE = (196, 128, 12)
INK = (40, 40, 40)
WHITE = (255, 255, 255)
SKY = (196, 222, 248)


# ---------------------------------------------------------------- shapes
# A shape is a predicate inside(x, y) over pixel coordinates, (0, 0) being the
# top-left corner of the picture; pixel (i, j) covers [i, i+1) x [j, j+1).

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, radius, width):
    outer, inner = radius + width / 2, radius - width / 2
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def arc(cx, cy, radius, width, start, end):
    """Part of a ring from angle start to end (degrees, clockwise, 0 = east)."""
    band = ring(cx, cy, radius, width)
    span = (end - start) % 360

    def inside(x, y):
        if not band(x, y):
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx))
        return (angle - start) % 360 <= span
    return inside


def stroke(points, width):
    """A polyline of the given width with round caps and joins."""
    half2 = (width / 2) ** 2
    segments = list(zip(points, points[1:]))

    def near(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= half2
    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        nx = min(max(x, x0 + r), x1 - r)
        ny = min(max(y, y0 + r), y1 - r)
        return (x - nx) ** 2 + (y - ny) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def minus(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


# ---------------------------------------------------------------- canvas

class Canvas:
    """Straight-alpha RGBA pixels, painted shape by shape with 'over'."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [(0.0, 0.0, 0.0, 0.0)] * (width * height)

    def fill(self, shape, colour, opacity=1.0):
        n = SUPERSAMPLE
        offsets = [(k + 0.5) / n for k in range(n)]
        for j in range(self.height):
            for i in range(self.width):
                hits = sum(1 for dy in offsets for dx in offsets if shape(i + dx, j + dy))
                if hits:
                    self._blend(i, j, colour, opacity * hits / (n * n))

    def _blend(self, i, j, colour, alpha):
        r, g, b, a = self.pixels[j * self.width + i]
        out = alpha + a * (1 - alpha)
        mix = [(c * alpha + old * a * (1 - alpha)) / out for c, old in zip(colour, (r, g, b))]
        self.pixels[j * self.width + i] = (mix[0], mix[1], mix[2], out)

    def rgba_rows(self):
        for j in range(self.height):
            row = bytearray()
            for r, g, b, a in self.pixels[j * self.width:(j + 1) * self.width]:
                row += bytes(int(round(v)) for v in (r, g, b, a * 255))
            yield bytes(row)


def write_png(path, canvas):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in canvas.rgba_rows())
    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------- GIF

def lzw_encode(indices, min_code_size):
    """GIF-flavoured LZW: variable code width, least significant bit first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bit_buffer, bit_count = bytearray(), 0, 0
    code_size, next_code, table = 0, 0, {}

    def emit(code):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += code_size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def reset():
        nonlocal code_size, next_code, table
        code_size, next_code = min_code_size + 1, end + 1
        table = {(i,): i for i in range(clear)}

    reset()
    emit(clear)
    word = (indices[0],)
    for index in indices[1:]:
        longer = word + (index,)
        if longer in table:
            word = longer
            continue
        emit(table[word])
        if next_code < 4096:
            table[longer] = next_code
            # The decoder adds this entry one code later, so it widens its
            # codes when the entry just made reaches the current width.
            if next_code == 1 << code_size and code_size < 12:
                code_size += 1
            next_code += 1
        else:
            emit(clear)
            reset()
        word = (index,)
    emit(table[word])
    emit(end)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def write_gif(path, width, height, palette, frames, delays_cs):
    """frames: lists of palette indices; index 0 is transparent."""
    size_code = max(0, math.ceil(math.log2(len(palette))) - 1)
    entries = 2 << size_code
    table = b"".join(bytes(c) for c in palette) + b"\x00\x00\x00" * (entries - len(palette))
    min_code_size = max(2, size_code + 1)

    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | (size_code << 4) | size_code, 0, 0)
    data += table
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"  # loop for ever
    for pixels, delay in zip(frames, delays_cs):
        # Disposal 2: each frame starts from the transparent background.
        data += b"\x21\xF9\x04" + struct.pack("<BHB", (2 << 2) | 1, delay, 0) + b"\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        data.append(min_code_size)
        encoded = lzw_encode(pixels, min_code_size)
        for k in range(0, len(encoded), 255):
            block = encoded[k:k + 255]
            data += bytes([len(block)]) + block
        data += b"\x00"
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- icons

def icon(width=16, height=16):
    return Canvas(width, height)


def magnifier(c, colour, cx=6.5, cy=6.5, r=4.2):
    c.fill(ring(cx, cy, r, 1.7), colour)
    c.fill(stroke([(cx + r * 0.78, cy + r * 0.78), (14.2, 14.2)], 2.4), colour)


def app_icon():
    c = icon(48, 48)
    c.fill(rounded_rect(2, 2, 46, 46, 9), BLUE)
    c.fill(rect(15, 7, 33, 20), WHITE)
    for y in (11, 14.5):
        c.fill(stroke([(18, y), (30, y)], 1.4), PALE)
    c.fill(rounded_rect(8, 18, 40, 23, 2), SKY)
    c.fill(rounded_rect(8, 22, 40, 38, 3.5), WHITE)
    c.fill(rect(12, 27, 36, 29), GREEN)
    c.fill(circle(34.5, 33.5, 1.6), BLUE)
    return c


def discovery_search():
    c = icon()
    magnifier(c, BLUE)
    for cx, cy in ((4.7, 7.6), (8.3, 5.0), (8.0, 8.6)):
        c.fill(circle(cx, cy, 1.05), GREEN)
    return c


def help_icon():
    c = icon()
    c.fill(circle(8, 8, 7.5), BLUE)
    c.fill(arc(8, 6.2, 2.5, 1.8, 180, 90), WHITE)
    c.fill(stroke([(8.0, 8.7), (8.0, 9.9)], 1.8), WHITE)
    c.fill(circle(8, 12.4, 1.15), WHITE)
    return c


def plus(colour):
    c = icon()
    c.fill(stroke([(8, 3), (8, 13)], 2.6), colour)
    c.fill(stroke([(3, 8), (13, 8)], 2.6), colour)
    return c


def minus_sign(colour):
    c = icon()
    c.fill(stroke([(3, 8), (13, 8)], 2.6), colour)
    return c


def chevron_down(colour):
    c = icon()
    c.fill(stroke([(4, 6), (8, 10), (12, 6)], 2.0), colour)
    return c


def chevron_right(colour):
    c = icon()
    c.fill(stroke([(6, 4), (10, 8), (6, 12)], 2.0), colour)
    return c


def search():
    c = icon()
    magnifier(c, GREY, r=4.6)
    return c


def save_as(colour):
    c = icon()
    c.fill(stroke([(8, 1.8), (8, 8)], 2.2), colour)
    c.fill(polygon([(3.8, 6.6), (12.2, 6.6), (8, 11.2)]), colour)
    c.fill(stroke([(2.4, 10), (2.4, 13.6), (13.6, 13.6), (13.6, 10)], 1.7), colour)
    return c


def trash(colour):
    c = icon()
    c.fill(stroke([(2.8, 4), (13.2, 4)], 1.6), colour)
    c.fill(minus(rounded_rect(6, 1.4, 10, 4, 1), rect(7.3, 2.6, 8.7, 4)), colour)
    body = polygon([(4, 5.6), (12, 5.6), (11.2, 14.6), (4.8, 14.6)])
    slits = [stroke([(x, 7.4), (x, 12.8)], 1.0) for x in (6.4, 8, 9.6)]
    c.fill(minus(body, *slits), colour)
    return c


def refresh(colour):
    c = icon()
    c.fill(arc(8, 8.4, 5.0, 2.0, 330, 268), colour)
    c.fill(polygon([(8.6, 0.6), (12.6, 3.4), (8.6, 6.2)]), colour)
    return c


def controller(body_colour, badge_colour, badge_sign):
    """A small print controller with a round badge bearing + or -."""
    c = icon()
    c.fill(rect(3.5, 1.5, 9.5, 5.5), WHITE)
    c.fill(minus(rect(3, 1, 10, 6), rect(4, 2, 9, 6)), body_colour)
    c.fill(rounded_rect(0.5, 5, 12.5, 11.5, 1.6), body_colour)
    c.fill(rect(3, 8.6, 10, 9.6), WHITE)
    c.fill(circle(11.5, 11.5, 4.5), WHITE)
    c.fill(circle(11.5, 11.5, 3.8), badge_colour)
    c.fill(stroke([(9.5, 11.5), (13.5, 11.5)], 1.5), WHITE)
    if badge_sign == "+":
        c.fill(stroke([(11.5, 9.5), (11.5, 13.5)], 1.5), WHITE)
    return c


def warning_big():
    c = icon(48, 42)
    c.fill(polygon([(24, 0.8), (47.4, 41.2), (0.6, 41.2)]), AMBER_EDGE)
    c.fill(polygon([(24, 4.6), (44.2, 39.4), (3.8, 39.4)]), AMBER)
    c.fill(stroke([(24, 15), (24, 27.5)], 4.6), INK)
    c.fill(circle(24, 33.6, 2.6), INK)
    return c


def loader_frames():
    """8 dots on a circle; the bright one moves a step each frame."""
    shades = [(70 + k * 22,) * 3 for k in range(8)]  # index 1 darkest .. 8 lightest
    palette = [(255, 255, 255)] + shades
    centres = [(8 + 5.5 * math.cos(math.radians(-90 + 45 * k)),
                8 + 5.5 * math.sin(math.radians(-90 + 45 * k))) for k in range(8)]
    frames = []
    for frame in range(8):
        pixels = []
        for j in range(16):
            for i in range(16):
                index = 0
                for dot, (cx, cy) in enumerate(centres):
                    if (i + 0.5 - cx) ** 2 + (j + 0.5 - cy) ** 2 <= 1.6 ** 2:
                        index = 1 + (frame - dot) % 8  # the lead dot is darkest
                pixels.append(index)
        frames.append(pixels)
    return palette, frames


PNG_ICONS = {
    "zelto_scan_app.png": app_icon,
    "discovery_search.png": discovery_search,
    "help.png": help_icon,
    "i_add.png": lambda: plus(GREEN),
    "i_chevron_down_16.png": lambda: chevron_down(GREY),
    "i_chevron_down_16_over.png": lambda: chevron_down(BLUE),
    "i_chevron_right_16.png": lambda: chevron_right(GREY),
    "i_chevron_right_16_over.png": lambda: chevron_right(BLUE),
    "i_remove.png": lambda: minus_sign(RED),
    "icon_search.png": search,
    "saveas.png": lambda: save_as(GREY),
    "saveas_disabled.png": lambda: save_as(PALE),
    "saveas_over.png": lambda: save_as(BLUE),
    "delete.png": lambda: trash(GREY),
    "delete_disabled.png": lambda: trash(PALE),
    "delete_over.png": lambda: trash(BLUE),
    "refresh.png": lambda: refresh(GREY),
    "refresh_disabled.png": lambda: refresh(PALE),
    "refresh_over.png": lambda: refresh(BLUE),
    "veq_add_zelto_over.png": lambda: controller(BLUE, GREEN, "+"),
    "veq_add_zelto.png": lambda: controller(GREY, GREEN, "+"),
    "veq_remove_zelto_disabled.png": lambda: controller(PALE, PALE, "-"),
    "veq_remove_zelto_over.png": lambda: controller(BLUE, RED, "-"),
    "veq_remove_zelto.png": lambda: controller(GREY, RED, "-"),
    "nosupport_warning_big.png": warning_big,
}


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, draw in PNG_ICONS.items():
        write_png(os.path.join(folder, name), draw())
    palette, frames = loader_frames()
    write_gif(os.path.join(folder, "loader_16x16.gif"), 16, 16, palette, frames,
              [0] + [10] * 7)


if __name__ == "__main__":
    main()
