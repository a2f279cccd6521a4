#!/usr/bin/env python3
"""Writes resources/HAND-M.CUR: a 32x32 pointing-hand cursor whose hotspot is
the tip of the index finger. Run it again only to change the picture."""
import struct
import sys

# '#' outline, '.' fill, ' ' transparent. The fingertip is at (6, 0).
HAND = [
    "     ##                         ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..###                      ",
    "    #..#..###                   ",
    "    #..#..#..##                 ",
    "    #..#..#..#.#                ",
    "### #..#..#..#..#               ",
    "#..##........#..#               ",
    "#...#...........#               ",
    " #..#...........#               ",
    "  #.............#               ",
    "  #.............#               ",
    "   #............#               ",
    "   #...........#                ",
    "    #..........#                ",
    "    #.........#                 ",
    "     #........#                 ",
    "     #........#                 ",
    "     ##########                 ",
]
SIZE = 32
HOTSPOT = (6, 0)


def main(path):
    rows = [line.ljust(SIZE) for line in HAND] + [" " * SIZE] * (SIZE - len(HAND))
    pixels = bytearray()
    # Bitmaps are stored bottom-up.
    for line in reversed(rows):
        for ch in line:
            if ch == "#":
                pixels += bytes((0, 0, 0, 255))
            elif ch == ".":
                pixels += bytes((255, 255, 255, 255))
            else:
                pixels += bytes((0, 0, 0, 0))
    mask = bytearray()
    for line in reversed(rows):
        bits = 0
        for x, ch in enumerate(line):
            if ch == " ":
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1],
                        len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/HAND-M.CUR")
