#!/usr/bin/python3
"""What a recording of the sound server's output holds: dropouts, pitch and loudness.

usage: heard.py FILE [--rate HZ] [--gap-ms MS] [--window-ms MS] [--min-hz HZ] [--max-hz HZ]

FILE         a raw recording, signed 16-bit little-endian mono (as `parec --format=s16le
             --channels=1 --raw` writes it), or a WAV file of 8- or 16-bit PCM (its first channel
             is read); "-" reads standard input.
--rate       the raw recording's sample rate (default 48000; a WAV file's own rate wins).
--gap-ms     the shortest run of exact zero samples reported as a gap (default 1). Only runs
             between the first and the last sound count: a null sink's monitor records exact
             zeros where a stream ran dry, and before and after it played.
--window-ms  the length of the windows for pitch and loudness (default 50).
--min-hz, --max-hz
             the pitch range searched (default 40 to 5000). A window must hold two periods, so
             pitches below 2000 / window-ms Hz need longer windows.

Prints one JSON object: rate, seconds, first_sound and last_sound (seconds, null when all is
silent), gaps {count, starts (seconds), lengths_ms}, window_ms, hz and rms (one value per window
from the start: Hz or null where no steady pitch is found; RMS as a fraction of full scale) and
median_hz over the windows with a pitch.

The pitch is found by normalised autocorrelation, not zero crossings: the tones to judge may be
square- or saw-like, or an instrument's, whose harmonics cross zero more than twice a period.
"""

import argparse
import array
import json
import math
import operator
import re
import statistics
import sys


