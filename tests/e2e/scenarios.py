"""End-to-end scenarios: the real program on a virtual X server, checked on the screen.

Usage: scenarios.py PROGRAM GLYPHS SCENARIO
PROGRAM is the built vorplane, GLYPHS the reference text renderer built beside
it. Exits 0 when every check of the scenario holds, 1 with a message otherwise;
the whole scenario is bounded by an alarm well under the test's own timeout.
"""
import collections
import os
import random
import signal
import subprocess
import sys
import time

from session import (ALIVE, BLACK, BLUE, FRESH, GREEN, HEIGHT, RED, WHITE, WIDTH, Failure, Session, View,
                     check, cursor_at, cursor_pixels, near, run_bounded)

INTERIOR = (WIDTH - 2) * (HEIGHT - 2)
SCENARIO_SECONDS = 75
CONWAY_SURVIE = [0, 0, 1, 1, 0, 0, 0, 0, 0]
CONWAY_VIE = [0, 0, 0, 1, 0, 0, 0, 0, 0]


def colours(shot, skip=()):
    """Counts of each colour over the interior (all but the outer ring), leaving out the
    pixels listed in skip; unknown colours are counted by their value."""
    names = {BLACK: "black", ALIVE: "alive", FRESH: "fresh", RED: "red", BLUE: "blue", WHITE: "white"}
    raw = collections.Counter(shot.pixels)
    raw.subtract(collections.Counter(shot.pixels[y * WIDTH + x] for x, y, _ in shot.ring()))
    raw.subtract(collections.Counter(shot.pixels[y * WIDTH + x] for x, y in skip
                                     if 0 < x < WIDTH - 1 and 0 < y < HEIGHT - 1))
    out = collections.Counter()
    for value, n in raw.items():
        rgb = (value >> 16) & 255, (value >> 8) & 255, value & 255
        name = next((nm for ref, nm in names.items() if near(rgb, ref)), "#%06x" % (value & 0xFFFFFF))
        if n:
            out[name] += n
    return out


def find_cursor(shot):
    """Centre of the white pixels inside the picture (the cursor is the only white)."""
    white = [(x, y) for x, y, c in shot.interior() if near(c, WHITE)]
    check(white, "no cursor on the screen")
    return (round(sum(x for x, _ in white) / len(white)), round(sum(y for _, y in white) / len(white)))


def ring_is(colour, cursor=(320, 240)):
    """The frame, but for the cursor, is all of one colour."""
    hidden = set(cursor_pixels(*cursor))
    return lambda s: all(near(c, colour) for x, y, c in s.ring() if (x, y) not in hidden)


def only(shot, cursor, colour):
    """The interior, cursor aside, is all of one colour."""
    hidden = [(x, y) for x, y in cursor_pixels(*cursor) if 0 < x < WIDTH - 1 and 0 < y < HEIGHT - 1]
    return colours(shot, hidden)[colour] == INTERIOR - len(hidden)


def density(counts):
    return sum(n for name, n in counts.items() if name != "black") / INTERIOR


# --- the panel, compared with texts rendered by the library's own font ---

class Glyphs:
    """Lit pixels of texts as the library's default font draws them."""

    def __init__(self, helper):
        self.helper = helper
        self.cache = {}

    def pixels(self, requests):
        missing = [r for r in requests if r not in self.cache]
        if missing:
            lines = "".join("%s %d %d %s\n" % r for r in missing)
            out = subprocess.run([self.helper], input=lines.encode(), capture_output=True, timeout=20)
            check(out.returncode == 0, "glyph renderer failed: " + out.stderr.decode(errors="replace"))
            rows = out.stdout.decode().split("\n")
            check(len(rows) > len(missing) and all(rows[:len(missing)]), "glyph renderer drew nothing")
            for r, row in zip(missing, rows):
                self.cache[r] = {tuple(map(int, p.split(","))) for p in row.split()}
        return [self.cache[r] for r in requests]


