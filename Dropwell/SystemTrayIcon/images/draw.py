#!/usr/bin/env python3
"""Draws the tray agent's status image, dropwell_status.png, beside this script.

    python3 Dropwell/SystemTrayIcon/images/draw.py

A folder with a drop falling into it: 30 x 30 pixels (15 x 15 points at
double density), drawn with the shapes and PNG writer of the images that
libVEQServices carries (VEQServices/images/generate.py). Deterministic.
"""

import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SHAPES = os.path.join(HERE, "..", "..", "..", "VEQServices", "images", "generate.py")

spec = importlib.util.spec_from_file_location("veq_images", SHAPES)
g = importlib.util.module_from_spec(spec)
spec.loader.exec_module(g)

FOLDER = (60, 66, 74)
FOLDER_FRONT = (84, 91, 99)


def status_image():
    c = g.Canvas(30, 30)
    # The folder: a tab, its back and a front flap a little lower.
    c.fill(g.rounded_rect(2, 9, 12, 14, 1.5), FOLDER)
    c.fill(g.rounded_rect(2, 11, 28, 27, 2.5), FOLDER)
    c.fill(g.rounded_rect(2, 15, 28, 27, 2.5), FOLDER_FRONT)
    # The drop, cut out of the folder by a white rim, falling into it.
    drop_rim = g.polygon([(19, 1.5), (24.6, 11), (13.4, 11)])
    c.fill(g.circle(19, 12.5, 6.0), g.WHITE)
    c.fill(drop_rim, g.WHITE)
    c.fill(g.circle(19, 12.5, 4.6), g.BLUE)
    c.fill(g.polygon([(19, 3.4), (23.3, 10.8), (14.7, 10.8)]), g.BLUE)
    # A label on the front.
    c.fill(g.stroke([(8, 22), (13, 22)], 1.6), g.SKY)
    return c


if __name__ == "__main__":
    g.write_png(os.path.join(HERE, "dropwell_status.png"), status_image())
