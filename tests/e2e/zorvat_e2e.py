"""Runs the built game in a real X window on a virtual display (Xvfb), driven and read back
through python3-xlib (keys by the XTEST extension): run it with Debian's /usr/bin/python3.

    with XServer(1366, 768) as server, Game(binary, server, data) as game:
        game.open()
        game.keys("Down", "Return")
        region = game.grab((0, 0, 100, 100))  # compare it with the region of another run

Every wait is bounded; the game and the server are ended by their pids when the block ends.
"""

import ctypes
import os
import pathlib
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

SETTINGS = "Settings.zorvat"
# Where the game draws, by display mode: size, art tree, the menu's highlight block, the
# two scores, and the scale of field units.
MODES = {False: dict(size=(1280, 720), tree="Skaliert", block=(466, 200, 346, 333),
                     scores=((300, 13, 54, 54), (941, 13, 54, 54)), scale=0.667),
         True: dict(size=(1920, 1080), tree="Original", block=(700, 300, 520, 500),
                    scores=((450, 20, 80, 80), (1412, 20, 80, 80)), scale=1)}


def wait_for(condition, what, timeout=10):
    """The first true value of condition(), polled; TimeoutError after timeout seconds."""
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise TimeoutError("no %s within %s s" % (what, timeout))
        time.sleep(0.02)
    return value


def _die_with_parent():
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG: no orphan outlives a test


def _end(process):
    """Ends a process we started, by its pid; its exit status."""
    if process.poll() is None:
        process.terminate()
    try:
        return process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        return process.wait()


class XServer:
    """An Xvfb of the given size, on the free display number that Xvfb picks itself."""

    def __init__(self, width=1920, height=1080):
        self.size = (width, height)

    def __enter__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % self.size,
             "-noreset", "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
        os.close(write)
        with os.fdopen(read) as pipe:  # the number comes once Xvfb takes connections
            number = pipe.readline().strip() if select.select([pipe], [], [], 30)[0] else ""
        if not number.isdigit():
            _end(self.process)
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.x = xdisplay.Display(self.name)
        return self

    def __exit__(self, *exc):
        self.x.close()
        _end(self.process)


class Game:
    """The game on server (None: no display at all) in a fresh folder holding the given
    settings bytes and Data: a link to data, or a tree of links in which the files of damage
    ({path in Data: bytes, or None to leave it out}) are replaced, or nothing when data is
    None."""

    def __init__(self, binary, server, data, settings=None, damage=None, env=None):
        self.server, self.dir = server, tempfile.mkdtemp(prefix="zorvat-e2e-")
        for root, _, files in os.walk(data) if damage else ():
            os.makedirs(self.path("Data", os.path.relpath(root, data)), exist_ok=True)
            for name in files:
                os.symlink(os.path.join(root, name), self.path("Data", os.path.relpath(
                    os.path.join(root, name), data)))
        for name, body in (damage or {}).items():
            os.unlink(self.path("Data", name))
            if body is not None:
                pathlib.Path(self.path("Data", name)).write_bytes(body)
        if data and not damage:
            os.symlink(data, self.path("Data"))
        if settings is not None:
            pathlib.Path(self.path(SETTINGS)).write_bytes(settings)
        self.env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0", SDL_VIDEO_WINDOW_POS="0,0")
        self.env.pop("SDL_VIDEODRIVER", None)  # no window manager here: the window at 0,0
        self.env.pop("DISPLAY", None)
        self.env.update({"DISPLAY": server.name} if server else {}, **(env or {}))
        self.out = tempfile.TemporaryFile()
        self.process = subprocess.Popen([binary], cwd=self.dir, env=self.env, stdout=self.out,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                        preexec_fn=_die_with_parent)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        _end(self.process)
        self.out.close()
        shutil.rmtree(self.dir)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def settings(self):
        """The bytes of the settings file, or None without one."""
        path = pathlib.Path(self.path(SETTINGS))
        return path.read_bytes() if path.is_file() else None

    def output(self):
        self.out.seek(0)
        return self.out.read()

    def open(self):
        """Waits for the window captioned Zorvat and gives it the keys."""
        def window():
            assert self.process.poll() is None, "the game ended: %r" % self.output()
            return next((w for w in self.server.x.screen().root.query_tree().children
                         if w.get_wm_name() == "Zorvat"), None)
        self.window = wait_for(window, "window")
        self.window.set_input_focus(X.RevertToParent, X.CurrentTime)
        return self

    def geometry(self):
        """(x, y, width, height) of the window on the screen."""
        size = self.window.get_geometry()
        at = self.server.x.screen().root.translate_coords(self.window, 0, 0)
        return at.x, at.y, size.width, size.height

    def grab(self, rect):
        """The pixels (blue, green, red, pad) of a region (x, y, w, h) of the window, read in
        strips with the server held, so that no frame is drawn between two strips."""
        (left, top), (x, y, w, h) = self.geometry()[:2], rect
        self.server.x.grab_server()
        try:
            return b"".join(self.server.x.screen().root.get_image(
                left + x, top + row, w, min(64, y + h - row), X.ZPixmap, 0xFFFFFFFF).data
                for row in range(y, y + h, 64))
        finally:
            self.server.x.ungrab_server()
            self.server.x.flush()

    def likeness(self, picture, rect=None, step=24):
        """The share of the pixels of rect (all the window by default), every step-th one
        each way, that show the pixel of the bitmap file picture at the same place."""
        data = pathlib.Path(picture).read_bytes()
        offset, = struct.unpack_from("<I", data, 10)
        width, height = struct.unpack_from("<ii", data, 18)
        x, y, w, h = rect or (0, 0) + tuple(self.geometry()[2:])
        rows = [(r, self.grab((x, r, w, 1))) for r in range(y, y + h, step)]
        at = [(row[c * 4:c * 4 + 3], offset + ((height - 1 - r) * width + x + c) * 4)
              for r, row in rows for c in range(0, w, step)]
        same = [seen == data[i:i + 3] for seen, i in at]
        return sum(same) / len(same)

    def press(self, key, down=True):
        """Presses (or lets go of) a key, named as in X, through the XTEST extension."""
        x = self.server.x
        xtest.fake_input(x, X.KeyPress if down else X.KeyRelease,
                         x.keysym_to_keycode(XK.string_to_keysym(key)))
        x.sync()

    def keys(self, *keys):
        """Taps keys 0.1 s apart, so that each lands in a frame of its own; '+key' holds key
        down for 0.3 s."""
        for key in keys:
            self.press(key.lstrip("+"))
            time.sleep(0.3 if key[0] == "+" else 0)
            self.press(key.lstrip("+"), False)
            time.sleep(0.1)

    def hold(self, key, condition, what):
        """Holds key down until condition() is true."""
        self.press(key)
        try:
            return wait_for(condition, what, 5)
        finally:
            self.press(key, False)

    def close(self):
        """Asks the window to close as a window manager's close button does."""
        x = self.server.x
        self.window.send_event(protocol.event.ClientMessage(
            window=self.window, client_type=x.intern_atom("WM_PROTOCOLS"),
            data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
        x.sync()

    def wait_exit(self, timeout=10):
        return self.process.wait(timeout)


class ServerTest(unittest.TestCase):
    """Tests on one Xvfb of full-HD size, on the binary and Data that main was given."""

    @classmethod
    def setUpClass(cls):
        cls.server = XServer().__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.server.__exit__()


def main():
    """Runs the calling script's tests: zorvat binary, Data folder, unittest arguments."""
    ServerTest.binary, ServerTest.data = (os.path.abspath(a) for a in sys.argv[1:3])
    unittest.main(module="__main__", argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