def panel_texts(nombre, running, etat, delta, survie, vie):
    """(placement, x, y, text, colour) of every panel line but the contact line."""
    status = ("Vie : EN COURS  NB ETATS:%i" if running else "Vie : PAUSE     NB ETATS:%i") % etat
    digits = lambda t: " ".join(str(v) for v in t)
    return [
        ("left", 20, 130, "NB VORPLANE: %i" % nombre, GREEN),
        ("centre", 320, 111, status, GREEN if running else RED),
        ("left", 520, 130, "DUREE: %i ms" % delta, GREEN),
        ("centre", 320, 300, "Vorplane V1.1", BLUE),
        ("centre", 320, 130, "Autour = 0 1 2 3 4 5 6 7 8", GREEN),
        ("centre", 320, 140, "SURVIE = " + digits(survie), GREEN),
        ("centre", 320, 150, "VIE    = " + digits(vie), GREEN),
        ("centre", 320, 190, "(0-8)=SURVIE    SHIFT(0-8)=VIE      ENTREE=D+1       ESC=QUITTER", GREEN),
        ("centre", 320, 210, "T=MONDE TORE(O/N)       E=NB ETATS        ESPACE=PARAMETRES(O/N)", GREEN),
        ("centre", 320, 230, "F1=RAZ       F3=Conway      F5=VIVRE     F7=PLEIN    <- = + VITE", GREEN),
        ("centre", 320, 250, "F2=HAZ       F4=Rgl.Haz     F6=PAUSE     F8=INV.     -> = - VITE", GREEN),
    ]


CONTACT_ROWS = range(280, 288)


def panel_differences(shot, glyphs, texts, rows=None):
    """What differs between the screen's panel and the expected one: its blue frame,
    black inside, and exactly the expected text pixels in their colours. The contact
    line is only checked to be blue text. rows limits the text check to those rows."""
    wrong = []
    frame = [(x, 100) for x in range(10, 631)] + [(x, 320) for x in range(10, 631)]
    frame += [(10, y) for y in range(101, 320)] + [(630, y) for y in range(101, 320)]
    bad = [p for p in frame if not near(shot.rgb(*p), BLUE)]
    if bad:
        wrong.append("panel frame not blue at %d pixels, e.g. %s" % (len(bad), bad[:3]))
    expected = {}
    for pixels, (_, _, y, text, colour) in zip(glyphs.pixels([t[:4] for t in texts]), texts):
        if rows is None or y in rows:
            for p in pixels:
                expected[p] = (colour, text)
    contact = 0
    for x, y, c in shot.region(11, 101, 629, 319):
        if y in CONTACT_ROWS:
            contact += near(c, BLUE)
            if not (near(c, BLUE) or near(c, BLACK)):
                wrong.append("contact line has colour %s at (%d, %d)" % (c, x, y))
            continue
        if rows is not None and y not in rows:
            continue
        want = expected.get((x, y))
        if want is None and not near(c, BLACK):
            wrong.append("unexpected %s at (%d, %d)" % (c, x, y))
        elif want is not None and not near(c, want[0]):
            wrong.append("%s at (%d, %d) in %r, expected %s" % (c, x, y, want[1], want[0]))
    if contact < 40:
        wrong.append("no contact line")
    return wrong


class Panel:
    """Waits for the panel to read as expected, reporting the differences if it never does."""

    def __init__(self, session, glyphs):
        self.session, self.glyphs = session, glyphs
        self.state = dict(nombre=0, running=True, etat=2, delta=10,
                          survie=list(CONWAY_SURVIE), vie=list(CONWAY_VIE))

    def reads(self, rows=None, **changes):
        self.state.update(changes)
        return lambda s: not panel_differences(s, self.glyphs, panel_texts(**self.state), rows)

    def explain(self, rows=None):
        wrong = panel_differences(self.session.shot(), self.glyphs, panel_texts(**self.state), rows)
        return "%d differences from %s: %s" % (len(wrong), self.state, "; ".join(wrong[:8]))

    def key(self, name, rows=None, **changes):
        """Presses name until the panel reads as after those changes."""
        try:
            self.session.key(name, until=self.reads(rows, **changes), what="the panel after " + name)
        except Failure as e:
            raise Failure("%s; %s" % (e, self.explain(rows)))


# --- the scenarios ---

def soup(program, _glyphs):
    """Start-up: a Conway soup on a torus that evolves by itself; seeded at 9 %, it has
    thinned to a few % of live cells, all in the alive colour, within moments."""
    with Session(program) as s:
        shots = [s.shot()]
        for pause in (1.0, 1.0, 1.0):
            time.sleep(pause)
            shots.append(s.shot())
        seen = []
        for i, shot in enumerate(shots):
            cursor = find_cursor(shot)
            check(ring_is(BLUE, cursor)(shot), "the torus is not framed in blue")
            counts = colours(shot, cursor_pixels(*cursor))
            allowed = {"black", "alive", "fresh"} if i == 0 else {"black", "alive"}
            check(set(counts) <= allowed, "colours other than dead and alive: %s" % counts)
            seen.append(density(counts))
            if i:
                check(not shot.same_picture(shots[i - 1]), "the world does not evolve by itself")
        check(0.01 <= seen[0] <= 0.095, "density %.2f %% at first sight" % (100 * seen[0]))
        check(all(0.01 <= d <= 0.07 for d in seen[1:]), "densities %s after seconds" % seen)
        print("densities: " + ", ".join("%.2f %%" % (100 * d) for d in seen))


