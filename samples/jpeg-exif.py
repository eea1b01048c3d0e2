#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turn a JFIF JPEG into an Exif JPEG, the way a camera writes it.

    jpeg-exif.py IN.jpg OUT.jpg "DESCRIPTION" "YYYY:MM:DD HH:MM:SS"

The JFIF APP0 segment is dropped and an APP1 'Exif' segment is put right
after the start-of-image marker, so OUT begins FF D8 FF E1.  The Exif data
is a small, valid TIFF structure: IFD0 (description, make, model,
orientation, resolution, software, date) and an Exif sub-IFD (Exif version,
original date, colour space, pixel size taken from the frame header).  The
compressed image data is copied unchanged.

Used by make-media; standard library only.
"""
import struct
import sys

ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 2, 3, 4, 5, 7
TYPE_SIZE = {ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1}


def encode(kind, value):
    """Return (count, raw little-endian bytes) of one tag value."""
    if kind == ASCII:
        raw = value.encode("ascii") + b"\0"
        return len(raw), raw
    if kind == UNDEFINED:
        return len(value), bytes(value)
    if kind == SHORT:
        return 1, struct.pack("<H", value)
    if kind == LONG:
        return 1, struct.pack("<I", value)
    if kind == RATIONAL:
        return 1, struct.pack("<II", *value)
    raise ValueError(kind)


def ifd(entries, at):
    """Build one IFD that starts at TIFF offset `at`, its out-of-line values right after it.

    entries: list of (tag, type, value), in ascending tag order.
    """
    table_len = 2 + 12 * len(entries) + 4
    table = struct.pack("<H", len(entries))
    data = b""
    for tag, kind, value in entries:
        count, raw = encode(kind, value)
        if len(raw) <= 4:
            field = raw.ljust(4, b"\0")
        else:
            field = struct.pack("<I", at + table_len + len(data))
            data += raw + (b"\0" if len(raw) % 2 else b"")  # keep offsets even
        table += struct.pack("<HHI", tag, kind, count) + field
    return table + struct.pack("<I", 0) + data  # 0: no next IFD


def exif_block(width, height, description, when):
    ifd0 = [
        (0x010E, ASCII, description),
        (0x010F, ASCII, "Orlenta"),
        (0x0110, ASCII, "sample camera"),
        (0x0112, SHORT, 1),           # orientation: top-left
        (0x011A, RATIONAL, (72, 1)),  # x resolution
        (0x011B, RATIONAL, (72, 1)),  # y resolution
        (0x0128, SHORT, 2),           # resolution unit: inch
        (0x0131, ASCII, "make-media"),
        (0x0132, ASCII, when),
        (0x0213, SHORT, 1),           # YCbCr positioning: centred
        (0x8769, LONG, 0),            # Exif sub-IFD offset, filled in below
    ]
    sub = [
        (0x9000, UNDEFINED, b"0232"),         # Exif version
        (0x9003, ASCII, when),                # date taken
        (0x9101, UNDEFINED, b"\1\2\3\0"),     # components: Y Cb Cr
        (0xA000, UNDEFINED, b"0100"),         # Flashpix version
        (0xA001, SHORT, 1),                   # colour space: sRGB
        (0xA002, LONG, width),
        (0xA003, LONG, height),
    ]
    sub_at = 8 + len(ifd(ifd0, 8))  # IFD0's length does not depend on the pointer value
    ifd0[-1] = (0x8769, LONG, sub_at)
    tiff = b"II*\0" + struct.pack("<I", 8) + ifd(ifd0, 8) + ifd(sub, sub_at)
    return b"Exif\0\0" + tiff


def main(argv):
    if len(argv) != 5:
        sys.exit('usage: jpeg-exif.py IN.jpg OUT.jpg "DESCRIPTION" "YYYY:MM:DD HH:MM:SS"')
    src, dst, description, when = argv[1:]
    if len(when) != 19:
        sys.exit("date must look like 2024:07:14 18:30:00")
    with open(src, "rb") as f:
        buf = f.read()
    if buf[:2] != b"\xff\xd8":
        sys.exit(f"{src}: not a JPEG")

    # Walk the marker segments up to the start of scan, keeping all but APP0.
    kept, size, pos = [], None, 2
    while True:
        if pos + 4 > len(buf) or buf[pos] != 0xFF:
            sys.exit(f"{src}: bad marker at offset {pos}")
        marker = buf[pos + 1]
        length = struct.unpack(">H", buf[pos + 2:pos + 4])[0]
        segment = buf[pos:pos + 2 + length]
        if marker in (0xC0, 0xC1, 0xC2):  # frame header: precision, height, width
            height, width = struct.unpack(">HH", segment[5:9])
            size = (width, height)
        if marker == 0xDA:  # start of scan: the rest is image data, copied as is
            kept.append(buf[pos:])
            break
        if marker != 0xE0:
            kept.append(segment)
        pos += 2 + length
    if size is None:
        sys.exit(f"{src}: no frame header found")

    payload = exif_block(*size, description, when)
    if len(payload) + 2 > 0xFFFF:
        sys.exit("Exif block too large for one APP1 segment")
    app1 = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
    with open(dst, "wb") as f:
        f.write(b"\xff\xd8" + app1 + b"".join(kept))


if __name__ == "__main__":
    main(sys.argv)
