#!/usr/bin/python3
"""Checks that captured 16-bit stereo audio from the built-in synth holds steady tones at the
expected frequencies, in that order: synth_pitch_steps.py RAW RATE FREQ1 FREQ2 ...
An instrument's tone has overtones, so each window's pitch is the lag of the strongest
autocorrelation peak (on the left channel, taken down to a quarter of the rate)."""
import struct
import sys

from pitch_steps import find_plateau

WINDOW_SECONDS = 0.1
DECIMATE = 4
LOWEST, HIGHEST = 80.0, 1200.0
SILENCE = 300  # peak level below which a window counts as silent


def left_channel(raw):
    count = len(raw) // 4
    values = struct.unpack(f"<{count * 2}h", raw[:count * 4])
    left = values[0::2]
    return [sum(left[i:i + DECIMATE]) / DECIMATE for i in range(0, len(left) - DECIMATE, DECIMATE)]


def window_pitch(window, rate):
    if max(abs(s) for s in window) < SILENCE:
        return 0.0
    shortest, longest = int(rate / HIGHEST), int(rate / LOWEST)
    size = len(window) - longest
    scores = []
    for lag in range(shortest, longest + 1):
        scores.append(sum(window[i] * window[i + lag] for i in range(size)))
    best = max(range(len(scores)), key=lambda k: scores[k])
    # The first lag close to the best one: the period, not a multiple of it.
    for k in range(1, len(scores) - 1):
        if scores[k] >= 0.9 * scores[best] and scores[k] >= scores[k - 1] and scores[k] >= scores[k + 1]:
            best = k
            break
    shift = 0.0
    if 0 < best < len(scores) - 1:
        a, b, c = scores[best - 1], scores[best], scores[best + 1]
        if a - 2 * b + c != 0:
            shift = 0.5 * (a - c) / (a - 2 * b + c)
    return rate / (shortest + best + shift)


def main(argv):
    samples = left_channel(open(argv[1], "rb").read())
    rate = int(argv[2]) / DECIMATE
    wanted = [float(f) for f in argv[3:]]
    size = int(rate * WINDOW_SECONDS)
    pitches = [window_pitch(samples[at:at + size], rate) for at in range(0, len(samples) - size, size)]
    print(f"synth_pitch_steps: {len(samples)} samples at {rate:.0f} Hz, {len(pitches)} windows")
    position = 0
    for frequency in wanted:
        found = find_plateau(pitches, frequency, position)
        if found is None:
            heard = [round(p) for p in pitches[position:]]
            print(f"synth_pitch_steps: no steady {frequency:.1f} Hz after window {position}; "
                  f"heard (Hz): {heard[:80]}")
            return 1
        print(f"synth_pitch_steps: {frequency:.1f} Hz steady up to window {found}")
        position = found
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
