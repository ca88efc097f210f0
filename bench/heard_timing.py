#!/usr/bin/python3
"""When sound is heard on a sound server's monitor, against this machine's monotonic clock.

usage:
  heard_timing.py click [COUNT]
      plays COUNT (5) clicks through a 5 ms stream of its own while recording the monitor, and
      prints the median time from when the server said each would play to its arrival, in ms:
      the recorder's own delay, to be taken off what is measured next.
  heard_timing.py jumps X1 X2 Y HZ1 HZ2 WINDOW_MS TRIALS HOLD_MS
      moves the pointer (XWarpPointer, display $DISPLAY) between X1 and X2 on row Y, TRIALS
      times, HOLD_MS apart, while the monitor is recorded; the program playing turns the position
      into a tone of HZ1 or HZ2. Prints one JSON object: the ms from each move to the first
      change heard (the old tone down to half its level or the new one up to half of its), as
      received by the recorder ("ms"), and how many moves showed no change ("missed").
      WINDOW_MS 0 is for a pure tone that may glide: the change is then its period leaving the
      old one by more than 1 %.

The recording is `parec` on out.monitor at 48000 Hz mono with short fragments. Each piece read
is stamped on arrival; the earliest-arriving piece fixes when each sample was delivered.
"""

import array
import ctypes
import json
import math
import os
import statistics
import subprocess
import sys
import threading
import time

RATE = 48000


