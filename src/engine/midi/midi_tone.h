#pragma once
// The cursor as a MIDI note with pitch bend and a volume level: the horizontal position chooses
// an exact pitch between the low and high notes, played as the sounding note bent as far as the
// bend range allows, or as a new note once the pitch leaves that range; the vertical position
// chooses the level, loud at the top.

#include <cstdint>
#include <optional>

#include "engine/tone/loudness_curve.h"

namespace engine {

constexpr int32_t kNoNote = -1;
constexpr int32_t kBendCentre = 8192;

struct PitchRange {
    int32_t low = 0;   // MIDI note at the left edge
    int32_t high = 0;  // MIDI note at the right edge (may be below low: the mapping then runs
                       // right to left)
};

// The exact pitch in semitones, single precision as the readout shows it.
float exactPitch(int32_t x, int32_t width, PitchRange range);

// The first column, left to right, whose exactPitch reaches `pitch` (rising to it, or falling to
// it when the range is reversed); nothing when no column 0..width-1 does. Found through
// exactPitch itself, so a guide drawn with it agrees with what sounds.
std::optional<int32_t> cursorFromPitch(float pitch, int32_t width, PitchRange range);

// The whole note of the pitch, truncated.
int32_t integerNote(int32_t x, int32_t width, PitchRange range);

// The note to sound for `pitch` when `sounding` sounds (kNoNote for none) with a bend range of
// `bendRange` semitones: the note holds while the pitch stays within range, steps by twice the
// range when that reaches, else jumps to the integer note. Never above 127; a step down never
// gives less than 1.
int32_t chooseNote(float pitch, int32_t sounding, int32_t bendRange, int32_t integer);

// The 14-bit bend that moves `note` to `pitch`: 1..16383, the centre when the range is 0.
int32_t bendFor(float pitch, int32_t note, int32_t bendRange);

// The volume level 0..127 of a cursor height, scaled by the MIDI volume in percent: falling
// evenly as designed, or evenly in decibels through the built-in synth's curve.
int32_t levelFor(int32_t y, int32_t height, int32_t midiVolume, LoudnessSetup loudness = {});

}  // namespace engine
