#!/usr/bin/env python3
"""Pixel checks for scripts/tour, read from the RGB bytes ImageMagick gives for a PNG.

  tour_pixels.py curve PNG X Y W H COLOUR FMIN FMAX
      The highest point of the curve of COLOUR (blue, crimson) in the graph at X,Y,W,H of the
      picture, on a log frequency scale FMIN..FMAX and +-20 dB over the height: prints
      "peak HZ DB", then "dip HZ DB" (its lowest point), then "pixels N" (how many of its pixels).
  tour_pixels.py follows PNG1 COLOUR1 PNG2 COLOUR2 X Y W H
      How closely the curve of COLOUR2 in PNG2 follows that of COLOUR1 in PNG1: prints the mean
      distance in pixels between their top edges over the columns both are drawn in, then how
      many columns that is.
  tour_pixels.py count PNG X Y W H COLOUR
      How many pixels of COLOUR (blue, crimson, band, gold) lie in the rectangle.
  tour_pixels.py diff PNG1 PNG2 X Y W H
      How many pixels of the rectangle differ between the two pictures by more than a trace of
      anti-aliasing (a channel off by more than 24).
"""
import math
import subprocess
import sys

COLOURS = {
    # The graph strokes 0xE60000FF and 0xE6D4145A over white or over each other.
    "blue": lambda r, g, b: b > 150 and r < 90 and g < 90,
    "crimson": lambda r, g, b: r > 150 and g < 90 and b < 150,
    # The spread between microphone positions: 0x260000FF, a light blue, over white or the grid.
    "band": lambda r, g, b: b > 235 and 180 < r < 240 and 180 < g < 240 and abs(r - g) < 12,
    # The tooltip and the lit paragraphs: the skin's gold, 0xB8955B, over anything.
    "gold": lambda r, g, b: r > 140 and 100 < g < 180 and b < 120 and r - b > 50,
}


def load(png, x, y, w, h):
    raw = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    if len(raw) != w * h * 3:
        sys.exit(f"tour_pixels: {png} has no {w}x{h} area at {x},{y}")
    return raw


def matching(raw, w, h, colour):
    test = COLOURS[colour]
    for row in range(h):
        for col in range(w):
            i = (row * w + col) * 3
            if test(raw[i], raw[i + 1], raw[i + 2]):
                yield col, row


def extreme(edge, pick):
    """The middle column of the first flat run where the edge reaches its extreme row: a broad
    peak is drawn flat over several columns, and its first column would read low."""
    best = pick(edge.values())
    first = min(c for c in edge if edge[c] == best)
    last = first
    while edge.get(last + 1) == best:
        last += 1
    return (first + last) / 2


def edges(png, x, y, w, h, colour):
    """The top and bottom row of the colour in each column, and how many pixels it has."""
    top, bottom, n = {}, {}, 0
    for col, row in matching(load(png, x, y, w, h), w, h, colour):
        n += 1
        top[col] = min(row, top.get(col, h))
        bottom[col] = max(row, bottom.get(col, -1))
    return top, bottom, n


def curve(png, x, y, w, h, colour, fmin, fmax):
    top, bottom, n = edges(png, x, y, w, h, colour)
    if n == 0:
        print("pixels 0")
        return
    # The 3-px stroke's middle is 1 px inside its top or bottom edge.
    to_hz = lambda col: fmin * (fmax / fmin) ** (col / w)
    to_db = lambda row: (h / 2 - row) / (h / 2) * 20
    peak = extreme(top, min)
    dip = extreme(bottom, max)
    print(f"peak {to_hz(peak):.1f} {to_db(top[round(peak)] + 1):.1f}")
    print(f"dip {to_hz(dip):.1f} {to_db(bottom[round(dip)] - 1):.1f}")
    print(f"pixels {n}")


def follows(png1, colour1, png2, colour2, x, y, w, h):
    first, second = edges(png1, x, y, w, h, colour1)[0], edges(png2, x, y, w, h, colour2)[0]
    shared = [col for col in first if col in second]
    mean = sum(abs(first[col] - second[col]) for col in shared) / len(shared) if shared else float(h)
    print(f"{mean:.2f} {len(shared)}")


def count(png, x, y, w, h, colour):
    raw = load(png, x, y, w, h)
    print(sum(1 for _ in matching(raw, w, h, colour)))


def diff(png1, png2, x, y, w, h):
    a, b = load(png1, x, y, w, h), load(png2, x, y, w, h)
    print(sum(1 for i in range(0, len(a), 3)
              if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > 24))


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    what, args = argv[1], argv[2:]
    if what == "curve" and len(args) == 8:
        curve(args[0], *map(int, args[1:5]), args[5], float(args[6]), float(args[7]))
    elif what == "follows" and len(args) == 8:
        follows(args[0], args[1], args[2], args[3], *map(int, args[4:8]))
    elif what == "count" and len(args) == 6:
        count(args[0], *map(int, args[1:5]), args[5])
    elif what == "diff" and len(args) == 6:
        diff(args[0], args[1], *map(int, args[2:6]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
