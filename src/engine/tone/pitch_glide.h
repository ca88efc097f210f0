#pragma once
// A glide toward the wanted pitch with a set time, for the DirectSound page, whose designed
// ("classic") slew moves at most 5 Hz per step: an octave then takes a few steps at the bottom of
// the range and hundreds at the top. This glide approaches the wanted pitch exponentially in
// semitones, so every interval takes the same time wherever it lies: after one glide time 63 %
// of a jump is covered, after three 95 %. Glide 0 reaches the wanted pitch at once.
// The classic slew stays the engine's own code (settings::glideClassic selects it).
//
// Pitches are in semitones as MIDI note numbers (69 is A4). Thread: the engine's own; the state
// belongs to one engine. Nothing here allocates.

#include <cstdint>

namespace engine {

// The glide time the settings hold: settings::glideClassic or milliseconds.
int32_t currentGlide();

// Where the glide is. A value the engine owns; back to GlideState{} at Start, after which the
// first call starts at the wanted pitch. An engine that wants a new play to glide on from where
// the last one ended sets `pitch` and `started` itself.
struct GlideState {
    double pitch = 0.0;
    bool started = false;
    // The share of the way the glide last moved, and the step and time it was for (reused while
    // they stay the same, as an engine's even clock keeps them).
    double shareMs = -1.0;
    int32_t shareGlideMs = -1;
    double share = 0.0;
};

// The pitch `elapsedMs` after the previous call, on the way to `wantedPitch` with time constant
// `glideMs` (0 or less: at once). A wanted pitch that is not finite passes and leaves the state
// alone.
double glidedPitch(double wantedPitch, int32_t glideMs, double elapsedMs, GlideState& state);

// The same for engines that think in hertz: the glide still runs in semitones. A frequency of
// 0 Hz or less has no pitch and is returned as it is.
double glidedFrequency(double wantedFrequency, int32_t glideMs, double elapsedMs,
                       GlideState& state);

}  // namespace engine
