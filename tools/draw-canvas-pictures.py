#!/usr/bin/env python3
"""Draws the main window's command pictures (16 x 16, one colour per pixel,
no smoothing, so they stay crisp at 1:1) and writes them as RGBA PNG files
into resources/canvas/. Standard library only.

    tools/draw-canvas-pictures.py [output folder]

Every picture is a character map below: one character a pixel, '.' clear.
"""
import os
import struct
import sys
import zlib

PALETTE = {
    ".": None,
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "l": (192, 192, 192),  # light grey
    "g": (128, 128, 128),  # grey
    "y": (255, 255, 0),    # folder yellow
    "o": (128, 128, 0),    # folder shade
    "n": (0, 0, 128),      # diskette navy
    "b": (0, 0, 255),      # diskette highlight
    "G": (0, 128, 0),      # exit sign green
    "L": (0, 255, 0),      # exit sign light green
    "r": (192, 0, 0),      # PIC letters
    "p": (255, 192, 128),  # pencil wood
    "Y": (255, 224, 0),    # pencil body
    "m": (128, 64, 0),     # pencil shade
    "c": (0, 160, 224),    # lens glass
}

BLANK_PAGE = [
    "................",
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwklk....",
    "..kwwwwwwkllk...",
    "..kwwwwwwkkkkk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
]

OPEN_FOLDER = [
    "................",
    "................",
    "................",
    ".kkkk...........",
    "kyyyyk..........",
    "kyyyyykkkkkkk...",
    "kyyyyyyyyyyyk...",
    "kyyykkkkkkkkkkkk",
    "kyykyyyyyyyyyyyk",
    "kyykyyyyyyyyyyk.",
    "kykyyyyyyyyyyyk.",
    "kykyyyyyyyyyyk..",
    "kkyyyyyyyyyyyk..",
    "kkyyyyyyyyyyk...",
    "kkkkkkkkkkkkk...",
    "................",
]

DISKETTE = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".knkwwwwwwwwknk.",
    ".knkwwwwwwwwknk.",
    ".knkwggggggwknk.",
    ".knkwwwwwwwwknk.",
    ".knkwggggggwknk.",
    ".knkwwwwwwwwknk.",
    ".knnkkkkkkkknnk.",
    ".knnnnnnnnnnnnk.",
    ".knnllllllllnnk.",
    ".knnlkklllllnnk.",
    ".knnlkklllllnnk.",
    ".knnlkklllllnnk.",
    "..kkkkkkkkkkkkk.",
    "................",
]

EXIT_SIGN = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kGGGGGGGGGGGGk.",
    ".kGGGGGGGwwGGGk.",
    ".kGGGGGGGwwGGGk.",
    ".kGGGGGwwwGGGGk.",
    ".kGGGGwwGwwwGGk.",
    ".kGGGwwGwwGGwGk.",
    ".kGGGGGGwwGGGGk.",
    ".kGGGGGwwwwGGGk.",
    ".kGGGGwwGGwwGGk.",
    ".kGGGwwGGGGwGGk.",
    ".kGGGwGGGGGwwGk.",
    ".kLLLLLLLLLLLLk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

# A pencil lying from the lower left to the upper right, drawn over a
# picture: the "pen mark" of the save-as pictures.
PEN = [
    "...........kk...",
    "..........kYYk..",
    ".........kYYmk..",
    "........kYYmk...",
    ".......kYYmk....",
    "......kYYmk.....",
    ".....kppmk......",
    ".....kkpk.......",
    ".....kkk........",
]

# A white card with "PIC" in red, laid over the lower right corner.
PIC_CARD = [
    "kkkkkkkkkkkkk",
    "kwwwwwwwwwwwk",
    "kwrrrwrwrrrwk",
    "kwrwrwrwrwwwk",
    "kwrrrwrwrwwwk",
    "kwrwwwrwrwwwk",
    "kwrwwwrwrrrwk",
    "kkkkkkkkkkkkk",
]

MAGNIFIER = [
    "................",
    "....kkkkk.......",
    "...kcwwcck......",
    "..kcwccccck.....",
    "..kwccccccck....",
    "..kcccccccck....",
    "..kcccccccck....",
    "..kcccccccck....",
    "...kcccccck.....",
    "....kkkkkkgk....",
    "..........kgk...",
    "...........kgk..",
    "............kgk.",
    ".............kk.",
    "................",
    "................",
]


def overlay(base, top, left, up):
    rows = [list(r) for r in base]
    for y, row in enumerate(top):
        for x, ch in enumerate(row):
            if ch != ".":
                rows[up + y][left + x] = ch
    return ["".join(r) for r in rows]


def with_card(base):
    return overlay(base, PIC_CARD, 3, 8)


def with_pen(base):
    return overlay(base, PEN, 0, 0)


PICTURES = [
    ("file-new.png", BLANK_PAGE),
    ("file-open.png", OPEN_FOLDER),
    ("file-save.png", DISKETTE),
    ("file-save-as.png", with_pen(DISKETTE)),
    ("file-exit.png", EXIT_SIGN),
    ("picture-open.png", with_card(OPEN_FOLDER)),
    ("picture-save.png", with_card(DISKETTE)),
    ("picture-save-as.png", with_pen(with_card(DISKETTE))),
    ("preview.png", MAGNIFIER),
]


def png(rows):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), rows
    raw = b""
    for row in rows:
        raw += b"\0"
        for ch in row:
            colour = PALETTE[ch]
            raw += bytes(colour + (255,)) if colour else b"\0\0\0\0"

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", 16, 16, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "canvas")
    os.makedirs(out, exist_ok=True)
    for name, rows in PICTURES:
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(rows))


if __name__ == "__main__":
    main()
