#!/usr/bin/env python3
"""Draws the two folder icons of mapped folders, "veq_ok.icns" (a folder with a
green tick) and "veq_warning.icns" (a folder with an amber warning sign), as
32x32 RGBA PNG data; the desktop stand-in only needs a readable image.

    python3 Dropwell/common/icons/generate.py

The shapes, the canvas and the PNG writer are those of the common services'
image script; the output is deterministic.
"""

import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SHARED = os.path.join(HERE, "..", "..", "..", "VEQServices", "images", "generate.py")

spec = importlib.util.spec_from_file_location("veq_images", SHARED)
draw = importlib.util.module_from_spec(spec)
spec.loader.exec_module(draw)

FOLDER = (98, 160, 226)
FOLDER_TAB = (70, 132, 200)


def folder(c):
    c.fill(draw.rounded_rect(2, 6, 15, 12, 2), FOLDER_TAB)
    c.fill(draw.rounded_rect(2, 9, 30, 27, 2.5), FOLDER)


def ok_icon():
    c = draw.icon(32, 32)
    folder(c)
    c.fill(draw.circle(23, 23, 8.5), draw.WHITE)
    c.fill(draw.circle(23, 23, 7.3), draw.GREEN)
    c.fill(draw.stroke([(19.2, 23.2), (22, 26), (27, 19.8)], 2.2), draw.WHITE)
    return c


def warning_icon():
    c = draw.icon(32, 32)
    folder(c)
    c.fill(draw.polygon([(23, 13.2), (31.6, 30.6), (14.4, 30.6)]), draw.WHITE)
    c.fill(draw.polygon([(23, 15.4), (30, 29.4), (16, 29.4)]), draw.AMBER)
    c.fill(draw.stroke([(23, 19.6), (23, 24.6)], 2.0), draw.INK)
    c.fill(draw.circle(23, 27.2, 1.2), draw.INK)
    return c


def main():
    draw.write_png(os.path.join(HERE, "veq_ok.icns"), ok_icon())
    draw.write_png(os.path.join(HERE, "veq_warning.icns"), warning_icon())


if __name__ == "__main__":
    main()
