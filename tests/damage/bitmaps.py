"""Windows bitmaps built byte by byte: sound ones of any size, and damaged ones whose headers
SDL 1.2's loader still accepts (or refuses) in ways that have hurt games before."""

import struct

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS = 0, 1, 2, 3


def bitmap(width, height, bpp=32, pixels=None, palette=None, clr_used=None, compression=BI_RGB,
           masks=None, header_size=40, offset=None, planes=1):
    """A bitmap file; every header field can be given a value a sound file would not hold."""
    if palette is None:
        palette = []
    if clr_used is None:
        clr_used = len(palette)
    if pixels is None:
        row = ((abs(width) * bpp + 31) // 32) * 4 if 0 < abs(width) < 1 << 16 else 4
        pixels = bytes(row * min(abs(height), 4096))
    if header_size == 12:
        info = struct.pack('<IHHHH', 12, width & 0xFFFF, height & 0xFFFF, planes, bpp)
        table = b''.join(bytes((b, g, r)) for (r, g, b) in palette)
    else:
        info = struct.pack('<IiiHHIIiiII', header_size, width, height, planes, bpp, compression,
                           len(pixels), 2835, 2835, clr_used, 0)
        info += bytes(max(0, header_size - 40)) if 40 <= header_size <= 1024 else b''
        table = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    extra = b''.join(struct.pack('<I', m) for m in masks) if masks else b''
    start = 14 + len(info) + len(extra) + len(table)
    if offset is None:
        offset = start
    head = b'BM' + struct.pack('<IHHI', start + len(pixels), 0, 0, offset & 0xFFFFFFFF)
    return head + info + extra + table + pixels


def plain(width, height, rgb=(200, 40, 40)):
    """A sound 32-bit bitmap of one colour."""
    r, g, b = rgb
    return bitmap(width, height, 32, bytes((b, g, r, 0)) * (width * height))


def _grey(n):
    return [(i * 255 // max(1, n - 1),) * 3 for i in range(n)]


# Damaged bitmaps by name. Each builds the whole file; most are small, so that a case that is
# accepted still draws onto every screen position without costing time.
MALFORMED = {
    # Palettes with fewer colours than the pixels use: the blitter reads past its colour map.
    'pal8-few-colours': lambda: bitmap(64, 64, 8, bytes(range(256)) * 16, _grey(2)),
    'pal4-few-colours': lambda: bitmap(64, 64, 4, bytes([0xEF]) * (32 * 64), _grey(3)),
    'pal1-one-colour': lambda: bitmap(64, 64, 1, bytes([0xFF]) * (8 * 64), _grey(1)),
    'pal8-no-palette': lambda: bitmap(64, 64, 8, bytes([255]) * (64 * 64), [], clr_used=0,
                                      offset=54),
    'pal8-too-many-colours': lambda: bitmap(16, 16, 8, bytes(256), _grey(256), clr_used=100000),
    'core-header-pal8': lambda: bitmap(16, 16, 8, bytes([250]) * 256, _grey(4), header_size=12),
    # Colour masks that are zero, overlap, or come with a depth that has none.
    'bitfields-zero-masks': lambda: bitmap(64, 64, 32, None, compression=BI_BITFIELDS,
                                           masks=[0, 0, 0]),
    'bitfields-overlap-16': lambda: bitmap(64, 64, 16, None, compression=BI_BITFIELDS,
                                           masks=[0xFFFF, 0xFFFF, 0xFFFF]),
    'bitfields-high-32': lambda: bitmap(64, 64, 32, bytes([0xFF]) * (64 * 64 * 4),
                                        compression=BI_BITFIELDS,
                                        masks=[0xFFFFFFFF, 0x80000000, 1]),
    'bitfields-24': lambda: bitmap(64, 64, 24, None, compression=BI_BITFIELDS,
                                   masks=[0xFF, 0xFF00, 0xFF0000]),
    # Depths SDL has no blitter for, or that cannot be.
    'bpp-0': lambda: bitmap(16, 16, 0, bytes(64)),
    'bpp-2': lambda: bitmap(16, 16, 2, bytes(64), _grey(4)),
    'bpp-7': lambda: bitmap(16, 16, 7, bytes(256)),
    'bpp-12': lambda: bitmap(16, 16, 12, bytes(512)),
    'bpp-15': lambda: bitmap(16, 16, 15, bytes(512)),
    'bpp-64': lambda: bitmap(16, 16, 64, bytes(2048)),
    'bpp-65535': lambda: bitmap(16, 16, 65535, bytes(2048)),
    # Run-length compression, which SDL refuses.
    'rle8': lambda: bitmap(16, 16, 8, bytes([16, 1]) * 16 + bytes([0, 1]), _grey(2),
                           compression=BI_RLE8),
    'rle4': lambda: bitmap(16, 16, 4, bytes([16, 0x11]) * 16 + bytes([0, 1]), _grey(2),
                           compression=BI_RLE4),
    # Sizes whose byte counts overflow SDL 1.2's 16-bit pitch or its int arithmetic.
    'width-65536': lambda: bitmap(65536, 2, 32, bytes(64)),
    'width-16400': lambda: bitmap(16400, 2, 32, bytes(256)),
    'width-0': lambda: bitmap(0, 16, 32, bytes(64)),
    'width-negative': lambda: bitmap(-64, 16, 32, bytes(4096)),
    'width-int-min': lambda: bitmap(-2 ** 31, 1, 32, bytes(64)),
    'height-0': lambda: bitmap(16, 0, 32, bytes(64)),
    'height-huge': lambda: bitmap(1, 0x40000001, 32, bytes(64)),
    'height-int-min': lambda: bitmap(1, -2 ** 31, 32, bytes(64)),
    'top-down-huge': lambda: bitmap(1, -0x40000001, 32, bytes(64)),
    'both-huge': lambda: bitmap(0x7FFFFFFF, 0x7FFFFFFF, 32, bytes(64)),
    # Pixel data that starts where no pixels are.
    'offset-past-end': lambda: bitmap(16, 16, 32, bytes(1024), offset=0x7FFFFFF0),
    'offset-zero': lambda: bitmap(16, 16, 32, bytes(1024), offset=0),
    'offset-negative': lambda: bitmap(16, 16, 32, bytes(1024), offset=-14),
    # Header sizes a sound file never has.
    'header-size-0': lambda: bitmap(16, 16, 32, bytes(1024), header_size=0),
    'header-size-huge': lambda: bitmap(16, 16, 32, bytes(1024), header_size=0xFFFFFFFF),
    'header-only': lambda: bitmap(64, 64, 32, b''),
    'planes-0': lambda: bitmap(16, 16, 32, bytes(1024), planes=0),
}


if __name__ == '__main__':
    # bitmaps.py DIR: writes every damaged bitmap into DIR as <name>.bmp.
    import os
    import sys
    os.makedirs(sys.argv[1], exist_ok=True)
    for _name, _make in MALFORMED.items():
        with open(os.path.join(sys.argv[1], _name + '.bmp'), 'wb') as _out:
            _out.write(_make())
