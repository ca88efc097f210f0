#!/usr/bin/python3
"""Checks that captured 8-bit mono audio holds steady tones at the expected frequencies, in that
order: pitch_steps.py RAW RATE FREQ1 FREQ2 ... Each tone must last MIN_WINDOWS analysis windows
within TOLERANCE of its frequency. The frequency of a window is measured by zero crossings."""
import sys

WINDOW_SECONDS = 0.05
MIN_WINDOWS = 6
TOLERANCE = 0.03
SILENCE = 4  # peak distance from the mid level below which a window counts as silent


def window_frequencies(samples, rate):
    size = int(rate * WINDOW_SECONDS)
    result = []
    for start in range(0, len(samples) - size, size):
        window = samples[start:start + size]
        if max(abs(s - 128) for s in window) < SILENCE:
            result.append(0.0)
            continue
        signs = [s >= 128 for s in window]
        crossings = sum(1 for a, b in zip(signs, signs[1:]) if a != b)
        result.append(crossings / 2 / WINDOW_SECONDS)
    return result


def find_plateau(frequencies, wanted, start):
    run = 0
    for index in range(start, len(frequencies)):
        if abs(frequencies[index] - wanted) <= wanted * TOLERANCE:
            run += 1
            if run >= MIN_WINDOWS:
                return index + 1
        else:
            run = 0
    return None


def main(argv):
    samples = open(argv[1], "rb").read()
    rate = int(argv[2])
    wanted = [float(f) for f in argv[3:]]
    frequencies = window_frequencies(samples, rate)
    print(f"pitch_steps: {len(samples)} samples, {len(frequencies)} windows")
    position = 0
    for frequency in wanted:
        found = find_plateau(frequencies, frequency, position)
        if found is None:
            heard = sorted({round(f, -1) for f in frequencies[position:] if f > 0})
            print(f"pitch_steps: no steady {frequency:.0f} Hz after window {position}; "
                  f"heard (Hz, rounded): {heard[:40]}")
            return 1
        print(f"pitch_steps: {frequency:.0f} Hz steady up to window {found}")
        position = found
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
