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
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bitmaps  # noqa: E402

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


def sanitizer_report(path):
    """The first lines of a sanitizer report in a captured stderr file, or ''."""
    try:
        with open(path, 'rb') as f:
            text = f.read()
    except OSError:
        return ''
    for mark in SANITIZER_MARKS:
        at = text.find(mark)
        if at >= 0:
            return text[at:at + 600].decode('utf-8', 'replace')
    return ''


def die_with_parent():
    """Run in a child before it starts: it gets SIGTERM when this script ends, so that a test
    stopped by its time limit leaves neither the game nor its Xvfb behind."""
    import ctypes
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


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


class Game:
    """The real binary running in a working directory, its stderr kept for sanitizer reports."""

    def __init__(self, binary, workdir, env, user=None):
        self.workdir = workdir
        self.errors = tempfile.NamedTemporaryFile(prefix='zorvat-stderr-', delete=False)
        command = [binary]
        if user:
            command = ['setpriv', '--reuid=' + user[0], '--regid=' + user[1], '--clear-groups',
                       binary]
        self.process = subprocess.Popen(command, cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=self.errors,
                                        preexec_fn=die_with_parent)

    def running(self):
        return self.process.poll() is None

    def wait_started(self, timeout=20.0):
        """Waits until SDL is up (its SIGTERM handler is in place), then a few frames more."""
        end = time.time() + timeout
        while time.time() < end and self.running():
            if catches_sigterm(self.process.pid):
                time.sleep(0.3)
                return self.running()
            time.sleep(0.02)
        return False

    def stop(self, timeout=15.0):
        """Ends the game as a window close does; returns its exit status (negative: signal)."""
        if self.running():
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return 'hang'

    def verdict(self, status):
        """'' when the run ended cleanly, else what went wrong."""
        report = sanitizer_report(self.errors.name)
        os.unlink(self.errors.name)
        if report:
            return 'sanitizer report: ' + report
        if status != 0:
            return 'exit status %s' % status
        return ''


def game_env(extra=None):
    env = dict(os.environ)
    env.setdefault('ASAN_OPTIONS', 'detect_leaks=0')
    env.setdefault('UBSAN_OPTIONS', 'print_stacktrace=1')
    env.pop('SDL_VIDEODRIVER', None)
    # Xvfb runs no window manager: keep the window where the classic library puts it, also on
    # the compatibility layer, which would centre it and leave it there in full screen.
    env.setdefault('SDL_VIDEO_WINDOW_POS', '0,0')
    if extra:
        env.update(extra)
    return env


def link_data(data, target, only=None):
    """A Data tree of symbolic links to the built art, so that single files can be replaced."""
    for root, _, files in os.walk(data):
        rel = os.path.relpath(root, data)
        os.makedirs(os.path.join(target, rel), exist_ok=True)
        for name in files:
            path = os.path.normpath(os.path.join(rel, name))
            if only is None or path in only:
                os.symlink(os.path.join(root, name), os.path.join(target, path))


def new_workdir(prefix):
    path = tempfile.mkdtemp(prefix='zorvat-damage-%s-' % prefix)
    os.chmod(path, 0o755)
    return path


def remove_tree(path):
    for root, dirs, _ in os.walk(path):
        for d in dirs:
            try:
                os.chmod(os.path.join(root, d), 0o755)
            except OSError:
                pass
    os.chmod(path, 0o755)
    shutil.rmtree(path, ignore_errors=True)


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
    path = os.path.join(workdir, 'Settings.zorvat')
    if body == 'directory':
        os.mkdir(path)
    elif body is not None:
        write_bytes(path, body)


def check_settings(workdir, expected):
    path = os.path.join(workdir, 'Settings.zorvat')
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


