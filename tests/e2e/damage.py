"""Damaged input through the real game, one or two cases of each kind (the in-process tests
give every damage to the same code): each walks the screens that read the damaged input, then
leaves by the menu's exit entry with status 0, printing nothing (no sanitizer report either)
and keeping the settings file as it was.
Usage: /usr/bin/python3 damage.py <zorvat binary> <Data folder> [unittest arguments]"""

import os, pathlib, random, re, struct, sys  # noqa: E401

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402

FULL_HD = bytes([2, 0, 0, 0, 1, 0, 0, 0])
GARBAGE = b"BM" + random.Random(1).randbytes(4094)  # a bitmap's mark, then noise
# Keys from a fresh main menu into the screens that read the damaged input, and back.
MENU = ("Down", "Down", "Down", "Return", "Escape")  # the menu is read again after the credits
OPTIONS = ("Down", "Down", "Return", "Right", "Down", "Left", "Escape")
MATCHES = ("Return", "+Up", "Escape", "Down", "Return", "+w", "+Down", "Escape")


def bmp(width, height):
    """An intact 32-bit bitmap of one grey."""
    pixels = b"\x80\x80\x80\x00" * width * height
    return struct.pack("<2sI4xIIiiHHII16x", b"BM", 54 + len(pixels), 54, 40, width, height, 1,
                       32, 0, len(pixels)) + pixels


def half(path):
    """The first half of a file."""
    body = pathlib.Path(path).read_bytes()
    return body[:len(body) // 2]


class DamageTest(e2e.ServerTest):
    def survive(self, name, route, settings=None, damage=None, data=True):
        """Starts the game on the damaged input, walks route and leaves by the exit entry."""
        with self.subTest(name), e2e.Game(self.binary, self.x, self.data if data else None,
                                          settings, damage) as game:
            game.open().keys(*route + ("Up", "Return"))
            self.assertEqual(game.exit(), (0, b""))
            self.assertEqual(game.settings(), settings or bytes([2, 0, 0, 0, 0, 0, 0, 0]))

    def test_art(self):
        scaled, full_hd = self.data + "/Skaliert/", self.data + "/Original/"
        self.survive("menu", MENU, None, {"Skaliert/Menu/Menu_Select.bmp": bmp(1, 1),
                                          "Skaliert/Menu/Menu.bmp": half(scaled + "Menu/Menu.bmp")})
        self.survive("options", OPTIONS, FULL_HD, {
            "Original/Menu/Options_Selections2.bmp": bmp(1, 1),  # less than a frame
            "Original/Menu/OptionsBack.bmp": GARBAGE})
        self.survive("match", MATCHES, None, {"Skaliert/Game/Paddel1.bmp": bmp(1, 1),
                                              "Skaliert/Game/Ball.bmp": GARBAGE,
                                              "Skaliert/Game/Background.bmp": None})
        self.survive("full-HD match", MATCHES, FULL_HD, {
            "Original/Game/Ball.bmp": bmp(4000, 1),
            "Original/Game/Paddel2.bmp": half(full_hd + "Game/Paddel2.bmp")})
        self.survive("no Data", OPTIONS + MATCHES, data=False)  # every screen black
        with self.subTest("no display"), e2e.Game(self.binary, None, self.data,
                                                  env={"TERM": "xterm"}) as game:
            status, out = game.exit()  # at once status 1; a text terminal is given back
            self.assertEqual(status, 1)
            self.assertEqual(re.sub(rb"\x1b(\][^\a]*\a|\[[0-9;?]*[A-Za-z]|[()][0-9A-Z]|[=>])|\r",
                                    b"", out), b"")
            self.assertGreaterEqual(out.rfind(b"\x1b[?1049l"), out.rfind(b"\x1b[?1049h"))
            self.assertGreaterEqual(out.rfind(b"\x1b[?25h"), out.rfind(b"\x1b[?25l"))

    def test_input(self):
        # Settings read by the options and by the computer's paddle: too short, odd values.
        self.survive("short settings", OPTIONS + MATCHES[:3], bytes([7, 7, 7]))
        self.survive("odd settings", OPTIONS + MATCHES[:3], bytes([0, 0, 0, 0x80, 255, 9, 9, 9]))
        self.survive("font missing", MATCHES, damage={"DejaVuSansMono.ttf": None})
        self.survive("font damaged", MATCHES, FULL_HD,
                     {"DejaVuSansMono.ttf": half(self.data + "/DejaVuSansMono.ttf")})


if __name__ == "__main__":
    e2e.main()