def seed(program, _glyphs):
    """A new soup while paused: 9 % fresh cells; one step makes every one of them alive
    (fresh cells are no neighbours yet), the next one is a Conway generation."""
    with Session(program) as s:
        cur = cursor_pixels(600, 440)
        s.move(600, 440)
        s.key("F6")
        s.key("F2", until=lambda sh: colours(sh, cur)["fresh"] > 20000, what="a fresh soup")
        sh = s.shot()
        c = colours(sh, cur)
        check(set(c) <= {"black", "fresh"}, "a new soup has colours %s" % c)
        check(abs(density(c) - 0.09) < 0.006, "new soup density %.2f %%, 9 %% expected" % (100 * density(c)))
        time.sleep(0.5)
        check(s.shot().same_picture(sh), "the paused world changed")
        s.key("Return", until=lambda x: colours(x, cur)["alive"] > 0, what="one step")
        c2 = colours(s.shot(), cur)
        check(c2 == collections.Counter(black=c["black"], alive=c["fresh"]),
              "one step turned %s into %s" % (c, c2))
        s.key("Return", until=lambda x: colours(x, cur)["alive"] != c2["alive"], what="a second step")
        c3 = colours(s.shot(), cur)
        check(set(c3) <= {"black", "alive"} and 0.01 < density(c3) < 0.07,
              "a Conway generation of a 9 %% soup gave %s" % c3)


def frame(program, _glyphs):
    """The blue frame of the torus, red once T makes the world bounded, blue again."""
    with Session(program) as s:
        check(ring_is(BLUE)(s.shot()), "the torus is not framed in blue")
        s.key("t", until=ring_is(RED), what="a red frame")
        check(ring_is(RED)(s.shot()), "the bounded world's frame is not red")
        s.key("t", until=ring_is(BLUE), what="the blue frame back")


def pause_clear(program, _glyphs):
    """F6 freezes the picture; F1 leaves only the frame and the cursor, which follows the mouse."""
    with Session(program) as s:
        s.move(100, 100)
        s.key("F6")
        a = s.shot()
        time.sleep(0.5)
        check(s.shot().same_picture(a), "the picture changes while paused")
        s.key("F1", until=lambda sh: only(sh, (100, 100), "black"), what="an empty world")
        for x, y in ((500, 300), (2, 2), (637, 477)):
            sh = s.move(x, y)
            check(only(sh, (x, y), "black") and ring_is(BLUE, (x, y))(sh),
                  "more than the frame and the cursor: %s" % colours(sh, cursor_pixels(x, y)))
        s.key("F5")
        time.sleep(0.3)
        check(only(s.shot(), (637, 477), "black"), "an empty world came to life")


def fill_step(program, _glyphs):
    """Paused: F7 fills with fresh cells, Enter makes them all alive, a second Enter, tapped,
    kills them all (eight neighbours each on the torus)."""
    with Session(program) as s:
        s.move(320, 240)
        s.key("F6")
        cur = (320, 240)
        s.key("F7", until=lambda sh: only(sh, cur, "fresh"), what="a full world")
        s.key("Return", until=lambda sh: only(sh, cur, "alive"), what="all cells alive")
        time.sleep(0.3)
        check(only(s.shot(), cur, "alive"), "a paused full world changed")
        s.run("xdotool", "key", "Return")  # a tap: the loop, asleep while paused, wakes for it
        s.wait_for(lambda sh: only(sh, cur, "black"), "all cells dead after a tap of Return", timeout=1)
        check(ring_is(BLUE)(s.shot()), "the frame is gone")


def paint(program, _glyphs):
    """The left button makes the cell under the pointer alive, the right one kills it."""
    with Session(program) as s:
        s.move(320, 240)
        s.key("F6")
        s.key("F1", until=lambda sh: only(sh, (320, 240), "black"), what="an empty world")
        spots = [(123, 321), (600, 50), (1, 1), (638, 478)]  # 638, 478: the last that can be painted
        for x, y in spots:
            s.move(x, y)
            s.button(1, lambda sh: near(sh.rgb(x, y), ALIVE), "a cell painted at (%d, %d)" % (x, y))
        sh = s.move(320, 240)
        c = colours(sh, cursor_pixels(320, 240))
        check(c["alive"] == len(spots) and all(near(sh.rgb(x, y), ALIVE) for x, y in spots),
              "painting %d cells gave %s" % (len(spots), c))
        s.move(123, 321)
        s.button(3, lambda sh: near(sh.rgb(123, 321), BLACK), "the cell at (123, 321) erased")
        sh = s.move(320, 240)
        c = colours(sh, cursor_pixels(320, 240))
        check(c["alive"] == len(spots) - 1 and near(sh.rgb(123, 321), BLACK) and near(sh.rgb(600, 50), ALIVE),
              "erasing one cell gave %s" % c)


