#!/usr/bin/python3
"""Damaged-input matrix: gives the real game damaged settings files, art, font and displays and
checks that it never crashes, never trips a sanitizer and never loses settings by its own
writes.

usage: damage.py --game BIN --data DIR --group NAME [--cases DIR]

Each group prints one line per case (PASS, FAIL or SKIP with the reason) and exits 1 when a
case failed. Headless groups use SDL's dummy driver; the others start their own Xvfb, find the
window and drive it with xdotool.
"""

import argparse
import contextlib
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..', 'damage')]
import bitmaps  # noqa: E402
import zorvat_e2e as e2e  # noqa: E402
from Xlib import X  # noqa: E402

SANITIZER_MARKS = (b'ERROR: AddressSanitizer', b'runtime error:', b'ERROR: LeakSanitizer',
                   b'SUMMARY: UndefinedBehaviorSanitizer', b'AddressSanitizer:DEADLYSIGNAL')
DEFAULT_SETTINGS = struct.pack('<iB', 2, 0) + bytes(3)
INT_MAX, INT_MIN = 2 ** 31 - 1, -2 ** 31

# Every picture of a tree: the screen that loads it and, for a sprite sheet, its frame size in
# field units. The result pictures are covered through the library (ResultPictureTest.cpp).
ART = {
    'Menu/Menu.bmp': ('menu', None),
    'Menu/Menu_Select.bmp': ('menu', (520, 500)),
    'Menu/OptionsBack.bmp': ('options', None),
    'Menu/Options_Selections1.bmp': ('options', (221, 61)),
    'Menu/Options_Selections2.bmp': ('options', (100, 45)),
    'Menu/Options_Select1.bmp': ('options', None),
    'Menu/Options_Select2.bmp': ('options', None),
    'Menu/Credits.bmp': ('credits', None),
    'Game/Background.bmp': ('match', None),
    'Game/Ball.bmp': ('match', None),
    'Game/Paddel1.bmp': ('match', (50, 190)),
    'Game/Paddel2.bmp': ('match', (50, 190)),
}


def settings_bytes(level, full_hd):
    return struct.pack('<IB', level & 0xFFFFFFFF, full_hd) + bytes(3)


def decode_settings(body):
    """The level and display-mode byte that a record built from these bytes holds."""
    record = bytearray(DEFAULT_SETTINGS)
    record[:min(5, len(body))] = body[:5]
    level, full_hd = struct.unpack('<iB', bytes(record[:5]))
    return level, full_hd


class Report:
    def __init__(self):
        self.failed = []
        self.counts = {'PASS': 0, 'FAIL': 0, 'SKIP': 0}

    def case(self, verdict, name, detail=''):
        self.counts[verdict] += 1
        if verdict == 'FAIL':
            self.failed.append(name)
        print('%-4s %s%s' % (verdict, name, (': ' + detail) if detail else ''), flush=True)

    def finish(self):
        print('%(PASS)d passed, %(FAIL)d failed, %(SKIP)d skipped' % self.counts, flush=True)
        return 1 if self.failed else 0


def sanitizer_report(output):
    """The first lines of a sanitizer report in the game's output, or ''."""
    for mark in SANITIZER_MARKS:
        at = output.find(mark)
        if at >= 0:
            return output[at:at + 600].decode('utf-8', 'replace')
    return ''


def catches_sigterm(pid):
    """True once the process has its SIGTERM handler (SDL installs it while starting up)."""
    try:
        with open('/proc/%d/status' % pid) as f:
            for line in f:
                if line.startswith('SigCgt:'):
                    return bool(int(line.split()[1], 16) & (1 << (signal.SIGTERM - 1)))
    except OSError:
        pass
    return False


def fingerprint(server):
    """A coarse sample of the whole screen, enough to tell one game screen from another."""
    # One row at a time, with the server held, so that no frame of the game lands between
    # two rows of the same sample.
    with e2e.held(server) as x:
        rows = [x.screen().root.get_image(0, y, 1920, 1, X.ZPixmap, 0xFFFFFFFF).data
                for y in range(20, 1080, 60)]
    return b''.join(row[80::320] + row[81::320] + row[82::320] for row in rows)


