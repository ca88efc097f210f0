#pragma once
// The Wave engine offline: a gesture played on a virtual clock and device, recorded into a WAV
// file exactly as a recording made while playing would hold it.

#include <cstdint>
#include <string>

#include "gesture.h"

namespace files {
class WaveFile;
}

// Plays `gesture` from t = 0 until `durationMs` through the Wave engine with the current
// settings, appending every queued buffer to `recording` (an open recording in the format of
// the current output settings). The output plays queued buffers back to back from t = 0; each
// buffer comes back when its last byte has played, and the refill reads the gesture's cursor at
// that moment; refills strictly before the duration run, then Stop. On failure returns false
// with `error` set to one line; the recording is then incomplete.
bool renderWave(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                files::WaveFile& recording, std::string& error);
