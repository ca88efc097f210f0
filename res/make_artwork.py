#!/usr/bin/env python3
"""Draws the button bitmaps, the slider thumb and the program icon as PNG files.

Run it again after changing a shape; the PNGs it writes are kept in the tree so the build needs
no Python. Light grey (192, 192, 192) is the colour the buttons treat as transparent.
"""
import math
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
GREY = (192, 192, 192, 255)
CLEAR = (0, 0, 0, 0)


def write_png(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def canvas(width, height, fill):
    return [[fill for _ in range(width)] for _ in range(height)]


def play_symbol(fill, edge):
    img = canvas(16, 16, GREY)
    for y in range(2, 14):
        half = 6 - abs(y - 7.5) + 0.5
        for x in range(3, 15):
            reach = 3 + (half * 2)
            if x <= reach:
                inside = x < reach - 1 and y not in (2, 13)
                img[y][x] = fill if inside else edge
    return img


def stop_symbol(fill, edge):
    img = canvas(16, 16, GREY)
    for y in range(3, 13):
        for x in range(3, 13):
            border = x in (3, 12) or y in (3, 12)
            img[y][x] = edge if border else fill
    return img


def thumb():
    # A flat grip, as wide as the 24-pixel slider, with a groove marking its centre line.
    img = canvas(22, 11, GREY)
    for y in range(11):
        for x in range(22):
            if (x in (0, 21) and 0 < y < 10) or (y in (0, 10) and 0 < x < 21):
                img[y][x] = (64, 64, 64, 255)
            elif 0 < x < 21 and 0 < y < 10:
                shade = 236 - 6 * y
                img[y][x] = (shade, shade, shade + 8, 255)
    for x in range(3, 19):
        img[5][x] = (40, 60, 130, 255)
    return img


def icon(size):
    # A rounded blue tile with a white sine wave sweeping up in pitch: the sound under the mouse.
    img = canvas(size, size, CLEAR)
    radius = size * 0.22
    for y in range(size):
        for x in range(size):
            dx = max(radius - x - 0.5, 0, x + 0.5 - (size - radius))
            dy = max(radius - y - 0.5, 0, y + 0.5 - (size - radius))
            if dx * dx + dy * dy <= radius * radius:
                t = y / size
                img[y][x] = (int(30 + 40 * t), int(80 + 50 * t), int(170 + 40 * t), 255)
    thickness = max(1.0, size / 14)
    for x in range(size):
        u = x / (size - 1)
        phase = 2 * math.pi * (1.2 * u + 1.3 * u * u)
        centre = size / 2 - math.sin(phase) * size * 0.26
        for y in range(size):
            if abs(y + 0.5 - centre) <= thickness and img[y][x][3]:
                img[y][x] = (255, 255, 255, 255)
    return img


def icon_svg():
    points = []
    for i in range(65):
        u = i / 64
        phase = 2 * math.pi * (1.2 * u + 1.3 * u * u)
        points.append(f"{2 + 60 * u:.2f},{32 - math.sin(phase) * 16.6:.2f}")
    return (
        '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
        '  <defs><linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">\n'
        '    <stop offset="0" stop-color="#1e50aa"/><stop offset="1" stop-color="#4682d2"/>\n'
        '  </linearGradient></defs>\n'
        '  <rect x="0" y="0" width="64" height="64" rx="14" fill="url(#tile)"/>\n'
        f'  <polyline points="{" ".join(points)}" fill="none" stroke="#ffffff"\n'
        '            stroke-width="4.5" stroke-linecap="round" stroke-linejoin="round"/>\n'
        "</svg>\n"
    )


def main():
    bitmaps = HERE / "bitmaps"
    icons = HERE / "icons"
    bitmaps.mkdir(exist_ok=True)
    icons.mkdir(exist_ok=True)
    write_png(bitmaps / "5000.png", play_symbol((60, 140, 60, 255), (20, 80, 20, 255)))
    write_png(bitmaps / "5001.png", play_symbol((40, 220, 40, 255), (0, 110, 0, 255)))
    write_png(bitmaps / "5002.png", stop_symbol((150, 60, 60, 255), (90, 20, 20, 255)))
    write_png(bitmaps / "5003.png", stop_symbol((235, 40, 40, 255), (130, 0, 0, 255)))
    write_png(bitmaps / "5004.png", thumb())
    write_png(icons / "1003-32.png", icon(32))
    write_png(icons / "1003-16.png", icon(16))
    write_png(icons / "1004-16.png", icon(16))
    # The sizes the desktop's icon theme wants beside 16 and 32.
    write_png(icons / "lirveto-48.png", icon(48))
    write_png(icons / "lirveto-256.png", icon(256))
    (icons / "lirveto.svg").write_text(icon_svg())


if __name__ == "__main__":
    main()
