#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Check sample files against the sector headers Orlenta carves by.

    check-media.py FILE:KIND ...   each FILE's first sector must begin with a
                                   KIND header (KIND "none": no header at all),
                                   and no later sector may begin with any header,
                                   or Orlenta would cut the file in two there.
    check-media.py --scan IMAGE    list every 2,048-byte sector of IMAGE that
                                   begins with a header.

Exit status 1 when a check fails.  Used by make-media; standard library only.
"""
import sys

SECTOR = 2048
RIFF_LOOK = 2410  # how far into a RIFF file "AVI" is looked for


def kind_at(buf, pos):
    """Name of the header that begins at buf[pos], or None."""
    b = buf[pos:pos + 16].ljust(16, b"\xaa")  # pad: short tails never match by accident
    if b[:5] == b"GIF89":
        return "gif"
    if b[:4] == b"\x89PNG":
        return "png"
    if b[:4] == b"RIFF":
        return "avi" if b"AVI" in buf[pos:pos + RIFF_LOOK] else "wav"
    if b[:5] == b"\x00\x00\x01\xba\x21" and b[9] == 0x80 and b[15] == 0xBB:
        return "mpeg-ps"
    if b[4:8] == b"moov":
        return "mov-moov"
    if b[:2] == b"BM" and b[8] == 0 and b[9] == 0 and b[10] == 0x36:
        return "bmp"
    if b[:5] == b"ID3\x03\x00":
        return "mp3-id3"
    if b[:2] == b"\xff\xfb" and b[4] == 0 and b[13] == 0:
        return "mp3-frame"
    if b[:2] == b"\xff\xfa" and b[13] == 0:
        return "mp3-frame"
    if b[:2] == b"\xff\xf3" and b[4] == 0:
        return "mp3-frame"
    if b[4:8] == b"mdat":
        return "mov-mdat"
    if b[:4] == b"\xff\xd8\xff\xe0":
        return "jpeg-jfif"
    if b[:4] == b"\xff\xd8\xff\xe1":
        return "jpeg-exif"
    return None


KINDS = {"gif", "png", "avi", "wav", "mpeg-ps", "mov-moov", "bmp", "mp3-id3",
         "mp3-frame", "mov-mdat", "jpeg-jfif", "jpeg-exif", "none"}


def check(path, want):
    if want not in KINDS:
        sys.exit(f"unknown kind {want!r}; one of: {', '.join(sorted(KINDS))}")
    try:
        with open(path, "rb") as f:
            buf = f.read()
    except OSError as e:
        print(f"FAIL {path}: {e.strerror}")
        return False
    problems = []
    got = kind_at(buf, 0) if buf else None
    if (got or "none") != want:
        problems.append(f"first sector is {got or 'no header'}, expected {want}")
    if want == "wav" and buf[8:12] != b"WAVE":
        problems.append("RIFF file is not WAVE")
    for pos in range(SECTOR, len(buf), SECTOR):
        inner = kind_at(buf, pos)
        if inner:
            problems.append(f"sector {pos // SECTOR} begins with a {inner} header")
    sectors = (len(buf) + SECTOR - 1) // SECTOR
    print(f"{'FAIL' if problems else 'ok  '} {path}: {len(buf)} bytes, {sectors} sectors, {want}")
    for p in problems:
        print(f"     {p}")
    return not problems


def scan(path):
    with open(path, "rb") as f:
        buf = f.read()
    for pos in range(0, len(buf), SECTOR):
        kind = kind_at(buf, pos)
        if kind:
            print(f"sector {pos // SECTOR:6d}  offset {pos:9d}  {kind}")
    return True


def main(argv):
    if len(argv) == 3 and argv[1] == "--scan":
        return scan(argv[2])
    if len(argv) < 2 or any(":" not in a for a in argv[1:]):
        sys.exit(__doc__)
    results = [check(*a.rsplit(":", 1)) for a in argv[1:]]
    return all(results)


if __name__ == "__main__":
    sys.exit(0 if main(sys.argv) else 1)
