"""Smoke test of the Windows build: the real exe under Wine on a virtual X server.

Usage: wine_smoke.py EXE GLYPHS
EXE is the cross-built vorplane.exe, GLYPHS the reference text renderer of the native
build. The caller provides Wine's environment (WINEPREFIX, best a fresh prefix).
Exits 0 when every check holds, 1 with a message otherwise; bounded by an alarm.
"""
import array
import subprocess
import sys
import time

from scenarios import Glyphs, Panel, colours, density, find_cursor, ring_is
from session import BLUE, HEIGHT, WIDTH, Failure, Session, Shot, check, cursor_pixels, run_bounded

SMOKE_SECONDS = 240
STATUS_ROWS = range(111, 119)
SURVIE_ROWS = range(140, 148)


class WineSession(Session):
    """A Session that boots the Wine prefix on its own display before starting the program,
    so that Wine knows the screen's size when the program sets its mode, and whose screenshots
    are retried a few times: while Wine starts it creates and destroys helper windows, which
    xwd, walking the window tree, can trip over. Once the program shows its picture, a
    screenshot is that picture alone. In about one run in twenty the first start in a fresh
    prefix never shows its picture; the program is then started once more, after a line that
    tells what the screen held."""

    seen = None  # where the picture stands, once the program shows it

    def _launch(self):
        boot = subprocess.run(["wineboot", "-i"], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        check(boot.returncode == 0, "wineboot failed: " + boot.stderr.decode(errors="replace")[-500:])
        try:
            super()._launch()
        except Failure as e:
            print("first start under Wine failed (%s); windows: %s; output: %r; starting again"
                  % (e, self.windows(), self.output()[-500:]))
            self.proc.kill()
            self.proc.wait(timeout=10)
            super()._launch()
        self.seen = self.picture

    def windows(self):
        """Name and geometry of every window on the display, in one line."""
        ids = subprocess.run(["xdotool", "search", "--name", ""], env=self.env, capture_output=True,
                             timeout=10).stdout.decode().split()
        return "; ".join(self.run("xdotool", "getwindowname", w, "getwindowgeometry", w).decode()
                         .replace("\n", " ") for w in ids) or "none"

    def shot(self):
        """The screen, or once the program shows its picture, that picture alone."""
        for attempt in range(5):
            try:
                whole = super().shot()
                break
            except Failure:
                if attempt == 4:
                    raise
                time.sleep(0.2)
        if self.seen is None:
            return whole
        left, top, _ = self.seen
        picture = object.__new__(Shot)
        picture.width, picture.height = WIDTH, HEIGHT
        picture.pixels = array.array("I")
        for y in range(top, top + HEIGHT):
            picture.pixels.extend(whole.pixels[y * whole.width + left:y * whole.width + left + WIDTH])
        return picture


def soup_in_blue_frame(s):
    """A soup of live cells, framed in blue, that changes by itself."""
    first = s.shot()
    cursor = find_cursor(first)
    check(ring_is(BLUE, cursor)(first), "the torus is not framed in blue")
    counts = colours(first, cursor_pixels(*cursor))
    check(set(counts) <= {"black", "alive", "fresh"} and 0.01 <= density(counts) <= 0.095,
          "not a soup of live cells: %s" % counts)
    s.wait_for(lambda sh: not sh.same_picture(first), "the soup to evolve")


def tap(s, p, name, rows, **changes):
    """A tap of name, then the panel reads as after those changes: a tap, as a key held
    longer would come back through the X server's auto-repeat, which Wine passes on as
    presses."""
    s.run("xdotool", "key", name)
    try:
        s.wait_for(p.reads(rows, **changes), "the panel after " + name)
    except Failure as e:
        raise Failure("%s; %s" % (e, p.explain(rows)))


def panel_and_rule(s, glyphs):
    """The space bar shows the panel; the key 2 flips survival with two neighbours on it.
    The pointer is left alone, so the cursor stays where it starts, mid-picture, clear of
    those rows."""
    p = Panel(s, glyphs)
    tap(s, p, "space", STATUS_ROWS)
    tap(s, p, "2", SURVIE_ROWS, survie=[0, 0, 0, 1, 0, 0, 0, 0, 0])


def escape_ends(s):
    """A tap of Escape ends the program with status 0."""
    s.run("xdotool", "key", "Escape")
    s.ends(0, "Escape", timeout=10)


def smoke(exe, glyphs):
    """Under openbox, as on a desktop: without a window manager Wine gives the keyboard to
    whichever of its windows the pointer is over, and takes it from the program's window
    after a key or two (its DirectInput keyboard then reports nothing). DirectDraw's full
    screen is refused there, so the program shows a 640 x 480 window."""
    with WineSession(exe, launcher=["wine"], start_timeout=60, screen=(1024, 768), window_manager=True) as s:
        soup_in_blue_frame(s)
        panel_and_rule(s, glyphs)
        escape_ends(s)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: wine_smoke.py EXE GLYPHS")
    run_bounded("wine smoke test", SMOKE_SECONDS, lambda: smoke(sys.argv[1], Glyphs(sys.argv[2])))


if __name__ == "__main__":
    main()
