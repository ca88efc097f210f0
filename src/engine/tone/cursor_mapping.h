#pragma once
// The instrument's mapping: cursor x sets the pitch, cursor y the loudness.

#include <cstdint>
#include <optional>

#include "platform/cursor_source.h"

namespace engine {

// Hz for a cursor column: 20 Hz at the left edge, `Pitch` kHz + 20 Hz at the right edge.
// Reads settings::Pitch. Thread: any thread.
int32_t frequencyFromCursor(int32_t x, platform::ScreenSize screen);

// The first column of the screen whose frequencyFromCursor reaches `frequency`; nothing when the
// frequency lies below the left edge's or beyond the last column's. Found through
// frequencyFromCursor itself, so a guide drawn with it always agrees with what sounds.
// Reads settings::Pitch. Thread: any thread.
std::optional<int32_t> cursorFromFrequency(double frequency, platform::ScreenSize screen);

// Amplitude for a cursor row: `Volume` at the top edge, 0 at the bottom (full scale is 128),
// falling evenly in amplitude as designed or, as the player chooses, in decibels
// (loudness_curve.h). Reads settings::Volume, Loudness and LoudnessRange. Thread: any thread.
int32_t amplitudeFromCursor(int32_t y, platform::ScreenSize screen);

}  // namespace engine
