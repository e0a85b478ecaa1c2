"""The options screen in a real window: saving the level and the display mode, the screen
switching to 1920x1080 full screen and back at once, and the menu still answering RETURN
right after each switch.

Usage: /usr/bin/python3 test_options.py <zorvat binary> <Data folder> [unittest arguments]
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402


class OptionsTest(e2e.ServerTestCase):
    def shows(self, layout, name, share, what):
        """Waits until the window of layout's size shows the menu picture name, but for at
        most share of its pixels (what the pictures drawn over it cover)."""
        picture = self.art(layout, name)
        e2e.wait_for(lambda: self.grab(layout.window()).changed_share(picture) <= share, 10,
                     what)

    def wait_mode(self, layout, settings, what):
        """The file holds settings, and the window has the size of layout at (0, 0)."""
        e2e.wait_for(lambda: self.game.settings() == settings, 10, "settings saved: " + what)
        e2e.wait_for(lambda: self.game.geometry(self.window)[2:] == layout.size, 10,
                     "window of %dx%d: %s" % (layout.size + (what,)))

    def choose(self, layout, entry):
        """Moves the highlight of a fresh menu down to entry and waits until it is drawn
        there."""
        first = self.grab(layout.menu_block)
        self.game.key(*["Down"] * (entry - 1))
        band = layout.entry_band(entry)

        def there():
            box = self.grab(layout.menu_block).changed_box(first)
            return box is not None and box[3] >= band[0]
        e2e.wait_for(there, 10, "highlight on entry %d" % entry)

    def test_display_mode_switches_both_ways_and_the_next_return_works(self):
        window, full_hd = e2e.Layout(False), e2e.Layout(True)
        self.open_game()
        self.assertEqual(self.game.geometry(self.window)[2:], window.size)
        self.shows(window, "Menu.bmp", 0.05, "the menu in the window")

        # Level up to Hard, display mode to 1080p, and one quick RETURN.
        self.choose(window, 3)
        self.game.key("Return")
        self.shows(window, "OptionsBack.bmp", 0.015, "the options in the window")
        rects = (window.level_value, window.mode_value)
        values = [self.grab(rect) for rect in rects]
        self.game.key("Right", "Down", "Left")
        e2e.wait_for(lambda: all(self.grab(rect).rgb != value.rgb
                                 for rect, value in zip(rects, values)), 10, "both values changed")
        self.game.key("Return", delay_ms=0)
        self.wait_mode(full_hd, bytes([3, 0, 0, 0, 1, 0, 0, 0]), "Hard and 1080p")
        self.shows(full_hd, "Menu.bmp", 0.05, "the menu in full screen")

        # The RETURN released during the switch must not swallow the next one.
        self.choose(full_hd, 3)
        self.game.key("Return")
        self.shows(full_hd, "OptionsBack.bmp", 0.015,
                   "the options after RETURN in the full-screen menu")

        # Back to the window the same way; the level stays.
        self.game.key("Down", "Right")
        self.game.key("Return", delay_ms=0)
        self.wait_mode(window, bytes([3, 0, 0, 0, 0, 0, 0, 0]), "Hard and 720p")
        self.shows(window, "Menu.bmp", 0.05, "the menu in the window again")
        self.choose(window, 4)
        self.game.key("Return")
        self.shows(window, "Credits.bmp", 0, "the credits after RETURN in the menu")

        self.game.close(self.window)
        self.assertEqual(self.game.wait_exit(), 0)
        self.assertEqual(self.game.settings(), bytes([3, 0, 0, 0, 0, 0, 0, 0]))


if __name__ == "__main__":
    e2e.main(__doc__)