class Recorder:
    """parec on the monitor, with the arrival time of every piece read."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["parec", "-d", "out.monitor", "--format=s16le", f"--rate={RATE}",
             "--channels=1", "--raw", "--latency-msec=1", "--process-time-msec=1"],
            stdout=subprocess.PIPE, bufsize=0)
        self.data = bytearray()
        self.arrivals = []  # (monotonic seconds, samples received by then)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.process.stdout.fileno()
        while True:
            piece = os.read(fd, 4096)
            if not piece:
                return
            now = time.monotonic()
            self.data += piece
            self.arrivals.append((now, len(self.data) // 2))

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.thread.join()
        samples = array.array("h")
        samples.frombytes(bytes(self.data[: len(self.data) // 2 * 2]))
        # A sample n was delivered no earlier than base + n / RATE; the piece that came soonest
        # after its last sample fixes base.
        base = min(t - n / RATE for t, n in self.arrivals)
        return samples, base


class SampleSpec(ctypes.Structure):
    _fields_ = [("format", ctypes.c_int), ("rate", ctypes.c_uint32), ("channels", ctypes.c_uint8)]


class BufferAttr(ctypes.Structure):
    _fields_ = [(name, ctypes.c_uint32)
                for name in ("maxlength", "tlength", "prebuf", "minreq", "fragsize")]


def click_delays(count):
    """Plays a click every 300 ms through a short stream of our own, asks the server how long
    until each is played, and returns the time from then to its arrival at the recorder, in ms."""
    simple = ctypes.CDLL("libpulse-simple.so.0")
    simple.pa_simple_new.restype = ctypes.c_void_p
    simple.pa_simple_write.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t,
                                       ctypes.POINTER(ctypes.c_int)]
    simple.pa_simple_get_latency.restype = ctypes.c_uint64
    simple.pa_simple_get_latency.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int)]
    simple.pa_simple_free.argtypes = [ctypes.c_void_p]
    error = ctypes.c_int(0)
    spec = SampleSpec(3, RATE, 1)  # PA_SAMPLE_S16LE
    piece = RATE // 1000  # 1 ms
    attr = BufferAttr(0xFFFFFFFF, piece * 2 * 5, 0xFFFFFFFF, piece * 2, 0xFFFFFFFF)
    recorder = Recorder()
    stream = simple.pa_simple_new(None, b"click", 1, None, b"click", ctypes.byref(spec), None,
                                  ctypes.byref(attr), ctypes.byref(error))
    if not stream:
        recorder.stop()
        sys.exit("heard_timing: cannot play the click")
    silence = bytes(piece * 2)
    click = array.array("h", [24000] * piece).tobytes()
    due = []
    for i in range(count * 300 + 300):  # writing blocks: the server paces it
        if i >= 300 and i % 300 == 0:
            ahead = simple.pa_simple_get_latency(stream, ctypes.byref(error)) / 1e6
            due.append(time.monotonic() + ahead)
            simple.pa_simple_write(stream, click, len(click), ctypes.byref(error))
        else:
            simple.pa_simple_write(stream, silence, len(silence), ctypes.byref(error))
    time.sleep(0.3)
    simple.pa_simple_free(stream)
    samples, base = recorder.stop()
    delays = []
    at = 0
    for t in due:
        at = max(at, int((t - base - 0.1) * RATE))
        while at < len(samples) and abs(samples[at]) < 12000:
            at += 1
        if at == len(samples):
            break
        delays.append((base + at / RATE - t) * 1000)
        at += piece * 10
    return delays


def warp(display, root, x, y):
    xlib = display[0]
    xlib.XWarpPointer(display[1], 0, root, 0, 0, 0, 0, x, y)
    xlib.XSync(display[1], 0)
    return time.monotonic()


def level(samples, start, length, hz):
    """The amplitude of HZ in samples[start:start + length] (Goertzel), as a fraction of full
    scale."""
    w = 2 * math.pi * hz / RATE
    coeff = 2 * math.cos(w)
    s1 = s2 = 0.0
    for x in samples[start:start + length]:
        s0 = x + coeff * s1 - s2
        s2, s1 = s1, s0
    power = s1 * s1 + s2 * s2 - coeff * s1 * s2
    return 2 * math.sqrt(max(power, 0.0)) / length / 32768


def first_change(samples, after, old_hz, new_hz, window, hold):
    """The first sample from `after` where a window centred on it holds the old tone at less than
    half its level before, or the new one at more than half the level it settles at (a glide
    leaves the old pitch well before it reaches the new; a new note may ring over the old one's
    release); None when neither happens."""
    before = level(samples, max(after - hold // 3, 0), hold // 3, old_hz)
    settled = level(samples, after + hold * 2 // 3, hold // 3, new_hz)
    if before < 0.01 or settled < 0.01:
        return None
    step = max(1, RATE // 2000)
    for centre in range(after + window // 2, after + hold - window // 2, step):
        start = centre - window // 2
        if (level(samples, start, window, old_hz) < before / 2 or
                level(samples, start, window, new_hz) > settled / 2):
            return centre
    return None


def first_departure(samples, after, hold):
    """For a pure tone that may glide: the first sample from `after` where three periods in a row
    differ from the period before by more than 1 % (or five times their usual spread), from its
    upward zero crossings; None when none do."""
    start = max(after - hold // 3, 1)
    crossings = [i - samples[i] / (samples[i] - samples[i - 1])
                 for i in range(start, min(after + hold, len(samples)))
                 if samples[i - 1] < 0 <= samples[i] and samples[i] != samples[i - 1]]
    periods = [(b - a, a) for a, b in zip(crossings, crossings[1:])]
    old = [p for p, at in periods if at < after]
    if len(old) < 10:
        return None
    usual = statistics.median(old)
    spread = statistics.median(abs(p - usual) for p in old) / usual
    changed = [abs(p / usual - 1) > max(0.01, 5 * spread) for p, _ in periods]
    for i, (_, at) in enumerate(periods):
        if at >= after and all(changed[i:i + 3]) and len(changed[i:i + 3]) == 3:
            return int(at)
    return None


def jumps(x1, x2, y, hz1, hz2, window_ms, trials, hold_ms):
    """WINDOW_MS 0 judges a pure tone by its periods instead of its levels."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                  ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_int,
                                  ctypes.c_int]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    handle = xlib.XOpenDisplay(os.environ["DISPLAY"].encode())
    if not handle:
        sys.exit("heard_timing: cannot open the display")
    display = (xlib, handle)
    root = xlib.XDefaultRootWindow(handle)

    warp(display, root, x1, y)
    time.sleep(1.0)  # a glide to the first place ends
    recorder = Recorder()
    time.sleep(1.0)
    moves = []
    for trial in range(trials):
        to_second = trial % 2 == 0
        moves.append((warp(display, root, x2 if to_second else x1, y),
                      hz1 if to_second else hz2, hz2 if to_second else hz1))
        time.sleep(hold_ms / 1000)
    samples, base = recorder.stop()
    if os.environ.get("HEARD_TIMING_KEEP"):
        with open(os.environ["HEARD_TIMING_KEEP"], "wb") as kept:
            kept.write(samples.tobytes())

    window = int(RATE * window_ms / 1000)
    hold = int(RATE * hold_ms / 1000)
    found, missed = [], 0
    for moved, old_hz, new_hz in moves:
        after = int((moved - base) * RATE)
        if after + hold > len(samples):
            at = None
        elif window == 0:
            at = first_departure(samples, after, hold)
        else:
            at = first_change(samples, after, old_hz, new_hz, window, hold)
        if at is None:
            missed += 1
        else:
            found.append((base + at / RATE - moved) * 1000)
    return {"ms": found, "missed": missed}


def main():
    if len(sys.argv) >= 2 and sys.argv[1] == "click":
        delays = click_delays(int(sys.argv[2]) if len(sys.argv) > 2 else 5)
        if not delays:
            sys.exit("heard_timing: no click was heard")
        print(f"{statistics.median(delays):.2f}")
    elif len(sys.argv) == 10 and sys.argv[1] == "jumps":
        a = sys.argv[2:]
        print(json.dumps(jumps(int(a[0]), int(a[1]), int(a[2]), float(a[3]), float(a[4]),
                               float(a[5]), int(a[6]), int(a[7]))))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
