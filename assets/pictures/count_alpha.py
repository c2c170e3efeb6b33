#!/usr/bin/env python3
"""Counts, per rendered picture, the pixels the game blends (0 < alpha < 255),
the opaque ones, and the 5 x 5 blocks that show something or are wholly
opaque (the Level skips what later wholly opaque blocks hide).

    python3 count_alpha.py build/game/Niveaux/bonus.png ...

Standard library only: reads 8-bit RGB and RGBA PNGs, as rsvg-convert writes them.
"""

import struct
import sys
import zlib


def alpha_rows(path):
    with open(path, "rb") as picture:
        data = picture.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    pos, idat, width, height, channels = 8, b"", 0, 0, 0
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6) or body[12] != 0:
                raise ValueError(f"{path}: only 8-bit, non-interlaced RGB or RGBA")
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([line[x * channels + 3] if channels == 4 else 255 for x in range(width)])
        previous = line
    return width, height, rows


def main():
    for path in sys.argv[1:]:
        width, height, rows = alpha_rows(path)
        partly = sum(1 for row in rows for a in row if 0 < a < 255)
        opaque = sum(1 for row in rows for a in row if a == 255)
        shows = whole = 0
        for top in range(0, height, 5):
            for left in range(0, width, 5):
                block = [rows[y][x] for y in range(top, min(top + 5, height))
                         for x in range(left, min(left + 5, width))]
                shows += any(block)
                whole += len(block) == 25 and all(a == 255 for a in block)
        print(f"{path}: {width}x{height} partly transparent {partly}, opaque {opaque}, "
              f"blocks showing {shows}, wholly opaque {whole}")


if __name__ == "__main__":
    main()
