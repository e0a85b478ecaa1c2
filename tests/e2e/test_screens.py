"""Every screen reached from the main menu and left again, in the window and in full screen,
each checked by the screen regions that must change or stay.

Usage: /usr/bin/python3 test_screens.py <zorvat binary> <Data folder> [unittest arguments]
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402


class ScreensTest(e2e.ServerTestCase):
    def start(self, full_hd):
        self.layout = e2e.Layout(full_hd)
        self.open_game(settings=bytes([2, 0, 0, 0, 1 if full_hd else 0, 0, 0, 0]))
        self.assertEqual(self.game.geometry(self.window)[2:], self.layout.size)

    def shot(self):
        """The whole window."""
        return self.grab(self.layout.window())

    def wait_change(self, rect, before, what, timeout=10):
        """The region once it no longer shows before."""
        def changed():
            now = self.grab(rect)
            return now if now.rgb != before.rgb else None
        return e2e.wait_for(changed, timeout, what)

    def wait_same(self, rect, expected, what, timeout=10):
        e2e.wait_for(lambda: self.grab(rect).rgb == expected.rgb, timeout, what)

    def assert_stays(self, window, what, seconds=0.3):
        """The window keeps showing window for a few frames' worth of time."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.assertEqual(self.shot().rgb, window.rgb, what)

    def assert_inside(self, box, rect, what, slack=2):
        """box (left, top, right, bottom) lies within rect (x, y, w, h)."""
        self.assertIsNotNone(box, "%s: nothing changed" % what)
        x, y, w, h = rect
        self.assertTrue(x - slack <= box[0] and box[2] < x + w + slack
                        and y - slack <= box[1] and box[3] < y + h + slack,
                        "%s: changed pixels %s reach outside %s" % (what, box, rect))

    def check_menu_highlight(self):
        """DOWN moves the highlight one entry band at a time and wraps from the last entry to
        the first; UP wraps back. Returns the block with entry 1 highlighted."""
        block = self.layout.menu_block
        black = e2e.Picture(block[2], block[3], bytes(block[2] * block[3] * 3))
        first = self.wait_change(block, black, "menu drawn")
        shown = [first]
        for entry in range(2, 6):
            self.game.key("Down")
            now = self.wait_change(block, shown[-1], "highlight on entry %d" % entry)
            box = now.changed_box(shown[-1])
            # Only the bands of the entry left and the entry reached change.
            top, bottom = self.layout.entry_band(entry - 1)[0], self.layout.entry_band(entry)[1]
            self.assert_inside(box, (0, top, block[2], bottom - top + 1),
                               "DOWN to entry %d" % entry)
            self.assertLess(box[1], self.layout.entry_band(entry - 1)[1],
                            "DOWN to entry %d leaves entry %d lit" % (entry, entry - 1))
            self.assertGreater(box[3], self.layout.entry_band(entry)[0],
                               "DOWN to entry %d does not light it" % entry)
            shown.append(now)
        self.game.key("Down")
        self.wait_same(block, first, "DOWN on the last entry back to the first")
        self.game.key("Up")
        self.wait_same(block, shown[4], "UP on the first entry to the last")
        self.game.key("Down")
        self.wait_same(block, first, "DOWN from the last entry to the first")
        return first

    def enter(self, downs, shows, what):
        """From the menu on entry 1, RETURN on entry downs + 1; the window once shows(window)
        holds."""
        self.game.key(*(["Down"] * downs + ["Return"]))

        def shown():
            window = self.shot()
            return window if shows(window) else None
        return e2e.wait_for(shown, 10, what)

    def leave(self, key, menu, what):
        """A key that returns to a fresh main menu, on entry 1 again."""
        self.game.key(key)
        self.wait_same(self.layout.menu_block, menu, what)

    def check_options(self, menu):
        layout = self.layout
        # The options picture, with the two values and a marker drawn over it.
        back = self.art(layout, "OptionsBack.bmp")
        options = self.enter(2, lambda window: window.changed_share(back) < 0.015,
                             "options: OptionsBack.bmp in the window")
        for rect in (layout.level_value, layout.mode_value):
            self.assertIsNotNone(options.crop(*rect).changed_box(back.crop(*rect)),
                                 "no value drawn at %s" % (rect,))

        # RIGHT on the level row changes the level value and nothing else.
        self.game.key("Right")
        self.wait_change(layout.level_value, options.crop(*layout.level_value), "level value")
        after = self.shot()
        self.assert_inside(after.changed_box(options), layout.level_value, "RIGHT on the level")

        # DOWN moves the marker to the display row, where the other key changes the mode.
        self.game.key("Down")
        self.wait_change(layout.window(), after, "marker on the display row")
        marked = self.shot()
        self.game.key("Right" if layout.full_hd else "Left")
        self.wait_change(layout.mode_value, marked.crop(*layout.mode_value), "mode value")
        self.assert_inside(self.shot().changed_box(marked), layout.mode_value,
                           "changing the display mode")

        # ESC leaves without saving and without re-opening the screen.
        settings = self.game.settings()
        self.leave("Escape", menu, "menu after ESC in the options")
        self.assertEqual(self.game.settings(), settings)
        self.assertEqual(self.game.geometry(self.window)[2:], layout.size)

    def check_match(self, downs, what):
        layout = self.layout

        def drawn(window):
            scores = [window.crop(*rect) for rect in layout.scores]
            paddles = [window.crop(x, 0, w, layout.size[1]).bright_span()
                       for x, w in layout.paddle_columns]
            return (all(s.count_near(e2e.SCORE_BLUE, 30) > 30 for s in scores)
                    and all(p and layout.paddle_height // 3 <= p[1] - p[0] < layout.paddle_height
                            for p in paddles))
        self.enter(downs, drawn, "%s with both scores and both paddles" % what)

    def check_screens(self, full_hd):
        self.start(full_hd)
        menu = self.menu = self.check_menu_highlight()
        self.check_options(menu)

        # The credits picture, drawn from the top-left corner, fills the window.
        picture = self.art(self.layout, "Credits.bmp")
        credits = self.enter(3, lambda window: window.changed_share(picture) == 0,
                             "credits: Credits.bmp in the window")
        self.game.key("Return", "Up", "Down")  # nothing but ESC leaves the credits
        self.assert_stays(credits, "the credits after RETURN, UP and DOWN")
        self.leave("Escape", menu, "menu after ESC in the credits")

        self.check_match(0, "one-player match")
        self.leave("Escape", menu, "menu after ESC in a one-player match")
        self.check_match(1, "two-player match")

    def test_window_mode(self):
        self.check_screens(full_hd=False)
        # Leave through the exit entry.
        self.leave("Escape", self.menu, "menu after ESC in a two-player match")
        self.game.key("Down", "Down", "Down", "Down", "Return")
        self.assertEqual(self.game.wait_exit(), 0)

    def test_full_screen(self):
        self.check_screens(full_hd=True)
        # Closing the window in the middle of a match ends the game as well.
        self.game.close(self.window)
        self.assertEqual(self.game.wait_exit(), 0)


if __name__ == "__main__":
    e2e.main(__doc__)
