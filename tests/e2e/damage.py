"""Damaged input through the real game in a real window: a damaged picture of each kind of
screen, Data missing, no display at all, a damaged settings file, the font missing or damaged.
The game walks the screens that read the damaged input and must then still answer the menu's
exit entry with status 0, print nothing (no sanitizer report either) and keep the settings
file as it was. The in-process tests put every damage of each class through the same code.

Usage: /usr/bin/python3 damage.py <zorvat binary> <Data folder> [unittest arguments]
"""

import os
import pathlib
import random
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402

DEFAULTS, FULL_HD = bytes([2, 0, 0, 0, 0, 0, 0, 0]), bytes([2, 0, 0, 0, 1, 0, 0, 0])
GARBAGE = b"BM" + random.Random(1).randbytes(4094)  # a bitmap's mark, then noise
# Keys from a fresh main menu into the screens that read the damaged input, and back to it.
MENU = ("Down", "Down", "Down", "Return", "Escape")  # the menu is read again after the credits
OPTIONS = ("Down", "Down", "Return", "Right", "Down", "Left", "Escape")
MATCHES = ("Return", "+Up", "Escape", "Down", "Return", "+w", "+Down", "Escape")


def bmp(width, height):
    """An intact 32-bit bitmap of one grey."""
    pixels = b"\x80\x80\x80\x00" * width * height
    return struct.pack("<2sI4xIIiiHHII16x", b"BM", 54 + len(pixels), 54, 40, width, height, 1,
                       32, 0, len(pixels)) + pixels


class DamageTest(e2e.ServerTest):
    def half(self, name):
        data = pathlib.Path(self.data, name).read_bytes()
        return data[:len(data) // 2]

    def survive(self, route, settings=None, damage=None, data=True):
        """Starts the game on the damaged input, walks route and leaves by the exit entry."""
        with e2e.Game(self.binary, self.server, self.data if data else None, settings,
                      damage) as game:
            game.open()
            game.keys(*route + ("Up", "Return"))
            self.assertEqual((game.wait_exit(), game.output()), (0, b""))
            self.assertEqual(game.settings(), settings or DEFAULTS)

    def test_art(self):
        cases = {
            "menu": (None, {"Skaliert/Menu/Menu_Select.bmp": bmp(1, 1),  # less than a frame
                            "Skaliert/Menu/Menu.bmp": self.half("Skaliert/Menu/Menu.bmp")}),
            "options": (FULL_HD, {"Original/Menu/Options_Selections2.bmp": bmp(1, 1),
                                  "Original/Menu/OptionsBack.bmp": GARBAGE}),
            "match": (None, {"Skaliert/Game/Paddel1.bmp": bmp(1, 1),
                             "Skaliert/Game/Ball.bmp": GARBAGE,
                             "Skaliert/Game/Background.bmp": None}),
            "match-full-hd": (FULL_HD, {"Original/Game/Paddel2.bmp": self.half(
                "Original/Game/Paddel2.bmp"), "Original/Game/Ball.bmp": bmp(4000, 1)}),
        }
        for name, (settings, damage) in cases.items():
            with self.subTest(name):
                self.survive(MENU if name == "menu" else OPTIONS if name == "options"
                             else MATCHES, settings, damage)
        with self.subTest("no Data"):  # every screen black
            self.survive(OPTIONS + MATCHES, data=False)
        with self.subTest("no display"):  # at once status 1; a text terminal is given back
            with e2e.Game(self.binary, None, self.data, env={"TERM": "xterm"}) as game:
                self.assertEqual(game.wait_exit(), 1)
                out = game.output()
                self.assertEqual(re.sub(rb"\x1b(\][^\a]*\a|\[[0-9;?]*[A-Za-z]|[()][0-9A-Z]|[=>])"
                                        rb"|\r", b"", out), b"")
                self.assertGreaterEqual(out.rfind(b"\x1b[?1049l"), out.rfind(b"\x1b[?1049h"))
                self.assertGreaterEqual(out.rfind(b"\x1b[?25h"), out.rfind(b"\x1b[?25l"))

    def test_input(self):
        for name, settings in (("short", bytes([7, 7, 7])),
                               ("odd values", bytes([0, 0, 0, 0x80, 255, 9, 9, 9]))):
            with self.subTest("settings " + name):  # read by the options and the computer
                self.survive(OPTIONS + MATCHES[:3], settings)
        with self.subTest("font missing"):
            self.survive(MATCHES, damage={"DejaVuSansMono.ttf": None})
        with self.subTest("font damaged"):
            self.survive(MATCHES, FULL_HD, {"DejaVuSansMono.ttf": self.half("DejaVuSansMono.ttf")})


if __name__ == "__main__":
    e2e.main()
