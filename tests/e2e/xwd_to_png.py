#!/usr/bin/python3
"""Turns an X window dump (xwd, 24/32 bits per pixel true colour) into a PNG, optionally cut to a
rectangle: xwd_to_png.py IN.xwd OUT.png [x y width height]. Standard library only."""
import struct
import sys
import zlib


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _version, _format, _depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    colours = fields[19]
    if bits_per_pixel not in (24, 32):
        raise SystemExit(f"xwd_to_png: {bits_per_pixel} bits per pixel is not handled")
    start = header_size + colours * 12
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    shifts = [(m, shift_of(m)) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line: start + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(0, width * step, step):
            pixel = int.from_bytes(line[x:x + step], order)
            row.extend((pixel & m) >> s for m, s in shifts)
        rows.append(row)
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(r) for r in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main(argv):
    if len(argv) not in (3, 7):
        raise SystemExit("usage: xwd_to_png.py IN.xwd OUT.png [x y width height]")
    width, height, rows = read_xwd(argv[1])
    if len(argv) == 7:
        x, y, w, h = (int(v) for v in argv[3:7])
        w, h = min(w, width - x), min(h, height - y)
        rows = [r[x * 3:(x + w) * 3] for r in rows[y:y + h]]
        width, height = w, h
    write_png(argv[2], width, height, rows)


if __name__ == "__main__":
    main(sys.argv)
