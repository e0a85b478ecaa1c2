"""Runs the built game in a real X window on Xvfb: keys through xdotool, the window and its
pixels through python3-xlib. Every wait is bounded; the game and the server end with the block
that started them, as in `with xserver(1366, 768) as x, Game(binary, x, data) as game:`."""

import contextlib, ctypes, os, pathlib, select, shutil, signal  # noqa: E401
import struct, subprocess, tempfile, time  # noqa: E401

from Xlib import X, display as xdisplay, error as xerror
from Xlib.ext import damage

DEFAULTS = bytes([2, 0, 0, 0, 0, 0, 0, 0])  # the settings file a first start writes
# Where the game draws, by display mode: size, art tree, the two scores, the scale of field
# units.
MODES = {False: dict(size=(1280, 720), tree="Skaliert", scale=0.667,
                     scores=((300, 13, 54, 54), (941, 13, 54, 54))),
         True: dict(size=(1920, 1080), tree="Original", scale=1,
                    scores=((450, 20, 80, 80), (1412, 20, 80, 80)))}


def wait_for(condition, what, timeout=10):
    """The first true value of condition(), polled; a failed assertion after timeout seconds."""
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        assert time.monotonic() < deadline, "no %s within %s s" % (what, timeout)
        time.sleep(0.02)
    return value


def spawn(command, **options):
    """Starts a process that gets SIGTERM when the test ends, whatever way it ends."""
    return subprocess.Popen(command, stdin=subprocess.DEVNULL, **options, preexec_fn=lambda:
                            ctypes.CDLL(None).prctl(1, signal.SIGTERM))  # PR_SET_PDEATHSIG


def end(process):
    """Ends a process we started, by its pid: SIGTERM, and SIGKILL when it hangs on."""
    process.terminate()
    with contextlib.suppress(subprocess.TimeoutExpired):
        process.wait(5)
    process.kill()


