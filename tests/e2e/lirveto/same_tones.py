#!/usr/bin/python3
"""Checks that two mono WAV takes hold the same steady tones in the same order, each the same
pitch and loudness: same_tones.py LIVE.wav AGAIN.wav. A tone is a run of windows whose
zero-crossing frequency and peak agree; how long each lasts may differ (a live play's steps come
at its device's pace). Prints the tones; exit 1 when they differ or there are none."""
import sys
import wave

WINDOW_SECONDS = 0.02
MIN_WINDOWS = 4     # windows a tone must hold for
PITCH = 0.02        # how far two windows' frequencies may differ and be one tone
LEVEL = 0.03        # how far their peaks may differ, as a share of full scale


def windows(path):
    with wave.open(path) as take:
        width, rate = take.getsampwidth(), take.getframerate()
        data = take.readframes(take.getnframes())
    if width == 1:
        samples = [b - 128 for b in data]
        full = 128
    else:
        samples = [int.from_bytes(data[i:i + 2], "little", signed=True)
                   for i in range(0, len(data) - 1, 2)]
        full = 32768
    size = int(rate * WINDOW_SECONDS)
    result = []
    for start in range(0, len(samples) - size, size):
        window = samples[start:start + size]
        signs = [s >= 0 for s in window]
        crossings = sum(1 for a, b in zip(signs, signs[1:]) if a != b)
        result.append((crossings / 2 / WINDOW_SECONDS, max(abs(s) for s in window) / full))
    return result


def alike(a, b):
    return abs(a[0] - b[0]) <= PITCH * max(a[0], b[0]) and abs(a[1] - b[1]) <= LEVEL


def tones(path):
    found, run = [], []
    for window in windows(path) + [(0.0, -1.0)]:
        if run and alike(run[0], window):
            run.append(window)
            continue
        if len(run) >= MIN_WINDOWS and run[0][1] > LEVEL:
            found.append(run[len(run) // 2])
        run = [window]
    return found


def main():
    live, again = tones(sys.argv[1]), tones(sys.argv[2])
    print("tones:", ", ".join(f"{f:.0f} Hz at {p:.2f}" for f, p in live))
    if not live:
        print("the live take holds no steady tone")
        return 1
    if len(live) != len(again) or not all(alike(a, b) for a, b in zip(live, again)):
        print("rendered again:", ", ".join(f"{f:.0f} Hz at {p:.2f}" for f, p in again))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
