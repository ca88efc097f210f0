#pragma once
// The MIDI engine offline: a gesture played on a virtual clock and a virtual MIDI device,
// recorded into a MIDI file exactly as a recording made while playing would hold it.

#include <cstdint>
#include <string>

#include "gesture.h"

namespace files {
class MidiFile;
}

// Plays `gesture` through the MIDI engine with the current settings: the start messages at t = 0,
// a tick at t = 5, 10, 15 ... ms up to and including `durationMs`, then Stop; every message goes
// into `recording` (open). On failure (a write to the recording among them) returns false with
// `error` set to one line.
bool renderMidi(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                files::MidiFile& recording, std::string& error);