class Game(e2e.Game):
    """The game of one case in its own working directory, on the X server or headless (server
    None), judged by its exit status and the sanitizer reports in its output."""

    def verdict(self, status):
        """'' when the run ended cleanly, else what went wrong."""
        report = sanitizer_report(self.output())
        if report:
            return 'sanitizer report: ' + report
        if status != 0:
            return 'exit status %s' % status
        return ''

    def finish(self):
        """Ends the game as a window close does; '' when it ended cleanly, else what went
        wrong."""
        return self.verdict(self.end(15))

    def run_headless(self):
        """Starts the game, waits until SDL is up (its SIGTERM handler is in place) and a few
        frames more, and ends it; '' or what went wrong."""
        self.start()
        started = False
        end = time.time() + 20
        while not started and time.time() < end and self.running():
            started = catches_sigterm(self.process.pid)
            time.sleep(0.3 if started else 0.02)
        started = started and self.running()
        return self.finish() or ('' if started else 'did not start')

    def open(self, report, name):
        """Starts the game and gives the keys to its window; False, with the case failed, when
        no window appeared."""
        self.start()
        try:
            self.focus(self.wait_window())
            time.sleep(0.3)
            if self.running():
                return True
        except (AssertionError, TimeoutError, subprocess.TimeoutExpired):
            pass
        report.case('FAIL', name, self.finish() or 'no window appeared')
        return False

    def close_case(self, report, name, problems):
        """Ends the game and reports the case with what went wrong in it."""
        problem = self.finish()
        if problem:
            problems.append(problem)
        report.case('FAIL' if problems else 'PASS', name, '; '.join(problems))

    def keys(self, *names, hold=None):
        """Types the keys a little apart, then holds one key down for a while; one xdotool call.
        Keys meant for another screen wait until it shows (wait_screen)."""
        words = (['key', '--delay', '15'] + list(names)) if names else []
        if hold:
            words += ['keydown', hold[0], 'sleep', str(hold[1]), 'keyup', hold[0]]
        self._xdotool(*words)

    def wait_screen(self, shown, timeout=10.0, interval=0.02):
        """Waits until the screen looks as the condition wants; its look, or None on timeout or
        when the game has died."""
        end = time.time() + timeout
        while time.time() < end and self.running():
            look = fingerprint(self.server)
            if shown(look):
                return look
            time.sleep(interval)
        return None

    def settle(self, seconds=0.25):
        time.sleep(seconds)
        return self.running()

    def steady_look(self, timeout=5.0):
        """The look of the screen once two looks in a row agree; None when the game died."""
        looks = [None]
        return self.wait_screen(lambda look: looks.append(look) or look == looks[-2], timeout,
                                interval=0.05)


def link_data(data, target, only=None):
    """A Data tree of symbolic links to the built art, so that single files can be replaced."""
    for root, _, files in os.walk(data):
        rel = os.path.relpath(root, data)
        os.makedirs(os.path.join(target, rel), exist_ok=True)
        for name in files:
            path = os.path.normpath(os.path.join(rel, name))
            if only is None or path in only:
                os.symlink(os.path.join(root, name), os.path.join(target, path))


def read_bytes(path):
    with open(path, 'rb') as f:
        return f.read()


def write_bytes(path, body):
    if os.path.lexists(path):
        os.unlink(path)
    if body is not None:
        with open(path, 'wb') as f:
            f.write(body)


# ---- Settings files, headless -----------------------------------------------------------------

def settings_cases():
    """(name, how to prepare the working directory, what the settings path must hold after)."""
    rng = random.Random(6)
    cases = [('missing', None, DEFAULT_SETTINGS), ('empty', b'', b'')]
    for n in range(1, 8):
        body = bytes(rng.randrange(256) for _ in range(n))
        cases.append(('%d-bytes' % n, body, body))
    for n in (8, 12, 4096):
        body = settings_bytes(3, 1) + bytes(rng.randrange(256) for _ in range(n - 8))
        cases.append(('%d-bytes' % n, body, body))
    for i in range(3):
        body = bytes(rng.randrange(256) for _ in range(8))
        cases.append(('random-%d' % i, body, body))
    for level in (-1, 0, 7, INT_MAX, INT_MIN):
        cases.append(('level-%d' % level, settings_bytes(level, 0), settings_bytes(level, 0)))
    for full_hd in (1, 2, 255):
        cases.append(('fullHd-%d' % full_hd, settings_bytes(3, full_hd),
                      settings_bytes(3, full_hd)))
    cases.append(('directory', 'directory', 'directory'))
    return cases


def prepare_settings(workdir, body):
    path = os.path.join(workdir, e2e.SETTINGS)
    if body == 'directory':
        os.mkdir(path)
    elif body is not None:
        write_bytes(path, body)


