#!/usr/bin/env python3
"""Writes the picture-strip cases of the stream regression corpus (tests/palisade/corpus/).

Each file is the main window's stream (build/generated/menu-stream.bin) with its strip
stored at another bit depth or header, as screens of other depths write it, or damaged
in one field. Run again after the main window's stream changes; the files are committed.
"""
import os
import struct
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
SOURCE = os.path.join(ROOT, "build", "generated", "menu-stream.bin")
OUT = os.path.join(ROOT, "tests", "palisade", "corpus")


def find_strip(stream):
    head = struct.pack("<III", 40, 224, 33)
    at = stream.index(head)
    length = struct.unpack_from("<I", stream, at - 4)[0]
    return at - 4, at, length


def pixels_of(dib):
    width, height = struct.unpack_from("<ii", dib, 4)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = dib[40 + (height - 1 - y) * stride:]
        rows.append([(row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x] for x in range(width)])
    return width, height, rows


def header(size, width, height, bits, compression, image, colours):
    h = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, image, 0, 0, colours, 0)
    return h if size == 40 else h + b"\0" * (size - 40)


def pack(width, height, rows, bits, top_down=False, compression=0, masks=None, header_size=40,
         palette=None, colours_used=None):
    stride = ((width * bits + 31) // 32) * 4
    body = bytearray()
    order = range(height) if top_down else range(height - 1, -1, -1)
    for y in order:
        line = bytearray(stride)
        for x, rgb in enumerate(rows[y]):
            if bits <= 8:
                v = palette.index(rgb) if rgb in palette else 0
                shift = 8 - bits - (x * bits) % 8
                line[x * bits // 8] |= v << shift
            elif bits == 16:
                r, g, b = rgb >> 16, (rgb >> 8) & 255, rgb & 255
                v = ((r >> 3) << 11 | (g >> 2) << 5 | b >> 3) if masks else ((r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                struct.pack_into("<H", line, 2 * x, v)
            elif bits == 24:
                line[3 * x:3 * x + 3] = bytes([rgb & 255, (rgb >> 8) & 255, rgb >> 16])
            else:
                struct.pack_into("<I", line, 4 * x, rgb)
        body += line
    used = colours_used if colours_used is not None else (len(palette) if palette else 0)
    h = bytearray(header(header_size, width, -height if top_down else height, bits, compression,
                         len(body), used))
    extra = b""
    if masks:
        if header_size == 40:
            extra = struct.pack("<III", *masks)
        else:
            struct.pack_into("<III", h, 40, *masks)
    table = b"".join(struct.pack("<I", c) for c in palette) if palette else b""
    return bytes(h) + extra + table + bytes(body)


def main():
    stream = open(SOURCE, "rb").read()
    start, at, length = find_strip(stream)
    width, height, rows = pixels_of(stream[at:at + length])
    colours = sorted({c for r in rows for c in r})
    if len(colours) > 16:
        sys.exit("the pictures use more than 16 colours")
    cases = {
        "strip-8bit-palette.bin": pack(width, height, rows, 8, palette=colours),
        "strip-4bit-palette.bin": pack(width, height, rows, 4, palette=colours),
        "strip-1bit.bin": pack(width, height, rows, 1, palette=[0x000000, 0xFFFFFF]),
        "strip-16bit-555.bin": pack(width, height, rows, 16),
        "strip-16bit-565-masks.bin": pack(width, height, rows, 16, compression=3, masks=(0xF800, 0x07E0, 0x001F)),
        "strip-32bit-top-down.bin": pack(width, height, rows, 32, top_down=True),
        "strip-32bit-v5-masks.bin": pack(width, height, rows, 32, compression=3, header_size=124,
                                         masks=(0xFF0000, 0x00FF00, 0x0000FF)),
        # Damaged: a colour table larger than 8 bits allow, a mask with a gap, a strip too narrow.
        "strip-table-too-large.bin": pack(width, height, rows, 8, palette=colours, colours_used=300),
        "strip-mask-with-gap.bin": pack(width, height, rows, 16, compression=3, masks=(0xF00F, 0x07E0, 0x001F)),
        "strip-too-narrow.bin": pack(width - 32, height, [r[:-32] for r in rows], 24),
    }
    for name, dib in cases.items():
        data = stream[:start] + struct.pack("<I", len(dib)) + dib + stream[at + length:]
        open(os.path.join(OUT, name), "wb").write(data)


if __name__ == "__main__":
    main()
