#!/usr/bin/python3
"""Compares three window dumps of one window: same_pixels.py BEFORE.xwd AFTER.xwd WANTED.xwd.
The pixels that changed from BEFORE to AFTER must be many (MIN_CHANGED), and WANTED must show
nearly all of them (MIN_SHARE) as AFTER does: AFTER looks like WANTED where it moved away from
BEFORE."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from xwd_to_png import read_xwd  # noqa: E402

MIN_CHANGED = 200
MIN_SHARE = 0.98


def main(argv):
    if len(argv) != 4:
        raise SystemExit(__doc__)
    before, after, wanted = (read_xwd(path) for path in argv[1:])
    if not before[:2] == after[:2] == wanted[:2]:
        print(f"same_pixels: the dumps differ in size: {before[:2]} {after[:2]} {wanted[:2]}")
        return 1
    width, height = before[:2]
    changed = matching = 0
    for row_before, row_after, row_wanted in zip(before[2], after[2], wanted[2]):
        for x in range(0, width * 3, 3):
            pixel = row_after[x:x + 3]
            if row_before[x:x + 3] != pixel:
                changed += 1
                matching += row_wanted[x:x + 3] == pixel
    print(f"same_pixels: {changed} pixels changed, {matching} of them as wanted")
    return 0 if changed >= MIN_CHANGED and matching >= MIN_SHARE * changed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