def check_settings(workdir, expected):
    path = os.path.join(workdir, e2e.SETTINGS)
    if expected == 'directory':
        return '' if os.path.isdir(path) else 'the directory is gone'
    if expected is None:
        return 'a settings file was created' if os.path.lexists(path) else ''
    if not os.path.isfile(path):
        return 'no settings file'
    found = read_bytes(path)
    if found != expected:
        return 'settings changed: %s, expected %s' % (found[:16].hex(), expected[:16].hex())
    return ''


def unprivileged_user(args):
    """(user, group) to run as when this is root, None when not root; or a reason to skip."""
    if os.geteuid() != 0:
        return None, ''
    if not shutil.which('setpriv'):
        return None, 'running as root and setpriv is missing'
    try:
        check = subprocess.run(['setpriv', '--reuid=nobody', '--regid=nogroup', '--clear-groups',
                                'test', '-x', args.game, '-a', '-r',
                                os.path.join(args.data, 'Skaliert', 'Menu', 'Menu.bmp')],
                               timeout=10)
    except (OSError, subprocess.TimeoutExpired) as e:
        return None, 'setpriv failed: %s' % e
    if check.returncode != 0:
        return None, 'user nobody cannot run the game or read its Data'
    return ('nobody', 'nogroup'), ''


def group_settings(args, report):
    """Every settings file headless; then files the game may not read or write, which need a
    user other than root: (name, body, file mode, folder mode, what the path holds after)."""
    cases = [(name, body, None, None, expected) for name, body, expected in settings_cases()]
    cases += [('unreadable', settings_bytes(3, 1), 0o200, 0o755, settings_bytes(3, 1)),
              ('unreadable-read-only-dir', settings_bytes(3, 0), 0o000, 0o555,
               settings_bytes(3, 0)),
              ('read-only-dir-missing', None, None, 0o555, None),
              ('read-only-dir', settings_bytes(1, 0), 0o444, 0o555, settings_bytes(1, 0))]
    user, reason = unprivileged_user(args)
    for name, body, mode, dir_mode, expected in cases:
        if dir_mode is not None and reason:
            report.case('SKIP', 'settings/' + name, reason)
            continue
        game = Game(args.game, args.data, None)
        path = game.path(e2e.SETTINGS)
        try:
            prepare_settings(game.dir, body)
            if dir_mode is not None and user:
                # The player owns the folder and the file; only their permissions stand in the way.
                shutil.chown(game.dir, *user)
                if body is not None:
                    shutil.chown(path, *user)
                game.command[:0] = ['setpriv', '--reuid=' + user[0], '--regid=' + user[1],
                                    '--clear-groups']
            if mode is not None:
                os.chmod(path, mode)
            if dir_mode is not None:
                os.chmod(game.dir, dir_mode)
            problem = game.run_headless()
            os.chmod(game.dir, 0o755)
            if mode is not None:
                os.chmod(path, 0o600)
            problem = problem or check_settings(game.dir, expected)
            report.case('FAIL' if problem else 'PASS', 'settings/' + name, problem)
        finally:
            game.stop()


# ---- Start-up without art, font or display, headless ------------------------------------------

def group_startup(args, report):
    for name, setup in (('no-data', lambda w: None),
                        ('empty-data', lambda w: os.mkdir(os.path.join(w, 'Data'))),
                        ('data-is-a-file', lambda w: write_bytes(os.path.join(w, 'Data'), b'x')),
                        ('menu-art-only-full-hd', lambda w: (
                            link_data(args.data, os.path.join(w, 'Data'),
                                      {'Original/Menu/Menu.bmp'}),
                            write_bytes(os.path.join(w, e2e.SETTINGS), settings_bytes(2, 1))))):
        game = Game(args.game, None, None)
        try:
            setup(game.dir)
            expected = (settings_bytes(2, 1) if 'full-hd' in name else DEFAULT_SETTINGS)
            problem = game.run_headless() or check_settings(game.dir, expected)
            report.case('FAIL' if problem else 'PASS', 'startup/' + name, problem)
        finally:
            game.stop()

    # No display at all: the game must give up at once with status 1.
    for name, extra in (('x11-no-server', {'SDL_VIDEODRIVER': 'x11',
                                           'DISPLAY': ':%d' % e2e.unused_display()}),
                        ('no-display-variable', {'DISPLAY': None, 'SDL_VIDEODRIVER': None})):
        game = Game(args.game, args.data, None, extra_env=extra)
        try:
            began = time.time()
            game.start()
            try:
                status = game.wait_exit(10)
            except TimeoutError:
                status = 'still running after 10 s (then %s)' % game.end(15)
            took = time.time() - began
            problem = sanitizer_report(game.output())
            if not problem and status != 1:
                problem = 'exit status %s, expected 1' % status
            report.case('FAIL' if problem else 'PASS', 'display/' + name,
                        problem or 'status 1 after %.1f s' % took)
        finally:
            game.stop()


