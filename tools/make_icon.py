#!/usr/bin/env python3
"""Draws the program's icon (a barcode with a check mark) as PNG files.
Run it again only to change the picture: resources/ keeps the results."""
import struct
import sys
import zlib


def png(width, height, rgba):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw(size):
    s = size / 256.0
    img = bytearray(size * size * 4)

    def put(x, y, colour):
        if 0 <= x < size and 0 <= y < size:
            i = (y * size + x) * 4
            img[i:i + 4] = bytes(colour)

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                put(x, y, colour)

    # Rounded white card with a dark blue border.
    rect(16, 24, 240, 232, (30, 58, 110, 255))
    rect(24, 32, 232, 224, (255, 255, 255, 255))
    # Bars of a barcode.
    x = 44
    for width in (6, 3, 3, 9, 3, 6, 3, 3, 9, 6, 3, 6, 3, 9, 3, 3, 6, 3, 6):
        rect(x, 52, x + width, 176, (20, 20, 20, 255))
        x += width + 5
    # Digits line under the bars.
    rect(44, 186, 212, 198, (120, 120, 120, 255))
    # Green check mark in the lower right corner.
    green = (34, 160, 70, 255)
    for t in range(0, 60):
        cx, cy = 140 + t * 0.6, 170 + t * 0.6
        rect(cx - 9, cy - 9, cx + 9, cy + 9, green)
    for t in range(0, 100):
        cx, cy = 176 + t * 0.7, 206 - t * 1.2
        rect(cx - 9, cy - 9, cx + 9, cy + 9, green)
    return bytes(img)


def main(folder):
    for size in (32, 64, 128, 256):
        with open(f"{folder}/quorvane-{size}.png", "wb") as out:
            out.write(png(size, size, draw(size)))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources")
