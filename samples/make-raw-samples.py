#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes camera raw samples laid out as cameras do. TIFF-based ones (CR2, NEF, ARW, DNG,
ORF, RW2): the IFDs and their values near the start, a JPEG preview (one of our JPEG
samples) starting on a 2,048-byte boundary, then the sensor data in strips, last in the
file. RAF: its header and the offsets of the preview, the sensor's header and its data.
CR3: the file-type, movie and media boxes of the ISO media format. The sensor data is a
fixed pseudo-random pattern. usage: make-raw-samples.py OUTDIR"""
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
    make = {'cr2': 'Canon', 'nef': 'NIKON CORPORATION', 'arw': 'SONY', 'dng': 'Orlenta',
            'orf': 'OLYMPUS IMAGING CORP.', 'rw2': 'Panasonic'}[kind]
    mark = {'orf': b'IIRO', 'rw2': b'IIU\x00'}.get(kind, b'II*\x00' if order == '<' else b'MM\x00*')
    header = mark + tiff.pack('I', {'cr2': 16, 'rw2': 0x18}.get(kind, 8))
    header += b'CR\x02\x00' + tiff.pack('I', 0) if kind == 'cr2' else b''
    header += bytes(16) if kind == 'rw2' else b''
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


def sensor_data(name, size):
    rng = random.Random(name)
    return bytes(rng.randrange(256) for _ in range(size))


def raf_file(preview):
    header = b'FUJIFILMCCD-RAW 0201FF383501' + b'Sample RAF'.ljust(32, b'\x00') + b'0100'
    header = header.ljust(84, b'\x00')
    cfa_header = struct.pack('>I', 2) + bytes(60)
    sensor = sensor_data('raf', 64 * 48 * 2)
    preview_at = 2048
    cfa_header_at = preview_at + len(preview) + (-len(preview)) % 16
    sensor_at = cfa_header_at + len(cfa_header) + 64
    directory = struct.pack('>IIIIII', preview_at, len(preview), cfa_header_at,
                            len(cfa_header), sensor_at, len(sensor))
    data = bytearray(header + directory)
    data += bytes(preview_at - len(data)) + preview
    data += bytes(cfa_header_at - len(data)) + cfa_header
    data += bytes(sensor_at - len(data)) + sensor
    return bytes(data)


def box(kind, payload):
    return struct.pack('>I', 8 + len(payload)) + kind + payload


def cr3_file(preview):
    ftyp = box(b'ftyp', b'crx ' + struct.pack('>I', 1) + b'crx isom')
    canon = box(b'uuid', bytes.fromhex('85c0b687820f11e08111f4ce462b6a48') +
                box(b'CNCV', b'CanonCR3_001/00.10.00/00.00.00'))
    moov = box(b'moov', canon + box(b'mvhd', bytes(100)))
    preview_box = box(b'uuid', bytes.fromhex('eaf42b5e1c984b88b9fbb7dc406e4d16') + preview)
    mdat = box(b'mdat', sensor_data('cr3', 64 * 48 * 2))
    return ftyp + moov + preview_box + mdat


def main():
    out = Path(sys.argv[1])
    preview = (out / 'jfif-baseline.jpg').read_bytes()
    for kind in ('cr2', 'nef', 'arw', 'dng', 'orf', 'rw2'):
        (out / f'camera.{kind}').write_bytes(raw_file(kind, preview))
    (out / 'camera.raf').write_bytes(raf_file(preview))
    (out / 'camera.cr3').write_bytes(cr3_file(preview))


main()
