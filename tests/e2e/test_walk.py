"""One walk through every screen in each display mode in a real window: caption and size,
options, credits, a one- and a two-player match played, the display mode switched and saved,
and the game left by the menu's exit entry or by closing its window.
Usage: /usr/bin/python3 test_walk.py <zorvat binary> <Data folder> [unittest arguments]"""

import itertools, os, pathlib, sys  # noqa: E401

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402


class WalkTest(e2e.ServerTest):
    def shows(self, full_hd, name):
        """Waits until the window shows the picture name of the display mode's art."""
        picture = os.path.join(self.data, e2e.MODES[full_hd]["tree"], name)
        e2e.wait_for(lambda: self.game.likeness(picture) > 0.95, name)

    def paddle(self, mode, side):
        """The top of the longest run of bright rows in the column of the left (0) or right
        (1) paddle: its body, which the ball passing by only lengthens."""
        x, w, h = int((30, 1840)[side] * mode["scale"]), int(50 * mode["scale"]), mode["size"][1]
        column = self.game.grab((x, 0, w, h))
        runs = [(len(list(rows)), lit) for lit, rows in itertools.groupby(
            any(sum(column[i:i + 3]) > 330 for i in range(r * w * 4, (r + 1) * w * 4, 4))
            for r in range(h))]
        return max((n, sum(m for m, _ in runs[:i])) for i, (n, lit) in enumerate(runs) if lit)[1]

    def walk(self, settings, full_hd, keys, saved):
        """Starts the game, walks every screen, then switches the display mode in the options
        with keys, which saves the settings file as saved."""
        game = self.game = self.enterContext(
            e2e.Game(self.binary, self.x, self.data, settings)).open()
        self.assertEqual(game.settings(), settings or bytes([2, 0, 0, 0, 0, 0, 0, 0]))
        self.assertEqual(game.window.get_wm_name(), "Zorvat")
        # SDL 1.2's compatibility layer over SDL 2 sets no icon title: SDL 2 has none.
        sdl2 = b"libSDL2" in pathlib.Path("/proc/%d/maps" % game.process.pid).read_bytes()
        self.assertEqual(game.window.get_wm_icon_name(), None if sdl2 else "Zorvat")
        mode = e2e.MODES[full_hd]
        self.assertEqual(game.geometry()[2:], mode["size"])
        self.shows(full_hd, "Menu/Menu.bmp")
        s = mode["scale"]
        field = (int(100 * s), int(120 * s), int(1720 * s), int(900 * s))
        for downs, name, paddles in (
                (2, "Menu/OptionsBack.bmp", ()), (3, "Menu/Credits.bmp", ()),
                (0, "Game/Background.bmp", (("Up", 0, -1), ("Down", 0, 1))),
                (1, "Game/Background.bmp", (("w", 0, -1), ("Down", 1, 1)))):
            game.keys(*["Down"] * downs + ["Return"])
            self.shows(full_hd, name)
            if paddles:  # a match: the ball moves, both scores stand over the background
                first = game.grab(field)
                e2e.wait_for(lambda: game.grab(field) != first, "the ball moving")
                background = os.path.join(self.data, mode["tree"], name)
                self.assertLess(max(game.likeness(background, r, 1) for r in mode["scores"]), 0.95)
            for key, side, way in paddles:  # 0.3 s moves a paddle 50 pixels or more
                before = self.paddle(mode, side)
                game.keys("+" + key)
                self.assertGreater((self.paddle(mode, side) - before) * way, 20, key)
            game.keys("Escape")
            self.shows(full_hd, "Menu/Menu.bmp")
        game.keys("Down", "Down", "Return", *keys, "Return")
        e2e.wait_for(lambda: game.settings() == saved, "settings saved")
        e2e.wait_for(lambda: game.geometry()[2:] == e2e.MODES[not full_hd]["size"], "new size")
        self.shows(not full_hd, "Menu/Menu.bmp")

    def test_window(self):
        self.walk(None, False, ("Right", "Right", "Down", "Left"), bytes([3, 0, 0, 0, 1, 0, 0, 0]))
        self.game.close()
        self.assertEqual(self.game.exit(), (0, b""))

    def test_full_hd(self):
        self.walk(bytes([2, 0, 0, 0, 1, 0, 0, 0]), True, ("Left", "Left", "Down", "Right"),
                  bytes([1, 0, 0, 0, 0, 0, 0, 0]))
        self.game.keys("Up", "Return")  # the menu's last entry, right after the switch
        self.assertEqual(self.game.exit(), (0, b""))


if __name__ == "__main__":
    e2e.main()