def panel(program, glyphs):
    """The space bar shows the panel: status, number of states, period, rule tables, count;
    taps right after F11 act, with a window manager that has windows to give the keyboard to."""
    with Session(program, window_manager=True) as s:
        s.move(320, 420)
        p = Panel(s, glyphs)
        status = range(111, 119)
        p.key("space", rows=status)
        p.key("F6", rows=status, running=False)
        p.key("F1", nombre=0)
        p.key("e", etat=3)
        p.key("Right", delta=20)
        p.key("Right", delta=30)
        p.key("Left", delta=20)
        # Taps right after F11 reach the program while it changes its screen; the panel is
        # read back in full screen, where it stands at the screen's corner.
        s.run("xdotool", "key", "--delay", "15", "F11", *["Right"] * 10)
        s.wait_for(lambda _: s.windowed(), "a window")
        s.key("F11")
        s.wait_for(lambda _: s.full_screen(), "full screen")
        try:
            s.wait_for(p.reads(delta=120), "ten taps of Right during F11's change")
        except Failure as e:
            raise Failure("%s; %s" % (e, p.explain()))
        p.key("shift+3", vie=[0, 0, 0, 0, 0, 0, 0, 0, 0])
        p.key("2", survie=[0, 0, 0, 1, 0, 0, 0, 0, 0])
        p.key("F7", nombre=WIDTH * HEIGHT)
        p.key("F3", etat=2, survie=list(CONWAY_SURVIE), vie=list(CONWAY_VIE))
        p.key("F5", rows=status, running=True)
        s.key("space", until=lambda sh: colours(sh)["blue"] == 0, what="the panel hidden")


def escape(program, _glyphs):
    """A tap of Escape, however short, ends the program with status 0 within a few seconds,
    and within half a second of a flood of key and pointer events that leaves its memory
    as it was."""
    for _ in range(4):
        with Session(program) as s:
            s.run("xdotool", "key", "Escape")
            s.ends(0, "Escape")
    with Session(program) as s:
        before = s.resident()
        sent = s.flood(2, 50000)
        check(s.resident() < before + 4096, "%d kB resident after %d events, %d kB before"
              % (s.resident(), sent, before))
        s.run("xdotool", "key", "Escape")
        s.ends(0, "Escape after a flood", timeout=0.5)


