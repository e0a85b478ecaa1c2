"""One walk through every screen in each display mode, in a real window: caption and size,
the menu's highlight, options, credits, a one- and a two-player match played, the display
mode switched and saved by the options, and the game left by the menu's exit entry or by
closing its window.

Usage: /usr/bin/python3 test_walk.py <zorvat binary> <Data folder> [unittest arguments]
"""

import itertools
import os
import pathlib
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402


class WalkTest(e2e.ServerTest):
    def start(self, settings):
        self.game = self.enterContext(e2e.Game(self.binary, self.server, self.data, settings))
        self.game.open()
        self.assertEqual(self.game.window.get_wm_name(), "Zorvat")
        # SDL 1.2's compatibility layer over SDL 2 sets no icon title: SDL 2 has none.
        sdl2 = "libSDL2" in pathlib.Path("/proc/%d/maps" % self.game.process.pid).read_text()
        self.assertEqual(self.game.window.get_wm_icon_name(), None if sdl2 else "Zorvat")

    def shows(self, full_hd, name):
        """Waits until the window shows the picture name of the display mode's art."""
        picture = os.path.join(self.data, e2e.MODES[full_hd]["tree"], name)
        e2e.wait_for(lambda: self.game.likeness(picture) > 0.95, name)

    def paddle(self, mode, side):
        """The top of the longest run of bright rows in the column of the left (0) or right
        (1) paddle: its body, which the ball passing by only lengthens."""
        x, w, h = int((30, 1840)[side] * mode["scale"]), int(50 * mode["scale"]), mode["size"][1]
        column = self.game.grab((x, 0, w, h))
        bright = [any(sum(column[i:i + 3]) > 330 for i in range(r * w * 4, (r + 1) * w * 4, 4))
                  for r in range(h)]
        runs = itertools.accumulate(((lit, len(list(g))) for lit, g in itertools.groupby(bright)),
                                    lambda a, b: (b[0], b[1], a[2] + a[1]), initial=(0, 0, 0))
        return max((n, top) for lit, n, top in runs if lit)[1]

    def play(self, full_hd, keys):
        mode, game = e2e.MODES[full_hd], self.game
        s = mode["scale"]
        field = (int(100 * s), int(120 * s), int(1720 * s), int(900 * s))
        first = game.grab(field)
        e2e.wait_for(lambda: game.grab(field) != first, "the ball moving")
        for rect in mode["scores"]:  # the scores, in the font, over the background
            self.assertLess(game.likeness(os.path.join(
                self.data, mode["tree"], "Game/Background.bmp"), rect, step=1), 0.95)
        for key, side, way in keys:
            before = self.paddle(mode, side)
            game.hold(key, lambda: (self.paddle(mode, side) - before) * way >= 20,
                      "paddle %d moving under %s" % (side, key))

    def walk(self, full_hd):
        game, block = self.game, e2e.MODES[full_hd]["block"]
        self.assertEqual(game.geometry()[2:], e2e.MODES[full_hd]["size"])
        self.shows(full_hd, "Menu/Menu.bmp")
        # Each DOWN lights the next of the five entries; the sixth the first again.
        looks = [game.grab(block)]
        for _ in range(5):
            game.keys("Down")
            looks.append(e2e.wait_for(lambda: (lambda now: now != looks[-1] and now)(
                game.grab(block)), "highlight moved"))
        self.assertEqual((len(set(looks)), looks[5]), (5, looks[0]))
        for downs, name in ((2, "Menu/OptionsBack.bmp"), (3, "Menu/Credits.bmp"),
                            (0, "Game/Background.bmp"), (1, "Game/Background.bmp")):
            game.keys(*["Down"] * downs + ["Return"])
            self.shows(full_hd, name)
            if downs == 0:
                self.play(full_hd, (("Up", 0, -1), ("Down", 0, 1)))
            if downs == 1:
                self.play(full_hd, (("w", 0, -1), ("Down", 1, 1)))
            game.keys("Escape")
            self.shows(full_hd, "Menu/Menu.bmp")

    def switch(self, keys, full_hd, saved):
        """Chooses the level and the display mode in the options and saves them with RETURN."""
        self.game.keys("Down", "Down", "Return")
        self.shows(not full_hd, "Menu/OptionsBack.bmp")
        self.game.keys(*keys, "Return")
        e2e.wait_for(lambda: self.game.settings() == saved, "settings saved")
        e2e.wait_for(lambda: self.game.geometry()[2:] == e2e.MODES[full_hd]["size"], "new size")
        self.shows(full_hd, "Menu/Menu.bmp")

    def test_window(self):
        self.start(None)
        self.assertEqual(self.game.settings(), bytes([2, 0, 0, 0, 0, 0, 0, 0]))  # defaults
        self.walk(False)
        self.switch(("Right", "Right", "Down", "Left"), True, bytes([3, 0, 0, 0, 1, 0, 0, 0]))
        self.game.close()
        self.assertEqual((self.game.wait_exit(), self.game.output()), (0, b""))

    def test_full_hd(self):
        self.start(bytes([2, 0, 0, 0, 1, 0, 0, 0]))
        self.walk(True)
        self.switch(("Left", "Left", "Down", "Right"), False, bytes([1, 0, 0, 0, 0, 0, 0, 0]))
        self.game.keys("Up", "Return")  # the menu's last entry: exit
        self.assertEqual((self.game.wait_exit(), self.game.output()), (0, b""))


if __name__ == "__main__":
    e2e.main()
