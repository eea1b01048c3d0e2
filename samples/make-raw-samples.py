#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes TIFF-based camera raw samples (CR2, NEF, ARW, DNG) laid out as cameras do:
the IFDs and their values near the start, a JPEG preview (one of our JPEG samples)
starting on a 2,048-byte boundary, then the sensor data in strips, last in the file.
The sensor data is a fixed pseudo-random pattern. usage: make-raw-samples.py OUTDIR"""
import random
import struct
import sys
from pathlib import Path

SHORT, LONG, ASCII, BYTE = 3, 4, 2, 1
SIZES = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4}


class Tiff:
    def __init__(self, order):
        self.order = order  # '<' or '>'

    def pack(self, fmt, *values):
        return struct.pack(self.order + fmt, *values)

    def ifd(self, entries, at, next_ifd):
        """IFD bytes placed at `at`, with out-of-line values right after it."""
        entries = sorted(entries)
        table_size = 2 + 12 * len(entries) + 4
        extra = b''
        rows = b''
        for tag, kind, values in entries:
            if kind == ASCII:
                raw = values.encode() + b'\x00'
                count = len(raw)
            else:
                fmt = {SHORT: 'H', LONG: 'I', BYTE: 'B'}[kind]
                raw = self.pack(fmt * len(values), *values)
                count = len(values)
            if len(raw) <= 4:
                rows += self.pack('HHI', tag, kind, count)[:8] + raw.ljust(4, b'\x00')
            else:
                if len(extra) % 2:
                    extra += b'\x00'
                rows += self.pack('HHII', tag, kind, count, at + table_size + len(extra))
                extra += raw
        return self.pack('H', len(entries)) + rows + self.pack('I', next_ifd) + extra


def raw_file(kind, preview):
    order = '>' if kind == 'nef' else '<'
    tiff = Tiff(order)
    rng = random.Random(kind)
    width, height, strips = 64, 48, 3
    sensor = bytes(rng.randrange(256) for _ in range(width * height * 2))
    per_strip = len(sensor) // strips
    preview_at = 2048
    sensor_at = preview_at + len(preview) + (-len(preview)) % 16
    offsets = [sensor_at + i * per_strip for i in range(strips)]
    counts = [per_strip] * strips
    make = {'cr2': 'Canon', 'nef': 'NIKON CORPORATION', 'arw': 'SONY', 'dng': 'Orlenta'}[kind]
    header = (b'II*\x00' if order == '<' else b'MM\x00*') + tiff.pack('I', 16 if kind == 'cr2' else 8)
    header += b'CR\x02\x00' + tiff.pack('I', 0) if kind == 'cr2' else b''
    ifd0_at = len(header)
    main = [
        (0x100, SHORT, [width]), (0x101, SHORT, [height]), (0x102, SHORT, [16]),
        (0x103, SHORT, [1]), (0x10F, ASCII, make), (0x110, ASCII, 'Sample ' + kind.upper()),
        (0x111, LONG, offsets), (0x115, SHORT, [1]), (0x116, SHORT, [height // strips]),
        (0x117, LONG, counts),
    ]
    if kind == 'dng':
        main += [(0xC612, BYTE, [1, 4, 0, 0]), (0xC614, ASCII, 'Orlenta Sample')]
    # IFD1: the preview, referenced as a JPEG stream.
    first = tiff.ifd(main, ifd0_at, 0)
    ifd1_at = ifd0_at + len(first)
    ifd1_at += ifd1_at % 2
    first = tiff.ifd(main, ifd0_at, ifd1_at)
    second = tiff.ifd([(0x103, SHORT, [6]), (0x201, LONG, [preview_at]),
                       (0x202, LONG, [len(preview)])], ifd1_at, 0)
    data = bytearray(header + first)
    data += bytes(ifd1_at - len(data)) + second
    assert len(data) <= preview_at
    data += bytes(preview_at - len(data)) + preview
    data += bytes(sensor_at - len(data)) + sensor
    return bytes(data)


def main():
    out = Path(sys.argv[1])
    preview = (out / 'jfif-baseline.jpg').read_bytes()
    for kind in ('cr2', 'nef', 'arw', 'dng'):
        (out / f'camera.{kind}').write_bytes(raw_file(kind, preview))


main()