def desktop(program, glyphs):
    """F11 takes the picture into a 640 x 480 window of class vorplane and back, the world
    still running and the panel still shown; a close request ends the program with status 0, Ctrl-C (SIGINT)
    with 130 and SIGTERM with 143, silently; losing the display ends it with a message."""
    steady = [y for top in (111, 140, 150, 190, 210, 230, 250) for y in range(top, top + 8)]
    below = slice(330 * WIDTH, 470 * WIDTH)  # rows under the panel, clear of the cursor's row
    with Session(program) as s:
        s.move(320, 20)
        p = Panel(s, glyphs)
        p.key("space", rows=steady)
        p.key("Right", rows=steady, delta=20)
        for windowed in (True, False):
            s.key("F11")  # a short press: held longer, the X server's auto-repeat would press it again
            s.wait_for(lambda _: s.windowed() == windowed, "a window" if windowed else "full screen")
            if windowed:  # the window is the project's, so that docks match it to the menu entry
                check(s.run("xdotool", "search", "--name", "^vorplane$") ==
                      s.run("xdotool", "search", "--class", "^vorplane$"), "WM_CLASS is not vorplane")
            a = s.wait_for(p.reads(steady), "the panel kept")
            s.wait_for(lambda sh: sh.pixels[below] != a.pixels[below], "the world still running")
        # A desktop that says the window is hidden, leaving it mapped: nothing is drawn until it is shown.
        s.set_state("_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_HIDDEN")
        time.sleep(0.6)
        a = s.shot()
        time.sleep(0.5)
        check(s.shot().same_picture(a), "a window said hidden is drawn")
        s.set_state("_NET_WM_STATE_FULLSCREEN")
        s.wait_for(lambda sh: not sh.same_picture(a), "the window drawn again once shown")
        s.close_request()
        s.ends(0, "a close request")
    for sig, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143), (signal.SIGQUIT, -signal.SIGQUIT)):
        with Session(program) as s:
            s.proc.send_signal(sig)
            s.ends(status, "signal %d" % sig)
            check(s.output() == "", "output after signal %d: %r" % (sig, s.output()))
            signalled_at_start(s, program)
    with Session(program) as s:  # the X server frozen: a second Ctrl-C ends the program at once,
        os.kill(s.xvfb.pid, signal.SIGSTOP)  # also one started against it, waiting in its start-up
        late = subprocess.Popen([program], env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            time.sleep(0.5)
            for p in (s.proc, late):
                p.send_signal(signal.SIGINT)
            time.sleep(0.3)
            for p in (s.proc, late):
                p.send_signal(signal.SIGINT)
            s.ends(130, "two SIGINTs to a program whose X server is frozen", timeout=3)
            try:
                check(late.wait(timeout=3) == 130, "status %d after two SIGINTs in a start-up waiting on a frozen "
                      "X server" % late.returncode)
            except subprocess.TimeoutExpired:
                raise Failure("still running after two SIGINTs in a start-up waiting on a frozen X server")
        finally:
            late.kill()
            os.kill(s.xvfb.pid, signal.SIGCONT)
    with Session(program) as s:
        s.xvfb.terminate()
        try:
            status = s.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("still running 10 s after the X server ended")
        check(1 <= status <= 127 and "display" in s.output(),
              "status %d after the display was lost; output: %r" % (status, s.output()))


def signalled_at_start(session, program, starts=12):
    """Starts on the session's X server ended by SIGINT, SIGTERM or SIGHUP in their first 60 ms:
    each ends with 128 + n, silently, whatever the library was doing (or, before the program's
    code has run at all, by the signal itself: status 128 + n for a shell too)."""
    rng = random.Random(26)
    for i in range(starts):
        sig = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)[i % 3]
        p = subprocess.Popen([program], env=session.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
        delay = rng.uniform(0, 0.06)
        time.sleep(delay)
        p.send_signal(sig)
        try:
            out = p.communicate(timeout=10)[0].decode(errors="replace")
        except subprocess.TimeoutExpired:
            p.kill()
            raise Failure("still running 10 s after signal %d at %.0f ms" % (sig, 1000 * delay))
        check(p.returncode in (128 + sig, -sig) and out == "", "signal %d at %.0f ms: status %d, output %r"
              % (sig, 1000 * delay, p.returncode, out))


def destroyed(program, _glyphs):
    """A destroyed window ends the program in order with status 1 and a message: at once in
    a window; in full screen, where nothing draws on it, at the next F11 or Escape. A hidden
    window mapped by another client leaves F11 working."""
    for windowed, after in ((True, None), (False, "F11"), (False, "Escape")):
        with Session(program) as s:
            if windowed:
                s.key("F11")
                s.wait_for(lambda _: s.windowed(), "a window")
            s.run("xdotool", "search", "--name", "^vorplane$", "windowclose")
            if after:
                s.key(after)
            s.ends(1, "the window was destroyed" + (", then " + after if after else ""))
            check("window" in s.output() and "X Error" not in s.output(),
                  "not the program's own message: %r" % s.output())
    # Another client maps the library's hidden window in full screen: F11 still gives a
    # window, and F11 full screen again.
    with Session(program) as s:
        s.run("xdotool", "search", "--name", "^vorplane$", "windowmap")
        for windowed in (True, False):
            s.key("F11")
            s.wait_for(lambda _: s.windowed() == windowed, "a window" if windowed else "full screen")
        s.run("xdotool", "keydown", "Escape")
        try:
            s.ends(0, "Escape")
        finally:
            s.run("xdotool", "keyup", "Escape")


GLIDER = [(1, 0), (2, 1), (0, 2), (1, 2), (2, 2)]  # heading right and down


def zoom(program, _glyphs):
    """On a 1920 x 1080 screen with a window manager: full screen shows the picture at zoom 2,
    centred in black; a glider painted through the zoomed pointer moves; F11 gives a 1280 x 960
    window, F10 a 640 x 480 one and back, the pointer staying over its cell and its held button
    painting no other; every zoom shows the same colours."""
    with Session(program, screen=(1920, 1080), window_manager=True, start_timeout=20) as s:
        check(s.picture == (320, 60, 2), "full screen shows the picture at %s, (320, 60) at zoom 2 expected"
              % (s.picture,))
        resources = s.resources()
        sh = s.shot()
        check(all(sh.rgb(x, y) == BLACK for x, y in ((0, 0), (319, 540), (1600, 540), (960, 59), (960, 1020),
                                                     (1919, 1079))), "the margin is not black")
        s.point(600, 440)
        s.key("F6")
        s.key("F1", until=lambda sh: not alive(View(sh, s.picture)), what="an empty world")
        for dx, dy in GLIDER:
            x, y = 100 + dx, 100 + dy
            s.point(x, y)
            s.button(1, lambda sh: all(near(c, ALIVE) for c in View(sh, s.picture).block(x, y)),
                     "the block of cell (%d, %d) painted" % (x, y))
        s.point(600, 440)
        check(sorted(alive(s.view())) == sorted((100 + dx, 100 + dy) for dx, dy in GLIDER),
              "the glider painted as %s" % alive(s.view()))
        s.key("F5", until=lambda sh: min(alive(View(sh, s.picture)), default=(0, 0)) > (101, 0),
              what="the glider moving")
        s.key("F6")
        glider = alive(s.view())
        seen = {2: exact_colours(s.view())}
        held = (400, 300)  # the cell under the pointer, its button held across every change
        s.point(*held)
        s.run("xdotool", "mousedown", "1")
        try:
            s.wait_for(lambda sh: near(View(sh, s.picture).rgb(*held), ALIVE), "the held button painting")
            for size, key in (((1280, 960), "F11"), ((640, 480), "F10"), ((1280, 960), "F10")):
                s.key(key)  # a short press: held longer, the X server's auto-repeat would press it again
                s.wait_for(lambda _: (s.window() or (0, 0, 0, 0))[2:] == size, "a %dx%d window" % size)
                x, y, w, h = s.window()  # the window manager's idea of where it stands may be off a little
                shot = s.wait_for(lambda sh: sh.frame((x + w // 2, y + h // 2)), "the framed picture in the window")
                s.picture = shot.frame((x + w // 2, y + h // 2))
                check(s.picture[2] == w // WIDTH, "zoom %d in a %d-pixel wide window" % (s.picture[2], w))
                shot = s.wait_for(lambda sh: cursor_at(View(sh, s.picture), *held),
                                  "the cursor still over cell %s after %s" % (held, key))
                view = View(shot, s.picture)
                check(sorted(alive(view)) == sorted(glider + [held]),
                      "after %s the cells %s are alive" % (key, sorted(set(alive(view)) - set(glider))))
                seen[s.picture[2]] = exact_colours(view)
        finally:
            s.run("xdotool", "mouseup", "1")
        check(seen[1] == seen[2], "zoom 1 shows %s, zoom 2 %s" % (seen[1], seen[2]))
        # The desktop's resolution changes under the 1280 x 960 window, then under full screen.
        s.run("xrandr", "--newmode", "1280x1024", "0", "1280", "1280", "1280", "1280", "1024", "1024", "1024", "1024")
        s.run("xrandr", "--addmode", "screen", "1280x1024")
        s.run("xrandr", "--output", "screen", "--mode", "1280x1024", "--fb", "1280x1024")
        s.wait_for(lambda _: (s.window() or (0, 0, 0, 0))[2:] == (640, 480), "the window made to fit 1280x1024",
                   timeout=2)
        s.key("F11")
        s.wait_for(lambda sh: sh.frame() == (0, 32, 2), "full screen on 1280x1024")
        s.run("xrandr", "-s", "1920x1080")
        s.wait_for(lambda sh: sh.width == 1920 and sh.frame() == (320, 60, 2), "full screen on 1920x1080 again",
                   timeout=2)
        check(s.output() == "", "output after the resolution changed: %r" % s.output())
        # A desktop smaller than the picture under full screen: a window of its size in its
        # stead, with the note, and full screen again once the desktop is large again, F10 working.
        s.run("xrandr", "--newmode", "600x400", "0", "600", "600", "600", "600", "400", "400", "400", "400")
        s.run("xrandr", "--addmode", "screen", "600x400")
        s.run("xrandr", "--output", "screen", "--mode", "600x400", "--fb", "600x400")
        s.wait_for(lambda _: (s.window() or (0, 0, 0, 0))[2:] == (600, 400) and not s.full_screen(),
                   "a 600x400 window in full screen's stead", timeout=3)
        check("smaller than the 640x480 world" in s.output(), "no note on a 600x400 desktop: %r" % s.output())
        s.run("xrandr", "-s", "1920x1080")
        s.wait_for(lambda sh: sh.width == 1920 and sh.frame() == (320, 60, 2), "full screen on 1920x1080 once more",
                   timeout=3)
        s.key("F10", until=lambda sh: sh.frame() == (640, 300, 1), what="F10 on the grown desktop")
        # F11 held through the keyboard's auto-repeat switches once, whatever the library
        # reports of the keys at each change.
        s.run("xset", "r", "rate", "250", "30")
        modes = [s.full_screen()]
        s.run("xdotool", "keydown", "F11")
        try:
            for _ in range(20):
                time.sleep(0.1)
                modes.append(s.full_screen())
        finally:
            s.run("xdotool", "keyup", "F11")
        check(sum(a != b for a, b in zip(modes, modes[1:])) == 1, "F11 held 2 s gave the modes %s" % modes)
        check(s.resources() == resources, "%s in the X server after the mode sets, %s before"
              % (s.resources(), resources))
        s.run("xdotool", "keydown", "Escape")
        try:
            s.ends(0, "Escape")
        finally:
            s.run("xdotool", "keyup", "Escape")


def monitors(program, _glyphs):
    """Two monitors side by side, another program's window on the first, the pointer on the
    second: full screen covers the second alone, the pointer stays where it was, the cursor is
    under it and a click without a move paints the cell there; a window fits the monitor it
    is on. Of two overlapping monitors, full screen takes the smaller that holds the pointer."""
    big, small = (0, 0, 1920, 1080), (1920, 0, 1366, 768)
    with Session(program, screen=(3286, 1080), window_manager=True, monitors=(big, small),
                 pointer=(2600, 400)) as s:
        check(s.picture == (1920 + 363, 144, 1), "full screen shows the picture at %s, (2283, 144) at zoom 1 "
              "expected" % (s.picture,))
        where = s.run("xdotool", "getmouselocation").decode().split()[:2]
        check(where == ["x:2600", "y:400"], "the pointer moved at start to %s" % where)
        under = (2600 - 2283, 400 - 144)
        s.wait_for(lambda sh: cursor_at(View(sh, s.picture), *under), "the cursor under the pointer")
        s.key("F6")
        s.key("F1", until=lambda sh: not alive(View(sh, s.picture)), what="an empty world")
        s.button(1, lambda sh: alive(View(sh, s.picture)) == [under], "the cell under the unmoved pointer painted")
        logo = subprocess.Popen(["xlogo", "-geometry", "200x200+100+100"], env=s.env)
        try:
            s.wait_for(lambda sh: sum(near(c, WHITE) for _, _, c in sh.region(120, 140, 280, 280)) > 5000,
                       "xlogo seen on the first monitor")
            for key in ("F11", "F11", "F11"):
                s.key(key)
                time.sleep(1.5)  # a window the window manager put where it does not fit is made again
                fits = lambda _: fits_a_monitor(s.window(), (big, small)) if not s.full_screen() else True
                s.wait_for(fits, "the window within 90 %% of its monitor after %s" % key)
        finally:
            logo.terminate()
    whole, laid = (0, 0, 1920, 1080), (320, 28, 1280, 1024)  # a monitor laid over the automatic one
    with Session(program, screen=(1920, 1080), window_manager=True, monitors=(whole, laid),
                 pointer=(900, 500)) as s:
        check(s.picture == (320, 28 + 32, 2) and s.window() == (320, 28, 1280, 1024),
              "full screen on the monitor laid over another shows the picture at %s in %s"
              % (s.picture, s.window()))


def fits_a_monitor(window, monitors):
    """The window (x, y, width, height) stands on a monitor that holds 640z x 480z within 90 %."""
    x, y, w, h = window
    mx, my = x + w // 2, y + h // 2
    return any(a <= mx < a + b and c <= my < c + d and w <= 0.9 * b and h <= 0.9 * d for a, c, b, d in monitors)


def alive(view):
    """The picture pixels in the alive colour, the frame aside."""
    return [(x, y) for x, y, c in view.interior() if near(c, ALIVE)]


def exact_colours(view):
    """The exact colours of the frame and of the alive cells."""
    return {"frame": view.rgb(0, 0), "alive": {c for _, _, c in view.interior() if near(c, ALIVE)}}


def picture_colours(view):
    """Every picture pixel's colour, the frame's ring included, row by row."""
    return [view.rgb(x, y) for y in range(HEIGHT) for x in range(WIDTH)]


def screens(program, _glyphs):
    """Every desktop depth shows the colours a 24-bit one shows, within its own precision, in
    full screen and in a window, zoomed and not: a world of 5 states three steps after a new
    soup, compared picture pixel by picture pixel. A screen smaller than the picture gets a
    window of its size, and a note."""
    precision = {24: (0, 0, 0), 30: (2, 2, 2), 16: (4, 4, 4), 15: (9, 9, 9), 8: (37, 37, 86)}
    reference = None
    for depth in (24, 30, 16, 15, 8):
        with Session(program, screen=(1600, 1200), depth=depth) as s:
            for key in ("F6", "e", "e", "e", "F2", "Return", "Return", "Return"):
                s.key(key)
            views = [View(s.shot(), s.picture)]
            for key, zoom in (("F11", 2), ("F10", 1)):
                s.key(key)
                s.wait_for(lambda _: (s.window() or (0, 0, 0, 0))[2] == WIDTH * zoom, "a zoom-%d window" % zoom)
                x, y, _, _ = s.window() if depth == 24 else (0, 0, 0, 0)  # else the shot is of the window
                views.append(View(s.shot(), (x, y, zoom)))
            seen = [picture_colours(v) for v in views]
            reference = reference or seen[0]
            tolerance = precision[depth]
            for where, colours in zip(("full screen at zoom 2", "a window at zoom 2", "a window at zoom 1"), seen):
                wrong = [(i % WIDTH, i // WIDTH, c, r) for i, (c, r) in enumerate(zip(colours, reference))
                         if any(abs(a - b) > t for a, b, t in zip(c, r, tolerance))]
                check(not wrong, "%d bits, %s: %d pixels off the 24-bit colours, e.g. (x, y, seen, 24-bit) %s"
                      % (depth, where, len(wrong), wrong[:3]))
    with Session(program, screen=(600, 400), framed=False) as s:
        check(s.window() == (0, 0, 600, 400), "on a 600x400 screen the window is %s" % (s.window(),))
        check("smaller than the 640x480 world" in s.output(), "no note on a 600x400 screen: %r" % s.output())
        s.run("xdotool", "keydown", "Escape")
        try:
            s.ends(0, "Escape")
        finally:
            s.run("xdotool", "keyup", "Escape")
        # Started with its standard error a pipe no one reads, it skips the note.
        r, w = os.pipe()
        os.close(r)
        mute = subprocess.Popen([program], env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=w)
        os.close(w)
        time.sleep(2)
        alive_then = mute.poll() is None
        mute.terminate()
        check(alive_then and mute.wait(timeout=5) == 143, "a note on a closed standard error ended the program "
              "with status %s" % mute.returncode)


def wayland(program, _glyphs):
    """On a weston session nested on Xvfb, through XWayland, the keys typed on the compositor's
    own keyboard reach the program from its first frame, in full screen and in a window: Space
    shows and hides the panel, F11 switches, Escape ends the program with status 0."""
    with Session(program, screen=(1920, 1080), compositor=True, start_timeout=20) as s:
        check(s.picture == (320, 60, 2), "full screen shows the picture at %s" % (s.picture,))
        for windowed, panel in ((False, True), (True, False), (True, True), (False, False)):
            if windowed != (not s.full_screen()):
                s.key("F11")
                s.wait_for(lambda _: s.window() and s.full_screen() != windowed, "F11's mode")
                # Through weston the window stands on the screen where weston shows it, not at its
                # X position: the picture of a 1280 x 960 window covers the screen's middle.
                s.picture = s.wait_for(lambda sh: sh.frame(), "the picture").frame()
            s.key("space", until=lambda sh: near(View(sh, s.picture).rgb(10, 150), BLUE) == panel,
                  what="the panel %s" % ("shown" if panel else "hidden"))
        s.key("Escape")
        s.ends(0, "Escape")


def no_display(program, _glyphs):
    """Without an X display the program leaves with a message and a failure status, not a signal."""
    for name, env in (("DISPLAY unset", {k: v for k, v in os.environ.items() if k != "DISPLAY"}),
                      ("no server", dict(os.environ, DISPLAY=":32123"))):
        r = subprocess.run([program], env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
        err = r.stderr.decode(errors="replace")
        check(r.returncode > 0, "%s: status %d (negative: a signal); stderr: %s"
              % (name, r.returncode, err))
        check("vorplane" in err and "display" in err.lower(),
              "%s: no message naming the display: %r" % (name, err))


SCENARIOS = {f.__name__: f for f in (soup, seed, frame, pause_clear, fill_step, paint, panel, escape, desktop,
                                     destroyed, zoom, monitors, screens, wayland, no_display)}


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in SCENARIOS:
        sys.exit("usage: scenarios.py PROGRAM GLYPHS {%s}" % ",".join(SCENARIOS))
    program, helper, name = sys.argv[1:]
    run_bounded(name, SCENARIO_SECONDS, lambda: SCENARIOS[name](program, Glyphs(helper)))


if __name__ == "__main__":
    main()
