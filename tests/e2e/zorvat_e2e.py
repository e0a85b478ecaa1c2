"""Runs the built game in a real X window on a virtual display, for end-to-end tests.

Needs Xvfb, xdotool, ImageMagick (import, convert) and python3-xlib;
run it with Debian's /usr/bin/python3, which has python3-xlib.

    with XServer() as server:
        with Game(binary, data, server) as game:
            window = game.wait_window()
            game.focus(window)
            game.key("Down", "Return")
            game.close(window)
            status = game.wait_exit()

Every wait is bounded: a condition that does not come true in time raises TimeoutError.
"""

import contextlib
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from Xlib import X, display as xdisplay, error as xerror, protocol

CAPTION = "Zorvat"
SETTINGS = "Settings.zorvat"


def wait_for(condition, timeout, what, interval=0.05):
    """Calls condition until it returns something true, and returns that; TimeoutError after
    timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError("no %s within %.1f s" % (what, timeout))
        time.sleep(interval)


def die_with_parent():
    """Run in a child before it starts: the child gets SIGTERM when the test process ends, so
    that a runner killed at its timeout leaves no server or game behind."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def _require(program):
    if shutil.which(program) is None:
        raise RuntimeError("%s is missing: run scripts/setup --tests" % program)


def unused_display():
    """A display number that no X server holds now (Xvfb -displayfd takes the lowest free)."""
    return next(n for n in range(29999, 1000, -1) if not os.path.exists("/tmp/.X%d-lock" % n)
                and not os.path.exists("/tmp/.X11-unix/X%d" % n))


class XServer:
    """An Xvfb server on a display number that Xvfb itself picks, so that servers started at
    the same time by other tests never collide; stopped by its pid."""

    def __init__(self, width=1920, height=1080, depth=24):
        self.width = width
        self.height = height
        self.depth = depth
        self.number = None
        self.process = None
        self._x = None

    @property
    def name(self):
        return ":%d" % self.number

    @property
    def x(self):
        """A connection to the server, opened at its first use and kept until stop."""
        if self._x is None:
            self._x = xdisplay.Display(self.name)
        return self._x

    def start(self, timeout=30):
        _require("Xvfb")
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0",
             "%dx%dx%d" % (self.width, self.height, self.depth), "-noreset", "-nolisten", "tcp"],
            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        os.close(write)
        # Xvfb writes its number in one line once it takes connections, or closes the pipe.
        with os.fdopen(read, "rb") as pipe:
            number = pipe.readline() if select.select([pipe], [], [], timeout)[0] else b""
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb gave no display number within %d s" % timeout)
        self.number = int(number)
        return self

    def stop(self):
        if self._x is not None:
            with contextlib.suppress(xerror.ConnectionClosedError, OSError):
                self._x.close()
            self._x = None
        if self.process is not None:
            _end(self.process)
        self.process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def _end(process, grace=5):
    """Ends a process we started, by its pid: SIGTERM, then SIGKILL after grace seconds. Returns
    its exit status, or 'hang' when it had to be killed."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
    try:
        return process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return "hang"


class Picture:
    """RGB pixels of a screenshot or a bitmap, 8 bits a channel."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("expected %dx%d RGB pixels, got %d bytes" % (width, height, len(rgb)))
        self.width = width
        self.height = height
        self.rgb = rgb

    def pixel(self, x, y):
        """The colour at (x, y) as an (r, g, b) tuple."""
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def colours(self, x, y, w, h):
        """How many pixels of each colour the region (x, y, w, h) holds, as {(r, g, b): count}."""
        counts = {}
        for row in range(y, y + h):
            start = (row * self.width + x) * 3
            line = self.rgb[start:start + w * 3]
            for i in range(0, len(line), 3):
                colour = tuple(line[i:i + 3])
                counts[colour] = counts.get(colour, 0) + 1
        return counts

    def uniform(self, x, y, w, h):
        """The one colour of the region, or None when it holds more than one."""
        counts = self.colours(x, y, w, h)
        return next(iter(counts)) if len(counts) == 1 else None

    def crop(self, x, y, w, h):
        """The region (x, y, w, h) as a picture of its own."""
        rows = [self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3]
                for r in range(h)]
        return Picture(w, h, b"".join(rows))

    def changed_box(self, other, tolerance=24):
        """(left, top, right, bottom), inclusive, of the pixels whose colour differs from the
        same pixel of a picture of the same size by more than tolerance in a channel; None
        when none does."""
        box = None
        stride = self.width * 3
        for y in range(self.height):
            row = self.rgb[y * stride:(y + 1) * stride]
            other_row = other.rgb[y * stride:(y + 1) * stride]
            if row == other_row:
                continue
            for i in range(0, stride, 3):
                if (abs(row[i] - other_row[i]) > tolerance
                        or abs(row[i + 1] - other_row[i + 1]) > tolerance
                        or abs(row[i + 2] - other_row[i + 2]) > tolerance):
                    x = i // 3
                    if box is None:
                        box = [x, y, x, y]
                    else:
                        box = [min(box[0], x), box[1], max(box[2], x), y]
        return tuple(box) if box else None

    def changed_share(self, other, step=6, tolerance=24):
        """The share of pixels (every step-th one in both directions) whose colour differs from
        the same pixel of other by more than tolerance in a channel."""
        changed = total = 0
        for y in range(0, self.height, step):
            start = y * self.width * 3
            row = self.rgb[start:start + self.width * 3]
            other_row = other.rgb[start:start + self.width * 3]
            for i in range(0, len(row), 3 * step):
                total += 1
                if row[i:i + 3] != other_row[i:i + 3] and not _near(
                        row[i:i + 3], other_row[i:i + 3], tolerance):
                    changed += 1
        return changed / total

    def count_near(self, colour, tolerance=40):
        """How many pixels lie within tolerance of colour in every channel."""
        return sum(1 for y in range(self.height) for x in range(self.width)
                   if _near(self.pixel(x, y), colour, tolerance))

    def bright_span(self, threshold=330):
        """(top, bottom) of the longest run of rows that hold a pixel whose red + green + blue
        exceeds threshold: a paddle's body in a column of the field, where the ball is only a
        short run. None when no row does."""
        best = start = None
        stride = self.width * 3
        for y in range(self.height + 1):
            row = self.rgb[y * stride:(y + 1) * stride] if y < self.height else b""
            bright = any(row[i] + row[i + 1] + row[i + 2] > threshold
                         for i in range(0, len(row), 3))
            if bright and start is None:
                start = y
            elif not bright and start is not None:
                if best is None or y - 1 - start > best[1] - best[0]:
                    best = (start, y - 1)
                start = None
        return best