@contextlib.contextmanager
def xserver(width=1920, height=1080, manager=False):
    """A connection to an Xvfb of that size, on a free display number that Xvfb picks; with
    manager, a small window manager (openbox) runs on it, as on a player's desktop."""
    read, write = os.pipe()
    server = spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % (
        width, height), "-noreset", "-nolisten", "tcp"], pass_fds=(write,),
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as pipe:  # the number comes once Xvfb takes connections
            number = pipe.readline().strip() if select.select([pipe], [], [], 30)[0] else "?"
        with contextlib.closing(xdisplay.Display(":" + number)) as x:
            if manager:  # it ends with the server
                # A window mapped before openbox has run its startup command may never be shown
                # (the classic library then waits for its window for good): wait for that.
                with tempfile.TemporaryDirectory() as folder:
                    ready = os.path.join(folder, "ready")
                    spawn(["openbox", "--sm-disable", "--startup", "touch " + ready],
                          env=dict(os.environ, DISPLAY=":" + number),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    wait_for(lambda: os.path.exists(ready), "window manager")
            yield x
    finally:
        end(server)


def windows(parent):
    """Every window below parent, in the order of the tree: a window manager puts each
    client's window in a frame of its own."""
    for child in parent.query_tree().children:
        yield child
        yield from windows(child)


class Game(contextlib.AbstractContextManager):
    """The game on the X server of x (None: no display) in a fresh folder with the settings
    bytes and Data: a link to data, or a tree of links with the files of damage replaced ({path
    in Data: its bytes, the share of the file to keep, or None to leave it out}). The folder is
    the player's folder $XDG_DATA_HOME/zorvat, where the launcher of an installed game runs it."""

    def __init__(self, binary, x, data, settings=None, damage=None, env=None):
        self.x, self.dir = x, pathlib.Path(tempfile.mkdtemp(prefix="zorvat-e2e-"), "zorvat")
        self.dir.mkdir()
        if damage:
            shutil.copytree(data, self.dir / "Data", copy_function=os.symlink)
            for name, body in damage.items():
                path = self.dir / "Data" / name
                if isinstance(body, float):
                    body = path.read_bytes()[:int(path.stat().st_size * body)]
                path.unlink()
                if body is not None:
                    path.write_bytes(body)
        elif data:
            (self.dir / "Data").symlink_to(data)
        if settings is not None:
            (self.dir / "Settings.zorvat").write_bytes(settings)
        # Without a window manager the game's window is placed at 0,0 as one would place it. A
        # login session has a runtime folder, in which SDL 2 looks for a Wayland display. The
        # caller's own XDG folders stay out: the game gets those of HOME and this runtime folder.
        self.env = dict({k: v for k, v in os.environ.items() if not k.startswith("XDG_")},
                        ASAN_OPTIONS="detect_leaks=0", SDL_VIDEO_WINDOW_POS="0,0", **(env or {}),
                        DISPLAY=x.get_display_name() if x else "", XDG_RUNTIME_DIR=str(self.dir),
                        XDG_DATA_HOME=str(self.dir.parent))
        for name in ("SDL_VIDEODRIVER",) + (() if x else ("DISPLAY",)):
            self.env.pop(name, None)
        self.out = tempfile.TemporaryFile()
        self.process = spawn([binary], cwd=self.dir, env=self.env, stdout=self.out,
                             stderr=subprocess.STDOUT)

    def __exit__(self, *exc):
        end(self.process)
        self.out.close()
        shutil.rmtree(self.dir.parent)

    def settings(self):
        return (self.dir / "Settings.zorvat").read_bytes()

    def exit(self):
        """The exit status and everything the game printed, once it has ended."""
        status, _ = self.process.wait(30), self.out.seek(0)  # a busy machine is slow to play keys
        return status, self.out.read()

    def open(self, size=None):
        """Waits for the window captioned Zorvat (of size (w, h), when given: the game opens
        a new window for a new display mode) to show, and gives it the keys."""
        def shown():
            assert self.process.poll() is None, "the game ended: %r" % (self.exit(),)
            with contextlib.suppress(xerror.BadWindow, xerror.BadDrawable):  # some vanish
                return next((w for w in windows(self.x.screen().root)
                             if w.get_wm_name() == "Zorvat"
                             and w.get_attributes().map_state == X.IsViewable
                             and size in (None, self.geometry(w)[2:])), None)
        self.window = wait_for(shown, "window", 30)  # a window manager on a busy machine is slow
        self.xdotool("windowfocus", "--sync", str(self.window.id))
        self.x.damage_query_version()
        self.frames()
        return self

    def frames(self, count=3):
        """Waits until the game has drawn count frames from now (anywhere on the screen, where
        a full screen may be a window of its own), or has ended, so that it has read what it
        was sent."""
        seen = self.x.screen().root.damage_create(damage.DamageReportRawRectangles)
        drawn = 0

        def more():
            nonlocal drawn
            for _ in range(self.x.pending_events()):
                drawn += self.x.next_event().type == self.x.extension_event.DamageNotify
            return drawn >= count or self.process.poll() is not None
        wait_for(more, "%d frames drawn" % count)
        self.x.damage_destroy(seen)
        self.x.sync()
        for _ in range(self.x.pending_events()):  # what it drew meanwhile
            self.x.next_event()

    def sdl2(self):
        """True when the game runs on a layer over SDL 2, not on the classic SDL 1.2."""
        return b"libSDL2" in pathlib.Path("/proc/%d/maps" % self.process.pid).read_bytes()

    def geometry(self, window=None):
        """(x, y, width, height) of the game's window (or another) on the screen."""
        window = window or self.window
        at, size = self.x.screen().root.translate_coords(window, 0, 0), window.get_geometry()
        return at.x, at.y, size.width, size.height

    def grab(self, rect):
        """The pixels (blue, green, red, pad) of a region (x, y, w, h) of the window."""
        # From the screen, where a full screen may be a window of its own, in strips, which
        # python-xlib reads faster.
        (left, top), (x, y, w, h) = self.geometry()[:2], rect
        return b"".join(self.x.screen().root.get_image(
            left + x, top + row, w, min(64, y + h - row), X.ZPixmap, 0xFFFFFFFF).data
            for row in range(y, y + h, 64))

    def likeness(self, picture, rect=None, step=24, scale=1):
        """The share of the pixels of rect (all the window by default), every step-th one
        each way, that show the pixel of the bitmap file picture at the same place (or, for
        a picture shown scaled by scale, at that place divided by scale, within 8 of each
        colour, as scaling blends neighbours)."""
        data = pathlib.Path(picture).read_bytes()
        offset, _, width, height = struct.unpack_from("<IIii", data, 10)
        x, y, w, h = rect or (0, 0) + self.geometry()[2:]
        at = [(row[c * 4:c * 4 + 3], offset + (
               (height - 1 - int(r / scale)) * width + int((x + c) / scale)) * 4)
              for r in range(y, y + h, step) for row in [self.grab((x, r, w, 1))]
              for c in range(0, w, step)]
        return sum(max(abs(a - b) for a, b in zip(seen, data[i:i + 3])) <= 8 * (scale != 1)
                   for seen, i in at) / len(at)

    def xdotool(self, *args):
        """Runs xdotool with args on the game's X server, for 20 s at most."""
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=20)

    def keys(self, *keys):
        """Taps keys named as in X, each read in a frame of its own; '+key' is held for 20
        frames."""
        for key in keys:
            if key[0] == "+":
                self.xdotool("keydown", key[1:])
                self.frames(20)
            self.xdotool("keyup" if key[0] == "+" else "key", key.lstrip("+"))
            self.frames()
