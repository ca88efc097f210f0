#pragma once
// Which notes belong to a scale, and the scale note nearest to a pitch. Pitches are in
// semitones as MIDI note numbers (69 is A4), fractional between the notes.
//
// Thread: any thread (every function here; none allocates).

#include <cstdint>

#include "settings/playing_values.h"

namespace engine {

// The scale's notes within an octave: bit i is set when the note i semitones above the root
// belongs to it.
uint16_t scaleSteps(settings::MusicalScale scale);

// Whether the whole note belongs to the scale on `root` (a pitch class, 0 = C; taken modulo 12).
bool isScaleNote(int64_t note, settings::MusicalScale scale, int32_t root);

// The scale note nearest to `pitch`, the lower one of two equally near. A pitch that is not
// finite, or so far out that it names no note, comes back as it is.
double nearestScaleNote(double pitch, settings::MusicalScale scale, int32_t root);

}  // namespace engine
