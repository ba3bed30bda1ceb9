#!/usr/bin/env python3
"""Counts the pixels of a screenshot region by what the world draws there:
  picture_census.py FILE [X Y W H]
prints "vob=N whirl=N cloud=N lit=N": yellow or green Vob faces, the light
blue of whirls and food, the cloud's dark blue, and every pixel not black."""
import subprocess
import sys


def readPpm(path, region):
    crop = ["-crop", "{2}x{3}+{0}+{1}".format(*region), "+repage"] if region else []
    data = subprocess.run(["convert", path] + crop + ["-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    # Header: P6, width, height, maxval, each followed by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def census(path, region):
    width, height, pixels = readPpm(path, region)
    counts = {"vob": 0, "whirl": 0, "cloud": 0, "lit": 0}
    for y in range(height):
        row = pixels[3 * width * y:3 * width * (y + 1)]
        for x in range(width):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if r or g or b:
                counts["lit"] += 1
            if g > 150 and b < 90:
                counts["vob"] += 1
            elif b > 180 and r < 200 and g > 60:
                counts["whirl"] += 1
            elif r < 24 and g < 24 and 24 <= b <= 90:
                counts["cloud"] += 1
    return counts


if __name__ == "__main__":
    region = tuple(int(v) for v in sys.argv[2:6]) if len(sys.argv) >= 6 else None
    c = census(sys.argv[1], region)
    print(" ".join(f"{k}={v}" for k, v in c.items()))
