#pragma once
// The MIDI engine offline: a gesture played on a virtual clock and a virtual MIDI device,
// recorded into a MIDI file exactly as a recording made while playing would hold it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gesture.h"

namespace files {
class MidiFile;
}
namespace platform {
class MidiOutPort;
}

// Plays `gesture` through the MIDI engine with the current settings: the start messages at t = 0,
// a tick at t = 5, 10, 15 ... ms up to and including `durationMs`, then Stop; every message goes
// into `recording` (open). On failure (a write to the recording among them) returns false with
// `error` set to one line.
bool renderMidi(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                files::MidiFile& recording, std::string& error);

// As renderMidi, on `port`, recording into `recording` when it is not null. `reach(t)` runs before
// the messages due at t ms (each tick, and Stop at `durationMs`), so a caller can bring its sound
// up to that time; when it returns false the render stops there and fails with `error` untouched.
bool playMidi(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
              std::shared_ptr<platform::MidiOutPort> port, files::MidiFile* recording,
              const std::function<bool(int64_t)>& reach, std::string& error);
