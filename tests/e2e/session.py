"""One run of the real program on its own virtual X server, driven like a user.

A Session starts Xvfb on a free display (640 x 480, 24 bits, unless told another
size), with openbox as its window manager if asked, starts the program there, presses
keys and mouse buttons with xdotool and reads the screen with xwd. Its processes are
ended by their ids when the session closes, whatever happened, and die with the test
if the test itself is killed.
"""
import array
import ctypes
import os
import re
import signal
import struct
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 640, 480

# Colours as they reach the 24-bit screen from the program's 16-bit picture.
BLACK = (0, 0, 0)
ALIVE = (0, 127, 0)   # alive cells under Conway's rule
FRESH = (0, 254, 0)   # fresh cells (fill, new soup) under Conway's rule
GREEN = (0, 255, 0)   # panel text
RED = (255, 0, 0)
BLUE = (0, 0, 255)
WHITE = (255, 255, 255)
TOLERANCE = 8  # per component, for the 16-bit rounding


def near(rgb, ref):
    return all(abs(a - b) <= TOLERANCE for a, b in zip(rgb, ref))


class Failure(Exception):
    """A check that did not hold; the message says what was seen."""


def check(cond, message):
    if not cond:
        raise Failure(message)


def _widen(data, width, height, stride, byte_order):
    """Rows of three-byte pixels as rows of four-byte ones, in the same byte order."""
    out = bytearray(width * height * 4)
    first = 0 if byte_order == 0 else 1  # where a pixel's three bytes start in its four
    for y in range(height):
        row, base = data[y * stride:y * stride + width * 3], y * width * 4
        for i in range(3):
            out[base + first + i:base + width * 4:4] = row[i::3]
    return bytes(out)


def _as_rgb(pixels, visual, masks, colormap):
    """Pixels of any X visual as 0xRRGGBB: through the colormap for the paletted visuals
    (classes 0 to 3), else each field of the masks scaled to 8 bits."""
    if visual <= 3:
        colours = {}
        for i in range(0, len(colormap), 12):
            pixel, r, g, b = struct.unpack(">IHHH", colormap[i:i + 10])
            colours[pixel] = (r >> 8) << 16 | (g >> 8) << 8 | b >> 8
        convert = colours.get
    else:
        def field(p, mask):
            shift = (mask & -mask).bit_length() - 1
            return ((p & mask) >> shift) * 255 // (mask >> shift)

        def convert(p):
            return field(p, masks[0]) << 16 | field(p, masks[1]) << 8 | field(p, masks[2])
    table = {p: convert(p) or 0 for p in set(pixels)}
    return array.array("I", (table[p] for p in pixels))


