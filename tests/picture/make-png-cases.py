#!/usr/bin/python3
"""Writes the PNG test files into a folder: every kind of PNG file the
format allows, made by pypng (Debian's python3-png) and, for what pypng does
not write (every filter type, chunk layouts, ancillary chunks), by a few
lines of this script. Every file is valid, or damaged only in an ancillary
chunk that readers skip.

    make-png-cases.py FOLDER

Beside each file NAME.png that pypng's decoder reads, NAME.pam holds what
it decodes (palette and tRNS applied, samples at the file's bit depth): a
decoder independent of the program's and of libpng. The significant-bits
chunk is taken out of the file for it, as pypng would scale the samples to
it.

The kinds follow the usual PNG test suite: each colour type with each of
its bit depths, with and without tRNS where allowed, plain and interlaced,
odd sizes for the interlacing passes, every filter type, compression levels,
split and empty IDAT chunks, the ancillary chunks (gamma, colour profile,
significant bits, background, text, ...). The samples are pseudo-random
with the extremes included, the same on every run.
"""

import io
import os
import random
import struct
import sys
import zlib

import png

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def chunks_of(file):
    out, at = [], 8
    while at < len(file):
        (length,) = struct.unpack(">I", file[at : at + 4])
        out.append((file[at + 4 : at + 8], file[at + 8 : at + 8 + length]))
        at += 12 + length
    return out


def file_of(chunks):
    return SIGNATURE + b"".join(chunk(k, d) for k, d in chunks)


def with_chunks(file, before, new):
    """The file with the chunks `new` inserted before the first chunk of
    kind `before`."""
    out = []
    for kind, data in chunks_of(file):
        if kind == before:
            out.extend(new)
            new = []
        out.append((kind, data))
    return file_of(out)


