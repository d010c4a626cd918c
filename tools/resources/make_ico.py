#!/usr/bin/env python3
"""Writes the Windows program icon: one .ico with nine images, 48, 32 and 16 pixels square, each
at 4 bits (the standard 16-colour palette), 8 bits (a palette of up to 256 colours chosen from the
image) and 24 bits per pixel, as BMP images with their AND masks.

    make_ico.py OUTPUT.ico SOURCE-48.png SOURCE-32.png SOURCE-16.png

The sources are 8-bit RGB or RGBA PNGs of the named sizes (res/icons/); a pixel less than half
opaque is transparent (set in the mask, black in the colour image). Standard library only.
"""

import struct
import sys
import zlib

SIZES = (48, 32, 16)
BIT_COUNTS = (4, 8, 24)

# The 16 colours of the system's standard palette, in their usual order.
STANDARD_16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def read_png(path):
    """Returns (width, height, rows of (r, g, b, a) tuples) of an 8-bit RGB(A) PNG."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path}: not a PNG file')
    pos, idat, header = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    width, height, depth, color, _, _, interlace = header
    if depth != 8 or color not in (2, 6) or interlace:
        raise ValueError(f'{path}: only 8-bit RGB or RGBA PNGs without interlacing are read')
    channels = 4 if color == 6 else 3
    raw = unfilter(zlib.decompress(idat), width * channels, height, channels)
    rows = []
    for y in range(height):
        line = raw[y * width * channels:(y + 1) * width * channels]
        rows.append([tuple(line[x * channels:x * channels + 3]) +
                     ((line[x * channels + 3],) if channels == 4 else (255,))
                     for x in range(width)])
    return width, height, rows


def unfilter(data, stride, height, bpp):
    out = bytearray()
    prev = bytearray(stride)
    pos = 0
    for _ in range(height):
        kind, line = data[pos], bytearray(data[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = prev[i]
            up_left = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, up_left)) & 0xFF
            elif kind != 0:
                raise ValueError(f'unknown PNG filter {kind}')
        out += line
        prev = line
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def opaque(pixel):
    return pixel[3] >= 128


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def median_cut(colors, count):
    """Up to `count` colours that represent `colors` (a list of RGB tuples, repeats counted)."""
    if not colors:
        return [(0, 0, 0)]
    if len(set(colors)) <= count:
        return sorted(set(colors))
    boxes = [colors]
    while len(boxes) < count:
        splittable = [b for b in boxes if len(set(b)) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: max(max(c[k] for c in b) - min(c[k] for c in b)
                                               for k in range(3)))
        axis = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: c[axis])
        half = len(box) // 2
        boxes.remove(box)
        boxes += [box[:half], box[half:]]
    return [tuple(sum(c[k] for c in b) // len(b) for k in range(3)) for b in boxes]


def padded(row_bytes):
    return row_bytes + b'\0' * (-len(row_bytes) % 4)


def pack_indices(indices, bits):
    if bits == 8:
        return bytes(indices)
    return bytes((indices[i] << 4) | (indices[i + 1] if i + 1 < len(indices) else 0)
                 for i in range(0, len(indices), 2))


def mask_bytes(row):
    bits = ''.join('0' if opaque(p) else '1' for p in row)
    bits += '0' * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def color_rows(rows, bits):
    """Returns (palette, rows of colour bytes, top row first) for the given bit count."""
    visible = [[p[:3] if opaque(p) else (0, 0, 0) for p in row] for row in rows]
    if bits == 24:
        return [], [bytes(v for rgb in row for v in reversed(rgb)) for row in visible]
    palette = STANDARD_16 if bits == 4 else median_cut(
        [p[:3] for row in rows for p in row if opaque(p)], 256)
    if bits == 8 and (0, 0, 0) not in palette and len(palette) < 256:
        palette = palette + [(0, 0, 0)]  # so that the transparent pixels are black exactly
    cache = {}
    lines = []
    for row in visible:
        indices = [cache.setdefault(rgb, nearest(palette, rgb)) for rgb in row]
        lines.append(pack_indices(indices, bits))
    palette = palette + [(0, 0, 0)] * ((1 << bits) - len(palette))
    return palette, lines


def bmp_image(rows, bits):
    size = len(rows)
    palette, lines = color_rows(rows, bits)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits, 0, 0, 0, 0, 0, 0)
    colors = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    xor = b''.join(padded(line) for line in reversed(lines))
    mask = b''.join(padded(mask_bytes(row)) for row in reversed(rows))
    image = header + colors + xor + mask
    return image[:20] + struct.pack('<I', len(xor) + len(mask)) + image[24:]


def write_ico(path, sources):
    images = []
    for size, source in zip(SIZES, sources):
        width, height, rows = read_png(source)
        if (width, height) != (size, size):
            raise ValueError(f'{source}: {width}x{height}, expected {size}x{size}')
        for bits in BIT_COUNTS:
            images.append((size, bits, bmp_image(rows, bits)))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, bits, image in images:
        color_count = 16 if bits == 4 else 0
        directory += struct.pack('<BBBBHHII', size, size, color_count, 0, 1, bits, len(image),
                                 offset + len(body))
        body += image
    with open(path, 'wb') as f:
        f.write(directory + body)


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    try:
        write_ico(argv[1], argv[2:])
    except (OSError, ValueError) as error:
        sys.stderr.write(f'{argv[0]}: {error}\n')
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
