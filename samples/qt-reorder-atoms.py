#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Rewrite a QuickTime movie so that it holds only its 'moov' and 'mdat'
atoms, in the order asked for, and nothing in front of them.

    qt-reorder-atoms.py IN.mov OUT.mov moov   -> OUT starts with the moov atom
    qt-reorder-atoms.py IN.mov OUT.mov mdat   -> OUT starts with the mdat atom

ffmpeg always writes an 'ftyp' atom (and often 'wide' or 'free') first, but
older QuickTime files start straight with 'moov' or 'mdat', and those are
the two layouts the sample disc needs.  Dropping or moving atoms shifts the
media data, so every chunk offset in the sample tables ('stco', 'co64') is
moved by the same amount; without that the movie would no longer play.

Used by make-media; standard library only.
"""
import struct
import sys

# Atoms whose payload is nothing but child atoms, on the way from 'moov'
# down to the chunk offset tables.
CONTAINERS = {b"moov", b"trak", b"mdia", b"minf", b"stbl", b"edts", b"dinf"}


def atoms(buf, start, end):
    """Yield (type, atom_start, payload_start, atom_end) for each atom in buf[start:end]."""
    pos = start
    while pos < end:
        if end - pos < 8:
            raise ValueError(f"truncated atom header at offset {pos}")
        size, kind = struct.unpack(">I4s", buf[pos:pos + 8])
        header = 8
        if size == 1:  # 64-bit size follows the type
            if end - pos < 16:
                raise ValueError(f"truncated 64-bit atom header at offset {pos}")
            size = struct.unpack(">Q", buf[pos + 8:pos + 16])[0]
            header = 16
        elif size == 0:  # atom runs to the end of its parent
            size = end - pos
        if size < header or pos + size > end:
            raise ValueError(f"bad size {size} for atom {kind!r} at offset {pos}")
        yield kind, pos, pos + header, pos + size
        pos += size


def shift_chunk_offsets(moov, delta):
    """Add delta to every entry of every stco/co64 table inside moov (a bytearray)."""
    tables = 0

    def walk(start, end):
        nonlocal tables
        for kind, _, body, stop in atoms(moov, start, end):
            if kind in CONTAINERS:
                walk(body, stop)
            elif kind in (b"stco", b"co64"):
                tables += 1
                # version/flags (4 bytes), entry count (4 bytes), entries
                count = struct.unpack(">I", moov[body + 4:body + 8])[0]
                width, fmt, limit = (4, ">I", 2**32) if kind == b"stco" else (8, ">Q", 2**64)
                if body + 8 + count * width > stop:
                    raise ValueError(f"{kind.decode()} table overruns its atom")
                for i in range(count):
                    at = body + 8 + i * width
                    new = struct.unpack(fmt, moov[at:at + width])[0] + delta
                    if not 0 <= new < limit:
                        raise ValueError(f"chunk offset {new} does not fit {kind.decode()}")
                    struct.pack_into(fmt, moov, at, new)

    kind, _, body, stop = next(atoms(moov, 0, len(moov)))
    assert kind == b"moov"
    walk(body, stop)
    return tables


def main(argv):
    if len(argv) != 4 or argv[3] not in ("moov", "mdat"):
        sys.exit("usage: qt-reorder-atoms.py IN.mov OUT.mov moov|mdat")
    src, dst, first = argv[1], argv[2], argv[3]
    with open(src, "rb") as f:
        buf = f.read()

    found = {}
    for kind, start, _, stop in atoms(buf, 0, len(buf)):
        if kind in (b"moov", b"mdat"):
            if kind in found:
                sys.exit(f"{src}: more than one {kind.decode()} atom; not handled")
            found[kind] = (start, stop)
        elif kind not in (b"ftyp", b"wide", b"free", b"skip"):
            sys.exit(f"{src}: unexpected top-level atom {kind!r}; not handled")
    if set(found) != {b"moov", b"mdat"}:
        sys.exit(f"{src}: needs exactly one moov and one mdat atom")

    moov = bytearray(buf[slice(*found[b"moov"])])
    mdat = buf[slice(*found[b"mdat"])]
    new_mdat_start = len(moov) if first == "moov" else 0
    delta = new_mdat_start - found[b"mdat"][0]
    if shift_chunk_offsets(moov, delta) == 0:
        sys.exit(f"{src}: no chunk offset table found")

    with open(dst, "wb") as f:
        f.write(moov + mdat if first == "moov" else mdat + moov)


if __name__ == "__main__":
    main(sys.argv)
