#!/usr/bin/env python3
"""Checks that nine-slice images stretch cleanly.

A nine-slice image named ..._slice9_l<L>_t<T>_r<R>_b<B>.png is drawn with its centre column
(x from L to R) stretched horizontally and its centre row (y from T to B) stretched vertically. That
is clean only when every column inside [L, R) is the same as column L, and every row inside [T, B)
is the same as row T, across the whole image. This script decodes each such PNG (8-bit RGBA or
grey-alpha, non-interlaced, as rsvg-convert writes them) and fails on the first difference.

Usage: check_slice9.py FILE.png...
"""

import re
import struct
import sys
import zlib


def decode_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos = 8
    idat = b""
    width = height = None
    channels = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        chunk = data[pos + 8 : pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunk)
            channels = {6: 4, 4: 2, 2: 3, 0: 1}.get(colour)
            if depth != 8 or channels is None or interlace != 0:
                raise ValueError("unsupported PNG layout")
        elif kind == b"IDAT":
            idat += chunk
        elif kind == b"IEND":
            break
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    prev = bytearray(stride)
    i = 0
    for _ in range(height):
        kind = raw[i]
        line = bytearray(raw[i + 1 : i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, channels, rows


def check(path):
    m = re.search(r"_slice9_l(\d+)_t(\d+)_r(\d+)_b(\d+)\.png$", path)
    if not m:
        return None
    left, top, right, bottom = map(int, m.groups())
    width, height, ch, rows = decode_png(path)
    if not (0 < left < right <= width and 0 < top < bottom <= height):
        return f"insets {left},{top},{right},{bottom} do not fit a {width} x {height} image"
    for y in range(top + 1, bottom):
        if rows[y] != rows[top]:
            return f"row {y} differs from row {top}: the centre row does not stretch cleanly"
    for y, row in enumerate(rows):
        first = row[left * ch : (left + 1) * ch]
        for x in range(left + 1, right):
            if row[x * ch : (x + 1) * ch] != first:
                return f"pixel ({x}, {y}) differs from ({left}, {y}): the centre column does not stretch cleanly"
    return ""


def main(paths):
    failed = False
    for path in paths:
        problem = check(path)
        if problem:
            print(f"check_slice9: {path}: {problem}", file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
