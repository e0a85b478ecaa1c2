"""The built game in a real window on a full-HD Xvfb: one walk through every screen in each
display mode, then one or two cases of each kind of damaged input (the in-process tests give
every damage to the same code), each left by the exit entry with nothing printed."""

import os, pathlib, random, re, sys, tempfile, unittest  # noqa: E401

import zorvat_e2e as e2e
from Xlib import X, protocol

FULL_HD = bytes([2, 0, 0, 0, 1, 0, 0, 0])
GARBAGE = b"BM" + random.Random(1).randbytes(4094)  # a bitmap's mark, then noise
# Keys from a fresh main menu into the screens that read the damaged input, and back.
MENU = ("Down", "Down", "Down", "Return", "Escape")  # the menu is read again after the credits
OPTIONS = ("Down", "Down", "Return", "Right", "Down", "Left", "Escape")
MATCHES = ("Return", "+Up", "Escape", "Down", "Return", "+w", "+Down", "Escape")
# What the game says, once, when it cannot open the score font: the file in full, in the
# case's own folder.
FONT_MISSING = rb"zorvat: cannot open the score font %s/zorvat-e2e-\w+/zorvat/Data/" \
    rb"DejaVuSansMono\.ttf \(.*\); no score is shown\n" % re.escape(
        os.path.realpath(tempfile.gettempdir())).encode()


class GameTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = cls.enterClassContext(e2e.xserver())

    def shows(self, full_hd, name, scale=1):
        """Waits until the window shows the picture name of the display mode's art (scaled)."""
        picture = os.path.join(self.data, e2e.MODES[full_hd]["tree"], name)
        e2e.wait_for(lambda: self.game.likeness(picture, scale=scale) > 0.95, name)

    def paddle(self, mode, side):
        """The top of the longest run of bright rows in the column of the left (0) or right
        (1) paddle: its body, which the ball passing by only lengthens."""
        x, w, h = int((30, 1840)[side] * mode["scale"]), int(50 * mode["scale"]), mode["size"][1]
        column = self.game.grab((x, 0, w, h))
        rows = "".join("#" if any(sum(column[i:i + 3]) > 330 for i in range(
            r * w * 4, (r + 1) * w * 4, 4)) else "." for r in range(h))
        return rows.index(max(rows.split("."), key=len))

    def walk(self, settings, full_hd, keys, saved):
        """Starts the game, walks every screen, then switches the display mode in the options
        with keys, which saves the settings file as saved."""
        game = self.game = self.enterContext(
            e2e.Game(self.binary, self.x, self.data, settings)).open()
        self.assertEqual(game.settings(), settings or e2e.DEFAULTS)
        # SDL 1.2's compatibility layer over SDL 2 sets no icon title: SDL 2 has none.
        self.assertEqual(game.window.get_wm_icon_name(), None if game.sdl2() else "Zorvat")
        mode = e2e.MODES[full_hd]
        self.assertEqual(game.geometry()[2:], mode["size"])
        self.shows(full_hd, "Menu/Menu.bmp")
        field = tuple(int(v * mode["scale"]) for v in (100, 120, 1720, 900))
        for downs, name, paddles in (
                (2, "Menu/OptionsBack.bmp", ()), (3, "Menu/Credits.bmp", ()),
                (0, "Game/Background.bmp", ((None, 1, 0), ("Up", 0, -1), ("Down", 0, 1))),
                (1, "Game/Background.bmp", (("w", 0, -1), ("Down", 1, 1)))):
            game.keys(*["Down"] * downs + ["Return"])
            self.shows(full_hd, name)
            if paddles:  # a match: the ball moves, both scores stand over the background
                first = game.grab(field)
                e2e.wait_for(lambda: game.grab(field) != first, "the ball moving")
                background = os.path.join(self.data, mode["tree"], name)
                self.assertLess(max(game.likeness(background, r, 1) for r in mode["scores"]), 0.95)
            for key, side, way in paddles:  # a held key moves its paddle, the computer its own
                before = self.paddle(mode, side)
                if key:
                    game.xdotool("keydown", key)
                e2e.wait_for(lambda: abs(moved := self.paddle(mode, side) - before) > 20 and
                             moved * way >= 0, key or "move of the computer's paddle", 30)
                if key:
                    game.xdotool("keyup", key)
            game.keys("Escape")
            self.shows(full_hd, "Menu/Menu.bmp")
        game.keys("Down", "Down", "Return", *keys, "Return")
        e2e.wait_for(lambda: game.settings() == saved, "settings saved")
        game.open(e2e.MODES[not full_hd]["size"])
        self.shows(not full_hd, "Menu/Menu.bmp")

    def test_window(self):
        self.walk(None, False, ("Right", "Right", "Down", "Left"), bytes([3, 0, 0, 0, 1, 0, 0, 0]))
        x, window = self.x, self.game.window  # closed as a window manager's close button does
        window.send_event(protocol.event.ClientMessage(
            window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
            data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
        x.sync()
        self.assertEqual(self.game.exit(), (0, b""))

    def test_full_hd(self):
        self.walk(FULL_HD, True, ("Left", "Left", "Down", "Right"), bytes([1, 0, 0, 0, 0, 0, 0, 0]))
        self.game.keys("Up", "Return")  # the menu's last entry, right after the switch
        self.assertEqual(self.game.exit(), (0, b""))

    def test_small_display(self):
        # Full HD asked for on a 1366x768 display. The classic library refuses it: the game
        # opens the window, saves it as the mode in force, and shows the window's menu drawn
        # with the window's art. The layers over SDL 2 open it, and a window manager, which every player has,
        # makes it fill the display: the whole field shows, scaled.
        with e2e.xserver(1366, 768, manager=True) as x, \
                e2e.Game(self.binary, x, self.data, FULL_HD) as self.game:
            if self.game.open().sdl2():
                self.assertEqual(self.game.geometry(), (0, 0, 1366, 768))
                self.shows(True, "Menu/Menu.bmp", 768 / 1080)
                self.game.keys("Return")
                self.shows(True, "Game/Background.bmp", 768 / 1080)
                self.assertEqual(self.game.settings(), FULL_HD)
            else:
                self.assertEqual(self.game.geometry()[2:], (1280, 720))
                self.shows(False, "Menu/Menu.bmp")
                self.assertEqual(self.game.settings(), e2e.DEFAULTS)

    def survive(self, name, route, settings=None, damage=None, data=True, said=b""):
        """Starts the game on the damaged input, walks route and leaves by the exit entry with
        status 0, the settings file as it was, and nothing printed but what matches said."""
        with self.subTest(name), e2e.Game(self.binary, self.x, self.data if data else None,
                                          settings, damage) as game:
            game.open().keys(*route + ("Up", "Return"))
            status, out = game.exit()
            self.assertEqual(status, 0)
            self.assertRegex(out, b"^" + said + b"$")
            self.assertEqual(game.settings(), settings or e2e.DEFAULTS)

    def test_damaged_art(self):
        # Pictures cut, of noise, missing, smaller than a frame (the ball's) or, as the ball, the
        # size of the whole screen.
        art = lambda tree, name: pathlib.Path(self.data, tree, "Game", name).read_bytes()  # noqa
        self.survive("window", MENU + MATCHES, None, {
            "Skaliert/Menu/Menu_Select.bmp": art("Skaliert", "Ball.bmp"),
            "Skaliert/Menu/Menu.bmp": 0.5, "Skaliert/Game/Ball.bmp": GARBAGE,
            "Skaliert/Game/Paddel1.bmp": art("Skaliert", "Ball.bmp"),
            "Skaliert/Game/Background.bmp": None})
        self.survive("full HD", OPTIONS + MATCHES, FULL_HD, {
            "Original/Menu/Options_Selections2.bmp": art("Original", "Ball.bmp"),
            "Original/Menu/OptionsBack.bmp": GARBAGE, "Original/Game/Paddel2.bmp": 0.5,
            "Original/Game/Ball.bmp": art("Original", "Background.bmp")})
        self.survive("no Data", OPTIONS + MATCHES, data=False, said=FONT_MISSING)  # all black
        # Two matches without a score, and one line that says why, as for a missing font.
        self.survive("font damaged", MATCHES, FULL_HD, {"DejaVuSansMono.ttf": 0.5},
                     said=FONT_MISSING)
        with self.subTest("no display"), e2e.Game(self.binary, None, self.data,
                                                  env={"TERM": "xterm"}) as game:
            status, out = game.exit()  # at once status 1; a text terminal is given back
            self.assertEqual((status, re.sub(
                rb"\x1b(\][^\a]*\a|\[[0-9;?]*[A-Za-z]|[()][0-9A-Z]|[=>])|\r", b"", out)), (1, b""))
            self.assertGreaterEqual(out.rfind(b"\x1b[?1049l"), out.rfind(b"\x1b[?1049h"))
            self.assertGreaterEqual(out.rfind(b"\x1b[?25h"), out.rfind(b"\x1b[?25l"))

if __name__ == "__main__":  # arguments: zorvat binary, Data folder, unittest arguments
    GameTest.binary, GameTest.data = (os.path.abspath(a) for a in sys.argv[1:3])
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