def run_headless(args, report, name, workdir, expected):
    game = Game(args.game, workdir, game_env({'SDL_VIDEODRIVER': 'dummy'}))
    started = game.wait_started()
    problem = game.verdict(game.stop())
    if not problem and not started:
        problem = 'did not start'
    if not problem:
        problem = check_settings(workdir, expected)
    report.case('FAIL' if problem else 'PASS', name, problem)


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
    for name, body, expected in settings_cases():
        workdir = new_workdir('settings')
        try:
            os.symlink(args.data, os.path.join(workdir, 'Data'))
            prepare_settings(workdir, body)
            run_headless(args, report, 'settings/' + name, workdir, expected)
        finally:
            remove_tree(workdir)

    # Files the game may not read or write need a user other than root.
    user, reason = unprivileged_user(args)
    for name, body, mode, dir_mode, expected in (
            ('unreadable', settings_bytes(3, 1), 0o200, 0o755, settings_bytes(3, 1)),
            ('unreadable-read-only-dir', settings_bytes(3, 0), 0o000, 0o555,
             settings_bytes(3, 0)),
            ('read-only-dir-missing', None, None, 0o555, None),
            ('read-only-dir', settings_bytes(1, 0), 0o444, 0o555, settings_bytes(1, 0))):
        if reason:
            report.case('SKIP', 'settings/' + name, reason)
            continue
        workdir = new_workdir('settings')
        path = os.path.join(workdir, 'Settings.zorvat')
        try:
            os.symlink(args.data, os.path.join(workdir, 'Data'))
            prepare_settings(workdir, body)
            if user:
                # The player owns the folder and the file; only their permissions stand in the way.
                shutil.chown(workdir, *user)
                if body is not None:
                    shutil.chown(path, *user)
            if mode is not None:
                os.chmod(path, mode)
            os.chmod(workdir, dir_mode)
            game = Game(args.game, workdir, game_env({'SDL_VIDEODRIVER': 'dummy'}), user)
            started = game.wait_started()
            problem = game.verdict(game.stop())
            if not problem and not started:
                problem = 'did not start'
            os.chmod(workdir, 0o755)
            if mode is not None:
                os.chmod(path, 0o600)
            if not problem:
                problem = check_settings(workdir, expected)
            report.case('FAIL' if problem else 'PASS', 'settings/' + name, problem)
        finally:
            remove_tree(workdir)


# ---- Start-up without art, font or display, headless ------------------------------------------

def group_startup(args, report):
    for name, setup in (('no-data', lambda w: None),
                        ('empty-data', lambda w: os.mkdir(os.path.join(w, 'Data'))),
                        ('data-is-a-file', lambda w: write_bytes(os.path.join(w, 'Data'), b'x')),
                        ('menu-art-only-full-hd', lambda w: (
                            link_data(args.data, os.path.join(w, 'Data'),
                                      {'Original/Menu/Menu.bmp'}),
                            write_bytes(os.path.join(w, 'Settings.zorvat'),
                                        settings_bytes(2, 1))))):
        workdir = new_workdir('startup')
        try:
            setup(workdir)
            expected = (settings_bytes(2, 1) if 'full-hd' in name else DEFAULT_SETTINGS)
            run_headless(args, report, 'startup/' + name, workdir, expected)
        finally:
            remove_tree(workdir)

    # No display at all: the game must give up at once with status 1.
    for name, extra, drop in (('x11-no-server', {'SDL_VIDEODRIVER': 'x11',
                                                 'DISPLAY': ':%d' % free_display()}, ()),
                              ('no-display-variable', {}, ('DISPLAY', 'SDL_VIDEODRIVER'))):
        workdir = new_workdir('display')
        try:
            os.symlink(args.data, os.path.join(workdir, 'Data'))
            env = game_env(extra)
            for key in drop:
                env.pop(key, None)
            began = time.time()
            game = Game(args.game, workdir, env)
            try:
                status = game.process.wait(10)
            except subprocess.TimeoutExpired:
                status = game.stop()
                status = 'still running after 10 s (then %s)' % status
            took = time.time() - began
            problem = sanitizer_report(game.errors.name)
            os.unlink(game.errors.name)
            if not problem and status != 1:
                problem = 'exit status %s, expected 1' % status
            report.case('FAIL' if problem else 'PASS', 'display/' + name,
                        problem or 'status 1 after %.1f s' % took)
        finally:
            remove_tree(workdir)


# ---- A real window under Xvfb -------------------------------------------------------------------

def free_display():
    """A display number that no X server holds now."""
    rng = random.Random()
    while True:
        n = rng.randrange(1000, 30000)
        if not os.path.exists('/tmp/.X%d-lock' % n) and \
                not os.path.exists('/tmp/.X11-unix/X%d' % n):
            return n


