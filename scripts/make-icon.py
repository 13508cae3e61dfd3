#!/usr/bin/env python3

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Draws Chimewick's icon, a golden bell with its clapper, and writes it out.

Two hand-drawn images, 32x32 and 16x16 pixels, share one 16-colour palette. Outputs,
in the folder given as the first argument (default: data/icons in the repo):

  chimewick.ico     both images, 4 bits per pixel with an AND mask (for the Windows
                    resource and the window)
  chimewick-32.png  the 32x32 image
  chimewick-16.png  the 16x16 image
  chimewick-48.png  the 16x16 image enlarged 3 times, nearest neighbour
  chimewick-64.png  the 32x32 image enlarged 2 times, nearest neighbour

The PNGs are indexed (4 bits, the same palette) with palette entry 0 transparent.
Only the Python standard library is used; every run writes the same bytes.
"""

import struct
import sys
import zlib
from pathlib import Path

# Palette: one letter per colour in the drawings below; "." is transparent.
# Entry 0 stands for transparent pixels (black in the .ico colour bitmap, masked
# out by the AND mask); the unused tail of the 16 entries is black too.
PALETTE = [
    (".", (0x00, 0x00, 0x00)),  # transparent
    ("K", (0x2A, 0x18, 0x04)),  # outline, dark brown
    ("S", (0x8A, 0x56, 0x00)),  # deep shadow
    ("D", (0xC8, 0x8C, 0x10)),  # dark gold
    ("G", (0xF2, 0xB8, 0x1E)),  # gold
    ("L", (0xFF, 0xD8, 0x4C)),  # light gold
    ("W", (0xFF, 0xF6, 0xBC)),  # highlight
    ("C", (0x4C, 0x4C, 0x56)),  # clapper
    ("H", (0xA0, 0xA0, 0xAE)),  # clapper highlight
]
PALETTE += [("", (0x00, 0x00, 0x00))] * (16 - len(PALETTE))
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE) if letter}
TRANSPARENT = INDEX["."]

BELL_32 = [
    "................................",
    "..............KKKK..............",
    ".............KLKKDK.............",
    ".............KL..DK.............",
    ".............KLKKDK.............",
    ".............KKKKKK.............",
    "...........KKWWLGDDKK...........",
    "..........KLLWLLGGDDSK..........",
    ".........KLLWWLGGGDDDSK.........",
    ".........KLLWWLGGGDDDSK.........",
    ".........KLLWWLGGGDDDSK.........",
    "........KLLWWWLGGGDDDSSK........",
    "........KLLWWWLGGGDDDSSK........",
    "........KLLWWWLGGGDDDSSK........",
    "........KLLWWWLGGGDDDSSK........",
    ".......KLLLWWLLGGGGDDDSSK.......",
    ".......KLLLWWLLGGGGDDDSSK.......",
    ".......KLLLWWLLGGGGDDDSSK.......",
    "......KLLLWWWLLGGGGDDDDSSK......",
    "......KLLLWWWLLGGGGDDDDSSK......",
    ".....KLLLLWWWLLGGGGDDDDDSSK.....",
    "....KLLLLWWWLLLGGGGGDDDDSSSK....",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    ".KLLLLLGGGGGGGGGGGGDDDDDDDSSSSK.",
    ".KLLLLLGGGGGGGGGGGGDDDDDDDSSSSK.",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    "............KHHCCCCK............",
    "............KHCCCCCK............",
    ".............KCCCCK.............",
    "..............KKKK..............",
    "................................",
    "................................",
]

BELL_16 = [
    "................",
    ".......KK.......",
    "......KLDK......",
    ".....KKKKKK.....",
    "....KWLGGDSK....",
    "....KWLGGDSK....",
    "....KWLGGDSK....",
    "...KLWLGGDDSK...",
    "...KLWLGGDDSK...",
    "..KLWLLGGGDDSK..",
    ".KKKKKKKKKKKKKK.",
    "KLLLGGGGGGDDDSSK",
    "KKKKKKKKKKKKKKKK",
    "......KHCK......",
    "......KCCK......",
    ".......KK.......",
]


def check(grid, size):
    assert len(grid) == size, f"{size}x{size} drawing has {len(grid)} rows"
    for row in grid:
        assert len(row) == size, f"row of {len(row)} pixels in the {size}x{size} drawing"
        assert set(row) <= set(INDEX), f"unknown colour letter in {row!r}"


def indexes(grid):
    return [[INDEX[c] for c in row] for row in grid]


def enlarge(pixels, factor):
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def ico_image(pixels):
    """One icon image: BITMAPINFOHEADER, palette, 4 bpp colour bitmap, 1 bpp AND mask."""
    size = len(pixels)
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, p in enumerate(row):
            line[x // 2] |= p << (4 if x % 2 == 0 else 0)
            if p == TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_bits += line
        and_bits += mask
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # header size
        size,  # width
        size * 2,  # height: colour bitmap and mask together
        1,  # planes
        4,  # bits per pixel
        0,  # BI_RGB
        len(xor_bits) + len(and_bits),
        0, 0,  # resolution
        16, 0,  # colours used, important
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def ico(images):
    """An .ico file holding the given images (lists of palette-index rows)."""
    blobs = [ico_image(p) for p in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack(
            "<BBBBHHII",
            size % 256, size % 256,  # width, height (0 would mean 256)
            16,  # colour count
            0,  # reserved
            1,  # planes
            4,  # bits per pixel
            len(blob),
            offset,
        )
        offset += len(blob)
    return out + b"".join(blobs)


def png(pixels):
    """An indexed 4-bit PNG with the shared palette, entry 0 transparent."""
    size = len(pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        line = bytearray((size * 4 + 7) // 8)
        for x, p in enumerate(row):
            line[x // 2] |= p << (4 if x % 2 == 0 else 0)
        raw += line
    ihdr = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)
    plte = b"".join(bytes(rgb) for _, rgb in PALETTE)
    trns = bytes([0 if i == TRANSPARENT else 255 for i in range(TRANSPARENT + 1)])
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", ihdr)
        + chunk(b"PLTE", plte)
        + chunk(b"tRNS", trns)
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


def write(path, data):
    tmp = path.with_name(path.name + ".tmp")
    tmp.write_bytes(data)
    tmp.replace(path)
    print(f"made {path}")


def main():
    repo_root = Path(__file__).resolve().parent.parent
    out_dir = Path(sys.argv[1]) if len(sys.argv) > 1 else repo_root / "data" / "icons"
    out_dir.mkdir(parents=True, exist_ok=True)

    check(BELL_32, 32)
    check(BELL_16, 16)
    big, small = indexes(BELL_32), indexes(BELL_16)

    write(out_dir / "chimewick.ico", ico([big, small]))
    write(out_dir / "chimewick-32.png", png(big))
    write(out_dir / "chimewick-16.png", png(small))
    write(out_dir / "chimewick-48.png", png(enlarge(small, 3)))
    write(out_dir / "chimewick-64.png", png(enlarge(big, 2)))


if __name__ == "__main__":
    main()
