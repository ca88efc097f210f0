#!/usr/bin/python3
"""Judges heard.py's report of a take played as equal holds of the pointer, left to right:
held_pitches.py REPORT HOLDS SECONDS LOW_HZ HIGH_HZ

The first hold starts with the first sound. Each hold's middle (its edges hold the move and the
pointer's jitter) must have a pitch in most windows, close to its median, and the medians must
rise from hold to hold and lie within LOW_HZ..HIGH_HZ. Prints the medians; exit 1 on a fault."""
import json
import statistics
import sys

STEADY = 0.03   # how far a window may stray from its hold's median
PITCHED = 0.8   # the share of a hold's windows that must have a pitch
EDGE = 0.35     # seconds left out at each end of a hold


def main():
    report = json.load(open(sys.argv[1]))
    holds, seconds = int(sys.argv[2]), float(sys.argv[3])
    low, high = float(sys.argv[4]), float(sys.argv[5])
    if report["first_sound"] is None:
        print("nothing was heard")
        return 1
    step = report["window_ms"] / 1000
    medians, faults = [], []
    for hold in range(holds):
        start = report["first_sound"] + hold * seconds + EDGE
        end = report["first_sound"] + (hold + 1) * seconds - EDGE
        hz = report["hz"][int(start / step) + 1:int(end / step)]
        pitched = [h for h in hz if h]
        if len(pitched) < PITCHED * len(hz) or not pitched:
            faults.append(f"hold {hold + 1}: a pitch in only {len(pitched)} of {len(hz)} windows")
            medians.append(None)
            continue
        median = statistics.median(pitched)
        medians.append(round(median, 1))
        strays = [h for h in pitched if abs(h - median) > STEADY * median]
        if len(strays) > (1 - PITCHED) * len(hz):
            faults.append(f"hold {hold + 1}: unsteady around {median:.1f} Hz: {strays}")
        if not low <= median <= high:
            faults.append(f"hold {hold + 1}: {median:.1f} Hz outside {low:g}..{high:g} Hz")
    print(f"held pitches (Hz): {medians}")
    known = [m for m in medians if m]
    if len(known) == holds and any(b <= a for a, b in zip(known, known[1:])):
        faults.append("the pitch does not rise with the pointer")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


sys.exit(main())
