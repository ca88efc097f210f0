#pragma once
// Pulls the played pitch toward the nearest note of a scale, the way a player corrects a note
// that drifts, while vibrato and deliberate glides pass. The offset from the nearest scale note
// goes through a one-pole low-pass whose time constant is the rate; the corrected pitch is the
// exact pitch less `strength` times the low-passed offset. An offset held for long is thus
// taken away (at 100 % strength, to within 1 % after 5 time constants), while an offset that
// swings faster than the rate (a 6 Hz vibrato against 80 ms keeps about 95 % of its depth)
// mostly stays.
//
// Crossing the midpoint between two scale notes flips the offset from +half a gap to -half a
// gap. On a slide (the exact pitch moved less since the previous call than the low-passed
// offset) the low-passed offset is carried across that switch unchanged, so the corrected pitch
// (exact pitch and low-passed offset, both continuous) has no jump: within about one rate it
// moves over to the new note, by at most (1 - e^(-elapsed / rate)) times the gap per call. A slow
// glide thus sounds as a run of held notes joined by quick slides, never a leap, and a pitch
// held right at a midpoint settles there instead of flipping between the two notes.
// (Re-expressing the state against the new note would leap a whole gap; clearing it would leap
// by the whole offset.) A larger move to another note is a jump: there the low-passed offset
// starts again from 0, so the new note starts at the pitch played and is pulled to its scale
// note from there, instead of starting further off by the old note's offset. What clearing adds
// to the leap is at most the move itself.
//
// Pitches are in semitones as MIDI note numbers (69 is A4). Thread: the engine's own (step,
// tick or refill); the state belongs to one engine. Nothing here allocates.

#include <cstdint>

#include "settings/playing_values.h"

namespace engine {

struct CorrectionSetup {
    bool on = false;
    settings::MusicalScale scale = settings::MusicalScale::Chromatic;
    int32_t root = 0;                                  // pitch class, 0 = C
    int32_t strength = settings::defaultStrength;      // percent, 0..100
    int32_t rateMs = settings::defaultCorrectionRate;  // the low-pass time constant; 0 = at once
};

// The correction the settings hold (Correction, CorrectionScale, CorrectionRoot,
// CorrectionStrength, CorrectionRate).
CorrectionSetup currentCorrection();

// The filter's memory. A value the engine owns; back to CorrectionState{} at Start. The first
// call after that takes the offset as it finds it, so a note starts corrected.
struct CorrectionState {
    double offset = 0.0;  // the low-passed offset from the nearest scale note, in semitones
    bool primed = false;
    // The previous call's exact pitch and its nearest scale note: a slide or a jump.
    double pitch = 0.0;
    double target = 0.0;
    // The share of the way the filter last moved, and the step and rate it was for: an engine's
    // clock steps evenly, so most calls reuse it instead of computing an exponential.
    double shareMs = -1.0;
    int32_t shareRateMs = -1;
    double share = 0.0;
};

// The corrected pitch for `exactPitch`, `elapsedMs` after the previous call. Off: `exactPitch`
// bit for bit, and the state cleared, so that switching on again starts afresh. Strength 0:
// `exactPitch` bit for bit, while the filter goes on following, so that raising the strength
// again moves smoothly. A pitch that is not finite passes and leaves the state alone.
double correctedPitch(double exactPitch, const CorrectionSetup& setup, double elapsedMs,
                      CorrectionState& state);

}  // namespace engine