class Shot:
    """A screenshot of the root window: pixels as 0xRRGGBB, row-major."""

    def __init__(self, data):
        head = struct.unpack(">25I", data[:100])
        header_size, width, height = head[0], head[4], head[5]
        byte_order, bpp, stride, visual, ncolours = head[7], head[11], head[12], head[13], head[19]
        masks = head[14:17]
        start = header_size + ncolours * 12
        colormap = data[header_size:start]
        data = data[start:start + stride * height]
        # Four bytes a pixel, or three (xwd's choice with a window manager on the screen).
        if bpp == 24:
            data = _widen(data, width, height, stride, byte_order)
        else:
            check(bpp in (8, 16, 32) and stride == width * bpp // 8,
                  "unexpected screenshot format: %d bits, stride %d" % (bpp, stride))
        pixels = array.array({8: "B", 16: "H", 24: "I", 32: "I"}[bpp])
        pixels.frombytes(data)
        if (byte_order == 0) != (sys.byteorder == "little"):
            pixels.byteswap()
        check(len(pixels) == width * height, "truncated screenshot")
        if (bpp < 24 or masks != (0xFF0000, 0xFF00, 0xFF)) and bpp > 0:
            pixels = _as_rgb(pixels, visual, masks, colormap)
        self.width, self.height, self.pixels = width, height, pixels

    def rgb(self, x, y):
        p = self.pixels[y * self.width + x]
        return (p >> 16) & 255, (p >> 8) & 255, p & 255

    def region(self, x0, y0, x1, y1):
        """(x, y, rgb) for every pixel of the inclusive rectangle."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                yield x, y, self.rgb(x, y)

    def ring(self):
        """The outermost ring of pixels of the 640 x 480 picture."""
        for x in range(WIDTH):
            yield x, 0, self.rgb(x, 0)
            yield x, HEIGHT - 1, self.rgb(x, HEIGHT - 1)
        for y in range(1, HEIGHT - 1):
            yield 0, y, self.rgb(0, y)
            yield WIDTH - 1, y, self.rgb(WIDTH - 1, y)

    def interior(self):
        return self.region(1, 1, WIDTH - 2, HEIGHT - 2)

    def frame(self, centre=None):
        """(left, top, zoom) of the program's framed picture, found from the blue or red
        frame across the row and column through centre (the screen's by default), or None
        where there is none."""
        def framing(c):
            return near(c, BLUE) or near(c, RED)
        mid_x, mid_y = centre or (self.width // 2, self.height // 2)
        xs = [x for x in range(self.width) if framing(self.rgb(x, mid_y))]
        ys = [y for y in range(self.height) if framing(self.rgb(mid_x, y))]
        if len(xs) < 2 or len(ys) < 2:
            return None
        left, top, width, height = xs[0], ys[0], xs[-1] - xs[0] + 1, ys[-1] - ys[0] + 1
        zoom = width // WIDTH
        if zoom < 1 or width != WIDTH * zoom or height != HEIGHT * zoom:
            return None
        top_row = sum(framing(self.rgb(x, top)) for x in range(left, left + width))
        return (left, top, zoom) if top_row > 0.9 * width else None

    def same_picture(self, other):
        return self.pixels == other.pixels


class View(Shot):
    """The program's picture on a shot, in picture pixels: pixel (x, y) is read at the
    top-left screen pixel of its zoom x zoom block."""

    def __init__(self, shot, picture):
        self.shot = shot
        self.left, self.top, self.zoom = picture
        self.width, self.height = WIDTH, HEIGHT

    def rgb(self, x, y):
        return self.shot.rgb(self.left + x * self.zoom, self.top + y * self.zoom)

    def block(self, x, y):
        """The colours of every screen pixel of picture pixel (x, y)'s block."""
        z = self.zoom
        return {self.shot.rgb(self.left + x * z + i, self.top + y * z + j) for i in range(z) for j in range(z)}


def run_bounded(name, seconds, test):
    """Runs test(), bounded by an alarm; prints "ok NAME" or "FAIL NAME: why" and exits 0 or 1."""
    def too_long(*_):
        raise Failure("%s took more than %d s" % (name, seconds))

    signal.signal(signal.SIGALRM, too_long)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    signal.alarm(seconds)
    start = time.monotonic()
    try:
        test()
    except Failure as e:
        print("FAIL %s: %s" % (name, e))
        sys.exit(1)
    print("ok %s (%.1f s)" % (name, time.monotonic() - start))


class ClientMessage(ctypes.Structure):
    """Xlib's XClientMessageEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def _die_with_parent():
    """Runs in the child before exec: the kernel kills it when the test process dies."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Session:
    """Xvfb plus the program; use as a context manager so both always end."""

    def __init__(self, program, launcher=(), start_timeout=15, screen=(WIDTH, HEIGHT), window_manager=False,
                 monitors=(), pointer=None, depth=24, framed=True, compositor=False):
        """launcher: the command that runs program (e.g. wine), none for a native one;
        start_timeout: seconds to wait for the first frame; screen: Xvfb's size;
        window_manager: run openbox on the display first; monitors: (x, y, width, height)
        of each monitor the root window is divided into, the first at (0, 0); pointer:
        where the pointer stands when the program starts (the screen's middle by default);
        depth: the X server's colour depth; framed: wait at start for the framed picture,
        else for the program's window; compositor: run the program on the XWayland of a weston
        session nested on Xvfb, whose window covers the screen, so that the keys xdotool types
        on Xvfb reach the program through the compositor's own keyboard, as a user's do."""
        self.command = [*launcher, program]
        self.start_timeout = start_timeout
        self.screen = screen
        self.window_manager = window_manager
        self.monitors = monitors
        self.pointer = pointer or (screen[0] // 2, screen[1] // 2)
        self.depth = depth
        self.framed = framed
        self.compositor = compositor
        self.xvfb = None
        self.wm = None
        self.weston = None
        self.proc = None
        self.display = None
        self.picture = (0, 0, 1)  # left, top, zoom of the picture on the screen

    def __enter__(self):
        try:
            self._start_xvfb()
            self._set_monitors()
            if self.window_manager:
                self._start_openbox()
            self.app_env = self.env
            if self.compositor:
                self._start_weston()
            self.run("xdotool", "mousemove", *map(str, self.pointer))
            self._launch()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _start_xvfb(self):
        rd, wr = os.pipe()
        self.xvfb_log = tempfile.TemporaryFile()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(wr), "-screen", "0", "%dx%dx%d" % (*self.screen, self.depth),
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(wr,), stdin=subprocess.DEVNULL, stdout=self.xvfb_log,
                stderr=self.xvfb_log, preexec_fn=_die_with_parent)
        except FileNotFoundError:
            raise Failure("Xvfb is not installed: run scripts/setup")
        finally:
            os.close(wr)
        with os.fdopen(rd) as r:  # Xvfb writes its display number once it listens
            number = r.readline().strip()
        if not number:
            self.xvfb_log.seek(0)
            raise Failure("Xvfb did not start: " + self.xvfb_log.read().decode(errors="replace")[-500:])
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)

    def _start_openbox(self):
        """openbox on the display, ready once its own window exists."""
        try:
            self.wm = subprocess.Popen(["openbox"], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       preexec_fn=_die_with_parent)
        except FileNotFoundError:
            raise Failure("openbox is not installed: run scripts/setup")
        end = time.monotonic() + 10
        while subprocess.run(["xdotool", "search", "--class", "openbox"], env=self.env,
                             capture_output=True).returncode != 0 and self.wm.poll() is None:
            check(time.monotonic() < end, "openbox did not start")
            time.sleep(0.1)

    def _start_weston(self):
        """weston on Xvfb with XWayland, in a private runtime folder; the programs' env then
        names XWayland's display, which weston writes in its log once it listens."""
        self.runtime = tempfile.TemporaryDirectory()
        os.chmod(self.runtime.name, 0o700)
        log = os.path.join(self.runtime.name, "weston.log")
        try:
            self.weston = subprocess.Popen(
                ["weston", "--backend=x11-backend.so", "--use-pixman", "--xwayland", "--idle-time=0",
                 "--width=%d" % self.screen[0], "--height=%d" % self.screen[1], "--socket=vorplane-test",
                 "--no-config", "--log=" + log], env=dict(self.env, XDG_RUNTIME_DIR=self.runtime.name),
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                preexec_fn=_die_with_parent)
        except FileNotFoundError:
            raise Failure("weston is not installed: run scripts/setup")
        end, display = time.monotonic() + 10, None
        while display is None:
            check(time.monotonic() < end and self.weston.poll() is None, "weston did not start its XWayland")
            time.sleep(0.1)
            with open(log, errors="replace") if os.path.exists(log) else open(os.devnull) as f:
                found = re.search(r"xserver listening on display (:\d+)", f.read())
            display = found and found.group(1)
        self.app_env = dict(self.env, DISPLAY=display, XDG_RUNTIME_DIR=self.runtime.name)

    def _set_monitors(self):
        """Divides the root window into the monitors asked for: the first takes the place of
        the one Xvfb starts with (named "screen", which cannot be deleted)."""
        for i, (x, y, w, h) in enumerate(self.monitors):
            self.run("xrandr", "--setmonitor", "m%d" % i, "%d/%dx%d/%d+%d+%d" % (w, w // 4, h, h // 4, x, y),
                     "screen" if i == 0 else "none")

    def _launch(self):
        """Starts the program and waits until its first frame is on the screen, looked for
        round the pointer; notes where the picture stands (at (0, 0), unzoomed, on the
        default screen)."""
        self.proc_log = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(self.command, env=self.app_env, stdin=subprocess.DEVNULL,
                                     stdout=self.proc_log, stderr=self.proc_log,
                                     preexec_fn=_die_with_parent)
        if not self.framed:
            self.wait_for(lambda _: self.window() is not None, "the program's window", timeout=self.start_timeout)
            return
        shot = self.wait_for(lambda s: s.frame(self.pointer) is not None, "the program's framed picture",
                             timeout=self.start_timeout)
        self.picture = shot.frame(self.pointer)

    def close(self):
        """Ends the program, then Xvfb: asked first, so that Xvfb removes its socket, then forced."""
        for p in (self.proc, self.weston, self.wm, self.xvfb):
            if p is not None and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait(timeout=5)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def output(self):
        """What the program wrote so far, standard output and error together."""
        self.proc_log.seek(0)
        return self.proc_log.read().decode(errors="replace")

    def run(self, *args, timeout=10):
        r = subprocess.run(list(args), env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=timeout)
        check(r.returncode == 0, "%s failed: %s" % (" ".join(args), r.stderr.decode(errors="replace")))
        return r.stdout

    def shot(self):
        """The root window; taken again once where the X server was resizing it meanwhile. On a
        desktop that is not 24-bit, where the program installs a colormap of its own that xwd
        does not read for the whole screen, its window alone."""
        target = ["-root"] if self.depth == 24 else ["-id", self._program_window()]
        try:
            return Shot(self.run("xwd", *target, "-silent"))
        except Failure:
            time.sleep(0.2)
            return Shot(self.run("xwd", *target, "-silent"))

    def _program_window(self):
        """The program's window, in full screen too, once it is shown."""
        w = self._visible()
        if w is None:
            raise Failure("no window of the program's")
        return w

    def view(self):
        return View(self.shot(), self.picture)



    def point(self, x, y):
        """Puts the pointer on the last screen pixel of picture pixel (x, y)'s block and waits
        until the program draws its cursor round that picture pixel; returns that screenshot."""
        left, top, z = self.picture
        self.run("xdotool", "mousemove", str(left + x * z + z - 1), str(top + y * z + z - 1))
        return self.wait_for(lambda s: cursor_at(View(s, self.picture), x, y),
                             "the cursor at picture pixel (%d, %d)" % (x, y))

    def wait_for(self, cond, what, timeout=5.0):
        """Screenshots until cond(shot) holds; fails naming what after timeout seconds. A
        screenshot that cannot be taken yet (no window of the program's) counts as not holding."""
        end = time.monotonic() + timeout
        while True:
            if self.proc is not None and not self.running():
                raise Failure("the program ended (status %s) while waiting for %s; output: %s"
                              % (self.proc.returncode, what, self.output()))
            try:
                s = self.shot()
                if cond(s):
                    return s
                why = ""
            except Failure as e:
                why = ": " + str(e)
            if time.monotonic() > end:
                raise Failure("waited %.0f s for %s%s" % (timeout, what, why))
            time.sleep(0.05)

    def key(self, name, until=None, what=None, hold=0.25):
        """Holds a key for a few frames, or until the screen shows until(shot), then lets go."""
        self.run("xdotool", "keydown", name)
        try:
            if until is None:
                time.sleep(hold)
            else:
                self.wait_for(until, what or "the effect of " + name)
        finally:
            self.run("xdotool", "keyup", name)
        time.sleep(0.1)  # the key is seen up for a frame or more before the next press

    def move(self, x, y):
        """Puts the pointer at (x, y) and waits until the program draws its cursor there."""
        self.run("xdotool", "mousemove", str(x), str(y))
        return self.wait_for(lambda s: cursor_at(s, x, y), "the cursor at (%d, %d)" % (x, y))

    def ends(self, status, what, timeout=5):
        """The program ends within timeout seconds of what, with that status."""
        try:
            got = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("still running %d s after %s" % (timeout, what))
        check(got == status, "status %d after %s, %d expected; output: %s"
              % (got, what, status, self.output()))

    def _ask(self, *args):
        """What a command run on the program's display printed (nothing where it failed)."""
        return subprocess.run(list(args), env=self.app_env, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=10).stdout.decode()

    def _visible(self):
        """The id of the program's visible window, or None (minimised, or not yet shown)."""
        ids = self._ask("xdotool", "search", "--onlyvisible", "--name", "^vorplane$").split()
        return ids[0] if ids else None

    def window(self):
        """(x, y, width, height) of the program's visible window, in full screen too, or None."""
        w = self._visible()
        if w is None:
            return None
        out = self._ask("xdotool", "getwindowgeometry", "--shell", w)
        g = dict(line.split("=", 1) for line in out.split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def full_screen(self):
        """True while the program's window is shown full screen, as its EWMH state says: the
        window manager's, or without one the program's own request."""
        w = self._visible()
        if w is None:
            return False
        return "_NET_WM_STATE_FULLSCREEN" in self._ask("xprop", "-id", w, "_NET_WM_STATE")

    def resources(self):
        """The program's windows and pixmaps in the X server, as xrestop counts them."""
        out = self._ask("xrestop", "-b", "-m", "1")
        for block in re.split(r"\n(?=\d+ - )", out):
            if " - vorplane " in block:
                return {k: int(re.search(k + r"\s*:\s*(\d+)", block).group(1)) for k in ("windows", "pixmaps")}
        raise Failure("xrestop does not list the program")

    def flood(self, seconds, rate):
        """Presses and releases A and moves the pointer, rate events a second in all, through
        XTEST, as a gaming mouse and a stuck keyboard would; returns the events sent."""
        x11, xtst = self._xlib(), ctypes.CDLL("libXtst.so.6")
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                              ctypes.c_ulong]
        xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        dpy = x11.XOpenDisplay(self.display.encode())
        check(dpy, "cannot open display " + self.display)
        try:
            a, sent, start = x11.XKeysymToKeycode(dpy, 0x61), 0, time.monotonic()  # 0x61: XK_a
            while time.monotonic() < start + seconds:
                if sent > (time.monotonic() - start) * rate:
                    time.sleep(0.001)
                    continue
                for _ in range(20):
                    xtst.XTestFakeMotionEvent(dpy, -1, 100 + sent % 400, 100 + sent % 300, 0)
                    xtst.XTestFakeKeyEvent(dpy, a, sent % 4 == 0, 0)
                    sent += 2
                x11.XFlush(dpy)
            return sent
        finally:
            x11.XCloseDisplay(dpy)

    def resident(self):
        """The program's resident memory, in kB."""
        with open("/proc/%d/status" % self.proc.pid) as f:
            return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))

    def set_state(self, *atoms):
        """Sets the program's window's EWMH state, as a window manager does."""
        x11 = self._xlib()
        dpy = x11.XOpenDisplay(self.app_env["DISPLAY"].encode())
        check(dpy, "cannot open display " + self.app_env["DISPLAY"])
        try:
            values = (ctypes.c_long * len(atoms))(*(x11.XInternAtom(dpy, a.encode(), 0) for a in atoms))
            x11.XChangeProperty(dpy, int(self._visible()), x11.XInternAtom(dpy, b"_NET_WM_STATE", 0), 4, 32, 0,
                                values, len(atoms))  # 4: XA_ATOM; 0: PropModeReplace
        finally:
            x11.XCloseDisplay(dpy)

    def windowed(self):
        """True while the program shows its picture in its own 640 x 480 window, not full screen."""
        return (self.window() or (0, 0, 0, 0))[2:] == (WIDTH, HEIGHT) and not self.full_screen()

    @staticmethod
    def _xlib():
        """The few Xlib calls the tests make themselves."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        return x11

    def close_request(self):
        """Asks the program's window to close, as a window manager's close button does."""
        window = int(self.run("xdotool", "search", "--name", "^vorplane$").split()[0])
        x11 = self._xlib()
        dpy = x11.XOpenDisplay(self.display.encode())
        check(dpy, "cannot open display " + self.display)
        try:
            event = ClientMessage(type=33, window=window, format=32,  # 33: ClientMessage
                                  message_type=x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0))
            event.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
            check(x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(event)), "XSendEvent failed")
        finally:
            x11.XCloseDisplay(dpy)  # flushes the request

    def button(self, number, until, what):
        """Holds mouse button number (1 left, 3 right) until the screen shows until(shot)."""
        self.run("xdotool", "mousedown", str(number))
        try:
            self.wait_for(until, what)
        finally:
            self.run("xdotool", "mouseup", str(number))
        time.sleep(0.1)


# The cursor: circles of radius 1 and 2 round the pointer, the pointer's own pixel left alone.
CURSOR = [(dx, dy) for dx in range(-2, 3) for dy in range(-2, 3)
          if (dx * dx + dy * dy) in (1, 4, 5)]


def cursor_pixels(x, y):
    """The cursor's pixels for the pointer at (x, y), as far as they fall on the screen."""
    return [(x + dx, y + dy) for dx, dy in CURSOR if 0 <= x + dx < WIDTH and 0 <= y + dy < HEIGHT]


def cursor_at(shot, x, y):
    """The cursor, and no other white, round (x, y)."""
    white = {(px, py) for px, py, c in shot.region(max(x - 4, 0), max(y - 4, 0),
                                                   min(x + 4, WIDTH - 1), min(y + 4, HEIGHT - 1))
             if near(c, WHITE)}
    return white == set(cursor_pixels(x, y))
