#!/usr/bin/env python3
"""Finds the program's progress bar in a screenshot and says how far it is filled.

    bar_on_screen.py SCREENSHOT.ppm BAR_RRGGBB BACK_RRGGBB

The screenshot is a binary PPM (P6), as ImageMagick's `convert shot.png shot.ppm` writes it.
During a transfer the bar is a rectangle of two colours: the filled part on the left in the bar
colour, the rest in the back colour, and the percentage drawn across both in the opposite
colours (smoothed at its edges). The bar starts at the tallest block of rows, at least 60 pixels
wide, whose pixels all have one of the two colours and that begin and end in the same columns,
and goes on over the rows of the text: rows between the same columns that begin and end in the
two colours and have them in most of their pixels.

Prints one line:
    bar=X,Y,WIDTH,HEIGHT filled=PIXELS fraction=F text_pixels=N
where PIXELS is the filled part's width on the bar's top row (which the text does not reach) and
text_pixels counts the pixels that differ from their side's colour: the text. Exit status 1
with a message when no such bar is on the screenshot.
"""

import sys

MIN_WIDTH = 60


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def colour(hex_text):
    return bytes.fromhex(hex_text)


def runs_of_row(pixels, width, y, colours):
    """The runs of pixels of row y whose colour is one of `colours`, as (start, end) pairs."""
    row = pixels[y * width * 3:(y + 1) * width * 3]
    runs, start = [], None
    for x in range(width + 1):
        inside = x < width and row[x * 3:x * 3 + 3] in colours
        if inside and start is None:
            start = x
        elif not inside and start is not None:
            runs.append((start, x))
            start = None
    return runs


def find_bar(pixels, width, height, colours):
    """(x, y, width, height) of the tallest block of rows sharing one wide two-colour run."""
    best, current = None, None
    for y in range(height + 1):
        runs = [] if y == height else [r for r in runs_of_row(pixels, width, y, colours)
                                       if r[1] - r[0] >= MIN_WIDTH]
        span = current and current[0] in runs and current[0]
        if span:
            current = (span, current[1], y + 1)
            continue
        if current and (best is None or current[2] - current[1] > best[3]):
            best = (current[0][0], current[1], current[0][1] - current[0][0], current[2] - current[1])
        current = (runs[0], y, y + 1) if runs else None
    return best


def extend_over_text(pixels, width, height, bar, colours):
    """`bar` grown up and down over the rows that the text crosses."""
    x, y, w, h = bar

    def bar_row(py):
        if py < 0 or py >= height:
            return False
        row = pixels[(py * width + x) * 3:(py * width + x + w) * 3]
        inside = [row[i * 3:i * 3 + 3] in colours for i in range(w)]
        outside_left = x > 0 and pixels[(py * width + x - 1) * 3:(py * width + x) * 3] in colours
        outside_right = (x + w < width and
                         pixels[(py * width + x + w) * 3:(py * width + x + w + 1) * 3] in colours)
        return (inside[0] and inside[-1] and sum(inside) * 10 >= w * 8 and
                not outside_left and not outside_right)

    while bar_row(y - 1):
        y, h = y - 1, h + 1
    while bar_row(y + h):
        h += 1
    return x, y, w, h


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    width, height, pixels = read_ppm(sys.argv[1])
    bar_colour, back_colour = colour(sys.argv[2]), colour(sys.argv[3])
    bar = find_bar(pixels, width, height, {bar_colour, back_colour})
    if bar is None:
        print("no bar of those two colours on the screenshot")
        return 1
    x, y, w, h = extend_over_text(pixels, width, height, bar, {bar_colour, back_colour})

    def at(px, py):
        offset = (py * width + px) * 3
        return pixels[offset:offset + 3]

    filled = 0
    while filled < w and at(x + filled, y) == bar_colour:
        filled += 1
    text = sum(1 for py in range(y, y + h) for px in range(x, x + w)
               if at(px, py) != (bar_colour if px < x + filled else back_colour))
    print(f"bar={x},{y},{w},{h} filled={filled} fraction={filled / w:.3f} text_pixels={text}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
