#!/usr/bin/env python3
"""Draws the cursors and the toolbox bitmap of Palisade50 (palisade/res/).

Run again after changing a drawing; the files it writes are committed.
Each cursor is 32x32, monochrome, drawn from a small ASCII picture:
'#' black, '.' white, ' ' transparent.
"""
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "palisade", "res")

ARROW = [
    "#", "##", "#.#", "#..#", "#...#", "#....#", "#.....#", "#......#", "#.......#",
    "#........#", "#.....#####", "#..#..#", "#.# #..#", "##  #..#", "#    #..#", "     #..#", "      ##",
]


def with_box(picture, box):
    """The arrow with a small box (drag symbol) drawn at its lower right."""
    rows = [list(r.ljust(32)) for r in picture] + [list(" " * 32) for _ in range(32 - len(picture))]
    for y, line in enumerate(box):
        for x, c in enumerate(line):
            if c != " ":
                rows[17 + y][12 + x] = c
    return ["".join(r) for r in rows]


BOX = ["###########", "#.........#", "#.........#", "#.........#", "#.........#", "#.........#", "###########"]
PLUS = ["###########", "#....#....#", "#....#....#", "#..#####..#", "#....#....#", "#....#....#", "###########"]
CROSS = ["###########", "#.#.....#.#", "#...#.#...#", "#....#....#", "#...#.#...#", "#.#.....#.#", "###########"]

SIZE_WE = ["", "", "", "", "", "", "", "", "", "", "", "",
           "    #                  #", "   ##                  ##", "  #.#################### #",
           " #......................#", "  #.################# #", "   ##                ##", "    #                #"]
SIZE_NS = [(" " * 11 + r) for r in ["#", "#.#", "#...#", "#.....#", "###.###", "  #.#", "  #.#", "  #.#", "  #.#",
                                    "  #.#", "  #.#", "  #.#", "###.###", "#.....#", " #...#", "  #.#", "   #"]]
HAND = [(" " * 4 + r) for r in ["  ##", " #..#", " #..#", " #..###", " #..#..##", " #..#..#..#", "##..#..#..#",
                                "#...........#", "#...........#", " #.........#", "  #.......#", "  #########"]]

CURSORS = {  # file name -> (picture, hot spot)
    "select.cur": (ARROW, (0, 0)),
    "move.cur": (with_box(ARROW, BOX), (0, 0)),
    "copy.cur": (with_box(ARROW, PLUS), (0, 0)),
    "nodrop.cur": (with_box(ARROW, CROSS), (0, 0)),
    "sizewe.cur": (SIZE_WE, (12, 15)),
    "sizens.cur": (SIZE_NS, (12, 12)),
    "hand.cur": (HAND, (6, 0)),
}


def cursor_file(picture, hotspot):
    rows = [r.ljust(32)[:32] for r in picture] + [" " * 32] * (32 - len(picture))
    xor_rows, and_rows = [], []
    for r in rows:
        xor_bits = "".join("1" if c == "." else "0" for c in r)
        and_bits = "".join("1" if c == " " else "0" for c in r)
        xor_rows.append(int(xor_bits, 2).to_bytes(4, "big"))
        and_rows.append(int(and_bits, 2).to_bytes(4, "big"))
    # Device-independent bitmaps are stored bottom-up.
    xor = b"".join(reversed(xor_rows))
    andm = b"".join(reversed(and_rows))
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + xor + andm
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image


def toolbox_bitmap():
    """16x15 picture of a toolbar: a grey bar holding three coloured buttons."""
    w, h = 16, 15
    grey, dark, white = (192, 192, 192), (128, 128, 128), (255, 255, 255)
    colours = [(0, 0, 192), (0, 160, 0), (192, 0, 0)]
    px = [[grey] * w for _ in range(h)]
    for x in range(w):
        px[3][x] = white
        px[11][x] = dark
    for i, c in enumerate(colours):
        for y in range(5, 10):
            for x in range(1 + 5 * i, 5 + 5 * i):
                px[y][x] = c
    row_size = (w * 3 + 3) & ~3
    data = b""
    for y in reversed(range(h)):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in px[y])
        data += row + b"\0" * (row_size - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data


if __name__ == "__main__":
    os.makedirs(RES, exist_ok=True)
    for name, (picture, hot) in CURSORS.items():
        with open(os.path.join(RES, name), "wb") as f:
            f.write(cursor_file(picture, hot))
    with open(os.path.join(RES, "toolbox.bmp"), "wb") as f:
        f.write(toolbox_bitmap())