def samples(rng, count, maximum):
    """count samples up to maximum, the extremes and their neighbours among
    them."""
    fixed = [0, maximum, 1, maximum - 1, maximum // 2, maximum // 2 + 1]
    values = [rng.randint(0, maximum) for _ in range(count)]
    for i, v in enumerate(fixed[: count // 3]):
        values[i * 3 % count] = v
    return values


def sixteen_bit_samples(rng, count):
    # Around the rounding steps of 16 to 8 bits: v * 255 + 32767 crossing
    # a multiple of 65535 between k * 257 - 129 and k * 257 - 128.
    values = samples(rng, count, 65535)
    for i in range(0, count, 5):
        k = rng.randint(1, 255)
        values[i] = k * 257 - 128 - rng.randint(0, 1)
    return values


def image(rng, width, height, planes, depth):
    rows = []
    for _ in range(height):
        n = width * planes
        row = sixteen_bit_samples(rng, n) if depth == 16 else samples(rng, n, 2**depth - 1)
        rows.append(row)
    return rows


def alpha_spread(rng, rows, planes, depth):
    """Alpha samples of 0 and the maximum in plenty, besides the others."""
    top = 2**depth - 1
    for row in rows:
        for i in range(planes - 1, len(row), planes):
            r = rng.random()
            row[i] = 0 if r < 0.2 else top if r < 0.4 else row[i]
    return rows


def write(folder, name, writer, rows):
    out = io.BytesIO()
    writer.write(out, rows)
    put(folder, name, out.getvalue())


def put(folder, name, data):
    with open(os.path.join(folder, name + ".png"), "wb") as f:
        f.write(data)


def kinds(folder, rng, width, height, interlace, tag):
    lace = "i" if interlace else "n"
    # Grey, 1 to 16 bits, with and without a transparent grey.
    for depth in (1, 2, 4, 8, 16):
        rows = image(rng, width, height, 1, depth)
        for trns in (False, True):
            transparent = rows[height // 2][width // 2] if trns else None
            w = png.Writer(width, height, greyscale=True, bitdepth=depth,
                           transparent=transparent, interlace=interlace)
            write(folder, f"{tag}grey{depth}{lace}{'-trns' if trns else ''}", w, rows)
    # Grey with alpha, RGB, RGBA: 8 and 16 bits.
    for depth in (8, 16):
        rows = alpha_spread(rng, image(rng, width, height, 2, depth), 2, depth)
        w = png.Writer(width, height, greyscale=True, alpha=True, bitdepth=depth,
                       interlace=interlace)
        write(folder, f"{tag}greyalpha{depth}{lace}", w, rows)
        rows = image(rng, width, height, 3, depth)
        for trns in (False, True):
            row = rows[height // 2]
            transparent = tuple(row[3 * (width // 2) : 3 * (width // 2) + 3]) if trns else None
            w = png.Writer(width, height, greyscale=False, bitdepth=depth,
                           transparent=transparent, interlace=interlace)
            write(folder, f"{tag}rgb{depth}{lace}{'-trns' if trns else ''}", w, rows)
        rows = alpha_spread(rng, image(rng, width, height, 4, depth), 4, depth)
        w = png.Writer(width, height, greyscale=False, alpha=True, bitdepth=depth,
                       interlace=interlace)
        write(folder, f"{tag}rgba{depth}{lace}", w, rows)
    # Palettes of 1 to 8 bits, full and short, with and without alpha
    # entries (tRNS shorter than the palette: the rest opaque).
    for depth in (1, 2, 4, 8):
        entries = 2**depth if depth < 8 else 200
        rows = [[rng.randrange(entries) for _ in range(width)] for _ in range(height)]
        colours = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(entries)]
        for trns in (False, True):
            palette = colours
            if trns:
                alphas = [0, 255] + [rng.randrange(256) for _ in range(entries)]
                palette = [c + (alphas[i],) for i, c in enumerate(colours[: max(1, entries - 1)])]
                palette += colours[len(palette) :]
            w = png.Writer(width, height, palette=palette, bitdepth=depth, interlace=interlace)
            write(folder, f"{tag}palette{depth}{lace}{'-trns' if trns else ''}", w, rows)


def sizes(folder, rng):
    # The interlacing passes at every small size, some of them empty.
    for width, height in ((1, 1), (2, 2), (3, 3), (4, 4), (5, 5), (6, 6), (7, 7), (8, 8),
                          (9, 9), (1, 13), (13, 1), (32, 32), (33, 33), (39, 40)):
        for interlace in (False, True):
            rows = image(rng, width, height, 3, 8)
            w = png.Writer(width, height, greyscale=False, bitdepth=8, interlace=interlace)
            write(folder, f"size-{width}x{height}{'i' if interlace else 'n'}", w, rows)
            rows = [[rng.randrange(16) for _ in range(width)] for _ in range(height)]
            palette = [tuple(rng.randrange(256) for _ in range(4)) for _ in range(16)]
            w = png.Writer(width, height, palette=palette, bitdepth=4, interlace=interlace)
            write(folder, f"size-{width}x{height}{'i' if interlace else 'n'}-palette", w, rows)


def filtered(row, previous, kind, bpp):
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = previous[i]
        c = previous[i - bpp] if i >= bpp else 0
        if kind == 0:
            p = 0
        elif kind == 1:
            p = a
        elif kind == 2:
            p = b
        elif kind == 3:
            p = (a + b) // 2
        else:
            e = a + b - c
            pa, pb, pc = abs(e - a), abs(e - b), abs(e - c)
            p = a if pa <= pb and pa <= pc else b if pb <= pc else c
        out[i] = (x - p) & 255
    return bytes(out)


def raw_file(width, height, colour, depth, bpp, rows, filters, idat_sizes=None, extra=()):
    """A file written here, not by pypng: row y filtered with filters[y %
    len(filters)], the compressed data cut into IDAT chunks of the sizes
    given (the rest in one), extra chunks (kind, data) before IDAT."""
    previous = bytes(len(rows[0]))
    data = b""
    for y, row in enumerate(rows):
        kind = filters[y % len(filters)]
        data += bytes([kind]) + filtered(row, previous, kind, bpp)
        previous = row
    compressed = zlib.compress(data, 9)
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0)
    pieces = []
    for size in idat_sizes or []:
        pieces.append(compressed[:size])
        compressed = compressed[size:]
    pieces.append(compressed)
    out = [(b"IHDR", header)] + list(extra) + [(b"IDAT", p) for p in pieces] + [(b"IEND", b"")]
    return file_of(out)


def layouts(folder, rng):
    width, height = 31, 17
    rgb = [bytes(rng.randrange(256) for _ in range(width * 3)) for _ in range(height)]
    rgba16 = [bytes(rng.randrange(256) for _ in range(width * 8)) for _ in range(height)]
    grey2 = [bytes(rng.randrange(256) for _ in range((width * 2 + 7) // 8)) for _ in range(height)]
    for kind in range(5):
        put(folder, f"filter{kind}-rgb8", raw_file(width, height, 2, 8, 3, rgb, [kind]))
        put(folder, f"filter{kind}-rgba16", raw_file(width, height, 6, 16, 8, rgba16, [kind]))
        put(folder, f"filter{kind}-grey2", raw_file(width, height, 0, 2, 1, grey2, [kind]))
    put(folder, "filters-mixed", raw_file(width, height, 2, 8, 3, rgb, [0, 1, 2, 3, 4, 4, 3, 1]))
    # The compressed data in IDAT chunks of one byte, and with empty ones.
    put(folder, "idat-one-byte", raw_file(width, height, 2, 8, 3, rgb, [4], [1] * 400))
    put(folder, "idat-empty-chunks", raw_file(width, height, 2, 8, 3, rgb, [1], [0, 0, 50, 0, 0]))
    for level in (0, 9):
        rows = image(rng, width, height, 3, 8)
        w = png.Writer(width, height, greyscale=False, bitdepth=8, compression=level)
        write(folder, f"compression{level}", w, rows)


def ancillary(folder, rng):
    width, height = 23, 19
    rows = image(rng, width, height, 3, 8)
    out = io.BytesIO()
    png.Writer(width, height, greyscale=False, bitdepth=8).write(out, rows)
    base = out.getvalue()
    profile = bytes(rng.randrange(256) for _ in range(3000))
    text = b"Comment\x00a picture made for the tests"
    cases = {
        "gamma": [(b"gAMA", struct.pack(">I", 45455))],
        "gamma-odd": [(b"gAMA", struct.pack(">I", 100000 * 3))],
        "chromaticities": [(b"cHRM", struct.pack(">8I", 31270, 32900, 64000, 33000, 30000,
                                                 60000, 15000, 6000))],
        "srgb": [(b"sRGB", b"\x00"), (b"gAMA", struct.pack(">I", 45455))],
        "profile": [(b"iCCP", b"a profile\x00\x00" + zlib.compress(profile))],
        "significant-bits": [(b"sBIT", bytes([5, 6, 5]))],
        "background": [(b"bKGD", struct.pack(">HHH", 10, 200, 30))],
        "text": [(b"tEXt", text), (b"zTXt", b"Title\x00\x00" + zlib.compress(b"x" * 5000)),
                 (b"iTXt", "Author\x00\x00\x00ja\x00著者\x00テスト".encode())],
        "physical": [(b"pHYs", struct.pack(">IIB", 3780, 3780, 1))],
        "time": [(b"tIME", struct.pack(">HBBBBB", 2024, 2, 29, 23, 59, 60))],
        "offset": [(b"oFFs", struct.pack(">iiB", -5, 7, 0))],
        "exif": [(b"eXIf", b"MM\x00\x2a\x00\x00\x00\x08\x00\x00")],
        "private": [(b"prVt", b"private data of some program")],
        "suggested-palette": [(b"sPLT", b"a palette\x00\x08" + bytes(60))],
    }
    for name, new in cases.items():
        put(folder, f"chunk-{name}", with_chunks(base, b"IDAT", new))
    # After the pixels too.
    put(folder, "chunk-text-after", with_chunks(base, b"IEND", [(b"tEXt", text)]))
    # A histogram needs a palette.
    pal = [[rng.randrange(4) for _ in range(width)] for _ in range(height)]
    out = io.BytesIO()
    png.Writer(width, height, palette=[(255, 0, 0), (0, 255, 0), (0, 0, 255), (9, 9, 9)],
               bitdepth=2).write(out, pal)
    put(folder, "chunk-histogram", with_chunks(out.getvalue(), b"IDAT",
                                                [(b"hIST", struct.pack(">4H", 1, 2, 3, 4))]))
    # pypng's own background and gamma.
    w = png.Writer(width, height, greyscale=False, bitdepth=8, background=(0, 0, 255),
                   gamma=1.0)
    write(folder, "pypng-background-gamma", w, rows)
    # Ancillary chunks with a wrong CRC or content: skipped, as libpng
    # skips them; a skipped tRNS leaves every pixel opaque.
    bad = with_chunks(base, b"IDAT", [(b"tEXt", text)])
    at = bad.index(b"tEXt") + 4
    put(folder, "damaged-text-crc", bad[:at] + bytes([bad[at] ^ 0x20]) + bad[at + 1 :])
    trns = with_chunks(base, b"IDAT", [(b"tRNS", struct.pack(">3H", *rows[0][:3]))])
    at = trns.index(b"tRNS") + 4 + 6
    put(folder, "damaged-trns-crc", trns[:at] + bytes([trns[at] ^ 1]) + trns[at + 1 :])
    put(folder, "damaged-gamma-length", with_chunks(base, b"IDAT", [(b"gAMA", b"\x00\x01")]))
    # Anything after the end marker is not read.
    put(folder, "after-end", base + b"trailing bytes that are no chunk")


def reference(path):
    """NAME.pam beside NAME.png, pypng's decoding of it; nothing when pypng
    refuses the file."""
    with open(path, "rb") as f:
        data = f.read()
    data = file_of([(k, d) for k, d in chunks_of(data) if k != b"sBIT"]) \
        if b"sBIT" in data else data
    try:
        width, height, rows, info = png.Reader(bytes=data).asDirect()
        rows = [list(r) for r in rows]
    except png.Error:
        return
    planes, maxval = info["planes"], 2 ** info["bitdepth"] - 1
    header = (f"P7\nWIDTH {width}\nHEIGHT {height}\nDEPTH {planes}\nMAXVAL {maxval}\n"
              "ENDHDR\n").encode()
    fmt = ">%dH" if maxval > 255 else "%dB"
    body = b"".join(struct.pack(fmt % len(r), *r) for r in rows)
    with open(path[:-4] + ".pam", "wb") as f:
        f.write(header + body)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(1234)
    for interlace in (False, True):
        kinds(folder, rng, 13, 11, interlace, "")
    kinds(folder, rng, 1, 1, False, "one-")
    kinds(folder, rng, 64, 3, True, "wide-")
    sizes(folder, rng)
    layouts(folder, rng)
    ancillary(folder, rng)
    for name in sorted(os.listdir(folder)):
        if name.endswith(".png"):
            reference(os.path.join(folder, name))


if __name__ == "__main__":
    main()