def screenshot(server):
    """The whole screen of the server, taken with ImageMagick's import."""
    _require("import")
    rgb = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                         env=dict(os.environ, DISPLAY=server.name), check=True,
                         capture_output=True, timeout=60).stdout
    return Picture(server.width, server.height, rgb)


@contextlib.contextmanager
def held(server):
    """The server's connection, with the server held for the block: no client draws in it."""
    d = server.x
    d.grab_server()
    try:
        yield d
    finally:
        d.ungrab_server()
        d.flush()


def grab(server, x, y, w, h):
    """The pixels of a rectangle of the screen, read straight from the server: far faster
    than a screenshot, for regions that waits poll and for whole windows alike."""
    # python-xlib reads one large image much more slowly than several strips; holding the
    # server keeps the game from drawing a new frame between two strips.
    with held(server) as d:
        strips = [d.screen().root.get_image(x, top, w, min(64, y + h - top), X.ZPixmap,
                                            0xFFFFFFFF).data for top in range(y, y + h, 64)]
    return Picture(w, h, _bgrx_to_rgb(b"".join(strips), w * h))


def _bgrx_to_rgb(raw, count):
    """RGB bytes of count pixels stored as blue, green, red, padding (32-bit ZPixmap on a
    depth-24 screen, and 32-bit bitmaps)."""
    rgb = bytearray(count * 3)
    rgb[0::3] = raw[2::4]
    rgb[1::3] = raw[1::4]
    rgb[2::3] = raw[0::4]
    return bytes(rgb)


