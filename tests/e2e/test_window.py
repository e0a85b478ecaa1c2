"""The built game in a real X window: the first start, the display mode from the settings file,
the window's close button, and a display that cannot be reached.

Usage: /usr/bin/python3 test_window.py <zorvat binary> <Data folder> [unittest arguments]
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402

BLACK = (0, 0, 0)
# Points of the scaled screen that the menu's highlight (346 x 333 at 466, 200) never covers.
MENU_POINTS = [(2, 2), (300, 100), (1277, 2), (2, 717), (1277, 717), (900, 650)]


class WindowTest(e2e.ServerTestCase):
    def close_and_expect_status_zero(self, game, window):
        game.close(window)
        self.assertEqual(game.wait_exit(timeout=30), 0)
        self.assertEqual(game.output(), b"", "the game prints nothing")

    def test_first_start_writes_defaults_and_opens_the_menu_in_a_window(self):
        game = self.start_game()
        window = game.wait_window()

        self.assertEqual(game.geometry(window)[2:], (1280, 720))
        name, icon_name = game.names(window)
        self.assertEqual(name, "Zorvat")
        # SDL 2 has no icon title, so SDL 1.2's compatibility layer over it sets none; window
        # managers then show the window name.
        self.assertEqual(icon_name, None if game.on_sdl2() else "Zorvat")
        self.assertEqual(game.settings(), bytes([2, 0, 0, 0, 0, 0, 0, 0]))

        # The window shows the scaled menu picture from its top-left corner, or black where
        # there is no picture.
        left, top = game.geometry(window)[:2]
        menu = e2e.load_picture(os.path.join(self.data, "Skaliert", "Menu", "Menu.bmp"))

        def expected(x, y):
            if menu is None or x >= menu.width or y >= menu.height:
                return BLACK
            return menu.pixel(x, y)

        def shows_menu():
            shot = e2e.screenshot(self.server)
            seen = [shot.pixel(left + x, top + y) for x, y in MENU_POINTS]
            return seen == [expected(x, y) for x, y in MENU_POINTS] or None

        e2e.wait_for(shows_menu, 30, "menu picture in the window", interval=0.3)
        self.close_and_expect_status_zero(game, window)

    def test_display_byte_one_opens_full_hd_and_others_the_window(self):
        for display_byte, size in ((1, (1920, 1080)), (0, (1280, 720)), (2, (1280, 720))):
            with self.subTest(display_byte=display_byte):
                settings = bytes([3, 0, 0, 0, display_byte, 0, 0, 0])
                game = self.start_game(settings=settings)
                window = game.wait_window()

                self.assertEqual(game.geometry(window)[2:], size)
                self.close_and_expect_status_zero(game, window)
                self.assertEqual(game.settings(), settings, "start-up only reads the file")

    def test_keys_reach_the_menu_and_its_last_entry_ends_the_game(self):
        game = self.start_game()
        window = game.wait_window()
        game.focus(window)
        game.key("Up", "Return")  # UP from the first entry wraps to the last one: the end
        self.assertEqual(game.wait_exit(timeout=30), 0)

    def test_unreachable_display_ends_with_status_one_at_once(self):
        # X11 by name: left to choose, the classic library falls back to a terminal driver
        # when no X server answers.
        game = self.start_game(extra_env={"DISPLAY": ":%d" % e2e.unused_display(),
                                          "SDL_VIDEODRIVER": "x11"})
        self.assertEqual(game.wait_exit(timeout=30), 1)
        self.assertEqual(game.output(), b"")


if __name__ == "__main__":
    e2e.main(__doc__)
