#pragma once
// The DirectSound engine offline: a gesture streamed on a virtual clock, device and timer,
// recorded into a WAV file exactly as a recording made while playing would hold it.

#include <cstdint>
#include <string>

#include "gesture.h"

namespace files {
class WaveFile;
}

// Plays `gesture` from t = 0 until `durationMs` through the DirectSound engine with the current
// settings and the stream state of program start, appending every byte written to the buffer to
// `recording` (open, in the format of the current output settings). At time t the device has
// read floor(t x rate / 1000) frames, which is also the write cursor (modulo the one-second
// buffer); steps run at t = 1, 2, 3 ... ms up to and including the duration, then Stop. On
// failure returns false with `error` set to one line.
bool renderDirectSound(const Gesture& gesture, ScreenSize screen, int64_t durationMs,
                       files::WaveFile& recording, std::string& error);