def load_bmp(path):
    """The pixels of an uncompressed 32-bit bitmap file, as the game's art is written."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 32 or compression not in (0, 3):
        raise ValueError("%s: not an uncompressed 32-bit bitmap" % path)
    stride = width * 4
    rows = [data[offset + r * stride:offset + (r + 1) * stride] for r in range(abs(height))]
    if height > 0:  # stored bottom row first
        rows.reverse()
    return Picture(width, abs(height), _bgrx_to_rgb(b"".join(rows), width * abs(height)))


def save_png(picture, path):
    """Writes a picture as a PNG file, without time stamps: the same pixels give the same
    file."""
    _require("convert")
    subprocess.run(["convert", "-size", "%dx%d" % (picture.width, picture.height), "-depth", "8",
                    "rgb:-", "-define", "png:exclude-chunks=date,time", path],
                   input=picture.rgb, check=True, timeout=60)


def _near(a, b, tolerance):
    return (abs(a[0] - b[0]) <= tolerance and abs(a[1] - b[1]) <= tolerance
            and abs(a[2] - b[2]) <= tolerance)


def load_picture(path):
    """The pixels of a picture file (any format ImageMagick reads), or None when it is missing
    or unreadable."""
    _require("convert")
    if not os.path.isfile(path):
        return None
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"],
                          capture_output=True, text=True, timeout=60)
    rgb = subprocess.run(["convert", path + "[0]", "-depth", "8", "rgb:-"],
                         capture_output=True, timeout=60)
    if size.returncode != 0 or rgb.returncode != 0:
        return None
    width, height = (int(v) for v in size.stdout.split())
    return Picture(width, height, rgb.stdout)


def game_env(server=None, extra=None):
    """The game's environment: ours with the sanitizer defaults, on the display of server or,
    when it is None, on SDL's dummy driver; extra is laid over it last, None removing a
    variable."""
    env = dict(os.environ)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1")
    env.pop("SDL_VIDEODRIVER", None)
    if server is None:
        env["SDL_VIDEODRIVER"] = "dummy"
    else:
        env["DISPLAY"] = server.name
    # No window manager runs here. The classic library then puts the window at 0,0; the
    # compatibility layer centres it and leaves it there when the game goes full screen, so
    # place it where a window manager would.
    env.setdefault("SDL_VIDEO_WINDOW_POS", "0,0")
    for key, value in (extra or {}).items():
        if value is None:
            env.pop(key, None)
        else:
            env[key] = value
    return env


class Game:
    """The game on an X server (on SDL's dummy driver when server is None) in a fresh working
    directory that holds a link to Data and, when given, a settings file; killed by its pid and
    cleaned up at the end. extra_env is laid over the game's environment (game_env)."""

    def __init__(self, binary, data, server, settings=None, extra_env=None):
        if server is not None:
            _require("xdotool")
        self.server = server
        self.command = [os.path.abspath(binary)]
        self.dir = tempfile.mkdtemp(prefix="zorvat-e2e-")
        if data is not None:
            os.symlink(os.path.abspath(data), os.path.join(self.dir, "Data"))
        if settings is not None:
            with open(self.path(SETTINGS), "wb") as f:
                f.write(bytes(settings))
        self.env = game_env(server, extra_env)
        self.process = None
        self._out = tempfile.TemporaryFile()

    def path(self, name):
        return os.path.join(self.dir, name)

    def start(self):
        self.process = subprocess.Popen(self.command, cwd=self.dir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=self._out,
                                        stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def on_sdl2(self):
        """True when the running game has SDL 1.2 from its compatibility layer over SDL 2."""
        with open("/proc/%d/maps" % self.process.pid) as maps:
            return "libSDL2-2.0.so" in maps.read()

    def output(self):
        """Everything the game wrote to stdout and stderr so far."""
        self._out.seek(0)
        return self._out.read()

    def settings(self):
        """The bytes of the game's settings file, or None while there is none."""
        try:
            with open(self.path(SETTINGS), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def _xdotool(self, *args, timeout=30):
        return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True,
                              text=True, timeout=timeout)

    def wait_window(self, name=CAPTION, timeout=30):
        """The id of the first window named exactly name; fails at once if the game ends."""

        def found():
            if not self.running():
                raise AssertionError("the game ended with status %s before its window appeared; "
                                     "output: %r" % (self.process.returncode, self.output()))
            ids = self._xdotool("search", "--name", "^%s$" % name).stdout.split()
            return int(ids[0]) if ids else None

        return wait_for(found, timeout, "window named %r" % name)

    def geometry(self, window):
        """(x, y, width, height) of a window, x and y in root coordinates at the outer corner of
        its border, as xwininfo gives them."""
        w = self.server.x.create_resource_object("window", window)
        size = w.get_geometry()
        at = self.server.x.screen().root.translate_coords(w, -size.border_width,
                                                          -size.border_width)
        return at.x, at.y, size.width, size.height

    def names(self, window):
        """(window name, icon name) of a window."""
        w = self.server.x.create_resource_object("window", window)
        return w.get_wm_name(), w.get_wm_icon_name()

    def focus(self, window):
        self._xdotool("windowfocus", "--sync", str(window))

    def key(self, *keys, delay_ms=50):
        """Taps keys (xdotool key names) one after another; the focused window receives them."""
        self._xdotool("key", "--delay", str(delay_ms), *keys)

    def hold(self, keys, condition, timeout=10, what=None):
        """Holds keys down until condition() gives a true value, which is returned, then lets
        them go; TimeoutError after timeout seconds. A paddle sees a key held for two frames."""
        self._xdotool("keydown", *keys)
        try:
            return wait_for(condition, timeout, what or "effect of holding %s" % "+".join(keys))
        finally:
            self._xdotool("keyup", *keys)

    def close(self, window):
        """Asks the window to close as a window manager's close button does: a WM_DELETE_WINDOW
        client message (xdotool windowclose would destroy the window instead)."""
        d = self.server.x
        w = d.create_resource_object("window", window)
        w.send_event(protocol.event.ClientMessage(
            window=w, client_type=d.intern_atom("WM_PROTOCOLS"),
            data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])),
            event_mask=X.NoEventMask)
        d.sync()  # a round trip: the message has reached the server

    def wait_exit(self, timeout=30):
        """The exit status of the game; TimeoutError when it is still running after timeout."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError("the game still runs %.1f s later" % timeout) from None

    def end(self, grace=5):
        """Ends the game as a window close does; its exit status, or 'hang' (_end)."""
        return _end(self.process, grace)

    def stop(self):
        if self.process is not None:
            _end(self.process)
        self._out.close()
        if os.path.isdir(self.dir):
            os.chmod(self.dir, 0o755)  # a test may have made it read-only
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class Layout:
    """Where the game draws what the tests look at, in pixels of one display mode."""

    def __init__(self, full_hd):
        self.full_hd = full_hd
        self.tree = "Original" if full_hd else "Skaliert"  # the art of this mode in Data
        if full_hd:
            self.size = (1920, 1080)
            self.menu_block = (700, 300, 520, 500)  # the highlight's sheet frame
            self.level_value = (1080, 450, 221, 61)
            self.mode_value = (1149, 616, 100, 45)
            self.scores = ((450, 20, 80, 80), (1412, 20, 80, 80))
        else:
            self.size = (1280, 720)
            self.menu_block = (466, 200, 346, 333)
            self.level_value = (720, 300, 147, 40)
            self.mode_value = (766, 410, 66, 30)
            self.scores = ((300, 13, 54, 54), (941, 13, 54, 54))
        scale = 1 if full_hd else 0.667
        # The menu's five entries share the block in bands of 100 field units.
        self.entry_height = 100 * scale
        # Columns of the left (x 30) and right (x 1840) paddle, 50 field units wide.
        self.paddle_columns = tuple((int(x * scale), int(50 * scale)) for x in (30, 1840))
        self.paddle_height = int(190 * scale)

    def entry_band(self, entry):
        """(top, bottom) inside the menu block of entry 1..5."""
        return int((entry - 1) * self.entry_height), int(entry * self.entry_height) - 1

    def window(self):
        return (0, 0) + self.size


SCORE_BLUE = (13, 16, 121)


class ServerTestCase(unittest.TestCase):
    """Tests that share one Xvfb server, started before the first and stopped after the last,
    on the binary and Data folder that main takes from the command line."""

    binary = None
    data = None

    @classmethod
    def setUpClass(cls):
        cls.server = XServer().start()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def start_game(self, settings=None, extra_env=None):
        """A game started for this test, ended and cleaned up after it."""
        game = Game(self.binary, self.data, self.server, settings=settings, extra_env=extra_env)
        self.addCleanup(game.stop)
        return game.start()

    def open_game(self, settings=None):
        """Starts self.game and gives the keys to its window, self.window."""
        self.game = self.start_game(settings)
        self.window = self.game.wait_window()
        self.game.focus(self.window)

    def grab(self, rect):
        """A region (x, y, w, h) of self.window, wherever the window stands."""
        x, y = self.game.geometry(self.window)[:2]
        return grab(self.server, x + rect[0], y + rect[1], rect[2], rect[3])

    def art(self, layout, name):
        """A menu picture of the display mode of layout."""
        return load_bmp(os.path.join(self.data, layout.tree, "Menu", name))


def main(doc):
    """Runs the tests of the calling script: zorvat binary, Data folder, unittest arguments."""
    if len(sys.argv) < 3:
        sys.exit(doc)
    ServerTestCase.binary, ServerTestCase.data = sys.argv[1], sys.argv[2]
    unittest.main(module="__main__", argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
