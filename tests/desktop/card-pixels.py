#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a screenshot (grim -t ppm, whose header is "P6\nW H\n255\n") for the layer card's checks:
#   card-pixels.py SHOT bbox RRGGBB BELOW   left top right bottom of the pixels above row BELOW
#                                            that differ from the colour RRGGBB, or "none"
#   card-pixels.py SHOT at X Y              the pixel at X, Y as RRGGBB
import sys

_, size, _, pixels = open(sys.argv[1], "rb").read().split(b"\n", 3)
width, height = map(int, size.split())


def at(x, y):
    return pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]


if sys.argv[2] == "at":
    print(at(int(sys.argv[3]), int(sys.argv[4])).hex())
    sys.exit()
background = bytes.fromhex(sys.argv[3])
found = [(x, y) for y in range(min(int(sys.argv[4]), height)) for x in range(width)
         if max(abs(a - b) for a, b in zip(at(x, y), background)) > 12]
xs, ys = [x for x, _ in found], [y for _, y in found]
print("%d %d %d %d" % (min(xs), min(ys), max(xs), max(ys)) if found else "none")