class Xvfb:
    """A virtual screen on a display number that Xvfb itself picks, so that servers started at
    the same time by other tests never collide; stopped by its process id."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ['Xvfb', '-displayfd', str(write), '-screen', '0', '1920x1080x24', '-noreset',
             '-nolisten', 'tcp'], pass_fds=(write,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        os.close(write)
        number = b''
        end = time.time() + 30
        while time.time() < end and not number.endswith(b'\n'):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError('Xvfb did not start')
        self.display = ':' + number.strip().decode()
        from Xlib import display as xdisplay
        self.x = xdisplay.Display(self.display)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def xdotool(self, *words, timeout=10):
        env = dict(os.environ, DISPLAY=self.display)
        try:
            done = subprocess.run(['xdotool'] + list(words), env=env, capture_output=True,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            return ''
        return done.stdout.decode().strip()

    def fingerprint(self):
        """A coarse sample of the whole screen, enough to tell one game screen from another."""
        from Xlib import X
        root = self.x.screen().root
        sample = bytearray()
        # One row at a time, with the server held, so that no frame of the game lands between
        # two rows of the same sample.
        self.x.grab_server()
        try:
            for y in range(20, 1080, 60):
                row = root.get_image(0, y, 1920, 1, X.ZPixmap, 0xFFFFFFFF).data
                sample += row[80:1920 * 4:320]
                sample += row[81:1920 * 4:320]
                sample += row[82:1920 * 4:320]
        finally:
            self.x.ungrab_server()
            self.x.flush()
        return bytes(sample)


class Window:
    """The game in a window of an Xvfb, driven by keys."""

    def __init__(self, args, xvfb, workdir):
        self.xvfb = xvfb
        self.game = Game(args.game, workdir, game_env({'DISPLAY': xvfb.display}))
        self.window = ''
        end = time.time() + 30
        while time.time() < end and self.game.running():
            found = xvfb.xdotool('search', '--name', '^Zorvat$').split()
            if found:
                self.window = found[0]
                break
            time.sleep(0.05)
        if self.window:
            xvfb.xdotool('windowfocus', '--sync', self.window, timeout=5)
            time.sleep(0.3)

    def up(self):
        return bool(self.window) and self.game.running()

    def keys(self, *names, hold=None, pause=0.015):
        """Types the keys a little apart, then holds one key down for a while; one xdotool call.
        Keys meant for another screen wait until it shows (wait_screen)."""
        words = (['key', '--delay', str(int(pause * 1000))] + list(names)) if names else []
        if hold:
            words += ['keydown', hold[0], 'sleep', str(hold[1]), 'keyup', hold[0]]
        self.xvfb.xdotool(*words)

    def wait_screen(self, shown, timeout=10.0):
        """Waits until the screen looks as the condition wants; its look, or None on timeout or
        when the game has died."""
        end = time.time() + timeout
        while time.time() < end and self.game.running():
            look = self.xvfb.fingerprint()
            if shown(look):
                return look
            time.sleep(0.02)
        return None

    def settle(self, seconds=0.25):
        time.sleep(seconds)
        return self.game.running()


def steady_look(window, timeout=5.0):
    """The look of the screen once two looks in a row agree; None when the game died."""
    last = None
    end = time.time() + timeout
    while time.time() < end and window.game.running():
        look = window.xvfb.fingerprint()
        if look == last:
            return look
        last = look
        time.sleep(0.05)
    return None


def learn_menu(window):
    """How the main menu looks with each of its entries highlighted, starting from the first;
    leaves the first highlighted. Entries may look alike (a hand-edited display byte puts the
    scaled sheet on the full-HD grid, which has no frame for the last entries). None when the
    game stopped answering."""
    # The menu's art is intact here: until it is drawn, the window is black.
    window.wait_screen(lambda shown: any(shown), timeout=20.0)
    first = steady_look(window)
    looks = [first]
    for _ in range(4 if first else 0):
        window.keys('Down')
        window.wait_screen(lambda shown: shown not in looks, timeout=2.0)
        look = steady_look(window)
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
        return 'the game died' if not window.game.running() else 'the %s screen did not show' % (
            screen)
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
        return 'the game died' if not window.game.running() else 'the main menu did not come back'
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


def start_window(args, xvfb, workdir, report, name):
    window = Window(args, xvfb, workdir)
    if not window.up():
        problem = window.game.verdict(window.game.stop()) or 'no window appeared'
        report.case('FAIL', name, problem)
        return None
    return window


def end_window(window, report, name, problems):
    problem = window.game.verdict(window.game.stop())
    if problem:
        problems.append(problem)
    report.case('FAIL' if problems else 'PASS', name, '; '.join(problems))


def group_art(args, report, screens, full_hd):
    """Every picture of the given screens, in turn, with every damage, in one display mode."""
    tree = 'Original' if full_hd else 'Skaliert'
    xvfb = Xvfb()
    try:
        for picture, (screen, frame) in ART.items():
            if screen not in screens:
                continue
            workdir = new_workdir('art')
            try:
                link_data(args.data, os.path.join(workdir, 'Data'))
                write_bytes(os.path.join(workdir, 'Settings.zorvat'), settings_bytes(2, full_hd))
                path = os.path.join(workdir, 'Data', tree, picture)
                original = read_bytes(path)
                scaled = frame and (frame if full_hd else tuple(int(v * 0.667) for v in frame))
                window = start_window(args, xvfb, workdir, report, '%s/%s' % (tree, picture))
                if not window:
                    continue
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
                end_window(window, report, '%s/%s: exit' % (tree, picture), problems)
            finally:
                remove_tree(workdir)
    finally:
        xvfb.stop()


def group_font(args, report):
    """The score font missing or damaged, in both match modes."""
    xvfb = Xvfb()
    try:
        for full_hd in (0, 1):
            workdir = new_workdir('font')
            try:
                link_data(args.data, os.path.join(workdir, 'Data'))
                write_bytes(os.path.join(workdir, 'Settings.zorvat'), settings_bytes(2, full_hd))
                font = os.path.join(workdir, 'Data', 'DejaVuSansMono.ttf')
                original = read_bytes(font)
                rng = random.Random(full_hd)
                name = 'font/full-hd-%d' % full_hd
                window = start_window(args, xvfb, workdir, report, name)
                if not window:
                    continue
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
                end_window(window, report, name, problems)
            finally:
                remove_tree(workdir)
        # No Data at all: every screen is black, and every screen still works.
        workdir = new_workdir('nodata')
        try:
            window = start_window(args, xvfb, workdir, report, 'no-data/every-screen')
            if window:
                problems = []
                for screen in ('options', 'credits', 'single', 'multi'):
                    problem = visit(window, screen, blind=True)
                    if problem:
                        problems.append('%s in %s' % (problem, screen))
                        break
                end_window(window, report, 'no-data/every-screen', problems)
        finally:
            remove_tree(workdir)
    finally:
        xvfb.stop()


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
    xvfb = Xvfb()
    try:
        for name, body in cases:
            workdir = new_workdir('settings-screens')
            try:
                link_data(args.data, os.path.join(workdir, 'Data'))
                prepare_settings(workdir, body)
                path = os.path.join(workdir, 'Settings.zorvat')
                label = 'settings-screens/' + name
                window = start_window(args, xvfb, workdir, report, label)
                if not window:
                    continue
                menu = learn_menu(window)
                problems = [] if menu else ['the main menu did not answer']
                before = 'directory' if body == 'directory' else read_bytes(path)
                for screen in ('options', 'single') if menu else ():
                    problem = visit(window, screen, menu)
                    if problem:
                        problems.append('%s in %s' % (problem, screen))
                if check_settings(workdir, before):
                    problems.append('ESCAPE from the options: ' + check_settings(workdir, before))
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
                problem = check_settings(workdir, expected)
                end = time.time() + 5
                while problem and time.time() < end and window.game.running():
                    time.sleep(0.05)
                    problem = check_settings(workdir, expected)
                if problem:
                    problems.append('saving from the options: ' + problem)
                if not window.game.running():
                    problems.append('died')
                end_window(window, report, label, problems)
            finally:
                remove_tree(workdir)
    finally:
        xvfb.stop()


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
