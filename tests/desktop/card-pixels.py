#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a screenshot (grim -t ppm) for the layer-shell card's checks:
#   card-pixels.py SHOT bbox RRGGBB BELOW   the left, top, right and bottom of every pixel above
#                                            row BELOW that differs from the colour RRGGBB
#   card-pixels.py SHOT at X Y              the pixel at X, Y as RRGGBB
import sys


def read_ppm(path):
    with open(path, "rb") as shot:
        data = shot.read()
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    assert fields[0] == b"P6" and fields[3] == b"255", "not an 8-bit binary PPM"
    return int(fields[1]), int(fields[2]), data[position + 1:]


def colour(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) for i in (0, 2, 4))


def main():
    width, height, pixels = read_ppm(sys.argv[1])

    def at(x, y):
        start = (y * width + x) * 3
        return tuple(pixels[start:start + 3])

    if sys.argv[2] == "at":
        print("%02x%02x%02x" % at(int(sys.argv[3]), int(sys.argv[4])))
        return
    background, below = colour(sys.argv[3]), min(int(sys.argv[4]), height)
    found = [(x, y) for y in range(below) for x in range(width)
             if max(abs(a - b) for a, b in zip(at(x, y), background)) > 12]
    if not found:
        print("none")
        return
    xs, ys = [x for x, _ in found], [y for _, y in found]
    print(min(xs), min(ys), max(xs), max(ys))


main()
