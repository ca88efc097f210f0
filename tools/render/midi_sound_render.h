#pragma once
// The MIDI engine offline through the built-in General MIDI synth: what the Midi page sounds
// like, as a WAV take for export.

#include <cstdint>
#include <string>

#include "gesture.h"

namespace files {
class WaveFile;
}

// What a midi export keeps after Stop, for the last note's release.
inline constexpr int64_t kReleaseTailMs = 1000;

// Plays `gesture` as renderMidi does into the synth, with `soundFont` (empty: the default one),
// and writes its sound into `take` (open, 16-bit or 24-bit, `channels` 1 or 2 at `rate`): the
// messages at their virtual times, the sound up to `durationMs` plus kReleaseTailMs. On failure
// (no SoundFont, a write to the take) returns false with `error` set to one line.
bool renderMidiSound(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                     const std::string& soundFont, int32_t rate, int32_t channels,
                     files::WaveFile& take, std::string& error);
