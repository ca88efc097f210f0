#pragma once
// Loudness even in decibels, the player's alternative to each page's designed mapping of the
// cursor's height: full at the top edge, the same number of decibels softer for every row down,
// `range` dB below full just above the bottom edge, and silent at the bottom edge itself as the
// designed mappings are. Half height plays at -range/2 dB.
//
// Thread: any thread (every function here; none allocates).

#include <cstdint>

#include "settings/playing_values.h"

namespace engine {

struct LoudnessSetup {
    settings::LoudnessCurve curve = settings::LoudnessCurve::Designed;
    int32_t rangeDb = settings::defaultLoudnessRange;

    bool even() const { return curve == settings::LoudnessCurve::Decibels; }
};

// What the settings hold now (Loudness, LoudnessRange).
LoudnessSetup currentLoudness();

// Decibels relative to full for a row of a screen `height` rows high: -rangeDb * y / height,
// minus infinity at the bottom edge (and an empty screen). Rows off the screen count as the
// nearest edge.
double decibelsFromCursor(int32_t y, int32_t height, int32_t rangeDb);

// `full` brought down by `decibels`, rounded; at least 1 unless full is 0 or the row is silent,
// so that only the bottom edge is silent.
int32_t scaledByDecibels(int32_t full, double decibels);

// The built-in synth's loudness in dB for a Midi page level L, which the page sends both as
// controller 7 (the General MIDI curve, 40 log10(L / 127)) and as the device volume
// (L * 0x200 of 0xFFFF): together about 60 log10(L / 127).
double synthDecibels(int32_t level);

// The level 1..127 whose synthDecibels lies nearest `decibels`; 0 for minus infinity.
int32_t synthLevelFor(double decibels);

}  // namespace engine