def read_samples(data, rate):
    """(samples as array('h'), rate) from WAV or raw s16le bytes."""
    if data[:4] == b"RIFF" and data[8:12] == b"WAVE":
        return read_wav(data)
    samples = array.array("h")
    samples.frombytes(data[: len(data) // 2 * 2])
    if sys.byteorder == "big":
        samples.byteswap()
    return samples, rate


def read_wav(data):
    at = 12
    fmt = None
    while at + 8 <= len(data):
        kind = data[at : at + 4]
        size = int.from_bytes(data[at + 4 : at + 8], "little")
        body = data[at + 8 : at + 8 + size]
        if kind == b"fmt ":
            fmt = body
        elif kind == b"data" and fmt is not None:
            channels = int.from_bytes(fmt[2:4], "little")
            rate = int.from_bytes(fmt[4:8], "little")
            bits = int.from_bytes(fmt[14:16], "little")
            if int.from_bytes(fmt[0:2], "little") != 1 or bits not in (8, 16):
                raise ValueError("only 8- or 16-bit PCM WAV files can be read")
            if bits == 8:
                samples = array.array("h", ((b - 128) << 8 for b in body[::channels]))
            else:
                samples = array.array("h")
                samples.frombytes(body[: len(body) // 2 * 2])
                if sys.byteorder == "big":
                    samples.byteswap()
                samples = samples[::channels]
            return samples, rate
        at += 8 + size + (size & 1)
    raise ValueError("no fmt and data chunks in this WAV file")


def sounding_span(samples):
    """Indices of the first and one past the last non-zero sample, or None."""
    first = next((i for i, s in enumerate(samples) if s), None)
    if first is None:
        return None
    last = len(samples) - next(i for i, s in enumerate(reversed(samples)) if s)
    return first, last


def gaps(samples, span, shortest):
    """(start, length) in samples of each run of at least `shortest` zeros inside `span`."""
    found = []
    raw = samples[span[0] : span[1]].tobytes()
    # Byte runs found by a regex are fast; a run may begin on a sample's high byte, so align.
    for match in re.finditer(b"\x00{%d,}" % (2 * shortest), raw):
        start = (match.start() + 1) // 2
        end = match.end() // 2
        if end - start >= shortest:
            found.append((span[0] + start, end - start))
    return found


def correlation(x, lag, energy):
    """Normalised correlation of x with itself `lag` samples later."""
    n = len(x) - lag
    cross = sum(map(operator.mul, x, x[lag:]))
    below = energy[n] - energy[0]
    above = energy[len(x)] - energy[lag]
    return cross / math.sqrt(below * above) if below > 0 and above > 0 else 0.0


def prefix_energy(x):
    sums = [0.0]
    for value in x:
        sums.append(sums[-1] + value * value)
    return sums


def pitch(window, rate, min_hz, max_hz):
    """Hz of the window's period, or None when nothing in it repeats clearly."""
    # A coarse search on a quarter of the rate, then the exact lag near it at the full rate.
    step = max(1, rate // 12000)
    coarse = [sum(window[i : i + step]) for i in range(0, len(window) - step + 1, step)]
    mean = sum(coarse) / len(coarse)
    coarse = [v - mean for v in coarse]
    energy = prefix_energy(coarse)
    low = max(2, int(rate / step / max_hz))
    high = min(len(coarse) // 2, int(math.ceil(rate / step / min_hz)))
    if high <= low + 1:
        return None
    scores = [correlation(coarse, lag, energy) for lag in range(low, high + 1)]
    best = max(scores)
    if best < 0.8:
        return None
    # The shortest lag that nearly matches the best is the period; longer ones are its multiples.
    for i in range(1, len(scores) - 1):
        if scores[i] >= 0.9 * best and scores[i] >= scores[i - 1] and scores[i] >= scores[i + 1]:
            break
    else:
        i = scores.index(best)
    around = (low + i) * step

    mean = sum(window) / len(window)
    fine = [v - mean for v in window]
    energy = prefix_energy(fine)
    lags = range(max(1, around - step - 1), min(len(fine) // 2, around + step + 1) + 1)
    if len(lags) < 3:
        return None
    values = [correlation(fine, lag, energy) for lag in lags]
    k = max(range(1, len(values) - 1), key=values.__getitem__)
    before, at, after = values[k - 1], values[k], values[k + 1]
    bend = before - 2 * at + after
    offset = 0.5 * (before - after) / bend if bend < 0 else 0.0
    return rate / (lags[k] + offset)


def rms(window):
    return math.sqrt(sum(map(operator.mul, window, window)) / len(window)) / 32768 if window else 0


def analyse(samples, rate, gap_ms, window_ms, min_hz, max_hz):
    span = sounding_span(samples)
    shortest = max(1, round(gap_ms * rate / 1000))
    found = gaps(samples, span, shortest) if span else []
    size = max(1, round(window_ms * rate / 1000))
    hz, level = [], []
    for at in range(0, len(samples) - size + 1, size):
        window = samples[at : at + size]
        loud = rms(window)
        level.append(round(loud, 5))
        found_hz = pitch(window, rate, min_hz, max_hz) if loud * 32768 >= 2 else None
        hz.append(round(found_hz, 2) if found_hz else None)
    pitched = [h for h in hz if h]
    return {
        "rate": rate,
        "seconds": round(len(samples) / rate, 4),
        "first_sound": round(span[0] / rate, 5) if span else None,
        "last_sound": round(span[1] / rate, 5) if span else None,
        "gaps": {
            "count": len(found),
            "starts": [round(start / rate, 5) for start, _ in found],
            "lengths_ms": [round(length * 1000 / rate, 3) for _, length in found],
        },
        "window_ms": window_ms,
        "hz": hz,
        "rms": level,
        "median_hz": round(statistics.median(pitched), 2) if pitched else None,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("file")
    parser.add_argument("--rate", type=int, default=48000)
    parser.add_argument("--gap-ms", type=float, default=1.0)
    parser.add_argument("--window-ms", type=float, default=50.0)
    parser.add_argument("--min-hz", type=float, default=40.0)
    parser.add_argument("--max-hz", type=float, default=5000.0)
    args = parser.parse_args()
    try:
        if args.file == "-":
            data = sys.stdin.buffer.read()
        else:
            with open(args.file, "rb") as f:
                data = f.read()
        samples, rate = read_samples(data, args.rate)
    except (OSError, ValueError) as error:
        print(f"heard.py: {error}", file=sys.stderr)
        return 2
    if rate <= 0:
        print("heard.py: the rate must be positive", file=sys.stderr)
        return 2
    print(json.dumps(analyse(samples, rate, args.gap_ms, args.window_ms, args.min_hz, args.max_hz)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
