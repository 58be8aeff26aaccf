#!/usr/bin/env python3
"""Writes the C++ header that gives the X11 window its _NET_WM_ICON: the PNG renderings
of dist/vorplane.svg (8-bit RGBA, as rsvg-convert writes them) as one array of 32-bit
values, width, height, then each pixel as 0xAARRGGBB, one size after another.

Usage: icone.py OUTPUT.h ICON-16.png ICON-32.png ...
"""
import struct
import sys
import zlib


def rgba(path):
    """Width, height and the rows of bytes of an 8-bit RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s: not a PNG" % path)
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, colour, interlace) != (8, 6, 0):
                sys.exit("%s: not 8-bit RGBA without interlace" % path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b, c = prev[i], prev[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, rows


def main():
    out, pngs = sys.argv[1], sys.argv[2:]
    values = []
    for path in pngs:
        width, height, rows = rgba(path)
        values += [width, height]
        for row in rows:
            values += [row[i + 3] << 24 | row[i] << 16 | row[i + 1] << 8 | row[i + 2] for i in range(0, len(row), 4)]
    lines = ["// Made at build time from dist/vorplane.svg by dist/icone.py.",
             "static const uint32_t icone_argb[] = {"]
    lines += ["    " + ", ".join("0x%08x" % v for v in values[i:i + 8]) + "," for i in range(0, len(values), 8)]
    lines.append("};")
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
