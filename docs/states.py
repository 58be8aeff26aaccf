"""Makes the README's pictures docs/states-2.png, -4 and -16: the program on a virtual
X server, paused, a new soup under Conway's tables with 2, 4 and 16 states, and a corner
of the world after some single steps (MOMENTS), enlarged twice, side by side.

Usage, after scripts/test: python3 docs/states.py build/vorplane
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from session import Session  # noqa: E402

X0, Y0, W, H, SCALE, GAP = 20, 20, 120, 100, 2, 4
MOMENTS = {2: [0, 1, 12], 4: [1, 2, 3], 16: [4, 8, 12, 16]}


def png(path, rows):
    """Writes rows of (r, g, b) pixels as an 8-bit RGB PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for rgb in row for c in rgb) for row in rows)
    head = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))


def corner(shot):
    """The corner of the screenshot, enlarged, as rows of pixels."""
    rows = []
    for y in range(Y0, Y0 + H):
        row = [shot.rgb(x, y) for x in range(X0, X0 + W) for _ in range(SCALE)]
        rows += [row] * SCALE
    return rows


def picture(program, states):
    """The corners after each of the state count's moments, side by side on white."""
    shots, done = [], 0
    with Session(program) as s:
        s.run("xdotool", "mousemove", "600", "440")
        for _ in range(states - 2):
            s.key("e")
        s.key("F6")
        s.key("F2")
        for steps in MOMENTS[states]:
            for _ in range(steps - done):
                s.key("Return")
            done = steps
            shots.append(corner(s.shot()))
    gap = [(255, 255, 255)] * GAP
    return [sum((gap + shot[i] for shot in shots[1:]), shots[0][i]) for i in range(H * SCALE)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for states in MOMENTS:
        png(os.path.join(here, "states-%d.png" % states), picture(sys.argv[1], states))


if __name__ == "__main__":
    main()
