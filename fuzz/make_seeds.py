#!/usr/bin/python3
"""Fills the seed folders of the two fuzzers: the generated art of a build, small sound bitmaps
of every depth and the damaged bitmaps the fuzzer has found before for the image, settings
files of every short length for the settings.

usage: fuzz/make_seeds.py BUILD_DIR SEED_DIR    (makes SEED_DIR/image and SEED_DIR/settings)
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, '..', 'tests', 'damage', 'cases')


def bitmap(width, height, bpp, pixels, palette):
    """A bitmap file with a 40-byte header, bottom-up rows and an optional palette."""
    table = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 0, len(pixels), 2835, 2835,
                       len(palette), 0)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + info + table + pixels


def main():
    build, seeds = sys.argv[1], sys.argv[2]
    image, settings = os.path.join(seeds, 'image'), os.path.join(seeds, 'settings')
    os.makedirs(image, exist_ok=True)
    os.makedirs(settings, exist_ok=True)

    # Every generated picture; the fuzzer's -max_len cuts the large ones to their first bytes.
    data = os.path.join(build, 'Data')
    for root, _, files in os.walk(data):
        for name in sorted(files):
            if name.endswith('.bmp'):
                rel = os.path.relpath(os.path.join(root, name), data).replace('/', '-')
                with open(os.path.join(root, name), 'rb') as src:
                    body = src.read()
                with open(os.path.join(image, 'art-' + rel), 'wb') as out:
                    out.write(body)
    for name in sorted(os.listdir(CASES)):
        with open(os.path.join(CASES, name), 'rb') as src, \
                open(os.path.join(image, 'case-' + name), 'wb') as out:
            out.write(src.read())
    # Small sound pictures of every depth the loader knows, to mutate from.
    for bpp, colours in ((1, 2), (4, 16), (8, 256), (16, 0), (24, 0), (32, 0)):
        row = ((9 * bpp + 31) // 32) * 4
        palette = [(i, 255 - i, i // 2) for i in range(colours)]
        with open(os.path.join(image, 'small-%d.bmp' % bpp), 'wb') as out:
            out.write(bitmap(9, 5, bpp, bytes(range(row * 5)) if bpp > 8 else
                                     bytes((i * 7) % max(2, colours) if bpp == 8 else 0x11
                                           for i in range(row * 5)), palette))

    for length in range(0, 13):
        body = (struct.pack('<iB', 2, 0) + bytes(8))[:length]
        with open(os.path.join(settings, 'length-%d' % length), 'wb') as out:
            out.write(body)
    for name, level, full in (('level-3-full', 3, 1), ('level-negative', -1, 0),
                              ('level-max', 2 ** 31 - 1, 255), ('full-2', 2, 2)):
        with open(os.path.join(settings, name), 'wb') as out:
            out.write(struct.pack('<iB', level, full) + bytes(3))


if __name__ == '__main__':
    main()