# ---- A real window under Xvfb -------------------------------------------------------------------

def learn_menu(window):
    """How the main menu looks with each of its entries highlighted, starting from the first;
    leaves the first highlighted. Entries may look alike (a hand-edited display byte puts the
    scaled sheet on the full-HD grid, which has no frame for the last entries). None when the
    game stopped answering."""
    # The menu's art is intact here: until it is drawn, the window is black.
    window.wait_screen(lambda shown: any(shown), timeout=20.0)
    first = window.steady_look()
    looks = [first]
    for _ in range(4 if first else 0):
        window.keys('Down')
        window.wait_screen(lambda shown: shown not in looks, timeout=2.0)
        look = window.steady_look()
        if look is None:
            return None
        if look not in looks:
            looks.append(look)
    window.keys('Down')
    return looks if first and window.wait_screen(lambda shown: shown == first) else None


def visit(window, screen, menu=None, credits=None, blind=False):
    """Goes from the main menu into a screen, uses it, and comes back. menu holds the looks of
    the main menu (learn_menu); for the screen 'menu', whose own art is damaged, the trip goes
    through the credits, which look like credits instead. Returns '' or what went wrong: the
    game died, or a screen did not show up in time."""
    entry = {'options': ['Down', 'Down', 'Return'], 'multi': ['Down', 'Return'],
             'single': ['Return']}.get(screen, ['Down', 'Down', 'Down', 'Return'])
    window.keys(*entry)
    if blind:
        # Every screen is black: nothing to see but that the game goes on.
        window.keys('Right', 'Down', 'Left', hold=('Up', 0.1))
        window.settle(0.3)
        window.keys('Escape')
        return '' if window.settle(0.3) else 'the game died'
    if screen == 'menu':
        reached = window.wait_screen(lambda shown: shown == credits)
    else:
        reached = window.wait_screen(lambda shown: shown not in menu)
    if reached is None:
        return 'the game died' if not window.running() else 'the %s screen did not show' % screen
    if screen == 'options':
        # Both row markers and a changed value of each row are drawn; ESCAPE saves nothing.
        window.keys('Right', 'Down', 'Left')
    elif screen in ('single', 'multi'):
        # The paddle moves, so that its frames of motion are drawn too.
        window.keys(hold=('Up', 0.1))
    # A few more frames with the damaged picture; the menu's own art is read again when the
    # menu comes back from the credits.
    window.settle(0.1)
    window.keys('Escape')
    if screen == 'menu':
        back = window.wait_screen(lambda shown: shown != credits)
    else:
        back = window.wait_screen(lambda shown: shown == menu[0])
    if back is None:
        return 'the game died' if not window.running() else 'the main menu did not come back'
    return ''


# The damaged headers that SDL 1.2's loader accepts (Debian's build or the compatibility layer
# over SDL 2), so that they reach the game's own checks; the library test gives every damaged
# header to every kind of picture.
LOADER_ACCEPTS = ('bitfields-24', 'bitfields-high-32', 'bitfields-overlap-16',
                  'bitfields-zero-masks', 'bpp-12', 'bpp-15', 'bpp-64', 'bpp-65535',
                  'core-header-pal8', 'header-size-0', 'header-size-huge', 'height-int-min',
                  'offset-zero', 'pal8-no-palette', 'pal8-too-many-colours', 'planes-0')


