"""Matches in a real window: the keys move their paddles, the computer moves its own, and a
point changes the score.

Usage: /usr/bin/python3 test_match.py <zorvat binary> <Data folder> [unittest arguments]
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zorvat_e2e as e2e  # noqa: E402

STEP = 20  # pixels a paddle must move to count as moved (it runs 167 pixels a second here)


class MatchTest(e2e.ServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.layout = e2e.Layout(full_hd=False)

    def start_match(self, downs):
        """A game in the window mode, in the match of menu entry downs + 1, with both paddles
        drawn."""
        self.open_game()
        # Wait for the menu before the keys, so that none is sent before the window polls.
        block = self.layout.menu_block
        e2e.wait_for(lambda: self.grab(block).rgb != bytes(block[2] * block[3] * 3), 10,
                     "the menu drawn")
        self.game.key(*(["Down"] * downs + ["Return"]))
        e2e.wait_for(lambda: all(self.paddles()), 10, "both paddles drawn")

    def paddles(self):
        """(top, bottom) of the body of the left and the right paddle, in window pixels."""
        height = self.layout.size[1]
        return tuple(self.grab((x, 0, w, height)).bright_span()
                     for x, w in self.layout.paddle_columns)

    def score(self, side):
        return self.grab(self.layout.scores[side])

    def move(self, keys, side, up):
        """Holds keys until the paddle of side (0 left, 1 right) has moved STEP pixels up or
        down; returns the other paddle's span before and after."""
        before = self.paddles()

        def moved():
            now = self.paddles()
            if now[side] is None:
                return None
            shift = before[side][0] - now[side][0] if up else now[side][0] - before[side][0]
            return now if shift >= STEP else None
        after = self.game.hold(keys, moved, timeout=5,
                               what="%s paddle moving %s under %s" % (
                                   ("left", "right")[side], "up" if up else "down", "+".join(keys)))
        return before[1 - side], after[1 - side]

    def test_one_player_keys_a_computer_paddle_and_a_point_for_the_computer(self):
        self.start_match(0)
        # The arrows steer the left paddle both ways; then it waits at the top, out of the
        # ball's usual way, so that the ball passes it.
        self.move(["Up"], 0, up=True)
        self.move(["Down"], 0, up=False)
        self.game.hold(["Up"], lambda: self.paddles()[0][0] <= 10, timeout=8,
                       what="left paddle at the top")

        score = self.score(1)
        tops = set()
        deadline = time.monotonic() + 40

        def point_and_moves():
            right = self.paddles()[1]
            if right is not None:
                tops.add(right[0])
            changed = self.score(1).rgb != score.rgb
            return changed and max(tops) - min(tops) >= STEP
        try:
            e2e.wait_for(point_and_moves, deadline - time.monotonic(),
                         "a point for the computer and its paddle moving", interval=0.02)
        except TimeoutError:
            self.fail("in 40 s: right score changed %s, computer paddle tops seen %s" % (
                self.score(1).rgb != score.rgb, sorted(tops)))
        self.assertGreater(self.score(1).count_near(e2e.SCORE_BLUE, 30), 30, "score text drawn")

        self.game.close(self.window)
        self.assertEqual(self.game.wait_exit(), 0)

    def test_two_players_steer_their_own_paddles(self):
        self.start_match(1)
        for keys, side, up in ((["w"], 0, True), (["s"], 0, False),
                               (["Up"], 1, True), (["Down"], 1, False)):
            before, after = self.move(keys, side, up)
            # The ball passing the other paddle may lengthen its body by a few pixels.
            self.assertLess(abs(sum(after) - sum(before)) / 2, STEP / 2,
                            "%s moved the other paddle too" % keys[0])

        # Both players at once.
        before = self.paddles()
        self.game.hold(["w", "Down"], lambda: (
            lambda now: now[0][0] <= before[0][0] - STEP and now[1][0] >= before[1][0] + STEP)(
                self.paddles()), timeout=5, what="W and DOWN held together")

        self.game.key("Escape")
        e2e.wait_for(lambda: not all(self.paddles()), 10, "the menu after ESC")
        self.game.close(self.window)
        self.assertEqual(self.game.wait_exit(), 0)


if __name__ == "__main__":
    e2e.main(__doc__)