def art_damages(original, frame, cases_dir, short=False):
    """(name, bytes or None for a missing file) of every damage given to one picture; without
    the ones that look like a missing file to the game in the second display mode."""
    rng = random.Random(len(original))
    damages = [
        ('missing', None),
        ('half', original[:len(original) // 2]),
        ('random-after-magic', b'BM' + bytes(rng.randrange(256) for _ in range(4094))),
        ('1x1', bitmaps.plain(1, 1)),
        ('oversize-8bit', bitmaps.bitmap(2100, 1200, 8, bytes(range(256)) * (2100 * 1200 // 256),
                                         [(i, i, 255 - i) for i in range(256)])),
    ]
    if not short:
        damages += [('empty', b''), ('header-only', original[:54]),
                    ('random', bytes(rng.randrange(256) for _ in range(4096)))]
    if frame:
        w, h = frame
        damages.append(('narrower-than-a-frame', bitmaps.plain(max(1, w - 1), h)))
        damages.append(('half-a-frame-tall', bitmaps.plain(w * 3, max(1, h // 2))))
    for name in LOADER_ACCEPTS:
        damages.append(('malformed-' + name, bitmaps.MALFORMED[name]()))
    if cases_dir and os.path.isdir(cases_dir):
        for name in sorted(os.listdir(cases_dir)):
            if name.endswith('.fuzz'):
                damages.append(('case-' + name[:-5], read_bytes(os.path.join(cases_dir, name))))
    return damages


@contextlib.contextmanager
def window_case(args, server, report, name, settings=None, data=True):
    """The game of one case in a window of server, on a Data tree of links to the built art
    (none when data is False) and the given settings (prepare_settings); None, with the case
    failed, when no window appeared. Ended and cleaned up after the block."""
    game = Game(args.game, None, server)
    try:
        if data:
            link_data(args.data, game.path('Data'))
        prepare_settings(game.dir, settings)
        yield game if game.open(report, name) else None
    finally:
        game.stop()


def group_art(args, report, screens, full_hd):
    """Every picture of the given screens, in turn, with every damage, in one display mode."""
    tree = 'Original' if full_hd else 'Skaliert'
    with e2e.XServer() as server:
        for picture, (screen, frame) in ART.items():
            if screen not in screens:
                continue
            with window_case(args, server, report, '%s/%s' % (tree, picture),
                             settings_bytes(2, full_hd)) as window:
                if not window:
                    continue
                path = window.path(os.path.join('Data', tree, picture))
                original = read_bytes(path)
                scaled = frame and (frame if full_hd else tuple(int(v * 0.667) for v in frame))
                problems = []
                menu = learn_menu(window)
                credits = None
                if menu and screen == 'menu':
                    window.keys('Up', 'Up', 'Return')
                    credits = window.wait_screen(lambda shown: shown not in menu)
                    window.keys('Escape')
                    window.wait_screen(lambda shown: shown == menu[0])
                if not menu or (screen == 'menu' and not credits):
                    problems.append('the main menu or the credits did not answer')
                for damage, body in ([] if problems else
                                     art_damages(original, scaled, args.cases, full_hd)):
                    label = '%s/%s/%s' % (tree, picture, damage)
                    write_bytes(path, body)
                    problem = visit(window, screen, menu, credits)
                    if problem:
                        problems.append('%s with %s' % (problem, damage))
                        report.case('FAIL', label, problem)
                        break
                    report.case('PASS', label)
                window.close_case(report, '%s/%s: exit' % (tree, picture), problems)


def group_font(args, report):
    """The score font missing or damaged, in both match modes."""
    with e2e.XServer() as server:
        for full_hd in (0, 1):
            name = 'font/full-hd-%d' % full_hd
            with window_case(args, server, report, name, settings_bytes(2, full_hd)) as window:
                if not window:
                    continue
                font = window.path(os.path.join('Data', 'DejaVuSansMono.ttf'))
                original = read_bytes(font)
                rng = random.Random(full_hd)
                menu = learn_menu(window)
                problems = [] if menu else ['the main menu did not answer']
                damages = (('missing', None), ('empty', b''),
                           ('half', original[:len(original) // 2]),
                           ('random', bytes(rng.randrange(256) for _ in range(65536))),
                           ('header-only', original[:12]), ('directory', 'dir'))
                for damage, body in damages if menu else ():
                    write_bytes(font, None if body == 'dir' else body)
                    if body == 'dir':
                        os.mkdir(font)
                    for screen in ('single', 'multi'):
                        problem = visit(window, screen, menu)
                        if problem:
                            problems.append('%s in a %s match with the font %s'
                                            % (problem, screen, damage))
                            break
                    if body == 'dir':
                        os.rmdir(font)
                    if problems:
                        break
                window.close_case(report, name, problems)
        # No Data at all: every screen is black, and every screen still works.
        with window_case(args, server, report, 'no-data/every-screen', data=False) as window:
            if window:
                problems = []
                for screen in ('options', 'credits', 'single', 'multi'):
                    problem = visit(window, screen, blind=True)
                    if problem:
                        problems.append('%s in %s' % (problem, screen))
                        break
                window.close_case(report, 'no-data/every-screen', problems)


def group_settings_screens(args, report):
    """Odd settings seen by the options screen and the computer player; what the options screen
    then saves is exactly what was chosen, and leaving it with ESCAPE writes nothing."""
    rng = random.Random(7)
    cases = [('level-%d' % level, settings_bytes(level, 0))
             for level in (-1, 0, 7, INT_MAX, INT_MIN)]
    cases += [('fullHd-%d' % v, settings_bytes(3, v)) for v in (2, 255)]
    cases += [('%d-bytes' % n, bytes([3, 0, 0, 0, 1, 9, 9, 9][:n])) for n in (0, 1, 3, 5, 7)]
    cases += [('12-bytes', settings_bytes(1, 0) + b'\xff' * 4),
              ('4096-bytes', settings_bytes(3, 0) + bytes(4088)),
              ('random', bytes(rng.randrange(256) for _ in range(8))),
              ('directory', 'directory'), ('missing', None)]
    with e2e.XServer() as server:
        for name, body in cases:
            label = 'settings-screens/' + name
            with window_case(args, server, report, label, body) as window:
                if not window:
                    continue
                menu = learn_menu(window)
                problems = [] if menu else ['the main menu did not answer']
                before = 'directory' if body == 'directory' else read_bytes(
                    window.path(e2e.SETTINGS))
                for screen in ('options', 'single') if menu else ():
                    problem = visit(window, screen, menu)
                    if problem:
                        problems.append('%s in %s' % (problem, screen))
                escaped = check_settings(window.dir, before)
                if escaped:
                    problems.append('ESCAPE from the options: ' + escaped)
                # RIGHT on the level row, then RETURN: the file holds the level shown and the
                # display mode the screen is in.
                window.keys('Down', 'Down', 'Return')
                options = window.wait_screen(lambda shown: shown not in (menu or []))
                if options is None:
                    problems.append('the options screen did not show')
                # A display byte other than 0 or 1 is saved as 0, and the window is opened anew.
                window.keys('Right', 'Return')
                if window.wait_screen(lambda shown: shown != options) is None:
                    problems.append('the options screen did not go after RETURN')
                if body == 'directory':
                    expected = 'directory'
                else:
                    # Only a changed value is saved; then the file holds both, and nothing else.
                    level, full_hd = decode_settings(before)
                    chosen = (3 if level >= 3 else level + 1, 1 if full_hd == 1 else 0)
                    expected = before if chosen == (level, full_hd) else settings_bytes(*chosen)
                # The screen changes as soon as the window is opened anew, before the file is
                # written; give the save a moment.
                problem = check_settings(window.dir, expected)
                end = time.time() + 5
                while problem and time.time() < end and window.running():
                    time.sleep(0.05)
                    problem = check_settings(window.dir, expected)
                if problem:
                    problems.append('saving from the options: ' + problem)
                if not window.running():
                    problems.append('died')
                window.close_case(report, label, problems)


GROUPS = {
    'settings': group_settings,
    'startup': group_startup,
    'settings-screens': group_settings_screens,
    'font': group_font,
    'art-menus-scaled': lambda a, r: group_art(a, r, ('menu', 'credits'), 0),
    'art-menus-full-hd': lambda a, r: group_art(a, r, ('menu', 'credits'), 1),
    'art-options-scaled': lambda a, r: group_art(a, r, ('options',), 0),
    'art-options-full-hd': lambda a, r: group_art(a, r, ('options',), 1),
    'art-match-scaled': lambda a, r: group_art(a, r, ('match',), 0),
    'art-match-full-hd': lambda a, r: group_art(a, r, ('match',), 1),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--game', required=True)
    parser.add_argument('--data', required=True)
    parser.add_argument('--group', required=True, choices=sorted(GROUPS))
    parser.add_argument('--cases', default=os.path.join(os.path.dirname(
        os.path.abspath(__file__)), 'cases'))
    args = parser.parse_args()
    args.game = os.path.abspath(args.game)
    args.data = os.path.abspath(args.data)
    report = Report()
    began = time.time()
    GROUPS[args.group](args, report)
    print('group %s took %.1f s' % (args.group, time.time() - began))
    return report.finish()


if __name__ == '__main__':
    sys.exit(main())
